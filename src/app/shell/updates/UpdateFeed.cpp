#include "app/shell/updates/UpdateFeed.h"

#include "app/shell/updates/SoftwareVersion.h"

#include <QXmlStreamReader>

namespace parley {

namespace {

UpdateFeed::Release readItem(QXmlStreamReader& reader)
{
    UpdateFeed::Release release;
    while (reader.readNextStartElement()) {
        const QStringView name = reader.name();
        if (name == u"version") {
            release.version = reader.readElementText().trimmed();
        } else if (name == u"title") {
            release.title = reader.readElementText().trimmed();
        } else if (name == u"link") {
            const QUrl page(reader.readElementText().trimmed(), QUrl::StrictMode);
            if (page.isValid() && (page.scheme() == u"https" || page.scheme() == u"http"))
                release.pageURL = page;
        } else if (name == u"enclosure") {
            for (const QXmlStreamAttribute& attribute : reader.attributes())
                if (attribute.name() == u"version" && release.version.isEmpty())
                    release.version = attribute.value().trimmed().toString();
            reader.skipCurrentElement();
        } else {
            reader.skipCurrentElement();
        }
    }
    return release;
}

} // namespace

std::optional<UpdateFeed> UpdateFeed::parse(const QByteArray& document)
{
    QXmlStreamReader reader(document);
    if (!reader.readNextStartElement() || reader.name() != u"rss")
        return std::nullopt;
    UpdateFeed feed;
    while (reader.readNextStartElement()) {
        if (reader.name() != u"channel") {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() != u"item") {
                reader.skipCurrentElement();
                continue;
            }
            if (UpdateFeed::Release release = readItem(reader); !release.version.isEmpty())
                feed.releases.append(std::move(release));
        }
    }
    if (reader.hasError())
        return std::nullopt;
    return feed;
}

std::optional<UpdateFeed::Release> UpdateFeed::newestAfter(const QString& currentVersion) const
{
    std::optional<Release> newest;
    for (const Release& release : releases)
        if (SoftwareVersion::compare(release.version, newest ? newest->version : currentVersion) > 0)
            newest = release;
    return newest;
}

} // namespace parley
