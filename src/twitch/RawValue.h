#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace parley {

// Enumerations whose cases have a fixed wire text specialise RawValues with a
// `table` of {case, text} pairs; rawValue and fromRawValue convert both ways.
template <typename Enum>
struct RawValues;

template <typename Enum>
QString rawValue(Enum value)
{
    for (const auto& [candidate, text] : RawValues<Enum>::table)
        if (candidate == value)
            return QString::fromLatin1(text);
    return {};
}

template <typename Enum>
std::optional<Enum> fromRawValue(QStringView text)
{
    for (const auto& [candidate, raw] : RawValues<Enum>::table)
        if (text == QLatin1String(raw))
            return candidate;
    return std::nullopt;
}

} // namespace parley
