#include "community/internal/CommunityWire.h"

#include <QJsonObject>

#include <algorithm>

namespace parley {

std::optional<QJsonObject> CommunityWire::parseObject(const QByteArray& json)
{
    const std::optional<QJsonDocument> document = parse(json);
    if (!document || !document->isObject())
        return std::nullopt;
    return document->object();
}

std::optional<QJsonDocument> CommunityWire::parse(const QByteArray& json)
{
    QJsonParseError error;
    QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return document;
}

bool CommunityWire::isSafeSegment(QStringView text)
{
    if (text.isEmpty() || text == u"." || text == u".." || text.size() > 200)
        return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_' ||
            c == u'-' || c == u'.';
    });
}

bool CommunityWire::isUsableName(QStringView name)
{
    return !name.isEmpty() && name.size() <= maxNameLength &&
        std::none_of(name.begin(), name.end(), [](QChar c) { return c.isSpace() || c.category() == QChar::Other_Control; });
}

QString CommunityWire::id(const QJsonValue& value)
{
    if (value.isString())
        return value.toString();
    const double number = value.toDouble(-1);
    if (!value.isDouble() || number < 0 || number > 9007199254740991.0 || number != double(qint64(number)))
        return {};
    return QString::number(qint64(number));
}

std::optional<QUrl> CommunityWire::webAddress(const QString& text, const QUrl& api)
{
    const QString full = text.startsWith(QLatin1String("//")) ? api.scheme() + u':' + text : text;
    const QUrl url(full, QUrl::StrictMode);
    const bool isWeb = url.scheme() == QLatin1String("https") || url.scheme() == QLatin1String("http");
    if (!url.isValid() || !isWeb || url.host().isEmpty() || !url.userInfo().isEmpty())
        return std::nullopt;
    return url;
}

QUrl CommunityWire::appended(QUrl base, const QStringList& segments)
{
    QString path = base.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    for (const QString& segment : segments)
        path += u'/' + segment;
    base.setPath(path);
    base.setQuery(QString());
    base.setFragment(QString());
    return base;
}

std::optional<QSize> CommunityWire::size(const QJsonValue& width, const QJsonValue& height)
{
    const int w = width.toInt(0);
    const int h = height.toInt(0);
    if (w <= 0 || h <= 0)
        return std::nullopt;
    return QSize(w, h);
}

} // namespace parley
