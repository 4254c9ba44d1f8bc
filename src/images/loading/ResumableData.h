#pragma once

#include "images/loading/UrlResponse.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

#include <optional>

namespace parley {

// The bytes of an interrupted download and the validator (entity tag or
// last-modified date) that tells whether the server still has the same file.
struct ResumableData {
    QByteArray data;
    QString validator;

    // What can be kept of a download that ended early: only an HTTP 200 or 206
    // that promised more bytes than arrived, accepts byte ranges and carries
    // a validator.
    static std::optional<ResumableData> capture(const UrlResponse& response, const QByteArray& data);

    // Whether a response continues the stored bytes rather than starting over.
    static bool isResumedResponse(const UrlResponse& response) { return response.statusCode == 206; }

    // Asks for the rest of the file, and for all of it should it have changed.
    void applyTo(QNetworkRequest& request) const;
};

} // namespace parley
