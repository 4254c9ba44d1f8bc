#include "app/theme/ThemeOptions.h"

#include "platform/DecodingError.h"
#include "platform/JsonReader.h"

#include <QJsonDocument>
#include <QSettings>

#include <algorithm>
#include <cmath>

namespace parley {

namespace {

ThemeOptions::Font readFont(const JsonReader& font)
{
    ThemeOptions::Font result;
    if (const std::optional<JsonReader> family = font.optional(QLatin1String("family")))
        result.family = family->toString();
    result.size = font[QLatin1String("size")].toDouble();
    result.isBold = font[QLatin1String("isBold")].toBool();
    return result;
}

ThemeOptions::Color readColor(const JsonReader& color)
{
    return {
        color[QLatin1String("red")].toDouble(),
        color[QLatin1String("green")].toDouble(),
        color[QLatin1String("blue")].toDouble(),
        color[QLatin1String("alpha")].toDouble(),
    };
}

QJsonObject fontJson(const ThemeOptions::Font& font)
{
    QJsonObject json { { QStringLiteral("size"), font.size }, { QStringLiteral("isBold"), font.isBold } };
    if (font.family)
        json.insert(QStringLiteral("family"), *font.family);
    return json;
}

bool isFinite(const ThemeOptions::Font& font)
{
    return std::isfinite(font.size);
}

bool isFinite(const ThemeOptions::Color& color)
{
    return std::isfinite(color.red) && std::isfinite(color.green) && std::isfinite(color.blue) &&
        std::isfinite(color.alpha);
}

} // namespace

QJsonObject ThemeOptions::toJson() const
{
    QJsonObject json {
        { QStringLiteral("userFont"), fontJson(userFont) },
        { QStringLiteral("messageFont"), fontJson(messageFont) },
        { QStringLiteral("spacing"), spacing.toJson() },
        { QStringLiteral("windowOpacity"), windowOpacity },
        { QStringLiteral("showMessageTimestamp"), showMessageTimestamp },
        { QStringLiteral("loadRecentMessages"), loadRecentMessages },
        { QStringLiteral("showBadges"), showBadges },
        { QStringLiteral("highlightMentions"), highlightMentions },
        { QStringLiteral("highlightFirstMessages"), highlightFirstMessages },
        { QStringLiteral("animateEmotes"), animateEmotes },
        { QStringLiteral("showSevenTVEmotes"), showSevenTVEmotes },
        { QStringLiteral("showBetterTTVEmotes"), showBetterTTVEmotes },
        { QStringLiteral("showFrankerFaceZEmotes"), showFrankerFaceZEmotes },
        { QStringLiteral("notifyMentions"), notifyMentions },
        { QStringLiteral("overlayOpacity"), overlayOpacity },
    };
    if (backgroundColor)
        json.insert(QStringLiteral("backgroundColor"),
            QJsonObject {
                { QStringLiteral("red"), backgroundColor->red },
                { QStringLiteral("green"), backgroundColor->green },
                { QStringLiteral("blue"), backgroundColor->blue },
                { QStringLiteral("alpha"), backgroundColor->alpha },
            });
    return json;
}

std::optional<QByteArray> ThemeOptions::encoded() const
{
    const bool finite = isFinite(userFont) && isFinite(messageFont) && std::isfinite(spacing.points()) &&
        (!backgroundColor || isFinite(*backgroundColor)) && std::isfinite(windowOpacity) &&
        std::isfinite(overlayOpacity);
    if (!finite)
        return std::nullopt;
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

ThemeOptions ThemeOptions::decode(const QByteArray& json)
{
    return fromJson(JsonReader::parse(json));
}

ThemeOptions ThemeOptions::fromJson(const JsonReader& options)
{
    ThemeOptions result;
    result.userFont = readFont(options[QLatin1String("userFont")]);
    result.messageFont = readFont(options[QLatin1String("messageFont")]);
    result.spacing = ThemeSpacing::fromJson(options[QLatin1String("spacing")]);
    if (const std::optional<JsonReader> color = options.optional(QLatin1String("backgroundColor")))
        result.backgroundColor = readColor(*color);
    result.windowOpacity = options[QLatin1String("windowOpacity")].toDouble();
    result.showMessageTimestamp = options[QLatin1String("showMessageTimestamp")].toBool();
    if (const std::optional<JsonReader> recent = options.optional(QLatin1String("loadRecentMessages")))
        result.loadRecentMessages = recent->toBool();
    const auto switchOn = [&options](QLatin1String key) {
        const std::optional<JsonReader> value = options.optional(key);
        return !value || value->toBool();
    };
    result.showBadges = switchOn(QLatin1String("showBadges"));
    result.highlightMentions = switchOn(QLatin1String("highlightMentions"));
    result.highlightFirstMessages = switchOn(QLatin1String("highlightFirstMessages"));
    result.animateEmotes = switchOn(QLatin1String("animateEmotes"));
    result.showSevenTVEmotes = switchOn(QLatin1String("showSevenTVEmotes"));
    result.showBetterTTVEmotes = switchOn(QLatin1String("showBetterTTVEmotes"));
    result.showFrankerFaceZEmotes = switchOn(QLatin1String("showFrankerFaceZEmotes"));
    result.notifyMentions = switchOn(QLatin1String("notifyMentions"));
    if (const std::optional<JsonReader> opacity = options.optional(QLatin1String("overlayOpacity")))
        result.overlayOpacity = std::clamp(opacity->toDouble(), 0.0, 1.0);
    return result;
}

const ThemeOptions& defaultThemeOptions()
{
    static const ThemeOptions options {
        .userFont = { .family = std::nullopt, .size = 13.0, .isBold = true },
        .messageFont = { .family = std::nullopt, .size = 13.0, .isBold = false },
        .spacing = ThemeSpacing::minimum(),
        .backgroundColor = std::nullopt,
        .windowOpacity = 1.0,
        .showMessageTimestamp = true,
    };
    return options;
}

ThemeOptions loadThemeOptions(QSettings& settings)
{
    const QVariant stored = settings.value(themeSettingsKey);
    if (!stored.isValid())
        return defaultThemeOptions();
    try {
        return ThemeOptions::decode(stored.toByteArray());
    } catch (const DecodingError&) {
        settings.remove(themeSettingsKey);
        return defaultThemeOptions();
    }
}

void storeThemeOptions(QSettings& settings, const ThemeOptions& options)
{
    if (const std::optional<QByteArray> json = options.encoded())
        settings.setValue(themeSettingsKey, *json);
}

} // namespace parley
