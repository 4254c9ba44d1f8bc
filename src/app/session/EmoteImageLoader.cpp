#include "app/session/EmoteImageLoader.h"

#include "platform/Observe.h"
#include "platform/WhenFinished.h"

#include <QTimer>
#include <QtConcurrent>

#include <algorithm>

namespace parley {

EmoteImageLoader::EmoteImageLoader(EmoteRegistryProtocol& registry, ImageLoading& images, QObject* parent)
    : QObject(parent), registry_(registry), images_(images)
{
    // Queued ids are looked up again whenever the queue changes to a new,
    // non-empty set and whenever the registry's table changes; the table
    // is already stored when its change is announced, so a record that
    // arrives with a change is found at once.
    connect(this, &EmoteImageLoader::queueChanged, this, [this] {
        if (queue_.isEmpty() || queue_ == lastDeliveredQueue_)
            return;
        lastDeliveredQueue_ = queue_;
        loadQueued();
    });
    connect(&registry_, &EmoteRegistryProtocol::emotesChanged, this, &EmoteImageLoader::loadQueued);
}

void EmoteImageLoader::loadImage(const QString& id)
{
    if (store_->contains(id))
        return;
    if (const std::optional<QUrl> url = registry_.imageURL(id)) {
        requestImage(id, *url);
        return;
    }
    // Always later, never inside this call: views call loadImage while they
    // draw and must not see the queue change under them.
    QTimer::singleShot(std::chrono::milliseconds(0), this, [this, id] { enqueue(id); });
}

void EmoteImageLoader::loadImage(const QString& key, const QUrl& url)
{
    if (!store_->contains(key))
        requestImage(key, url);
}

void EmoteImageLoader::setCommunityEmotes(CommunityEmoteLookup lookup)
{
    communityEmotes_ = std::move(lookup);
    emit imagesChanged();
}

TextWithEmotesSources EmoteImageLoader::sources()
{
    return { *store_, communityEmotes_, [this](const QString& key, const QUrl& url) {
                if (url.isEmpty())
                    loadImage(key);
                else
                    loadImage(key, url);
            } };
}

void EmoteImageLoader::enqueue(const QString& id)
{
    if (queue_.contains(id))
        return;
    queue_.insert(id);
    emit queueChanged();
}

void EmoteImageLoader::loadQueued()
{
    // A copy: completions may change the queue while we go through it.
    const QSet<QString> queued = queue_;
    for (const QString& id : queued)
        loadImage(id);
}

void EmoteImageLoader::requestImage(const QString& id, const QUrl& url)
{
    // The completion holds the loader weakly; the load itself is never cancelled.
    images_.loadImage(url, [loader = QPointer(this), id](const ImageResult& result) {
        if (loader && result.isSuccess())
            loader->finishLoad(id, result.value()->container);
    });
}

std::shared_ptr<const EmoteAnimation> EmoteImageLoader::animation(const QString& key) const
{
    return animating_ ? animations_.value(key) : nullptr;
}

void EmoteImageLoader::setAnimating(bool animating)
{
    if (animating == animating_)
        return;
    animating_ = animating;
    emit imagesChanged();
}

void EmoteImageLoader::finishLoad(const QString& id, const ImageContainer& decoded)
{
    EmoteImage image = EmoteImage::fromDecoded(decoded.image());
    if (image.isNull())
        return;
    if (decoded.data())
        keepAnimation(id, *decoded.data());
    store_->insert(id, std::move(image));
    const bool wasQueued = queue_.remove(id);
    emit imagesChanged();
    if (wasQueued)
        emit queueChanged();
}

// Decoding every frame takes a while: it happens on a worker, and the still
// image shows meanwhile. The budget is taken when asked, so loads under way
// together cannot overrun it.
void EmoteImageLoader::keepAnimation(const QString& id, const QByteArray& data)
{
    const qint64 budget = std::min(maxBytesPerAnimation, maxAnimationBytes - animationBytes_);
    if (budget <= 0 || animations_.contains(id))
        return;
    animationBytes_ += budget;
    animations_.insert(id, nullptr); // still, until its frames are there
    whenFinished(QtConcurrent::run([data, budget] { return EmoteAnimation::decode(data, budget); }), this,
        [this, id, budget](QFuture<std::optional<EmoteAnimation>> decoded) {
            std::optional<EmoteAnimation> animation = decoded.result();
            animationBytes_ -= budget - (animation ? animation->byteCount() : 0);
            if (!animation)
                return;
            animations_.insert(id, std::make_shared<const EmoteAnimation>(std::move(*animation)));
            emit imagesChanged();
        });
}

} // namespace parley
