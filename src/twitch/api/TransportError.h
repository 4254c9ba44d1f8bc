#pragma once

#include "platform/Error.h"

#include <QNetworkReply>

namespace parley {

// A request that did not complete: no connection, a time-out, a connection
// closed mid-body, a cancelled request. The description is the network
// layer's own.
class TransportError : public Error {
public:
    TransportError(QNetworkReply::NetworkError code, QString description)
        : Error(std::move(description)), code_(code) { }

    QNetworkReply::NetworkError code() const noexcept { return code_; }

private:
    QNetworkReply::NetworkError code_;
};

} // namespace parley
