#pragma once

#include "community/RecentMessagesService.h"
#include "community/ThirdPartyLimits.h"

#include <QFuture>
#include <QNetworkAccessManager>
#include <QString>
#include <QStringList>

#include <memory>

namespace parley {

// Loads a channel's recent chat from the recent chat service: the raw chat
// lines it kept, oldest first, with its own tags. A channel the service has
// not listened to yet is no error: it starts listening now and the answer is
// empty. A refusal (the service ignores the channel, the name is invalid),
// any other status, an answer that is not the expected JSON or is over the
// size limit fails the future with RecentMessagesError, a broken transfer
// with TransportError. The request carries nothing of the user's but the
// channel's name. Use it from the main thread, where the futures complete.
class RecentMessagesClient {
public:
    RecentMessagesClient(RecentMessagesService service, std::shared_ptr<QNetworkAccessManager> network);

    const RecentMessagesService& service() const { return service_; }

    // At most `limit` lines of `channel`'s chat (a login).
    QFuture<QStringList> recentMessages(const QString& channel, int limit = defaultLimit) const;
    static constexpr int defaultLimit = 100;

    const ThirdPartyLimits& limits() const { return limits_; }
    void setLimits(const ThirdPartyLimits& limits) { limits_ = limits; }

private:
    RecentMessagesService service_;
    std::shared_ptr<QNetworkAccessManager> network_;
    // A hundred lines of a few kilobytes at most.
    ThirdPartyLimits limits_ { .maximumAnswerSize = 2 * 1024 * 1024 };
};

} // namespace parley
