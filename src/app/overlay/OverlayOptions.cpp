#include "app/overlay/OverlayOptions.h"

#include "platform/DecodingError.h"
#include "platform/JsonReader.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <array>

namespace parley {
namespace {

const QString settingsKey = QStringLiteral("overlay");

bool isToken(const QString& token)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{32}$"));
    return hex.match(token).hasMatch();
}

} // namespace

QString OverlayOptions::newToken()
{
    std::array<quint32, 4> bits {};
    QRandomGenerator::system()->fillRange(bits.data(), bits.size());
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(bits.data()), sizeof(bits)).toHex());
}

QByteArray OverlayOptions::encoded() const
{
    const QJsonObject object {
        { "enabled", enabled },
        { "port", port },
        { "token", token },
        { "fontScale", fontScale },
        { "messageLifetime", qint64(messageLifetime.count()) },
        { "hideBadges", hideBadges },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

OverlayOptions OverlayOptions::decode(const QByteArray& json)
{
    const JsonReader reader = JsonReader::parse(json);
    OverlayOptions options;
    options.enabled = reader[QLatin1String("enabled")].toBool();
    const double port = reader[QLatin1String("port")].toDouble();
    if (port < 1 || port > 65535 || port != qint64(port))
        reader[QLatin1String("port")].fail(QStringLiteral("is not a port"));
    options.port = quint16(port);
    options.token = reader[QLatin1String("token")].toString();
    if (!isToken(options.token))
        reader[QLatin1String("token")].fail(QStringLiteral("is not 32 hex digits"));
    options.fontScale = std::clamp(reader[QLatin1String("fontScale")].toDouble(), minFontScale, maxFontScale);
    const double lifetime = reader[QLatin1String("messageLifetime")].toDouble();
    options.messageLifetime = std::chrono::seconds(
        qint64(std::clamp(lifetime, 0.0, double(maxMessageLifetime.count()))));
    options.hideBadges = reader[QLatin1String("hideBadges")].toBool();
    return options;
}

OverlayOptions loadOverlayOptions(QSettings& settings)
{
    const QVariant stored = settings.value(settingsKey);
    if (stored.isValid()) {
        try {
            return OverlayOptions::decode(stored.toByteArray());
        } catch (const DecodingError&) { }
    }
    OverlayOptions options;
    options.token = OverlayOptions::newToken();
    storeOverlayOptions(settings, options);
    return options;
}

void storeOverlayOptions(QSettings& settings, const OverlayOptions& options)
{
    settings.setValue(settingsKey, options.encoded());
}

} // namespace parley
