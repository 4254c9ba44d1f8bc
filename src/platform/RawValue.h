#pragma once

#include <QStringView>

#include <optional>

namespace parley {

// Enumerations whose cases have a fixed wire text specialise RawValues with a
// `table` of {case, text} pairs (text as a u"" literal); rawValue and
// fromRawValue convert both ways. A specialisation may add a static
// `find(QStringView)` when a lookup is hot enough to need more than a scan of
// the table (the parser's tag keys).
template <typename Enum>
struct RawValues;

// The wire text of `value`: a view of static storage, valid for the whole run.
template <typename Enum>
QStringView rawValue(Enum value)
{
    for (const auto& [candidate, text] : RawValues<Enum>::table)
        if (candidate == value)
            return text;
    return {};
}

// The case whose wire text is exactly `text` (case-sensitive), if any.
template <typename Enum>
std::optional<Enum> fromRawValue(QStringView text)
{
    if constexpr (requires { RawValues<Enum>::find(text); }) {
        return RawValues<Enum>::find(text);
    } else {
        for (const auto& [candidate, raw] : RawValues<Enum>::table)
            if (text == raw)
                return candidate;
        return std::nullopt;
    }
}

} // namespace parley
