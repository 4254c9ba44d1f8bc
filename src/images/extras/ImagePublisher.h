#pragma once

#include "images/pipeline/ImagePipeline.h"

#include <QObject>

namespace parley {

// One load as Qt signals, for code that prefers connections to closures.
// start() begins the load; the signals arrive on the publisher's thread (the
// main thread), at most one of finished or failed. Destroying the publisher,
// or cancel(), cancels the load and nothing more is emitted.
class ImagePublisher : public QObject {
    Q_OBJECT
public:
    // The pipeline must outlive the publisher's load.
    ImagePublisher(ImagePipeline& pipeline, ImageRequest request, QObject* parent = nullptr);
    ~ImagePublisher() override;

    void start();
    void cancel();

signals:
    void progressed(qint64 completed, qint64 total);
    void previewReceived(const parley::ImageResponse& preview);
    void finished(const parley::ImageResponse& response);
    void failed(const QString& description);

private:
    ImagePipeline& pipeline_;
    ImageRequest request_;
    std::shared_ptr<ImageTask> task_;
};

} // namespace parley
