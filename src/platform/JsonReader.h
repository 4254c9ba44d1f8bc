#pragma once

#include "platform/DecodingError.h"
#include "platform/RawValue.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

namespace parley {

// Strict reading of untrusted JSON: every accessor either returns a value of
// the asked type or throws a DecodingError naming where in the document the
// problem is: "\"data[2].scale[0]\" is not a string", "The document is not a
// JSON object".
class JsonReader {
public:
    // Parses a whole document; malformed JSON is a DecodingError.
    static JsonReader parse(const QByteArray& json);

    explicit JsonReader(QJsonValue value, QString path = {});

    // A required member of an object.
    JsonReader operator[](QLatin1String key) const;
    // A member that may be absent or null.
    std::optional<JsonReader> optional(QLatin1String key) const;
    // The keys of an object.
    QStringList keys() const;

    QString toString() const;
    double toDouble() const;
    bool toBool() const;
    QUrl toUrl() const;
    QList<JsonReader> toArray() const;

    template <typename Enum>
    Enum toEnum() const
    {
        const QString text = toString();
        if (const std::optional<Enum> value = fromRawValue<Enum>(text))
            return *value;
        fail(QStringLiteral("has the unknown value \"%1\"").arg(text));
    }

    // The known values of an array of strings, in order: the service adds
    // values over time, and an unknown one must not fail a whole answer.
    template <typename Enum>
    QList<Enum> toKnownEnumList() const
    {
        QList<Enum> values;
        for (const JsonReader& element : toArray())
            if (const std::optional<Enum> value = fromRawValue<Enum>(element.toString()))
                values.append(*value);
        return values;
    }

    // Throws a DecodingError whose description is this value's place followed
    // by `problem` ("is empty").
    [[noreturn]] void fail(const QString& problem) const;

private:
    QJsonObject object() const;

    QJsonValue value_;
    QString path_;
};

} // namespace parley
