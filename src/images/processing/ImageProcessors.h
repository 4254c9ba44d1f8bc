#pragma once

#include "images/processing/ImageProcessing.h"

#include <QColor>
#include <QList>
#include <QSize>
#include <QVariantMap>

#include <functional>

namespace parley::ImageProcessors {

// The outline some processors draw around their shape.
struct Border {
    QColor color = Qt::black;
    qreal width = 1; // pixels

    QString identifier() const;
};

// Scales to `size` (pixels). aspectFit fits the image inside, aspectFill
// covers it; `crop` then cuts the overflow of aspectFill away, centred.
// Without `upscale` a smaller image keeps its size.
class Resize : public ImageProcessing {
public:
    enum class ContentMode { aspectFill, aspectFit };

    explicit Resize(
        QSize size, ContentMode contentMode = ContentMode::aspectFill, bool crop = false, bool upscale = false);

    QString identifier() const override;
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override;

private:
    QSize size_;
    ContentMode contentMode_;
    bool crop_;
    bool upscale_;
};

// Cuts the largest centred square into a circle.
class Circle : public ImageProcessing {
public:
    explicit Circle(std::optional<Border> border = std::nullopt) : border_(border) { }

    QString identifier() const override;
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override;

private:
    std::optional<Border> border_;
};

// Rounds the corners with `radius` pixels.
class RoundedCorners : public ImageProcessing {
public:
    explicit RoundedCorners(qreal radius, std::optional<Border> border = std::nullopt)
        : radius_(radius), border_(border)
    { }

    QString identifier() const override;
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override;

private:
    qreal radius_;
    std::optional<Border> border_;
};

// Blurs with a Gaussian of `radius` pixels (the standard deviation).
class GaussianBlur : public ImageProcessing {
public:
    explicit GaussianBlur(int radius = 8) : radius_(radius) { }

    QString identifier() const override;
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override;

private:
    int radius_;
};

// One of a small set of named whole-image filters: "grayscale", "invert",
// "mirror" (left to right) and "flip" (top to bottom). Any other name fails
// the load with processingFailed.
class CoreImageFilter : public ImageProcessing {
public:
    explicit CoreImageFilter(QString name, QVariantMap parameters = {});

    static QStringList availableFilters();

    QString identifier() const override;
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override;

private:
    QString name_;
    QVariantMap parameters_;
};

// Applies several processors in order, as one.
class Composition : public ImageProcessing {
public:
    explicit Composition(QList<ImageProcessor> processors) : processors_(std::move(processors)) { }

    QString identifier() const override;
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext& context) const override;

private:
    QList<ImageProcessor> processors_;
};

// A processor made from a closure; `identifier` must change whenever what the
// closure does changes.
class Anonymous : public ImageProcessing {
public:
    using Closure = std::function<std::optional<QImage>(const QImage&)>;

    Anonymous(QString identifier, Closure closure)
        : identifier_(std::move(identifier)), closure_(std::move(closure)) { }

    QString identifier() const override { return identifier_; }
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override
    {
        return closure_(image);
    }

private:
    QString identifier_;
    Closure closure_;
};

} // namespace parley::ImageProcessors
