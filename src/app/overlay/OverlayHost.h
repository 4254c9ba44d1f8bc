#pragma once

#include "app/overlay/OverlayOptions.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace parley {

class OverlaySettings;
class SessionController;
class SessionOverlay;

// Serves one session's overlay while the overlay settings have it on: starts
// it when it is switched on, moves it to a new port, hands the page its new
// options and tells the settings where it is served (or why it is not).
class OverlayHost : public QObject {
    Q_OBJECT

public:
    // `session` must outlive the host; `settings` may go first.
    OverlayHost(OverlaySettings& settings, SessionController& session, QObject* parent = nullptr);
    ~OverlayHost() override;

    // The served address; empty while off.
    QString address() const;

private:
    void follow();

    QPointer<OverlaySettings> settings_;
    SessionController& session_;
    std::unique_ptr<SessionOverlay> overlay_;
    OverlayOptions served_;
};

} // namespace parley
