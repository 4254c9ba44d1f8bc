#pragma once

#include "app/theme/ThemeOptions.h"
#include "app/theme/ThemeSpacing.h"

#include <QColor>
#include <QFont>
#include <QMetaType>
#include <QVariant>

#include <optional>

namespace parley {

// The resolved appearance the views draw with: real fonts instead of font
// descriptions. Readable from QML as a value (theme.messageFont,
// theme.spacing.points).
struct Theme {
    Q_GADGET
    Q_PROPERTY(QFont userFont MEMBER userFont)
    Q_PROPERTY(QFont messageFont MEMBER messageFont)
    Q_PROPERTY(parley::ThemeSpacing spacing MEMBER spacing)
    Q_PROPERTY(QVariant backgroundColor READ backgroundColorValue)
    Q_PROPERTY(double windowOpacity MEMBER windowOpacity)
    Q_PROPERTY(bool showMessageTimestamp MEMBER showMessageTimestamp)
    Q_PROPERTY(QColor mentionTint MEMBER mentionTint)
    Q_PROPERTY(QColor firstMessageTint MEMBER firstMessageTint)

public:
    using Spacing = ThemeSpacing;

    QFont userFont;
    QFont messageFont;
    Spacing spacing;
    // Absent in every theme Parley builds.
    std::optional<QColor> backgroundColor;
    double windowOpacity = 1.0;
    bool showMessageTimestamp = true;
    bool loadRecentMessages = false;
    bool showBadges = true;
    bool highlightMentions = true;
    bool highlightFirstMessages = true;
    // The backgrounds of rows that stand out; their side marks take the
    // same colours, opaque.
    QColor mentionTint = QColor(255, 153, 0, 51);
    QColor firstMessageTint = QColor(30, 144, 255, 46);
    bool animateEmotes = true;
    bool showSevenTVEmotes = true;
    bool showBetterTTVEmotes = true;
    bool showFrankerFaceZEmotes = true;
    bool notifyMentions = true;
    double overlayOpacity = 0.6;

    // The colour for QML, null when absent.
    QVariant backgroundColorValue() const
    {
        return backgroundColor ? QVariant(*backgroundColor) : QVariant::fromValue(nullptr);
    }

    friend bool operator==(const Theme&, const Theme&) = default;
};

// The system font at 13 points, bold for names and regular for messages,
// minimum spacing, opaque, with timestamps. Needs the GUI application.
const Theme& defaultTheme();

// The named family at `font.size` points when the platform has it, else
// `fallback` unchanged; without a family, the system font at that size, bold
// when asked. A size no font can have (not above zero) also gives `fallback`.
QFont resolveFont(const ThemeOptions::Font& font, const QFont& fallback);

Theme makeTheme(const ThemeOptions& options);

} // namespace parley

Q_DECLARE_METATYPE(parley::Theme)
