#pragma once

#include "images/model/URLResponse.h"

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>

#include <optional>

namespace parley {

// The bytes of an interrupted download, the validator (entity tag or
// last-modified date) that tells whether the server still has the same file,
// and that file's whole length.
struct ResumableData {
    QByteArray data;
    QString validator;
    qint64 totalLength = -1;

    // A "Content-Range: bytes FIRST-LAST/TOTAL" header; total is -1 for "*".
    struct ContentRange {
        qint64 first = 0;
        qint64 last = 0;
        qint64 total = -1;
    };
    static std::optional<ContentRange> contentRange(const URLResponse& response);

    // What can be kept of a download that ended early: only an HTTP 200 or 206
    // that promised more bytes than arrived, accepts byte ranges and carries
    // a validator. `data` is everything held, from the file's first byte, so
    // for a 206 it is compared with the range's total.
    static std::optional<ResumableData> capture(const URLResponse& response, const QByteArray& data);

    // Whether a response continues these bytes: a partial answer that starts
    // right after them, for a file of the same length. Anything else (a range
    // from elsewhere, another file) must not be joined to them.
    bool isContinuedBy(const URLResponse& response) const;

    // Asks for the rest of the file, and for all of it should it have changed.
    void applyTo(QNetworkRequest& request) const;
};

} // namespace parley
