#pragma once

#include "app/overlay/OverlayOptions.h"

#include <QObject>
#include <QSettings>

#include <memory>

namespace parley {

// The overlay's options as stored in the user defaults, and where it is
// served right now (set by whoever runs the server). Main thread only.
class OverlaySettings : public QObject {
    Q_OBJECT

public:
    explicit OverlaySettings(std::shared_ptr<QSettings> userDefaults, QObject* parent = nullptr);

    const OverlayOptions& options() const { return options_; }
    // Stores `options`, then announces them.
    void setOptions(const OverlayOptions& options);

    // The page's address while it is served, else empty.
    const QString& servedAddress() const { return servedAddress_; }
    // Why it is not served although it is on (no free port), else empty.
    const QString& problem() const { return problem_; }
    void setServed(const QString& address, const QString& problem = {});

signals:
    void optionsChanged();
    void servedChanged();

private:
    const std::shared_ptr<QSettings> userDefaults_;
    OverlayOptions options_;
    QString servedAddress_;
    QString problem_;
};

} // namespace parley
