#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

namespace parley {

// The process's diagnostic line sink. Components write plain lines ("Type.event:
// detail"); by default they go to standard output, one per line, and warnings
// to standard error. Tools and tests redirect both with DiagnosticsCapture.
// Safe to call from any thread.
class Diagnostics {
public:
    using Sink = std::function<void(const QString& line)>;

    static void write(const QString& line);
    // A problem the person running Parley from a terminal should see (a port
    // in use, no browser to open): the only way Parley writes to standard
    // error besides its alert.
    static void warn(const QString& line);

    // Installs a sink for both kinds of line and returns the one it replaces.
    // An empty sink restores standard output and standard error.
    static Sink setSink(Sink sink);
};

// Drops every diagnostic line while it lives, then restores the previous
// sink: the one way tests and benchmarks keep quiet.
class DiagnosticsSilence {
public:
    DiagnosticsSilence();
    ~DiagnosticsSilence();
    DiagnosticsSilence(const DiagnosticsSilence&) = delete;
    DiagnosticsSilence& operator=(const DiagnosticsSilence&) = delete;

private:
    Diagnostics::Sink previous_;
};

// Collects every diagnostic line written while it lives, then restores the
// previous sink.
class DiagnosticsCapture {
public:
    DiagnosticsCapture();
    ~DiagnosticsCapture();
    DiagnosticsCapture(const DiagnosticsCapture&) = delete;
    DiagnosticsCapture& operator=(const DiagnosticsCapture&) = delete;

    QStringList lines() const;
    QStringList takeLines();

private:
    mutable std::mutex mutex_;
    QStringList lines_;
    Diagnostics::Sink previous_;
};

} // namespace parley
