#pragma once

#include "platform/Error.h"

#include <QNetworkReply>

namespace parley {

// A request that did not complete: no connection, a time-out, a connection
// closed mid-body, a cancelled request. The description is the network
// layer's own. Web service calls and image downloads both report it.
class TransportError : public Error {
public:
    TransportError(QNetworkReply::NetworkError code, QString description) : Error(std::move(description)), code_(code)
    { }

    // A transfer that went quiet, or ran, for longer than its limit allows.
    static TransportError timedOut()
    {
        return TransportError(QNetworkReply::TimeoutError, QStringLiteral("The request timed out."));
    }

    QNetworkReply::NetworkError code() const noexcept { return code_; }
    bool isCancelled() const noexcept { return code_ == QNetworkReply::OperationCanceledError; }

private:
    QNetworkReply::NetworkError code_;
};

} // namespace parley
