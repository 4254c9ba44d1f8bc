#include "app/theme/Theme.h"

#include <QFontDatabase>

namespace parley {

namespace {

QFont systemFont(double size, bool isBold)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(size);
    font.setWeight(isBold ? QFont::Bold : QFont::Normal);
    return font;
}

} // namespace

const Theme& defaultTheme()
{
    static const Theme theme {
        .userFont = systemFont(13.0, true),
        .messageFont = systemFont(13.0, false),
        .spacing = ThemeSpacing::minimum(),
        .backgroundColor = std::nullopt,
        .windowOpacity = 1.0,
        .showMessageTimestamp = true,
    };
    return theme;
}

QFont resolveFont(const ThemeOptions::Font& font, const QFont& fallback)
{
    if (!(font.size > 0))
        return fallback;
    if (!font.family)
        return systemFont(font.size, font.isBold);
    if (!QFontDatabase::hasFamily(*font.family))
        return fallback;
    QFont named(*font.family);
    named.setPointSizeF(font.size);
    return named;
}

Theme makeTheme(const ThemeOptions& options)
{
    const Theme& defaults = defaultTheme();
    return {
        .userFont = resolveFont(options.userFont, defaults.userFont),
        .messageFont = resolveFont(options.messageFont, defaults.messageFont),
        .spacing = options.spacing,
        .backgroundColor = std::nullopt,
        .windowOpacity = options.windowOpacity,
        .showMessageTimestamp = options.showMessageTimestamp,
        .loadRecentMessages = options.loadRecentMessages,
        .showBadges = options.showBadges,
        .highlightMentions = options.highlightMentions,
        .highlightFirstMessages = options.highlightFirstMessages,
        .animateEmotes = options.animateEmotes,
        .showSevenTVEmotes = options.showSevenTVEmotes,
        .showBetterTTVEmotes = options.showBetterTTVEmotes,
        .showFrankerFaceZEmotes = options.showFrankerFaceZEmotes,
        .notifyMentions = options.notifyMentions,
        .overlayOpacity = options.overlayOpacity,
    };
}

} // namespace parley
