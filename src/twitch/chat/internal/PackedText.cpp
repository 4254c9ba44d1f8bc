#include "twitch/chat/internal/PackedText.h"

#include <QStringEncoder>

#include <cstring>

namespace parley::packedtext {

namespace {

int lengthWidth(qsizetype length)
{
    int width = 1;
    for (; length >= 0x80; length >>= 7)
        ++width;
    return width;
}

// Writes `length` in exactly `width` bytes; LEB128 allows the padding.
char* writeLength(char* out, qsizetype length, int width)
{
    for (int i = 0; i + 1 < width; ++i, length >>= 7)
        *out++ = char((length & 0x7f) | 0x80);
    *out++ = char(length & 0x7f);
    return out;
}

// The length at `from` and the position after it; nothing when cut short.
std::optional<std::pair<qsizetype, qsizetype>> readLength(QByteArrayView bytes, qsizetype from)
{
    qsizetype length = 0;
    for (int shift = 0; from < bytes.size() && shift < 35; shift += 7) {
        const auto byte = std::uint8_t(bytes[from++]);
        length |= qsizetype(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return std::pair { length, from };
    }
    return std::nullopt;
}

} // namespace

QByteArray pack(QByteArrayView head, std::initializer_list<QStringView> texts)
{
    // UTF-8 needs at most three bytes per UTF-16 unit; the length's width is
    // fixed by that bound before the text is encoded behind it.
    qsizetype capacity = head.size();
    for (QStringView text : texts)
        capacity += lengthWidth(3 * text.size()) + 3 * text.size();
    // Encoded into a buffer kept between calls, then copied once at its
    // exact size: a stored message gets one allocation and no slack.
    constexpr qsizetype largestKept = 64 * 1024;
    thread_local QByteArray kept;
    QByteArray oversized;
    QByteArray& scratch = capacity <= largestKept ? kept : oversized;
    if (scratch.size() < capacity)
        scratch.resize(capacity);
    char* out = scratch.data();
    std::memcpy(out, head.data(), head.size());
    out += head.size();
    QStringEncoder encoder(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    for (QStringView text : texts) {
        const int width = lengthWidth(3 * text.size());
        char* const end = encoder.appendToBuffer(out + width, text);
        writeLength(out, end - (out + width), width);
        out = end;
    }
    return QByteArray(scratch.constData(), out - scratch.constData());
}

QByteArrayView at(QByteArrayView texts, int index)
{
    qsizetype from = 0;
    for (int i = 0;; ++i) {
        const auto length = readLength(texts, from);
        if (!length || length->first > texts.size() - length->second)
            return {};
        if (i == index)
            return texts.sliced(length->second, length->first);
        from = length->second + length->first;
    }
}

} // namespace parley::packedtext
