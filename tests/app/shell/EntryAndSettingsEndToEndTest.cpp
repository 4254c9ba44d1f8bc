#include "app/shell/EndToEnd.h"

using namespace parley;
using namespace parley::endtoend;

namespace {

const QString sessionTitle = QStringLiteral("Parley - #parley_demo");

class EntryAndSettingsEndToEndTest : public EndToEndTest {
protected:
    // Whether the chat window shows a row of the user's own with `text`.
    bool showsOwnMessage(RunningParley& parley, const QString& text)
    {
        for (const auto& [name, height] : parley.rows(sessionTitle))
            if (name.endsWith(QStringLiteral(": ") + text))
                return true;
        return false;
    }

    QJsonObject storedTheme()
    {
        return QJsonDocument::fromJson(storedDefault(QStringLiteral("theme")).toByteArray()).object();
    }
};

TEST_F(EntryAndSettingsEndToEndTest, TheMessageFieldKeepsToTheLimitAndSettingsSayWhatSizesTheyTake)
{
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_TRUE(signIn(*parley));

    // 510 characters: the count and the limit show, and nothing goes out.
    const QString tooLong = QStringLiteral("x").repeated(480) + QStringLiteral("y").repeated(30);
    ASSERT_TRUE(parley->type(QStringLiteral("Message..."), tooLong));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return parley->shows(QStringLiteral("Messages are limited to 500 characters."), sessionTitle); },
        timeout));
    EXPECT_TRUE(parley->shows(QStringLiteral("510 of 500 characters"), sessionTitle));
    QTest::qWait(500);
    EXPECT_FALSE(showsOwnMessage(*parley, tooLong));

    // 480 characters with white space around them: the count, and the
    // message goes out without the white space.
    const QString long480 = QStringLiteral("abcdefghi ").repeated(48).trimmed() + QStringLiteral("Z");
    ASSERT_EQ(long480.size(), 480);
    ASSERT_TRUE(parley->type(QStringLiteral("Message..."), QStringLiteral("  ") + long480 + QStringLiteral("  ")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsOwnMessage(*parley, long480); }, timeout));
    EXPECT_FALSE(parley->shows(QStringLiteral("Messages are limited to 500 characters."), sessionTitle));
    EXPECT_FALSE(parley->shows(QStringLiteral("480 of 500 characters"), sessionTitle)) << "the field is empty again";

    // Sizes that are not from 8 to 40 are not taken, and the field says so.
    ASSERT_TRUE(parley->run(QStringLiteral("trigger"), QStringLiteral("Settings…")));
    ASSERT_FALSE(parley->waitForWindow(QStringLiteral("Settings")).isEmpty());
    const QString sizeRange = QStringLiteral("Enter a size from 8 to 40 points.");
    ASSERT_TRUE(parley->type(QStringLiteral("Username font size"), QStringLiteral("abc")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->shows(sizeRange, QStringLiteral("Settings")); }, timeout));
    ASSERT_TRUE(parley->type(QStringLiteral("Message font size"), QStringLiteral("9999")));
    QTest::qWait(300);
    EXPECT_TRUE(storedTheme().isEmpty() ||
        storedTheme()[QStringLiteral("messageFont")][QStringLiteral("size")].toDouble() == 13);

    // The top of the range is taken, and the lines go.
    ASSERT_TRUE(parley->type(QStringLiteral("Username font size"), QStringLiteral("40")));
    ASSERT_TRUE(parley->type(QStringLiteral("Message font size"), QStringLiteral("40")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return storedTheme()[QStringLiteral("messageFont")][QStringLiteral("size")].toDouble() == 40; },
        timeout));
    EXPECT_EQ(storedTheme()[QStringLiteral("userFont")][QStringLiteral("size")].toDouble(), 40);
    EXPECT_FALSE(parley->shows(sizeRange, QStringLiteral("Settings")));

    // Custom spacing takes 0 to 40 points.
    ASSERT_TRUE(parley->run(QStringLiteral("press"), QStringLiteral("Spacing Custom")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return storedTheme()[QStringLiteral("spacing")].toObject().contains(QStringLiteral("custom")); },
        timeout));
    ASSERT_TRUE(parley->type(QStringLiteral("Points"), QStringLiteral("50")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return parley->shows(QStringLiteral("Enter a spacing from 0 to 40 points."), QStringLiteral("Settings"));
        },
        timeout));
    ASSERT_TRUE(parley->type(QStringLiteral("Points"), QStringLiteral("12.5")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return storedTheme()[QStringLiteral("spacing")][QStringLiteral("custom")][QStringLiteral("_0")]
                       .toDouble() == 12.5;
        },
        timeout));
    EXPECT_FALSE(parley->shows(QStringLiteral("Enter a spacing from 0 to 40 points."), QStringLiteral("Settings")));

    // Times off, pressed as a screen reader presses: once is off.
    ASSERT_TRUE(parley->run(QStringLiteral("press"), QStringLiteral("Show message timestamps")));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return storedTheme()[QStringLiteral("showMessageTimestamp")] == QJsonValue(false); }, timeout));
    QTest::qWait(300);
    EXPECT_EQ(storedTheme()[QStringLiteral("showMessageTimestamp")], QJsonValue(false));

    const QByteArray errors = parley->standardError();
    for (const char* view : { "SessionView.qml", "TextMessageView.qml", "PreferencesView.qml", "FontPreferences.qml" })
        EXPECT_FALSE(errors.contains(view)) << errors.toStdString();
}

} // namespace
