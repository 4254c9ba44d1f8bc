#pragma once

#include "community/CommunityEmote.h"
#include "community/CommunityEmoteServices.h"
#include "community/ThirdPartyLimits.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QNetworkAccessManager>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace parley {

// Loads the community services' emote sets. Holds only configuration
// (copies share one network manager); use it from the main thread, where
// the futures complete. A 404 is an empty set; any other status, a body that
// is not the expected JSON or one over the size limit fails the future with
// CommunityEmoteError, a broken transfer with TransportError. The requests
// carry no credentials, cookies or Twitch headers: these are third parties.
class CommunityEmoteClient {
public:
    CommunityEmoteClient(CommunityEmoteServices services, std::shared_ptr<QNetworkAccessManager> network);

    const CommunityEmoteServices& services() const { return services_; }

    QFuture<QList<CommunityEmote>> globalEmotes(CommunityEmoteProvider provider) const;
    // The channel's own set; `roomID` is its Twitch user id.
    QFuture<QList<CommunityEmote>> channelEmotes(CommunityEmoteProvider provider, const QString& roomID) const;

    using Limits = ThirdPartyLimits;
    static constexpr qint64 maxAnswerSize = ThirdPartyLimits {}.maximumAnswerSize;
    const Limits& limits() const { return limits_; }
    void setLimits(const Limits& limits) { limits_ = limits; }

private:
    using Parser = std::function<std::optional<QList<CommunityEmote>>(const QByteArray&)>;

    QFuture<QList<CommunityEmote>> fetch(const QUrl& url, Parser parser) const;
    // The body, or nullopt for a 404.
    QFuture<std::optional<QByteArray>> get(const QUrl& url) const;

    CommunityEmoteServices services_;
    std::shared_ptr<QNetworkAccessManager> network_;
    Limits limits_;
};

} // namespace parley
