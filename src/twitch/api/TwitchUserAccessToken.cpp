#include "twitch/api/TwitchUserAccessToken.h"

#include <QJsonArray>

#include <algorithm>
#include <cmath>

namespace parley {
namespace {

const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

// Far beyond any real expiry, and well inside what QDateTime can hold.
constexpr double maxSeconds = 1e12;

// The fields both JSON forms share; `expiresFrom` is the instant "expires_in" counts from.
TwitchUserAccessToken::Info decode(const JsonReader& json, const QDateTime& expiresFrom)
{
    TwitchUserAccessToken::Info info;
    info.clientID = json[QLatin1String("client_id")].toString();
    info.login = json[QLatin1String("login")].toString();
    for (TwitchAuthScope scope : json[QLatin1String("scopes")].toKnownEnumList<TwitchAuthScope>())
        info.scopes.insert(scope);
    info.userID = json[QLatin1String("user_id")].toString();
    const JsonReader expiresIn = json[QLatin1String("expires_in")];
    const double seconds = expiresIn.toDouble();
    if (std::abs(seconds) > maxSeconds)
        expiresIn.fail(QStringLiteral("number out of range"));
    info.expiresAt = expiresFrom.addMSecs(std::llround(seconds * 1000));
    return info;
}

} // namespace

TwitchUserAccessToken::Info TwitchUserAccessToken::Info::fromJson(const JsonReader& json)
{
    return decode(json, QDateTime::currentDateTimeUtc());
}

TwitchUserAccessToken::Info TwitchUserAccessToken::Info::fromStoredJson(const JsonReader& json)
{
    return decode(json, referenceDate());
}

QJsonObject TwitchUserAccessToken::Info::toJson() const
{
    QStringList scopeNames;
    for (TwitchAuthScope scope : scopes)
        scopeNames.append(rawValue(scope).toString());
    std::sort(scopeNames.begin(), scopeNames.end());
    return QJsonObject {
        { QStringLiteral("client_id"), clientID },
        { QStringLiteral("login"), login },
        { QStringLiteral("scopes"), QJsonArray::fromStringList(scopeNames) },
        { QStringLiteral("user_id"), userID },
        { QStringLiteral("expires_in"), referenceDate().msecsTo(expiresAt) / 1000.0 },
    };
}

} // namespace parley
