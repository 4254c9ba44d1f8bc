#include "images/processing/ImageProcessors.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <vector>

namespace parley::ImageProcessors {

namespace {

QString flag(bool value)
{
    return value ? QStringLiteral("1") : QStringLiteral("0");
}

QString borderIdentifier(const std::optional<Border>& border)
{
    return border ? QStringLiteral(",border=") + border->identifier() : QString();
}

QImage transparentCanvas(QSize size)
{
    QImage canvas(size, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    return canvas;
}

// Draws `image` clipped to `shape`, with the border stroked inside the edge.
QImage clipped(const QImage& image, const QPainterPath& shape, const std::optional<Border>& border)
{
    QImage canvas = transparentCanvas(image.size());
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(shape);
    painter.drawImage(0, 0, image);
    if (border && border->width > 0) {
        painter.setPen(QPen(border->color, border->width * 2));
        painter.setClipPath(shape);
        painter.drawPath(shape);
    }
    return canvas;
}

std::vector<float> gaussianKernel(int radius)
{
    const int half = std::max(1, int(std::ceil(radius * 3.0)));
    std::vector<float> kernel(2 * half + 1);
    float sum = 0;
    for (int i = -half; i <= half; ++i)
        sum += kernel[i + half] = std::exp(-float(i * i) / (2.0f * radius * radius));
    for (float& weight : kernel)
        weight /= sum;
    return kernel;
}

// One pass of the separable blur along rows (or columns, when `vertical`),
// clamping at the edges. Premultiplied pixels keep transparent edges clean.
QImage blurPass(const QImage& source, const std::vector<float>& kernel, bool vertical)
{
    QImage target(source.size(), QImage::Format_ARGB32_Premultiplied);
    const int half = int(kernel.size() / 2);
    const int width = source.width(), height = source.height();
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = 0; x < width; ++x) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int k = -half; k <= half; ++k) {
                const int sx = vertical ? x : std::clamp(x + k, 0, width - 1);
                const int sy = vertical ? std::clamp(y + k, 0, height - 1) : y;
                const QRgb pixel = reinterpret_cast<const QRgb*>(source.constScanLine(sy))[sx];
                const float weight = kernel[k + half];
                r += qRed(pixel) * weight;
                g += qGreen(pixel) * weight;
                b += qBlue(pixel) * weight;
                a += qAlpha(pixel) * weight;
            }
            out[x] = qRgba(qRound(r), qRound(g), qRound(b), qRound(a));
        }
    }
    return target;
}

QImage grayscale(const QImage& image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            const int gray = qGray(line[x]);
            line[x] = qRgba(gray, gray, gray, qAlpha(line[x]));
        }
    }
    return result;
}

QImage inverted(const QImage& image)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    result.invertPixels(QImage::InvertRgb);
    return result;
}

} // namespace

QString Border::identifier() const
{
    return QStringLiteral("%1/%2").arg(color.name(QColor::HexArgb)).arg(width);
}

Resize::Resize(QSize size, ContentMode contentMode, bool crop, bool upscale)
    : size_(size), contentMode_(contentMode), crop_(crop), upscale_(upscale)
{ }

QString Resize::identifier() const
{
    return QStringLiteral("parley.images.resize?size=%1x%2,contentMode=%3,crop=%4,upscale=%5")
        .arg(size_.width())
        .arg(size_.height())
        .arg(contentMode_ == ContentMode::aspectFill ? QStringLiteral("aspectFill") : QStringLiteral("aspectFit"))
        .arg(flag(crop_), flag(upscale_));
}

std::optional<QImage> Resize::process(const QImage& image, const ImageProcessingContext&) const
{
    if (image.isNull() || size_.isEmpty())
        return std::nullopt;
    const double scaleX = double(size_.width()) / image.width();
    const double scaleY = double(size_.height()) / image.height();
    double scale = contentMode_ == ContentMode::aspectFill ? std::max(scaleX, scaleY) : std::min(scaleX, scaleY);
    if (!upscale_)
        scale = std::min(scale, 1.0);
    const QSize scaled(
        std::max(1, int(std::lround(image.width() * scale))), std::max(1, int(std::lround(image.height() * scale))));
    QImage result = scaled == image.size() ? image
                                           : image.scaled(scaled, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (crop_ && contentMode_ == ContentMode::aspectFill) {
        const QSize kept = scaled.boundedTo(size_);
        result = result.copy(
            QRect(QPoint((scaled.width() - kept.width()) / 2, (scaled.height() - kept.height()) / 2), kept));
    }
    return result;
}

QString Circle::identifier() const
{
    return QStringLiteral("parley.images.circle") + borderIdentifier(border_);
}

std::optional<QImage> Circle::process(const QImage& image, const ImageProcessingContext&) const
{
    if (image.isNull())
        return std::nullopt;
    const int side = std::min(image.width(), image.height());
    const QImage square = image.copy((image.width() - side) / 2, (image.height() - side) / 2, side, side);
    QPainterPath shape;
    shape.addEllipse(QRectF(0, 0, side, side));
    return clipped(square, shape, border_);
}

QString RoundedCorners::identifier() const
{
    return QStringLiteral("parley.images.roundedCorners?radius=%1").arg(radius_) + borderIdentifier(border_);
}

std::optional<QImage> RoundedCorners::process(const QImage& image, const ImageProcessingContext&) const
{
    if (image.isNull())
        return std::nullopt;
    QPainterPath shape;
    shape.addRoundedRect(QRectF(image.rect()), radius_, radius_);
    return clipped(image, shape, border_);
}

QString GaussianBlur::identifier() const
{
    return QStringLiteral("parley.images.gaussianBlur?radius=%1").arg(radius_);
}

std::optional<QImage> GaussianBlur::process(const QImage& image, const ImageProcessingContext&) const
{
    if (image.isNull() || radius_ < 0)
        return std::nullopt;
    if (radius_ == 0)
        return image;
    const auto kernel = gaussianKernel(radius_);
    const QImage source = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return blurPass(blurPass(source, kernel, false), kernel, true);
}

CoreImageFilter::CoreImageFilter(QString name, QVariantMap parameters)
    : name_(std::move(name)), parameters_(std::move(parameters))
{ }

QStringList CoreImageFilter::availableFilters()
{
    return { QStringLiteral("grayscale"), QStringLiteral("invert"), QStringLiteral("mirror"), QStringLiteral("flip") };
}

QString CoreImageFilter::identifier() const
{
    QStringList parameters;
    for (auto it = parameters_.cbegin(); it != parameters_.cend(); ++it)
        parameters.append(it.key() + QLatin1Char('=') + it.value().toString());
    return QStringLiteral("parley.images.filter?name=") + name_ +
        (parameters.isEmpty() ? QString() : QLatin1Char(',') + parameters.join(QLatin1Char(',')));
}

std::optional<QImage> CoreImageFilter::process(const QImage& image, const ImageProcessingContext&) const
{
    if (image.isNull())
        return std::nullopt;
    if (name_ == QLatin1String("grayscale"))
        return grayscale(image);
    if (name_ == QLatin1String("invert"))
        return inverted(image);
    if (name_ == QLatin1String("mirror"))
        return image.mirrored(true, false);
    if (name_ == QLatin1String("flip"))
        return image.mirrored(false, true);
    return std::nullopt;
}

QString Composition::identifier() const
{
    QStringList identifiers;
    for (const ImageProcessor& processor : processors_)
        identifiers.append(processor->identifier());
    return QStringLiteral("parley.images.composition(") + identifiers.join(QLatin1Char('|')) + QLatin1Char(')');
}

std::optional<QImage> Composition::process(const QImage& image, const ImageProcessingContext& context) const
{
    std::optional<QImage> result = image;
    for (const ImageProcessor& processor : processors_) {
        result = processor->process(*result, context);
        if (!result)
            return std::nullopt;
    }
    return result;
}

} // namespace parley::ImageProcessors
