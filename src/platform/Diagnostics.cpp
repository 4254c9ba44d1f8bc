#include "platform/Diagnostics.h"

#include <cstdio>
#include <shared_mutex>

namespace parley {

namespace {

void writeLine(std::FILE* stream, const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

std::shared_mutex& sinkMutex()
{
    static std::shared_mutex mutex;
    return mutex;
}

// Empty while the lines go to the standard streams.
Diagnostics::Sink& currentSink()
{
    static Diagnostics::Sink sink;
    return sink;
}

} // namespace

void Diagnostics::write(const QString& line)
{
    std::shared_lock lock(sinkMutex());
    if (const Diagnostics::Sink& sink = currentSink())
        sink(line);
    else
        writeLine(stdout, line);
}

void Diagnostics::warn(const QString& line)
{
    std::shared_lock lock(sinkMutex());
    if (const Diagnostics::Sink& sink = currentSink())
        sink(line);
    else
        writeLine(stderr, line);
}

Diagnostics::Sink Diagnostics::setSink(Sink sink)
{
    std::unique_lock lock(sinkMutex());
    return std::exchange(currentSink(), std::move(sink));
}

DiagnosticsSilence::DiagnosticsSilence() : previous_(Diagnostics::setSink([](const QString&) {})) { }

DiagnosticsSilence::~DiagnosticsSilence()
{
    Diagnostics::setSink(std::move(previous_));
}

DiagnosticsCapture::DiagnosticsCapture()
    : previous_(Diagnostics::setSink([this](const QString& line) {
        std::lock_guard lock(mutex_);
        lines_.append(line);
    }))
{ }

DiagnosticsCapture::~DiagnosticsCapture()
{
    Diagnostics::setSink(std::move(previous_));
}

QStringList DiagnosticsCapture::lines() const
{
    std::lock_guard lock(mutex_);
    return lines_;
}

QStringList DiagnosticsCapture::takeLines()
{
    std::lock_guard lock(mutex_);
    return std::exchange(lines_, {});
}

} // namespace parley
