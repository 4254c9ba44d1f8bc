// Feeds arbitrary bytes to the decoders of the web service answers (token
// validation, emote catalogues) and to the redirect token reader: each must
// either decode or throw a DecodingError, and what decodes must be stable once
// written in its own JSON form (URLs may be normalised by the first writing).
#include "platform/DecodingError.h"
#include "twitch/api/TwitchAPI.h"
#include "twitch/api/TwitchEmotesResponse.h"
#include "twitch/api/TwitchUserAccessToken.h"

#include <QJsonDocument>

#include <cstdint>
#include <cstdlib>

using namespace parley;

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

void decodeCatalogue(const QByteArray& body)
{
    try {
        const TwitchEmotesResponse response = TwitchEmotesResponse::fromJson(JsonReader::parse(body));
        const QByteArray encoded = QJsonDocument(response.toJson()).toJson();
        const TwitchEmotesResponse again = TwitchEmotesResponse::fromJson(JsonReader::parse(encoded));
        check(QJsonDocument(again.toJson()).toJson() == encoded);
    } catch (const DecodingError&) { }
}

void decodeInfo(const QByteArray& body)
{
    try {
        const TwitchUserAccessToken::Info info = TwitchUserAccessToken::Info::fromJson(JsonReader::parse(body));
        const TwitchUserAccessToken::Info again = TwitchUserAccessToken::Info::fromJson(JsonReader(info.toJson()));
        check(again.scopes == info.scopes && again.login == info.login);
    } catch (const DecodingError&) { }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    decodeCatalogue(bytes);
    decodeInfo(bytes);
    TwitchAPI::accessToken(QUrl(QString::fromUtf8(bytes)));
    return 0;
}
