#include "app/overlay/SessionOverlay.h"

#include "app/overlay/OverlayMessage.h"
#include "app/session/SessionController.h"

namespace parley {

SessionOverlay::SessionOverlay(SessionController& session, QObject* parent)
    : QObject(parent)
    , session_(session)
    , server_(
          feed_, [store = session.emoteImageLoader()->store()](const QString& key) { return store->image(key).image; })
{
    feed_.follow(*session.chat(), [this](const TwitchChatMessage& message) {
        return overlayMessage(
            message, session_, [this](const QString& key, const QUrl& url) { return imageAddress(key, url); });
    });
}

QString SessionOverlay::imageAddress(const QString& key, const QUrl& url)
{
    // An image whose address is not known yet is loaded once its record
    // arrives, by the chat row that shows it.
    EmoteImageLoader* loader = session_.emoteImageLoader();
    if (!url.isEmpty() && !loader->store()->contains(key))
        loader->loadImage(key, url);
    return server_.imagePath(key);
}

} // namespace parley
