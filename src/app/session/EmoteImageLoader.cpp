#include "app/session/EmoteImageLoader.h"

#include "platform/Observe.h"

#include <QTimer>

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
    const auto record = registry_.emotes().constFind(id);
    if (record == registry_.emotes().cend()) {
        if (const std::optional<QUrl> url = registry_.templateImageURL(id)) {
            requestImage(id, *url);
            return;
        }
        // Always later, never inside this call: views call loadImage while
        // they draw and must not see the queue change under them.
        QTimer::singleShot(0, this, [this, id] { enqueue(id); });
        return;
    }
    requestImage(id, record->images.url2x);
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
            loader->finishLoad(id, result.value()->image());
    });
}

void EmoteImageLoader::finishLoad(const QString& id, const QImage& decoded)
{
    EmoteImage image = EmoteImage::fromDecoded(decoded);
    if (image.isNull())
        return;
    store_->insert(id, std::move(image));
    const bool wasQueued = queue_.remove(id);
    emit imagesChanged();
    if (wasQueued)
        emit queueChanged();
}

} // namespace parley
