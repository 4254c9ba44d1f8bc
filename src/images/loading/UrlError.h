#pragma once

#include "platform/Error.h"

#include <QNetworkReply>

namespace parley {

// A transport failure of a URL load as the network stack reported it
// (connection refused, closed early, cancelled...), passed on unchanged.
class UrlError : public Error {
public:
    UrlError(QNetworkReply::NetworkError code, const QString& description)
        : Error(description), code_(code) { }

    QNetworkReply::NetworkError code() const { return code_; }
    bool isCancelled() const { return code_ == QNetworkReply::OperationCanceledError; }

private:
    QNetworkReply::NetworkError code_;
};

} // namespace parley
