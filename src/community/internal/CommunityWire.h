#pragma once

#include "community/CommunityEmote.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace parley {

// The checks every community answer goes through: the services are third
// parties, so nothing they send is used before it is known to be harmless.
class CommunityWire {
public:
    // A JSON document, or nullopt for anything that does not parse.
    static std::optional<QJsonDocument> parse(const QByteArray& json);
    // The same for a document that must be an object.
    static std::optional<QJsonObject> parseObject(const QByteArray& json);

    // Ids and file names go into addresses: only letters, digits, '_', '-'
    // and '.', and never "." or ".." (they would climb the path).
    static bool isSafeSegment(QStringView text);
    // A name a chat word can match: not empty, no whitespace, not absurdly long.
    static bool isUsableName(QStringView name);
    // A string id, or an integer id as its digits; null for anything else.
    static QString id(const QJsonValue& value);
    // An http(s) address with a host and no user info. A protocol-relative
    // address ("//host/path") takes the scheme of `api`.
    static std::optional<QUrl> webAddress(const QString& text, const QUrl& api);
    // `base` with `segments` appended to its path, each already checked safe.
    static QUrl appended(QUrl base, const QStringList& segments);
    // The width and height when both are positive numbers.
    static std::optional<QSize> size(const QJsonValue& width, const QJsonValue& height);

    static constexpr qsizetype maxNameLength = 100;
};

} // namespace parley
