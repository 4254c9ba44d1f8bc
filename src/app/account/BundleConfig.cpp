#include "app/account/BundleConfig.h"

#include "app/account/BundleConfigError.h"
#include "platform/DecodingError.h"
#include "platform/JsonReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <initializer_list>

namespace parley {

namespace {

// Reads Info.json's strings; a value that does not fit is a DecodingError
// naming its key ("\"TWITCH_CLIENT_ID\" is empty").
class InfoReader {
public:
    explicit InfoReader(JsonReader info) : info_(std::move(info)) { }

    std::optional<QString> optionalString(const char* key) const
    {
        if (const std::optional<JsonReader> value = info_.optional(QLatin1String(key)))
            return value->toString();
        return std::nullopt;
    }

    QString string(const char* key) const
    {
        const JsonReader value = info_[QLatin1String(key)];
        const QString text = value.toString();
        if (text.trimmed().isEmpty())
            value.fail(QStringLiteral("is empty"));
        return text;
    }

    QString string(const char* key, const char* fallback) const
    {
        return optionalString(key).value_or(QString::fromLatin1(fallback));
    }

    QUrl url(const QString& text, const char* key, std::initializer_list<const char*> schemes = {}) const
    {
        const QUrl url(text, QUrl::StrictMode);
        if (!url.isValid() || url.isRelative())
            fail(key, QStringLiteral("is not an absolute URL"));
        if (schemes.size() != 0 && !(hasScheme(url, schemes) && !url.host().isEmpty()))
            fail(key, QStringLiteral("is not a %1 address").arg(schemeList(schemes)));
        return url;
    }

private:
    [[noreturn]] static void fail(const char* key, const QString& problem)
    {
        JsonReader(QJsonValue(), QString::fromLatin1(key)).fail(problem);
    }

    static bool hasScheme(const QUrl& url, std::initializer_list<const char*> schemes)
    {
        for (const char* scheme : schemes)
            if (url.scheme() == QLatin1String(scheme))
                return true;
        return false;
    }

    static QString schemeList(std::initializer_list<const char*> schemes)
    {
        QStringList names;
        for (const char* scheme : schemes)
            names.append(QString::fromLatin1(scheme));
        return names.join(QStringLiteral(" or "));
    }

    JsonReader info_;
};

BundleConfig decode(const JsonReader& json)
{
    const InfoReader info(json);
    BundleConfig config;
    config.bundleIdentifier = info.string("CFBundleIdentifier");
    config.shortVersion = info.string("CFBundleShortVersionString", "");
    config.twitchClientID = info.string("TWITCH_CLIENT_ID");
    config.twitchAuthRedirectURL = info.url(info.string("TWITCH_AUTH_REDIRECT_URL"), "TWITCH_AUTH_REDIRECT_URL");
    config.twitchIdentityURL = info.url(
        info.string("TWITCH_IDENTITY_URL", "https://id.twitch.tv"), "TWITCH_IDENTITY_URL", { "https", "http" });
    config.twitchHelixURL = info.url(
        info.string("TWITCH_HELIX_URL", "https://api.twitch.tv"), "TWITCH_HELIX_URL", { "https", "http" });
    config.twitchChatURL = info.url(
        info.string("TWITCH_CHAT_URL", "wss://irc-ws.chat.twitch.tv:443"), "TWITCH_CHAT_URL", { "wss", "ws" });
    config.twitchCapabilityNamespace = info.string("TWITCH_CAPABILITY_NAMESPACE", "twitch.tv");
    config.twitchWebDomain = info.string("TWITCH_WEB_DOMAIN", "twitch.tv");
    const auto webURL = [&info](const char* key, const char* fallback) {
        return info.url(info.string(key, fallback), key, { "https", "http" });
    };
    config.betterTTVAPIURL = webURL("BTTV_API_URL", "https://api.betterttv.net/3");
    config.betterTTVCDNURL = webURL("BTTV_CDN_URL", "https://cdn.betterttv.net");
    config.frankerFaceZAPIURL = webURL("FFZ_API_URL", "https://api.frankerfacez.com/v1");
    config.sevenTVAPIURL = webURL("SEVENTV_API_URL", "https://7tv.io/v3");
    config.recentMessagesURL = webURL("RECENT_MESSAGES_URL", "https://recent-messages.robotty.de");
    if (const std::optional<QString> feed = info.optionalString("UPDATE_FEED_URL"); feed && !feed->isEmpty())
        config.updateFeedURL = info.url(*feed, "UPDATE_FEED_URL", { "https", "http" });
    config.bundleKind = info.optionalString("PARLEY_BUNDLE_KIND");
    return config;
}

} // namespace

BundleConfig BundleConfig::read(const QString& bundleDirectory)
{
    const QString path = infoPath(bundleDirectory);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BundleConfigError(QStringLiteral("%1: cannot be read (%2)").arg(path, file.errorString()));
    return fromJson(file.readAll(), path);
}

BundleConfig BundleConfig::fromJson(const QByteArray& json, const QString& source)
{
    try {
        return decode(JsonReader::parse(json));
    } catch (const DecodingError& error) {
        throw BundleConfigError(QStringLiteral("%1: %2").arg(source, error.description()));
    }
}

QString BundleConfig::programBundleDirectory()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/.."));
}

QString BundleConfig::infoPath(const QString& bundleDirectory)
{
    return QDir(bundleDirectory).filePath(QStringLiteral("share/parley/Info.json"));
}

} // namespace parley
