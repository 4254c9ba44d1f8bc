#pragma once

#include <QObject>

#include <memory>
#include <vector>

class QSocketNotifier;

namespace parley {

// Reports memory pressure on the thread it lives on. On Linux it watches the
// kernel's pressure stall information (/proc/pressure/memory) where the
// kernel offers it: memory stalls of some tasks for a noticeable share of a
// window count as a warning, stalls of all tasks as critical. Where PSI is
// missing or refuses the triggers, only simulate() reports anything.
class MemoryPressureSource : public QObject {
    Q_OBJECT
public:
    enum class Level { Warning, Critical };
    Q_ENUM(Level)

    explicit MemoryPressureSource(QObject* parent = nullptr);
    ~MemoryPressureSource() override;

    // Whether kernel pressure events are being watched.
    bool isWatchingKernel() const { return !triggers_.empty(); }

    // Reports `level` as if the kernel had: for tests and developer tools.
    void simulate(Level level);

signals:
    void pressure(parley::MemoryPressureSource::Level level);

private:
    void watchKernel();
    void watch(Level level, const char* trigger);

    struct Trigger {
        int fd;
        QSocketNotifier* notifier;
    };
    std::vector<Trigger> triggers_;
};

} // namespace parley
