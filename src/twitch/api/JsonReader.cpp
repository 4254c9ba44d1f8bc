#include "twitch/api/JsonReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

namespace parley {

JsonReader JsonReader::parse(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodingError(
            QStringLiteral("The data is not valid JSON: %1 at offset %2").arg(error.errorString()).arg(error.offset));
    return JsonReader(document.isArray() ? QJsonValue(document.array()) : QJsonValue(document.object()));
}

JsonReader::JsonReader(QJsonValue value, QString path) : value_(std::move(value)), path_(std::move(path)) { }

JsonReader JsonReader::operator[](QLatin1String key) const
{
    std::optional<JsonReader> member = optional(key);
    if (!member)
        fail(QStringLiteral("missing key \"%1\"").arg(key));
    return *member;
}

std::optional<JsonReader> JsonReader::optional(QLatin1String key) const
{
    if (!value_.isObject())
        fail(QStringLiteral("expected an object"));
    const QJsonValue member = value_.toObject().value(key);
    if (member.isUndefined() || member.isNull())
        return std::nullopt;
    return JsonReader(member, path_.isEmpty() ? QString(key) : path_ + u'.' + key);
}

QString JsonReader::toString() const
{
    if (!value_.isString())
        fail(QStringLiteral("expected a string"));
    return value_.toString();
}

double JsonReader::toDouble() const
{
    if (!value_.isDouble())
        fail(QStringLiteral("expected a number"));
    return value_.toDouble();
}

QUrl JsonReader::toUrl() const
{
    const QString text = toString();
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        fail(QStringLiteral("invalid URL"));
    return url;
}

QList<JsonReader> JsonReader::toArray() const
{
    if (!value_.isArray())
        fail(QStringLiteral("expected an array"));
    const QJsonArray array = value_.toArray();
    QList<JsonReader> elements;
    elements.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i)
        elements.append(JsonReader(array.at(i), QStringLiteral("%1[%2]").arg(path_).arg(i)));
    return elements;
}

void JsonReader::fail(const QString& problem) const
{
    throw DecodingError(QStringLiteral("Cannot decode %1: %2")
                            .arg(path_.isEmpty() ? QStringLiteral("the document") : u'"' + path_ + u'"', problem));
}

} // namespace parley
