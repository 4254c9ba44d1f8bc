#include "community/CommunityEmoteClient.h"

#include "community/BetterTTVEmotes.h"
#include "community/CommunityEmoteError.h"
#include "community/FrankerFaceZEmotes.h"
#include "community/SevenTVEmotes.h"
#include "community/internal/CommunityWire.h"
#include "community/internal/ThirdPartyGet.h"
#include "platform/FailedFuture.h"

namespace parley {

CommunityEmoteClient::CommunityEmoteClient(
    CommunityEmoteServices services, std::shared_ptr<QNetworkAccessManager> network)
    : services_(std::move(services)), network_(std::move(network))
{ }

QFuture<QList<CommunityEmote>> CommunityEmoteClient::globalEmotes(CommunityEmoteProvider provider) const
{
    switch (provider) {
    case CommunityEmoteProvider::BetterTTV:
        return fetch(CommunityWire::appended(services_.betterTTVAPI, { "cached", "emotes", "global" }),
            [cdn = services_.betterTTVCDN](const QByteArray& json) { return BetterTTVEmotes::fromGlobal(json, cdn); });
    case CommunityEmoteProvider::FrankerFaceZ:
        return fetch(CommunityWire::appended(services_.frankerFaceZAPI, { "set", "global" }),
            [api = services_.frankerFaceZAPI](
                const QByteArray& json) { return FrankerFaceZEmotes::fromGlobal(json, api); });
    case CommunityEmoteProvider::SevenTV:
        break;
    }
    return fetch(CommunityWire::appended(services_.sevenTVAPI, { "emote-sets", "global" }),
        [api = services_.sevenTVAPI](const QByteArray& json) { return SevenTVEmotes::fromEmoteSet(json, api); });
}

QFuture<QList<CommunityEmote>> CommunityEmoteClient::channelEmotes(
    CommunityEmoteProvider provider, const QString& roomID) const
{
    if (!CommunityWire::isSafeSegment(roomID) || roomID.contains(u'.'))
        return failedFuture<QList<CommunityEmote>>(CommunityEmoteError(CommunityEmoteError::Code::invalidRoomID,
            QStringLiteral("The room id \"%1\" cannot be used in a request").arg(roomID)));
    switch (provider) {
    case CommunityEmoteProvider::BetterTTV:
        return fetch(CommunityWire::appended(services_.betterTTVAPI, { "cached", "users", "twitch", roomID }),
            [cdn = services_.betterTTVCDN](const QByteArray& json) { return BetterTTVEmotes::fromChannel(json, cdn); });
    case CommunityEmoteProvider::FrankerFaceZ:
        return fetch(CommunityWire::appended(services_.frankerFaceZAPI, { "room", "id", roomID }),
            [api = services_.frankerFaceZAPI](
                const QByteArray& json) { return FrankerFaceZEmotes::fromRoom(json, api); });
    case CommunityEmoteProvider::SevenTV:
        break;
    }
    return fetch(CommunityWire::appended(services_.sevenTVAPI, { "users", "twitch", roomID }),
        [api = services_.sevenTVAPI](const QByteArray& json) { return SevenTVEmotes::fromUser(json, api); });
}

QFuture<QList<CommunityEmote>> CommunityEmoteClient::fetch(const QUrl& url, Parser parser) const
{
    return get(url).then([parser = std::move(parser), url](const std::optional<QByteArray>& body) {
        if (!body)
            return QList<CommunityEmote>();
        std::optional<QList<CommunityEmote>> emotes = parser(*body);
        if (!emotes)
            throw CommunityEmoteError(CommunityEmoteError::Code::invalidAnswer,
                QStringLiteral("The answer of %1 is not the expected JSON").arg(url.toString()));
        return std::move(*emotes);
    });
}

// A 404 is no body at all (the service has no set for it).
QFuture<std::optional<QByteArray>> CommunityEmoteClient::get(const QUrl& url) const
{
    const ThirdPartyFailures failures {
        std::make_exception_ptr(CommunityEmoteError(CommunityEmoteError::Code::answerTooLarge,
            QStringLiteral("The emote service's answer is larger than %1 bytes").arg(limits_.maximumAnswerSize))),
        std::make_exception_ptr(CommunityEmoteError(CommunityEmoteError::Code::unexpectedStatus,
            QStringLiteral("The emote service asked for authentication"), 401)),
        std::make_exception_ptr(CommunityEmoteError(
            CommunityEmoteError::Code::invalidAnswer, QStringLiteral("The emote service's answer is not HTTP"))),
    };
    return thirdPartyGet(*network_, url, { { "Accept", "application/json" } }, limits_, failures)
        .then([](const ThirdPartyAnswer& answer) -> std::optional<QByteArray> {
            if (answer.status == 404)
                return std::nullopt;
            if (answer.status != 200)
                throw CommunityEmoteError(CommunityEmoteError::Code::unexpectedStatus,
                    QStringLiteral("The emote service answered with status %1").arg(answer.status), answer.status);
            return answer.body;
        });
}

} // namespace parley
