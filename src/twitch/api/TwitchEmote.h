#pragma once

#include "platform/RawValue.h"
#include "platform/JsonReader.h"
#include "twitch/api/TwitchEmoteImages.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <array>
#include <optional>
#include <utility>

namespace parley {

// One emote record of a Helix emote catalogue.
struct TwitchEmote {
    // `static_` stands for the wire value "static", a C++ keyword.
    enum class Format { static_, animated };
    enum class Scale { x1, x2, x3 };
    enum class ThemeMode { light, dark };

    QString id;
    QString name;
    TwitchEmoteImages images;
    QList<Format> format;
    QList<Scale> scale;
    QList<ThemeMode> themeModes;
    std::optional<QString> emoteSetID;

    static TwitchEmote fromJson(const JsonReader& json);
    QJsonObject toJson() const;

    friend bool operator==(const TwitchEmote&, const TwitchEmote&) = default;
};

template <>
struct RawValues<TwitchEmote::Format> {
    static constexpr std::array<std::pair<TwitchEmote::Format, QStringView>, 2> table { {
        { TwitchEmote::Format::static_, u"static" },
        { TwitchEmote::Format::animated, u"animated" },
    } };
};

template <>
struct RawValues<TwitchEmote::Scale> {
    static constexpr std::array<std::pair<TwitchEmote::Scale, QStringView>, 3> table { {
        { TwitchEmote::Scale::x1, u"1.0" },
        { TwitchEmote::Scale::x2, u"2.0" },
        { TwitchEmote::Scale::x3, u"3.0" },
    } };
};

template <>
struct RawValues<TwitchEmote::ThemeMode> {
    static constexpr std::array<std::pair<TwitchEmote::ThemeMode, QStringView>, 2> table { {
        { TwitchEmote::ThemeMode::light, u"light" },
        { TwitchEmote::ThemeMode::dark, u"dark" },
    } };
};

} // namespace parley
