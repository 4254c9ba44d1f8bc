#include "app/overlay/OverlayHost.h"

#include "app/overlay/OverlaySettings.h"
#include "app/overlay/SessionOverlay.h"

namespace parley {

OverlayHost::OverlayHost(OverlaySettings& settings, SessionController& session, QObject* parent)
    : QObject(parent), settings_(&settings), session_(session)
{
    connect(&settings, &OverlaySettings::optionsChanged, this, &OverlayHost::follow);
    follow();
}

OverlayHost::~OverlayHost()
{
    if (settings_)
        settings_->setServed({});
}

QString OverlayHost::address() const
{
    return overlay_ ? overlay_->address() : QString();
}

void OverlayHost::follow()
{
    const OverlayOptions& options = settings_->options();
    if (!options.enabled || (overlay_ && options.port != served_.port))
        overlay_.reset();
    if (options.enabled && !overlay_) {
        overlay_ = std::make_unique<SessionOverlay>(session_);
        if (!overlay_->listen(options)) {
            overlay_.reset();
            settings_->setServed({},
                QStringLiteral("No free port from %1 to %2.")
                    .arg(options.port)
                    .arg(options.port + OverlayServer::portsTried - 1));
            served_ = options;
            return;
        }
    } else if (overlay_) {
        overlay_->setOptions(options);
    }
    served_ = options;
    settings_->setServed(address());
}

} // namespace parley
