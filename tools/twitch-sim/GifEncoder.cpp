#include "twitch-sim/GifEncoder.h"

namespace parley::sim {
namespace {

void putShort(QByteArray& out, int value)
{
    out.append(char(value & 0xff));
    out.append(char((value >> 8) & 0xff));
}

// Packs variable-width codes least significant bit first into 255-byte
// sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(QByteArray& out) : out_(out) { }

    void put(unsigned code, int width)
    {
        bits_ |= code << count_;
        count_ += width;
        while (count_ >= 8) {
            pushByte(char(bits_ & 0xff));
            bits_ >>= 8;
            count_ -= 8;
        }
    }

    void finish()
    {
        if (count_ > 0)
            pushByte(char(bits_ & 0xff));
        flushBlock();
        out_.append('\0');
    }

private:
    void pushByte(char byte)
    {
        block_.append(byte);
        if (block_.size() == 255)
            flushBlock();
    }

    void flushBlock()
    {
        if (block_.isEmpty())
            return;
        out_.append(char(block_.size()));
        out_.append(block_);
        block_.clear();
    }

    QByteArray& out_;
    QByteArray block_;
    unsigned bits_ = 0;
    int count_ = 0;
};

constexpr int minimumCodeSize = 8;
constexpr unsigned clearCode = 1u << minimumCodeSize;
constexpr unsigned endCode = clearCode + 1;
constexpr int codeWidth = minimumCodeSize + 1;
// Literal codes only, with a clear code before the decoder's table would grow
// past 9-bit codes: valid LZW without a compressor.
constexpr int literalsPerClear = 250;

} // namespace

GifEncoder::GifEncoder(int width, int height, QList<QRgb> palette) : width_(width), height_(height)
{
    palette.resize(256, qRgb(0, 0, 0));
    out_.append("GIF89a");
    putShort(out_, width);
    putShort(out_, height);
    out_.append(char(0xf7)); // global colour table of 256 entries
    out_.append('\0'); // background colour index
    out_.append('\0'); // pixel aspect ratio
    for (QRgb colour : palette) {
        out_.append(char(qRed(colour)));
        out_.append(char(qGreen(colour)));
        out_.append(char(qBlue(colour)));
    }
    out_.append("\x21\xff\x0bNETSCAPE2.0\x03\x01", 16); // loop forever
    putShort(out_, 0);
    out_.append('\0');
}

void GifEncoder::addFrame(const QByteArray& indices, int delayCentiseconds)
{
    out_.append("\x21\xf9\x04", 3);
    out_.append(char(0x09)); // restore to background, transparent index used
    putShort(out_, delayCentiseconds);
    out_.append('\0'); // transparent index
    out_.append('\0');
    out_.append(char(0x2c));
    putShort(out_, 0);
    putShort(out_, 0);
    putShort(out_, width_);
    putShort(out_, height_);
    out_.append('\0'); // no local colour table, not interlaced
    writeImageData(indices);
}

QByteArray GifEncoder::finish()
{
    out_.append(char(0x3b));
    return out_;
}

void GifEncoder::writeImageData(const QByteArray& indices)
{
    out_.append(char(minimumCodeSize));
    CodeWriter codes(out_);
    for (qsizetype i = 0; i < indices.size(); ++i) {
        if (i % literalsPerClear == 0)
            codes.put(clearCode, codeWidth);
        codes.put(static_cast<unsigned char>(indices.at(i)), codeWidth);
    }
    codes.put(endCode, codeWidth);
    codes.finish();
}

} // namespace parley::sim
