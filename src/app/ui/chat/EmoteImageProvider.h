#pragma once

#include "app/session/EmoteImageStore.h"

#include <QQuickImageProvider>

#include <memory>

namespace parley {

// Serves the session's loaded emote images to QML as "image://emote/ID". It
// only reads the loader's table in memory (never decodes or downloads), so
// text layout may ask for an image synchronously and find it at once; the
// table is safe to read from any thread. An id without an image gives a null
// image.
class EmoteImageProvider final : public QQuickImageProvider {
public:
    static constexpr const char* providerID = "emote";

    explicit EmoteImageProvider(std::shared_ptr<const EmoteImageStore> store);

    QImage requestImage(const QString& id, QSize* size, const QSize& requestedSize) override;

    // The address of an emote's image for QML.
    static QUrl url(const QString& emoteID);
    // A transparent image of the same size, holding an animated emote's place.
    static QUrl blankURL(const QString& emoteID);
    static inline const QString blankPrefix = QStringLiteral("blank/");

private:
    const std::shared_ptr<const EmoteImageStore> store_;
};

} // namespace parley
