#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// A release feed: an RSS 2.0 document whose items are releases. Each item
// names its version in a <version> element (any namespace) or in the version
// attribute of its <enclosure>, and its page in <link>.
//
//   <rss version="2.0"><channel><item>
//     <title>Parley 0.2.0</title><link>https://example.org/parley/0.2.0</link>
//     <version>0.2.0</version>
//   </item></channel></rss>
struct UpdateFeed {
    struct Release {
        QString version;
        QString title;
        QUrl pageURL;
    };

    QList<Release> releases;

    // No value for a document that is not an RSS feed. Items without a
    // version are skipped; a page that is not an http(s) address is dropped.
    static std::optional<UpdateFeed> parse(const QByteArray& document);

    // The newest release newer than `currentVersion`, if any.
    std::optional<Release> newestAfter(const QString& currentVersion) const;
};

} // namespace parley
