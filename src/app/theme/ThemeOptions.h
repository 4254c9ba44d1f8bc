#pragma once

#include "app/theme/ThemeSpacing.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

class QSettings;

namespace parley {

class JsonReader;

// The appearance the user edits and Parley stores between launches, as JSON
// under the per-user setting "theme".
struct ThemeOptions {
    struct Font {
        // A font name; absent means the system font.
        std::optional<QString> family;
        double size = 13.0;
        bool isBold = false;

        friend bool operator==(const Font&, const Font&) = default;
    };

    struct Color {
        double red = 0;
        double green = 0;
        double blue = 0;
        double alpha = 1;

        friend bool operator==(const Color&, const Color&) = default;
    };

    Font userFont;
    Font messageFont;
    ThemeSpacing spacing;
    // Stored and carried along, never resolved into a theme.
    std::optional<Color> backgroundColor;
    // Carried into the theme; no view applies it.
    double windowOpacity = 1.0;
    bool showMessageTimestamp = true;
    // The chat's recent history loads on joining. It comes from a third party
    // that then sees the channel's name, so it stays off until turned on
    // (options stored before it existed read as off).
    bool loadRecentMessages = false;
    // The senders' badges beside their names (the broadcaster's mark stays).
    bool showBadges = true;
    // Mentions of the broadcaster and replies to them, and viewers' first
    // messages, stand out.
    bool highlightMentions = true;
    bool highlightFirstMessages = true;
    // Animated emotes move; each community service's emotes show. Options
    // stored before these existed read as on.
    bool animateEmotes = true;
    bool showSevenTVEmotes = true;
    bool showBetterTTVEmotes = true;
    bool showFrankerFaceZEmotes = true;
    // Mentions and replies notify on the desktop while Parley is in the
    // background; options stored before this existed read as on.
    bool notifyMentions = true;
    // The chat window's background in overlay mode, from 0 (clear) to 1;
    // apart from windowOpacity, which stores 1 in every document written so
    // far and would fade the text as well.
    double overlayOpacity = 0.6;

    // The stored form; no value when a number has no JSON form (NaN, infinity).
    std::optional<QByteArray> encoded() const;
    QJsonObject toJson() const;
    // Throws DecodingError for malformed JSON, a missing required key, a
    // wrong type or a bad spacing object.
    static ThemeOptions decode(const QByteArray& json);
    static ThemeOptions fromJson(const JsonReader& json);

    friend bool operator==(const ThemeOptions&, const ThemeOptions&) = default;
};

const ThemeOptions& defaultThemeOptions();

inline const QString themeSettingsKey = QStringLiteral("theme");

// The stored options, or the defaults when there are none. Stored options
// that do not decode are removed from `settings`.
ThemeOptions loadThemeOptions(QSettings& settings);
// Replaces the stored options; stores nothing when they cannot be encoded.
void storeThemeOptions(QSettings& settings, const ThemeOptions& options);

} // namespace parley
