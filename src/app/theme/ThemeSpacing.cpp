#include "app/theme/ThemeSpacing.h"

#include "platform/DecodingError.h"
#include "platform/JsonReader.h"

#include <array>
#include <utility>

namespace parley {

namespace {

const QString customKey = QStringLiteral("custom");
const QLatin1String payloadKey("_0");

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

ThemeSpacing ThemeSpacing::fromJson(const JsonReader& json)
{
    const QStringList keys = json.keys();
    if (keys.size() != 1)
        throw DecodingError(QStringLiteral("Invalid number of keys found, expected one."));
    const QString& name = keys.first();
    const QByteArray latin1Name = name.toLatin1();
    const JsonReader payload = json[QLatin1String(latin1Name)];
    // Every case's payload is an object, empty for the named ones.
    payload.keys();
    if (name == customKey)
        return custom(payload[payloadKey].toDouble());
    for (const auto& [make, caseName] : namedCases)
        if (name == caseName)
            return make();
    json.fail(QStringLiteral("has the unknown case \"%1\"").arg(name));
}

} // namespace parley
