#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

namespace parley::sim {

// A request as the simulator received it, for tests to inspect.
struct SimRequest {
    QByteArray method;
    QString path;
    QString query; // as sent, percent-encoding and item order kept
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;

    // The value of a header (names compare case-insensitively); null if absent.
    QByteArray header(const QByteArray& name) const
    {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0)
                return value;
        return {};
    }
    bool hasHeader(const QByteArray& name) const
    {
        for (const auto& header : headers)
            if (header.first.compare(name, Qt::CaseInsensitive) == 0)
                return true;
        return false;
    }
};

} // namespace parley::sim
