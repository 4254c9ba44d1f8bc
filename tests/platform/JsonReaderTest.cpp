#include "platform/JsonReader.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

// The description of the DecodingError `read` throws; empty when it throws none.
template <typename Read>
QString failure(const QByteArray& json, Read read)
{
    try {
        read(JsonReader::parse(json));
    } catch (const DecodingError& error) {
        return error.description();
    }
    return {};
}

} // namespace

TEST(JsonReaderTest, AFailureNamesThePlaceOfTheValueAtFault)
{
    const QByteArray json = R"({"data":[{"id":"1","scale":["1.0"]},{"id":2,"scale":[3]}]})";
    const auto secondID = [](const JsonReader& document) {
        document[QLatin1String("data")].toArray().at(1)[QLatin1String("id")].toString();
    };
    EXPECT_EQ(failure(json, secondID), QStringLiteral("\"data[1].id\" is not a string"));
    const auto secondScale = [](const JsonReader& document) {
        document[QLatin1String("data")].toArray().at(1)[QLatin1String("scale")].toArray().at(0).toString();
    };
    EXPECT_EQ(failure(json, secondScale), QStringLiteral("\"data[1].scale[0]\" is not a string"));
    const auto missing = [](const JsonReader& document) { document[QLatin1String("pagination")]; };
    EXPECT_EQ(failure(json, missing), QStringLiteral("\"pagination\" is missing"));
    const auto documentAsArray = [](const JsonReader& document) { document.toArray(); };
    EXPECT_EQ(failure(json, documentAsArray), QStringLiteral("The document is not a JSON array"));
    EXPECT_TRUE(failure("{\"data\": ", [](const JsonReader&) {}).startsWith(QStringLiteral("The data is not valid JSON")));
}

TEST(JsonReaderTest, NullIsAbsentForOptionalMembersAndMissingForRequiredOnes)
{
    const JsonReader document = JsonReader::parse(R"({"family":null,"size":13,"isBold":true})");
    EXPECT_FALSE(document.optional(QLatin1String("family")));
    EXPECT_EQ(document[QLatin1String("size")].toDouble(), 13);
    EXPECT_TRUE(document[QLatin1String("isBold")].toBool());
    EXPECT_EQ(failure(R"({"family":null})", [](const JsonReader& json) { json[QLatin1String("family")]; }),
        QStringLiteral("\"family\" is missing"));
    EXPECT_EQ(failure(R"({"isBold":1})", [](const JsonReader& json) { json[QLatin1String("isBold")].toBool(); }),
        QStringLiteral("\"isBold\" is not true or false"));
}
