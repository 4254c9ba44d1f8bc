#include "platform/MemoryPressureSource.h"

#include <QSocketNotifier>
#include <QThread>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace parley {

namespace {

// Stall thresholds within a 2 s window; the kernel lets unprivileged
// processes use windows that are multiples of 2 s.
constexpr const char* warningTrigger = "some 150000 2000000";
constexpr const char* criticalTrigger = "full 150000 2000000";

} // namespace

MemoryPressureSource::MemoryPressureSource(QObject* parent) : QObject(parent)
{
    watchKernel();
}

void MemoryPressureSource::watchKernel()
{
    // Socket notifiers need an event dispatcher; without one the source can
    // only be simulated.
    if (!QThread::currentThread()->eventDispatcher())
        return;
    watch(Level::Warning, warningTrigger);
    watch(Level::Critical, criticalTrigger);
}

MemoryPressureSource::~MemoryPressureSource()
{
    for (const auto& trigger : triggers_) {
        delete trigger.notifier;
        ::close(trigger.fd);
    }
}

void MemoryPressureSource::simulate(Level level)
{
    emit pressure(level);
}

void MemoryPressureSource::watch(Level level, const char* trigger)
{
    const int fd = ::open("/proc/pressure/memory", O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::write(fd, trigger, std::strlen(trigger) + 1) < 0) {
        ::close(fd);
        return;
    }
    // The kernel signals a crossed threshold as POLLPRI, which Qt watches as
    // an exception notifier.
    auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Exception, this);
    connect(notifier, &QSocketNotifier::activated, this, [this, level] { emit pressure(level); });
    triggers_.push_back({ fd, notifier });
}

} // namespace parley
