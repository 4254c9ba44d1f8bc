#include "twitch-sim/HttpReply.h"

#include <QHttpServerResponder>
#include <QJsonDocument>
#include <QMetaEnum>

namespace parley::sim {

HttpReply HttpReply::json(const QJsonObject& object, int status)
{
    HttpReply reply { status, { { "Content-Type", "application/json; charset=utf-8" } },
        QJsonDocument(object).toJson(QJsonDocument::Compact) };
    return reply;
}

HttpReply HttpReply::error(int status, const QString& message)
{
    return json({ { QStringLiteral("error"), QString::fromLatin1(reasonPhrase(status)) },
                    { QStringLiteral("status"), status }, { QStringLiteral("message"), message } },
        status);
}

HttpReply HttpReply::redirect(const QUrl& location)
{
    return HttpReply { 302, { { "Location", location.toEncoded() } }, {} };
}

QByteArray HttpReply::header(const QByteArray& name) const
{
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

void HttpReply::setHeader(const QByteArray& name, const QByteArray& value)
{
    headers.removeIf([&](const auto& header) { return header.first.compare(name, Qt::CaseInsensitive) == 0; });
    headers.append({ name, value });
}

QByteArray HttpReply::head(qint64 bodyLength) const
{
    QByteArray text = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    for (const auto& [key, value] : headers)
        text += key + ": " + value + "\r\n";
    if (bodyLength >= 0)
        text += "Content-Length: " + QByteArray::number(bodyLength) + "\r\n";
    else
        text += "Connection: close\r\n";
    return text + "\r\n";
}

QByteArray HttpReply::reasonPhrase(int status)
{
    if (status == 200)
        return "OK";
    // The responder's status enumeration names every other common status.
    const QMetaEnum statuses = QMetaEnum::fromType<QHttpServerResponder::StatusCode>();
    const char* name = statuses.valueToKey(status);
    if (!name)
        return "Status";
    QByteArray phrase;
    for (const char* c = name; *c; ++c) {
        if (c != name && QChar::isUpper(*c) && !QChar::isUpper(c[-1]))
            phrase += ' ';
        phrase += *c;
    }
    return phrase;
}

} // namespace parley::sim
