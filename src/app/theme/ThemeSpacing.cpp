#include "app/theme/ThemeSpacing.h"

#include "app/theme/ThemeDecodingError.h"

#include <array>
#include <utility>

namespace parley {

namespace {

const QString customKey = QStringLiteral("custom");
const QString payloadKey = QStringLiteral("_0");

const std::array<std::pair<ThemeSpacing (*)(), QLatin1String>, 3> namedCases { {
    { &ThemeSpacing::minimum, QLatin1String("minimum") },
    { &ThemeSpacing::medium, QLatin1String("medium") },
    { &ThemeSpacing::large, QLatin1String("large") },
} };

} // namespace

QJsonObject ThemeSpacing::toJson() const
{
    if (case_ == Case::custom)
        return { { customKey, QJsonObject { { payloadKey, points_ } } } };
    for (const auto& [make, name] : namedCases)
        if (make().kind() == case_)
            return { { name, QJsonObject() } };
    return {};
}

ThemeSpacing ThemeSpacing::fromJson(const QJsonValue& json)
{
    if (!json.isObject())
        throw ThemeDecodingError(QStringLiteral("spacing: expected an object"));
    const QJsonObject object = json.toObject();
    if (object.size() != 1)
        throw ThemeDecodingError(QStringLiteral("Invalid number of keys found, expected one."));
    const QString name = object.begin().key();
    const QJsonValue payload = object.begin().value();
    if (!payload.isObject())
        throw ThemeDecodingError(QStringLiteral("spacing.%1: expected an object").arg(name));
    if (name == customKey) {
        const QJsonValue points = payload.toObject().value(payloadKey);
        if (!points.isDouble())
            throw ThemeDecodingError(QStringLiteral("spacing.custom._0: expected a number"));
        return custom(points.toDouble());
    }
    for (const auto& [make, caseName] : namedCases)
        if (name == caseName)
            return make();
    throw ThemeDecodingError(QStringLiteral("spacing: unknown case \"%1\"").arg(name));
}

} // namespace parley
