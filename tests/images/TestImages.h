#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>

// Images made in the tests themselves: Qt writes PNG and JPEG; GIF, which Qt
// reads but cannot write, is assembled by hand.
namespace testimages {

inline QImage gradient(int width, int height, bool alpha = false)
{
    QImage image(width, height, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgba(x * 255 / width, y * 255 / height, (x ^ y) & 0xFF, alpha ? 128 : 255));
    return image;
}

inline QByteArray encode(const QImage& image, const char* format, bool progressive = false)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return data;
}

inline QByteArray png(int width = 28, int height = 28) { return encode(gradient(width, height, true), "png"); }
inline QByteArray jpeg(int width, int height, bool progressive)
{
    return encode(gradient(width, height), "jpeg", progressive);
}

// A 1x1 GIF89a with two frames: white, then black, 100 ms each.
inline QByteArray animatedGif()
{
    return QByteArray::fromHex(
        "474946383961" "01000100" "80" "0000" // header, 1x1, global table of 2 colours
        "ffffff" "000000"
        "21f904000a000000" // frame delay
        "2c000000000100010000" "02024401" "00" // first frame: colour 0
        "21f904000a000000"
        "2c000000000100010000" "02024c01" "00" // second frame: colour 1
        "3b");
}

// The same header with the logical screen and frame claiming 65535 x 65535.
inline QByteArray hugeGif()
{
    return QByteArray::fromHex(
        "474946383961" "ffffffff" "80" "0000" "ffffff" "000000"
        "2c00000000ffffffff00" "02024401" "00" "3b");
}

inline quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xFFFFFFFF;
    for (char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// A valid PNG whose header (with a correct checksum) claims width x height.
inline QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray data = png(4, 4);
    // Signature (8), IHDR length (4), "IHDR" (4), then width and height.
    auto put = [&](int at, quint32 value) {
        for (int i = 0; i < 4; ++i)
            data[at + i] = char(value >> (24 - 8 * i));
    };
    put(16, width);
    put(20, height);
    put(29, crc32(data.mid(12, 17)));
    return data;
}

// A baseline JPEG whose frame header claims width x height.
inline QByteArray jpegClaiming(quint16 width, quint16 height)
{
    QByteArray data = jpeg(8, 8, false);
    const qsizetype sof = data.indexOf(QByteArray::fromHex("ffc0"));
    // Marker (2), length (2), precision (1), then height and width.
    data[sof + 5] = char(height >> 8);
    data[sof + 6] = char(height);
    data[sof + 7] = char(width >> 8);
    data[sof + 8] = char(width);
    return data;
}

} // namespace testimages
