#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <mutex>

namespace parley {

// The process's diagnostic line sink. Components write plain lines ("Type.event:
// detail"); by default they go to standard output, one per line. Tools and tests
// redirect them with DiagnosticsCapture. Safe to call from any thread.
class Diagnostics {
public:
    using Sink = std::function<void(const QString& line)>;

    static void write(const QString& line);

    // Installs a sink and returns the one it replaces. An empty sink restores
    // standard output.
    static Sink setSink(Sink sink);

    // A sink that drops every line, for benchmarks.
    static void discard(const QString& line);
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
