#include "community/RecentMessagesClient.h"

#include "community/RecentMessagesError.h"
#include "community/internal/CommunityWire.h"
#include "community/internal/ThirdPartyGet.h"
#include "platform/DecodingError.h"
#include "platform/FailedFuture.h"
#include "platform/JsonReader.h"

#include <QUrlQuery>

namespace parley {
namespace {

using Code = RecentMessagesError::Code;

// The service's answer: {"messages": [...], "error": text, "error_code": code}.
struct Answer {
    QStringList messages;
    QString errorCode;
};

Answer readAnswer(const QByteArray& body)
{
    const JsonReader json = JsonReader::parse(body);
    Answer answer;
    for (const JsonReader& line : json[QLatin1String("messages")].toArray())
        answer.messages.append(line.toString());
    if (const std::optional<JsonReader> code = json.optional(QLatin1String("error_code")))
        answer.errorCode = code->toString();
    return answer;
}

RecentMessagesError refusal(const QString& errorCode, int status)
{
    if (errorCode == u"channel_ignored")
        return RecentMessagesError(
            Code::refused, QStringLiteral("The recent chat service does not keep this channel's chat."), status);
    if (errorCode == u"invalid_channel_login")
        return RecentMessagesError(
            Code::refused, QStringLiteral("The recent chat service does not take this channel's name."), status);
    if (status != 200)
        return RecentMessagesError(Code::unexpectedStatus,
            QStringLiteral("The recent chat service answered with status %1.").arg(status), status);
    return RecentMessagesError(Code::refused,
        QStringLiteral("The recent chat service answered with the error \"%1\".").arg(errorCode.left(100)), status);
}

QStringList linesOf(const ThirdPartyAnswer& reply)
{
    Answer answer;
    try {
        answer = readAnswer(reply.body);
    } catch (const DecodingError&) {
        if (reply.status != 200)
            throw refusal({}, reply.status);
        throw RecentMessagesError(
            Code::invalidAnswer, QStringLiteral("The recent chat service's answer could not be read."), reply.status);
    }
    // Not listening yet is no failure: the service joins the channel now.
    if (reply.status != 200 || (!answer.errorCode.isEmpty() && answer.errorCode != u"channel_not_joined"))
        throw refusal(answer.errorCode, reply.status);
    return answer.messages;
}

} // namespace

RecentMessagesClient::RecentMessagesClient(
    RecentMessagesService service, std::shared_ptr<QNetworkAccessManager> network)
    : service_(std::move(service)), network_(std::move(network))
{ }

QFuture<QStringList> RecentMessagesClient::recentMessages(const QString& channel, int limit) const
{
    if (!CommunityWire::isSafeSegment(channel) || channel.contains(u'.'))
        return failedFuture<QStringList>(RecentMessagesError(
            Code::invalidChannel, QStringLiteral("The channel name \"%1\" cannot be used in a request").arg(channel)));
    QUrl url = CommunityWire::appended(service_.url, { "api", "v2", "recent-messages", channel });
    url.setQuery(QUrlQuery { { QStringLiteral("limit"), QString::number(limit) } });
    const ThirdPartyFailures failures {
        std::make_exception_ptr(RecentMessagesError(
            Code::answerTooLarge, QStringLiteral("The recent chat service's answer is too large."))),
        std::make_exception_ptr(RecentMessagesError(
            Code::unexpectedStatus, QStringLiteral("The recent chat service asked for authentication."), 401)),
        std::make_exception_ptr(RecentMessagesError(
            Code::invalidAnswer, QStringLiteral("The recent chat service's answer could not be read."))),
    };
    const QList<std::pair<QByteArray, QByteArray>> headers { { "Accept", "application/json" },
        { "User-Agent", service_.userAgent } };
    return thirdPartyGet(*network_, url, headers, limits_, failures).then(&linesOf);
}

} // namespace parley
