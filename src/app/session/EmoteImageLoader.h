#pragma once

#include "app/session/EmoteAnimation.h"
#include "app/session/EmoteAnimationClock.h"
#include "app/session/EmoteImageStore.h"
#include "app/session/EmoteRegistryProtocol.h"
#include "app/session/TextWithEmotes.h"
#include "images/pipeline/ImageLoading.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>

#include <memory>

namespace parley {

// Turns emote ids into images ready to draw inline with text: it looks the
// id up in the registry, loads the record's double-scale image through the
// image loader and keeps it, scaled to the line height, for the life of
// the session. IDs whose record has not arrived wait in `queue` and are
// loaded as soon as the registry's table brings their record. Main thread
// only, except `store()`, which image providers may read from any thread.
class EmoteImageLoader final : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::EmoteImageTable images READ images NOTIFY imagesChanged)
    Q_PROPERTY(QSet<QString> queue READ queue NOTIFY queueChanged)
    Q_PROPERTY(int imageCount READ imageCount NOTIFY imagesChanged)

public:
    // The registry and `images`, which loads the images, must outlive the loader.
    explicit EmoteImageLoader(EmoteRegistryProtocol& registry, ImageLoading& images, QObject* parent = nullptr);

    EmoteRegistryProtocol& emoteRegistry() const { return registry_; }

    // Every image loaded so far, by emote id; entries are never removed.
    EmoteImageTable images() const { return store_->snapshot(); }
    int imageCount() const { return int(store_->size()); }
    // The same table for readers on other threads; it stays valid after the loader is gone.
    std::shared_ptr<const EmoteImageStore> store() const { return store_; }
    // IDs asked for before their emote record was known.
    const QSet<QString>& queue() const { return queue_; }

    // Makes sure the image of `id` is or will be loaded. Returns at once; for
    // an id already loaded it costs one lookup.
    Q_INVOKABLE void loadImage(const QString& id);
    // The same for an image whose address is known (a community emote's).
    void loadImage(const QString& key, const QUrl& url);

    // Where words are looked up as community emotes; none by default. A
    // change of the emotes it knows is announced as imagesChanged, so views
    // compose again.
    void setCommunityEmotes(CommunityEmoteLookup lookup);
    // What messages compose from.
    TextWithEmotesSources sources();

    // The frames of an animated emote's image, once loaded; null for a still
    // image and while animation is switched off.
    std::shared_ptr<const EmoteAnimation> animation(const QString& key) const;
    void setAnimating(bool animating);
    bool isAnimating() const { return animating_; }
    EmoteAnimationClock* animationClock() { return &animationClock_; }
    // All animations' frames together stay within this; an animation that
    // would go beyond it shows still.
    static constexpr qint64 maxAnimationBytes = 64 * 1024 * 1024;
    static constexpr qint64 maxBytesPerAnimation = 8 * 1024 * 1024;
    qint64 animationBytes() const { return animationBytes_; }

signals:
    void imagesChanged();
    void queueChanged();

private:
    void enqueue(const QString& id);
    void loadQueued();
    void requestImage(const QString& id, const QUrl& url);
    void finishLoad(const QString& id, const ImageContainer& decoded);
    void keepAnimation(const QString& id, const QByteArray& data);

    EmoteRegistryProtocol& registry_;
    ImageLoading& images_;
    const std::shared_ptr<EmoteImageStore> store_ = std::make_shared<EmoteImageStore>();
    QSet<QString> queue_;
    // The last non-empty queue that was looked up; an equal queue is not looked up again.
    QSet<QString> lastDeliveredQueue_;
    CommunityEmoteLookup communityEmotes_;
    QHash<QString, std::shared_ptr<const EmoteAnimation>> animations_;
    qint64 animationBytes_ = 0;
    bool animating_ = true;
    EmoteAnimationClock animationClock_;
};

} // namespace parley
