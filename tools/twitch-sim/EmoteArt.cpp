#include "twitch-sim/EmoteArt.h"

#include "twitch-sim/GifEncoder.h"

#include <QBuffer>
#include <QColor>
#include <QCryptographicHash>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QRgb>

#include <cmath>
#include <numbers>

namespace parley::sim {
namespace {

enum Ink : char { transparent = 0, fill = 1, ring = 2, dot = 3 };

// A number in [0, 360) derived from the emote id, stable across runs.
int degrees(const QString& emoteID, int salt)
{
    const QByteArray hash = QCryptographicHash::hash(emoteID.toUtf8(), QCryptographicHash::Sha1);
    return (static_cast<unsigned char>(hash.at(salt)) << 8 | static_cast<unsigned char>(hash.at(salt + 1))) % 360;
}

QList<QRgb> palette(const QString& emoteID, bool dark)
{
    const int hue = degrees(emoteID, 0);
    return { qRgba(0, 0, 0, 0), QColor::fromHsv(hue, 200, 230).rgb(), dark ? qRgb(240, 240, 240) : qRgb(30, 30, 30),
        QColor::fromHsv((hue + 180) % 360, 255, 255).rgb() };
}

// One frame as palette indices: the disc, its ring and the dot at an angle
// that depends on the id and the frame.
QByteArray frame(const QString& emoteID, int size, int index)
{
    const double turn = degrees(emoteID, 2) * std::numbers::pi / 180 +
        index * 2 * std::numbers::pi / EmoteArt::animationFrames;
    const double centre = (size - 1) / 2.0;
    const double radius = size / 2.0 - 0.5;
    const double dotX = centre + std::cos(turn) * radius * 0.55;
    const double dotY = centre + std::sin(turn) * radius * 0.55;
    QByteArray pixels(qsizetype(size) * size, transparent);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const double distance = std::hypot(x - centre, y - centre);
            Ink ink = transparent;
            if (std::hypot(x - dotX, y - dotY) <= radius * 0.22)
                ink = dot;
            else if (distance <= radius * 0.85)
                ink = fill;
            else if (distance <= radius)
                ink = ring;
            pixels[qsizetype(y) * size + x] = ink;
        }
    }
    return pixels;
}

} // namespace

int EmoteArt::pixelSize(const QString& scale)
{
    if (scale == QLatin1String("1.0"))
        return 28;
    if (scale == QLatin1String("2.0"))
        return 56;
    if (scale == QLatin1String("3.0"))
        return 112;
    return 0;
}

QImage EmoteArt::frameImage(const QString& emoteID, bool dark, int size, int index)
{
    const QByteArray pixels = frame(emoteID, size, index);
    QImage image(size, size, QImage::Format_Indexed8);
    image.setColorTable(palette(emoteID, dark));
    for (int y = 0; y < size; ++y)
        std::copy_n(pixels.constData() + qsizetype(y) * size, size, image.scanLine(y));
    return image;
}

QByteArray EmoteArt::widePng(const QString& emoteID, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgb(palette(emoteID, false).at(fill)));
    painter.drawRoundedRect(QRectF(0, 0, width, height), height / 2.0, height / 2.0);
    painter.setBrush(QColor::fromRgb(palette(emoteID, false).at(dot)));
    for (int i = 1; i <= 3; ++i)
        painter.drawEllipse(QPointF(width * i / 4.0, height / 2.0), height / 5.0, height / 5.0);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray EmoteArt::png(const QString& emoteID, bool dark, int size)
{
    const QImage image = frameImage(emoteID, dark, size, 0);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray EmoteArt::gif(const QString& emoteID, bool dark, int size)
{
    GifEncoder encoder(size, size, palette(emoteID, dark));
    for (int i = 0; i < animationFrames; ++i)
        encoder.addFrame(frame(emoteID, size, i), 10);
    return encoder.finish();
}

} // namespace parley::sim
