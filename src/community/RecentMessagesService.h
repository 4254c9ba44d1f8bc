#pragma once

#include <QByteArray>
#include <QUrl>

namespace parley {

// Where the recent chat service is (the real one in a released bundle, the
// simulator's stand-in in tests and the demo), and how Parley names itself
// to it ("Parley/0.1.0").
struct RecentMessagesService {
    QUrl url;
    QByteArray userAgent;

    friend bool operator==(const RecentMessagesService&, const RecentMessagesService&) = default;
};

} // namespace parley
