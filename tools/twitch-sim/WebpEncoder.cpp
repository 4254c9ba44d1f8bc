#include "twitch-sim/WebpEncoder.h"

#include <QBuffer>
#include <QImageWriter>

namespace parley::sim {
namespace {

void appendLittleEndian(QByteArray& out, quint32 value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((value >> (8 * i)) & 0xff);
}

QByteArray chunk(const char (&fourCC)[5], const QByteArray& payload)
{
    QByteArray out(fourCC, 4);
    appendLittleEndian(out, quint32(payload.size()), 4);
    out += payload;
    if (payload.size() % 2 != 0)
        out += '\0';
    return out;
}

QByteArray riff(const QByteArray& chunks)
{
    QByteArray out("RIFF");
    appendLittleEndian(out, quint32(4 + chunks.size()), 4);
    return out + "WEBP" + chunks;
}

// The image chunks of a single-image file (VP8L, or ALPH and VP8), without
// the RIFF header and any VP8X: what an ANMF chunk holds after its header.
QByteArray imageChunks(const QByteArray& file)
{
    QByteArray chunks;
    for (qsizetype at = 12; at + 8 <= file.size();) {
        const QByteArray fourCC = file.mid(at, 4);
        const auto* size = reinterpret_cast<const uchar*>(file.constData() + at + 4);
        const qsizetype length = size[0] | size[1] << 8 | size[2] << 16 | qsizetype(size[3]) << 24;
        const qsizetype padded = length + (length % 2);
        if (fourCC != "VP8X")
            chunks += file.mid(at, 8 + padded);
        at += 8 + padded;
    }
    return chunks;
}

} // namespace

QByteArray WebpEncoder::still(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "webp");
    writer.setQuality(100); // lossless, alpha included
    writer.write(image.convertToFormat(QImage::Format_ARGB32));
    return bytes;
}

QByteArray WebpEncoder::animated(const QList<QImage>& frames, int delayMs)
{
    if (frames.isEmpty())
        return {};
    const int width = frames.first().width();
    const int height = frames.first().height();
    QByteArray header;
    header += char(0x12); // animation and alpha
    appendLittleEndian(header, 0, 3);
    appendLittleEndian(header, quint32(width - 1), 3);
    appendLittleEndian(header, quint32(height - 1), 3);
    QByteArray animation;
    appendLittleEndian(animation, 0, 4); // background: transparent
    appendLittleEndian(animation, 0, 2); // loop for ever
    QByteArray chunks = chunk("VP8X", header) + chunk("ANIM", animation);
    for (const QImage& frame : frames) {
        QByteArray anmf;
        appendLittleEndian(anmf, 0, 3); // x / 2
        appendLittleEndian(anmf, 0, 3); // y / 2
        appendLittleEndian(anmf, quint32(width - 1), 3);
        appendLittleEndian(anmf, quint32(height - 1), 3);
        appendLittleEndian(anmf, quint32(delayMs), 3);
        anmf += char(0x02); // no blending: each frame replaces the last
        chunks += chunk("ANMF", anmf + imageChunks(still(frame)));
    }
    return riff(chunks);
}

} // namespace parley::sim
