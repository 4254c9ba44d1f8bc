#pragma once

#include <QObject>

#include <memory>
#include <vector>

namespace parley {

// An object that owns one window: start() brings it to the front as the key
// window, stop() closes it. Coordinators own their child coordinators.
class XUICoordinator : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual void start() = 0;
    virtual void stop() = 0;

    std::vector<std::unique_ptr<XUICoordinator>> children;
};

} // namespace parley
