#include "app/theme/ThemeOptions.h"

#include "app/theme/ThemeDecodingError.h"

#include <QJsonDocument>
#include <QSettings>

#include <cmath>

namespace parley {

namespace {

// Reads one document strictly, naming the failing member in its error.
class Reader {
public:
    Reader(QJsonObject object, QString path) : object_(std::move(object)), path_(std::move(path)) { }

    QJsonValue required(const QString& key) const
    {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined())
            fail(key, QStringLiteral("missing"));
        return value;
    }

    // Absent and null both mean no value.
    std::optional<QJsonValue> optional(const QString& key) const
    {
        const QJsonValue value = object_.value(key);
        if (value.isUndefined() || value.isNull())
            return std::nullopt;
        return value;
    }

    double number(const QString& key) const { return number(key, required(key)); }

    double number(const QString& key, const QJsonValue& value) const
    {
        if (!value.isDouble())
            fail(key, QStringLiteral("expected a number"));
        return value.toDouble();
    }

    bool boolean(const QString& key) const
    {
        const QJsonValue value = required(key);
        if (!value.isBool())
            fail(key, QStringLiteral("expected true or false"));
        return value.toBool();
    }

    Reader object(const QString& key) const { return object(key, required(key)); }

    Reader object(const QString& key, const QJsonValue& value) const
    {
        if (!value.isObject())
            fail(key, QStringLiteral("expected an object"));
        return Reader(value.toObject(), member(key));
    }

    [[noreturn]] void fail(const QString& key, const QString& problem) const
    {
        throw ThemeDecodingError(QStringLiteral("%1: %2").arg(member(key), problem));
    }

private:
    QString member(const QString& key) const { return path_.isEmpty() ? key : path_ + u'.' + key; }

    QJsonObject object_;
    QString path_;
};

ThemeOptions::Font readFont(const Reader& font)
{
    ThemeOptions::Font result;
    if (const std::optional<QJsonValue> family = font.optional(QStringLiteral("family"))) {
        if (!family->isString())
            font.fail(QStringLiteral("family"), QStringLiteral("expected a string"));
        result.family = family->toString();
    }
    result.size = font.number(QStringLiteral("size"));
    result.isBold = font.boolean(QStringLiteral("isBold"));
    return result;
}

ThemeOptions::Color readColor(const Reader& color)
{
    return {
        color.number(QStringLiteral("red")),
        color.number(QStringLiteral("green")),
        color.number(QStringLiteral("blue")),
        color.number(QStringLiteral("alpha")),
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
        (!backgroundColor || isFinite(*backgroundColor)) && std::isfinite(windowOpacity);
    if (!finite)
        return std::nullopt;
    return QJsonDocument(toJson()).toJson(QJsonDocument::Compact);
}

ThemeOptions ThemeOptions::decode(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw ThemeDecodingError(QStringLiteral("malformed JSON: %1").arg(error.errorString()));
    if (!document.isObject())
        throw ThemeDecodingError(QStringLiteral("expected an object"));
    return fromJson(document.object());
}

ThemeOptions ThemeOptions::fromJson(const QJsonObject& json)
{
    const Reader options(json, QString());
    ThemeOptions result;
    result.userFont = readFont(options.object(QStringLiteral("userFont")));
    result.messageFont = readFont(options.object(QStringLiteral("messageFont")));
    result.spacing = ThemeSpacing::fromJson(options.required(QStringLiteral("spacing")));
    if (const std::optional<QJsonValue> color = options.optional(QStringLiteral("backgroundColor")))
        result.backgroundColor = readColor(options.object(QStringLiteral("backgroundColor"), *color));
    result.windowOpacity = options.number(QStringLiteral("windowOpacity"));
    result.showMessageTimestamp = options.boolean(QStringLiteral("showMessageTimestamp"));
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
    } catch (const ThemeDecodingError&) {
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
