#include "app/theme/Theme.h"
#include "app/theme/ThemeOptions.h"
#include "platform/DecodingError.h"
#include "platform/JsonReader.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QJsonDocument>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace parley;

namespace {

QJsonObject parse(const QByteArray& json)
{
    return QJsonDocument::fromJson(json).object();
}

QString decodingError(const QByteArray& json)
{
    try {
        ThemeOptions::decode(json);
    } catch (const DecodingError& error) {
        return error.description();
    }
    return {};
}

const QByteArray validDocument =
    R"({"userFont":{"size":14,"isBold":true},"messageFont":{"family":"Serif","size":12,"isBold":false},
    "spacing":{"custom":{"_0":10}},"backgroundColor":{"red":0.1,"green":0.2,"blue":0.3,"alpha":0.5},
    "windowOpacity":0.8,"showMessageTimestamp":false})";

class StoredThemeTest : public testing::Test {
protected:
    QTemporaryDir directory;
    QSettings settings { directory.filePath(QStringLiteral("settings.conf")), QSettings::IniFormat };
};

} // namespace

TEST(ThemeOptions, JsonHasTheStoredShapeAndRoundTrips)
{
    const ThemeOptions options = ThemeOptions::decode(validDocument);
    EXPECT_EQ(options.messageFont.family, QStringLiteral("Serif"));
    EXPECT_EQ(options.userFont.family, std::nullopt);
    EXPECT_EQ(options.spacing, ThemeSpacing::custom(10));
    ASSERT_TRUE(options.backgroundColor);
    EXPECT_EQ(options.backgroundColor->alpha, 0.5);
    EXPECT_EQ(ThemeOptions::decode(*options.encoded()), options);

    const QJsonObject defaults = parse(*defaultThemeOptions().encoded());
    EXPECT_EQ(defaults.value(QStringLiteral("spacing")).toObject(), parse(R"({"minimum":{}})"));
    EXPECT_FALSE(defaults.contains(QStringLiteral("backgroundColor")));
    EXPECT_FALSE(defaults.value(QStringLiteral("userFont")).toObject().contains(QStringLiteral("family")));
    EXPECT_EQ(ThemeOptions::decode(*defaultThemeOptions().encoded()), defaultThemeOptions());
}

TEST(ThemeOptions, EmoteSwitchesStoredBeforeTheyExistedReadAsOnAndRoundTrip)
{
    // The stored shape of an earlier version: no emote switches at all.
    const ThemeOptions earlier = ThemeOptions::decode(validDocument);
    EXPECT_TRUE(earlier.showBadges && earlier.highlightMentions && earlier.highlightFirstMessages && earlier.animateEmotes && earlier.showSevenTVEmotes &&
        earlier.showBetterTTVEmotes && earlier.showFrankerFaceZEmotes);
    ThemeOptions off = earlier;
    off.showBadges = false;
    off.highlightFirstMessages = false;
    off.animateEmotes = false;
    off.showBetterTTVEmotes = false;
    EXPECT_EQ(ThemeOptions::decode(*off.encoded()), off);
    EXPECT_FALSE(makeTheme(off).animateEmotes);
    EXPECT_FALSE(makeTheme(off).showBadges);
}

TEST(ThemeOptions, NotificationsAndTheOverlayOpacityStoredBeforeTheyExistedReadAsDefaults)
{
    const ThemeOptions earlier = ThemeOptions::decode(validDocument);
    EXPECT_TRUE(earlier.notifyMentions);
    EXPECT_EQ(earlier.overlayOpacity, 0.6);
    ThemeOptions changed = earlier;
    changed.notifyMentions = false;
    changed.overlayOpacity = 0.25;
    EXPECT_EQ(ThemeOptions::decode(*changed.encoded()), changed);
    EXPECT_FALSE(makeTheme(changed).notifyMentions);
    EXPECT_EQ(makeTheme(changed).overlayOpacity, 0.25);
    // A stored opacity out of range is brought within it.
    QJsonObject outOfRange = parse(*changed.encoded());
    outOfRange.insert(QStringLiteral("overlayOpacity"), 4.0);
    EXPECT_EQ(ThemeOptions::decode(QJsonDocument(outOfRange).toJson()).overlayOpacity, 1.0);
}

TEST(ThemeOptions, SpacingCasesHaveTheirPointsAndJson)
{
    EXPECT_EQ(ThemeSpacing::custom(12).toJson(), parse(R"({"custom":{"_0":12}})"));
    for (const ThemeSpacing& spacing :
        { ThemeSpacing::minimum(), ThemeSpacing::medium(), ThemeSpacing::large(), ThemeSpacing::custom(10) })
        EXPECT_EQ(ThemeSpacing::fromJson(JsonReader(spacing.toJson())), spacing);
    EXPECT_EQ(ThemeSpacing::minimum().points(), 8.0);
    EXPECT_EQ(ThemeSpacing::minimum().nameToBodyPoints(), 2.0);
    EXPECT_EQ(ThemeSpacing::medium().nameToBodyPoints(), 4.0);
    EXPECT_EQ(ThemeSpacing::large().points(), 24.0);
    EXPECT_EQ(ThemeSpacing::large().nameToBodyPoints(), 6.0);
    EXPECT_EQ(ThemeSpacing::custom(10).nameToBodyPoints(), 2.5);
}

TEST(ThemeOptions, BadDocumentsAreRejected)
{
    QByteArray twoKeys = validDocument;
    twoKeys.replace(R"({"custom":{"_0":10}})", R"({"minimum":{},"large":{}})");
    EXPECT_EQ(decodingError(twoKeys), QStringLiteral("Invalid number of keys found, expected one."));
    QByteArray noKeys = validDocument;
    noKeys.replace(R"({"custom":{"_0":10}})", "{}");
    EXPECT_EQ(decodingError(noKeys), QStringLiteral("Invalid number of keys found, expected one."));

    const QList<std::pair<QByteArray, QByteArray>> breakages {
        { R"({"custom":{"_0":10}})", R"({"huge":{}})" },
        { R"({"custom":{"_0":10}})", R"({"custom":{}})" },
        { R"({"custom":{"_0":10}})", R"({"custom":{"_0":"10"}})" },
        { R"("size":14)", R"("size":"14")" },
        { R"("isBold":true)", R"("isBold":1)" },
        { R"("family":"Serif")", R"("family":7)" },
        { R"("alpha":0.5)", R"("alpha":null)" },
        { R"("windowOpacity":0.8,)", "" },
        { R"("showMessageTimestamp":false)", R"("showMessageTimestamp":"no")" },
        { "}", "" },
    };
    for (const auto& [from, to] : breakages) {
        QByteArray broken = validDocument;
        broken.replace(broken.lastIndexOf(from), from.size(), to);
        EXPECT_FALSE(decodingError(broken).isEmpty()) << broken.constData();
    }
    EXPECT_FALSE(decodingError("[]").isEmpty());
}

TEST(ThemeOptions, OptionsWithoutAJsonFormAreNotEncoded)
{
    ThemeOptions options = defaultThemeOptions();
    options.windowOpacity = std::nan("");
    EXPECT_EQ(options.encoded(), std::nullopt);
    options = defaultThemeOptions();
    options.spacing = ThemeSpacing::custom(INFINITY);
    EXPECT_EQ(options.encoded(), std::nullopt);
}

TEST_F(StoredThemeTest, NothingStoredGivesTheDefaultsAndWritesNothing)
{
    EXPECT_EQ(loadThemeOptions(settings), defaultThemeOptions());
    EXPECT_FALSE(settings.contains(themeSettingsKey));
}

TEST_F(StoredThemeTest, StoredOptionsSurviveAReload)
{
    const ThemeOptions options = ThemeOptions::decode(validDocument);
    storeThemeOptions(settings, options);
    settings.sync();
    QSettings reopened(settings.fileName(), QSettings::IniFormat);
    EXPECT_EQ(loadThemeOptions(reopened), options);
}

TEST_F(StoredThemeTest, UndecodableDocumentsAreRemovedAndTheDefaultsUsed)
{
    QByteArray withoutOpacity = validDocument;
    withoutOpacity.replace(R"("windowOpacity":0.8,)", "");
    for (const QByteArray& stored : { withoutOpacity, QByteArray("{not json") }) {
        settings.setValue(themeSettingsKey, stored);
        EXPECT_EQ(loadThemeOptions(settings), defaultThemeOptions());
        EXPECT_FALSE(settings.contains(themeSettingsKey));
    }
}

TEST_F(StoredThemeTest, UnencodableOptionsLeaveTheStoredOnesAlone)
{
    storeThemeOptions(settings, defaultThemeOptions());
    ThemeOptions broken = defaultThemeOptions();
    broken.windowOpacity = INFINITY;
    storeThemeOptions(settings, broken);
    EXPECT_EQ(loadThemeOptions(settings), defaultThemeOptions());
}

TEST(Theme, FontsResolveByFamilyOrSystemFontOrFallBack)
{
    const QFont fallback = defaultTheme().messageFont;
    EXPECT_EQ(resolveFont({ QStringLiteral("No Such Family 3f9a"), 20, true }, fallback), fallback);
    EXPECT_EQ(resolveFont({ std::nullopt, 0, false }, fallback), fallback);

    const QFont bold = resolveFont({ std::nullopt, 20, true }, fallback);
    EXPECT_EQ(bold.pointSizeF(), 20);
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_EQ(bold.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());

    const QStringList families = QFontDatabase::families();
    if (families.isEmpty())
        GTEST_SKIP() << "no fonts installed";
    const QFont named = resolveFont({ families.first(), 17, true }, fallback);
    EXPECT_EQ(QFontInfo(named).family(), families.first());
    EXPECT_EQ(named.pointSizeF(), 17);
}

TEST(Theme, DefaultOptionsResolveToTheDefaultTheme)
{
    const Theme& theme = defaultTheme();
    EXPECT_EQ(theme.userFont.pointSizeF(), 13.0);
    EXPECT_EQ(theme.userFont.weight(), QFont::Bold);
    EXPECT_EQ(theme.messageFont.weight(), QFont::Normal);
    EXPECT_EQ(makeTheme(defaultThemeOptions()), theme);

    ThemeOptions options = ThemeOptions::decode(validDocument);
    const Theme custom = makeTheme(options);
    EXPECT_EQ(custom.backgroundColor, std::nullopt);
    EXPECT_EQ(custom.spacing.points(), 10);
    EXPECT_EQ(custom.windowOpacity, 0.8);
    EXPECT_FALSE(custom.showMessageTimestamp);
    EXPECT_EQ(custom.userFont.pointSizeF(), 14);
}

// The recent chat goes to a third party: off unless the user turned it on.
TEST(ThemeOptions, RecentChatIsOffUnlessStoredOn)
{
    EXPECT_FALSE(defaultThemeOptions().loadRecentMessages);
    ThemeOptions on = ThemeOptions::decode(validDocument);
    EXPECT_FALSE(on.loadRecentMessages);
    on.loadRecentMessages = true;
    EXPECT_EQ(ThemeOptions::decode(*on.encoded()), on);
    EXPECT_TRUE(makeTheme(on).loadRecentMessages);
}
