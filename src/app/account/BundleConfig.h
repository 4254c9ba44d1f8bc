#pragma once

#include "community/CommunityEmoteServices.h"
#include "community/RecentMessagesService.h"
#include "twitch/api/TwitchEndpoints.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// The configuration of the bundle that holds the program: the flat JSON
// object of strings in share/parley/Info.json below the bundle's root (the
// directory above bin/). Read once at launch; a test or a tool names the
// bundle directory itself.
struct BundleConfig {
    // Reverse-DNS; names the credential items' prefix and schema and the
    // per-user settings file.
    QString bundleIdentifier;
    QString shortVersion;
    QString twitchClientID;
    QUrl twitchAuthRedirectURL;
    QUrl twitchIdentityURL;
    QUrl twitchHelixURL;
    QUrl twitchChatURL;
    QString twitchCapabilityNamespace;
    QString twitchWebDomain;
    QUrl betterTTVAPIURL;
    QUrl betterTTVCDNURL;
    QUrl frankerFaceZAPIURL;
    QUrl sevenTVAPIURL;
    // The recent chat service, asked only when the user has turned it on.
    QUrl recentMessagesURL;
    std::optional<QUrl> updateFeedURL;
    // "PARLEY_BUNDLE_KIND": "build", "demo", "installed", "test"; none for a
    // downloaded copy.
    std::optional<QString> bundleKind;

    // Throws BundleConfigError naming the file and the key at fault: the file
    // is missing or not a JSON object, a required key ("CFBundleIdentifier",
    // "TWITCH_CLIENT_ID", "TWITCH_AUTH_REDIRECT_URL") is missing or empty, a
    // value is not a string, or an address is not an absolute URL of its kind.
    static BundleConfig read(const QString& bundleDirectory);
    static BundleConfig fromJson(const QByteArray& json, const QString& source);

    // The bundle of the running program: the directory above its bin/.
    static QString programBundleDirectory();
    static QString infoPath(const QString& bundleDirectory);

    // Where the Twitch services are, for TwitchAPI and the chat client.
    TwitchEndpoints twitchEndpoints() const
    {
        return { twitchIdentityURL, twitchHelixURL, twitchChatURL, twitchCapabilityNamespace, twitchWebDomain };
    }

    CommunityEmoteServices communityEmoteServices() const
    {
        return { betterTTVAPIURL, betterTTVCDNURL, frankerFaceZAPIURL, sevenTVAPIURL };
    }

    // Introduced as "Parley/VERSION".
    RecentMessagesService recentMessagesService() const
    {
        return { recentMessagesURL, "Parley/" + shortVersion.toUtf8() };
    }

    // The credential items' account names start with this.
    QString credentialKeyPrefix() const { return bundleIdentifier + u'.'; }

    friend bool operator==(const BundleConfig&, const BundleConfig&) = default;
};

} // namespace parley
