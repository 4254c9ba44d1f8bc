#include "app/session/EmoteAnimation.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>

namespace parley {

std::optional<EmoteAnimation> EmoteAnimation::decode(const QByteArray& data, qint64 maxBytes)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.supportsAnimation())
        return std::nullopt;
    // Network bytes may claim any size or frame count: the budget is checked
    // before each frame is decoded.
    const QSize size = reader.size();
    const int count = reader.imageCount();
    const qint64 frameBytes = size.isValid() ? qint64(size.width()) * size.height() * 4 : maxBytes + 1;
    EmoteAnimation animation;
    while (animation.byteCount_ + frameBytes <= maxBytes) {
        QImage frame;
        if (!reader.read(&frame))
            break;
        const Duration delay { reader.nextImageDelay() };
        EmoteImage image = EmoteImage::fromDecoded(std::move(frame));
        if (image.isNull())
            return std::nullopt;
        animation.duration_ += delay < shortestDelay ? shortDelayReplacement : delay;
        animation.ends_.append(animation.duration_);
        animation.frames_.append(std::move(image));
        animation.byteCount_ += frameBytes;
    }
    // A file cut short by the budget would loop a fragment: show it still.
    if (animation.frames_.size() < 2 || animation.frames_.size() < count)
        return std::nullopt;
    return animation;
}

qsizetype EmoteAnimation::frameAt(Duration elapsed) const
{
    if (frames_.isEmpty())
        return 0;
    const Duration position = elapsed % duration_;
    return std::upper_bound(ends_.cbegin(), ends_.cend(), position) - ends_.cbegin();
}

EmoteAnimation::Duration EmoteAnimation::untilNextFrame(Duration elapsed) const
{
    if (frames_.isEmpty())
        return Duration::max();
    const Duration position = elapsed % duration_;
    return ends_.at(frameAt(elapsed)) - position;
}

} // namespace parley
