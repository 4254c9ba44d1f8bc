#include "twitch/chat/internal/UUIDText.h"

namespace parley::uuidtext {

namespace {

constexpr std::array<qsizetype, 4> dashes { 8, 13, 18, 23 };
// Where each byte's two digits start in the text.
constexpr std::array<qsizetype, 16> digitPairs { 0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34 };
constexpr char digits[] = "0123456789abcdef";

// The value of each lower-case hexadecimal digit, and a negative number for
// every other code unit. A table, not comparisons: the digits of random ids
// would make the branches mispredict on every character.
constexpr std::array<int, 128> digitValues = [] {
    std::array<int, 128> values {};
    values.fill(-0x100);
    for (int digit = 0; digit < 16; ++digit)
        values[std::size_t(digits[digit])] = digit;
    return values;
}();

int digitValue(char16_t unit)
{
    return unit < digitValues.size() ? digitValues[unit] : -0x100;
}

} // namespace

// Runs on every received message: one pass, with one validity check at the end.
std::optional<Bytes> bytesOf(QStringView text)
{
    if (text.size() != 36)
        return std::nullopt;
    const char16_t* const units = text.utf16();
    for (const qsizetype dash : dashes)
        if (units[dash] != u'-')
            return std::nullopt;
    Bytes bytes {};
    int invalid = 0;
    for (std::size_t index = 0; index < bytes.size(); ++index) {
        const int high = digitValue(units[digitPairs[index]]);
        const int low = digitValue(units[digitPairs[index] + 1]);
        invalid |= high | low;
        bytes[index] = char(high << 4 | low);
    }
    if (invalid < 0)
        return std::nullopt;
    return bytes;
}

QString textOf(QByteArrayView bytes)
{
    QString text(36, u'-');
    for (qsizetype index = 0; index < bytes.size() && index < qsizetype(digitPairs.size()); ++index) {
        const auto byte = std::uint8_t(bytes[index]);
        text[digitPairs[index]] = QLatin1Char(digits[byte >> 4]);
        text[digitPairs[index] + 1] = QLatin1Char(digits[byte & 0xf]);
    }
    return text;
}

} // namespace parley::uuidtext
