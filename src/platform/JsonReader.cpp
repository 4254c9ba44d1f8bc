#include "platform/JsonReader.h"

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
    if (std::optional<JsonReader> member = optional(key))
        return *member;
    JsonReader(QJsonValue::Undefined, path_.isEmpty() ? QString(key) : path_ + u'.' + key).fail(
        QStringLiteral("is missing"));
}

std::optional<JsonReader> JsonReader::optional(QLatin1String key) const
{
    const QJsonValue member = object().value(key);
    if (member.isUndefined() || member.isNull())
        return std::nullopt;
    return JsonReader(member, path_.isEmpty() ? QString(key) : path_ + u'.' + key);
}

QStringList JsonReader::keys() const
{
    return object().keys();
}

QJsonObject JsonReader::object() const
{
    if (!value_.isObject())
        fail(QStringLiteral("is not a JSON object"));
    return value_.toObject();
}

QString JsonReader::toString() const
{
    if (!value_.isString())
        fail(QStringLiteral("is not a string"));
    return value_.toString();
}

double JsonReader::toDouble() const
{
    if (!value_.isDouble())
        fail(QStringLiteral("is not a number"));
    return value_.toDouble();
}

bool JsonReader::toBool() const
{
    if (!value_.isBool())
        fail(QStringLiteral("is not true or false"));
    return value_.toBool();
}

QUrl JsonReader::toUrl() const
{
    const QString text = toString();
    const QUrl url(text, QUrl::StrictMode);
    if (text.isEmpty() || !url.isValid())
        fail(QStringLiteral("is not a valid URL"));
    return url;
}

QList<JsonReader> JsonReader::toArray() const
{
    if (!value_.isArray())
        fail(QStringLiteral("is not a JSON array"));
    const QJsonArray array = value_.toArray();
    QList<JsonReader> elements;
    elements.reserve(array.size());
    for (qsizetype i = 0; i < array.size(); ++i)
        elements.append(JsonReader(array.at(i), QStringLiteral("%1[%2]").arg(path_).arg(i)));
    return elements;
}

void JsonReader::fail(const QString& problem) const
{
    throw DecodingError(
        (path_.isEmpty() ? QStringLiteral("The document") : u'"' + path_ + u'"') + u' ' + problem);
}

} // namespace parley
