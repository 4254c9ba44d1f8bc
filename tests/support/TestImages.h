#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
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

inline QByteArray png(int width = 28, int height = 28)
{
    return encode(gradient(width, height, true), "png");
}

inline QImage filled(QSize size, QColor color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}
inline QByteArray png(QSize size, QColor color)
{
    return encode(filled(size, color), "png");
}
inline QByteArray jpeg(int width, int height, bool progressive)
{
    return encode(gradient(width, height), "jpeg", progressive);
}

// A 1x1 GIF89a with two frames: white, then black, 100 ms each.
inline QByteArray animatedGif()
{
    return QByteArray::fromHex("474946383961"
                               "01000100"
                               "80"
                               "0000" // header, 1x1, global table of 2 colours
                               "ffffff"
                               "000000"
                               "21f904000a000000" // frame delay
                               "2c000000000100010000"
                               "02024401"
                               "00" // first frame: colour 0
                               "21f904000a000000"
                               "2c000000000100010000"
                               "02024c01"
                               "00" // second frame: colour 1
                               "3b");
}

// The same header with the logical screen and frame claiming 65535 x 65535.
inline QByteArray hugeGif()
{
    return QByteArray::fromHex("474946383961"
                               "ffffffff"
                               "80"
                               "0000"
                               "ffffff"
                               "000000"
                               "2c00000000ffffffff00"
                               "02024401"
                               "00"
                               "3b");
}

// Image data as GIF's LZW stream with 8-bit codes: every pixel is written as
// its own code, with a clear code often enough that the code width never
// grows, which any decoder must accept.
inline QByteArray gifImageData(const QByteArray& indices)
{
    constexpr int clear = 256, end = 257, codeWidth = 9;
    QByteArray stream;
    quint32 bits = 0;
    int bitCount = 0;
    auto put = [&](int code) {
        bits |= quint32(code) << bitCount;
        bitCount += codeWidth;
        while (bitCount >= 8) {
            stream.append(char(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    };
    for (qsizetype i = 0; i < indices.size(); ++i) {
        if (i % 200 == 0)
            put(clear);
        put(quint8(indices[i]));
    }
    put(end);
    if (bitCount > 0)
        stream.append(char(bits & 0xFF));
    QByteArray blocks(1, char(8));
    for (qsizetype at = 0; at < stream.size(); at += 255) {
        const QByteArray block = stream.mid(at, 255);
        blocks.append(char(block.size())).append(block);
    }
    return blocks.append(char(0));
}

// An animated emote-like GIF: size x size, 256 colours, `frames` frames.
inline QByteArray emoteGif(int size = 28, int frames = 8)
{
    auto le16 = [](int v) { return QByteArray(1, char(v & 0xFF)).append(char(v >> 8)); };
    QByteArray gif("GIF89a");
    gif.append(le16(size)).append(le16(size)).append(char(0xF7)).append(char(0)).append(char(0));
    for (int c = 0; c < 256; ++c)
        gif.append(char(c)).append(char(255 - c)).append(char((c * 7) & 0xFF));
    gif.append(QByteArray::fromHex("21ff0b4e45545343415045322e300301000000")); // loop forever
    for (int f = 0; f < frames; ++f) {
        gif.append(QByteArray::fromHex("21f904040a000000"));
        gif.append(char(0x2C)).append(le16(0)).append(le16(0)).append(le16(size)).append(le16(size)).append(char(0));
        QByteArray indices;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                indices.append(char((x + y + f * 16) & 0xFF));
        gif.append(gifImageData(indices));
    }
    return gif.append(char(0x3B));
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
