#include "twitch/chat/TwitchColor.h"

#include "twitch/WireText.h"

namespace parley {

namespace {

std::optional<double> readChannel(QStringView digits)
{
    const auto value = wire::readHex(digits);
    if (!value || *value < 0 || *value > 255)
        return std::nullopt;
    return double(*value) / 255.0;
}

int channelByte(double channel)
{
    const double scaled = channel * 255;
    if (!(scaled > 0))
        return 0;
    return scaled >= 255 ? 255 : int(scaled);
}

} // namespace

std::optional<TwitchColor> TwitchColor::fromString(QStringView text)
{
    if (text.isEmpty())
        return std::nullopt;
    // Seven characters: one code point of any kind, then six hexadecimal ones.
    const QStringView digits = text.sliced(wire::afterCodePoint(text, 0));
    if (digits.size() != 6)
        return std::nullopt;
    const auto red = readChannel(digits.sliced(0, 2));
    const auto green = readChannel(digits.sliced(2, 2));
    const auto blue = readChannel(digits.sliced(4, 2));
    if (!red || !green || !blue)
        return std::nullopt;
    return TwitchColor { *red, *green, *blue };
}

QString TwitchColor::rawValue() const
{
    return QString::asprintf("#%02X%02X%02X", channelByte(red), channelByte(green), channelByte(blue));
}

size_t qHash(const TwitchColor& color, size_t seed) noexcept
{
    return qHashMulti(seed, color.red, color.green, color.blue);
}

} // namespace parley
