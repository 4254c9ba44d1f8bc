#include "platform/Diagnostics.h"

#include <cstdio>
#include <shared_mutex>

namespace parley {

namespace {

void writeToStandardOutput(const QString& line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::shared_mutex& sinkMutex()
{
    static std::shared_mutex mutex;
    return mutex;
}

Diagnostics::Sink& currentSink()
{
    static Diagnostics::Sink sink = writeToStandardOutput;
    return sink;
}

} // namespace

void Diagnostics::write(const QString& line)
{
    std::shared_lock lock(sinkMutex());
    currentSink()(line);
}

Diagnostics::Sink Diagnostics::setSink(Sink sink)
{
    std::unique_lock lock(sinkMutex());
    Sink previous = std::move(currentSink());
    currentSink() = sink ? std::move(sink) : Sink(writeToStandardOutput);
    return previous;
}

void Diagnostics::discard(const QString&) { }

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
