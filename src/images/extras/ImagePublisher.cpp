#include "images/extras/ImagePublisher.h"

#include <QPointer>

namespace parley {

ImagePublisher::ImagePublisher(ImagePipeline& pipeline, ImageRequest request, QObject* parent)
    : QObject(parent), pipeline_(pipeline), request_(std::move(request))
{ }

ImagePublisher::~ImagePublisher()
{
    cancel();
}

void ImagePublisher::start()
{
    if (task_)
        return;
    QPointer<ImagePublisher> self(this);
    task_ = pipeline_.loadImage(
        request_, nullptr,
        [self](const std::optional<ImageResponse>& preview, qint64 completed, qint64 total) {
            if (!self)
                return;
            if (preview)
                emit self->previewReceived(*preview);
            else
                emit self->progressed(completed, total);
        },
        [self](const ImageResult& result) {
            if (!self)
                return;
            if (const auto* response = result.value())
                emit self->finished(*response);
            else
                emit self->failed(result.error()->description());
        });
}

void ImagePublisher::cancel()
{
    if (task_)
        pipeline_.cancel(task_);
}

} // namespace parley
