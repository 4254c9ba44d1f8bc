#include "app/ui/chat/MessageListModel.h"
#include "app/ui/settings/PreferencesViewModel.h"
#include "app/ui/settings/PreviewMessages.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace parley;

namespace {

class PreferencesViewModelTest : public testing::Test {
protected:
    PreferencesViewModel viewModel { defaultThemeOptions(),
        [this](const ThemeOptions& options) { applied.append(options); } };
    QList<ThemeOptions> applied;
};

TEST_F(PreferencesViewModelTest, EveryEditHandsOverTheCompleteOptions)
{
    viewModel.setUserFontSize(QStringLiteral("18"));
    ASSERT_EQ(applied.size(), 1);
    ThemeOptions expected = defaultThemeOptions();
    expected.userFont.size = 18;
    EXPECT_EQ(applied.last(), expected);
    EXPECT_EQ(viewModel.userFontSizeText(), QStringLiteral("18"));

    viewModel.setMessageFontBold(true);
    viewModel.setShowMessageTimestamp(false);
    expected.messageFont.isBold = true;
    expected.showMessageTimestamp = false;
    ASSERT_EQ(applied.size(), 3);
    EXPECT_EQ(applied.last(), expected);
    EXPECT_EQ(viewModel.themeOptions(), expected);
}

TEST_F(PreferencesViewModelTest, EmoteSwitchesAreTitledInOrderAndEachTurnsItsOwnOptionOnlyOff)
{
    EXPECT_EQ(PreferencesViewModel::emoteSwitchTitles(),
        (QStringList { "Animate emotes", "Show 7TV emotes", "Show BetterTTV emotes", "Show FrankerFaceZ emotes" }));
    viewModel.setEmoteSwitch(2, false);
    viewModel.setEmoteSwitch(7, false); // no such switch: nothing changes
    ASSERT_EQ(applied.size(), 1);
    ThemeOptions expected = defaultThemeOptions();
    expected.showBetterTTVEmotes = false;
    EXPECT_EQ(applied.last(), expected);
    EXPECT_EQ(viewModel.emoteSwitches(), (QVariantList { true, true, false, true }));
}

TEST_F(PreferencesViewModelTest, TheMentionNotificationsSwitchAndTheOverlayOpacitySliderEditTheirOptions)
{
    const int notify = int(PreferencesViewModel::chatSwitchTitles().indexOf(
        QStringLiteral("Notify me of mentions when Parley is in the background")));
    ASSERT_GE(notify, 0);
    EXPECT_TRUE(viewModel.chatSwitches().at(notify).toBool());
    viewModel.setChatSwitch(notify, false);
    EXPECT_EQ(viewModel.overlayOpacityText(), QStringLiteral("60%"));
    viewModel.setOverlayOpacityPercent(35);
    viewModel.setOverlayOpacityPercent(140);
    ASSERT_EQ(applied.size(), 3);
    EXPECT_FALSE(applied.last().notifyMentions);
    EXPECT_EQ(applied.last().overlayOpacity, 1.0);
    EXPECT_EQ(viewModel.overlayOpacityPercent(), 100);
}

TEST_F(PreferencesViewModelTest, CustomPointsApplyOnlyWhileCustomIsSelected)
{
    viewModel.selectSpacing(PreferencesViewModel::MediumSpacing);
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::medium());
    EXPECT_EQ(viewModel.customSpacingText(), QStringLiteral("16"));

    viewModel.setCustomSpacing(QStringLiteral("10"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::medium());
    EXPECT_EQ(applied.size(), 1);

    viewModel.selectSpacing(PreferencesViewModel::CustomSpacing);
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(16.0));
    viewModel.setCustomSpacing(QStringLiteral("10"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(10.0));
    EXPECT_EQ(viewModel.spacingChoice(), PreferencesViewModel::CustomSpacing);
    EXPECT_EQ(applied.size(), 3);
    EXPECT_EQ(applied.last().spacing, ThemeSpacing::custom(10.0));
}

TEST_F(PreferencesViewModelTest, FontSizesFrom8To40AreApplied)
{
    for (const char* text : { "8", "40", " 12.5 ", "39.75", "8.0" })
        viewModel.setMessageFontSize(QString::fromLatin1(text));
    ASSERT_EQ(applied.size(), 5);
    QList<double> sizes;
    for (const ThemeOptions& options : applied)
        sizes.append(options.messageFont.size);
    EXPECT_EQ(sizes, (QList<double> { 8, 40, 12.5, 39.75, 8 }));
    EXPECT_EQ(viewModel.messageFontSizeText(), QStringLiteral("8"));
    EXPECT_EQ(viewModel.messageFontSizeError(), QString());
}

TEST_F(PreferencesViewModelTest, OtherSizesAreNotAppliedTheFieldKeepsTheLastGoodValueAndTheRangeIsShown)
{
    viewModel.setUserFontSize(QStringLiteral("18"));
    ASSERT_EQ(applied.size(), 1);
    QSignalSpy changed(&viewModel, &PreferencesViewModel::themeOptionsChanged);
    QSignalSpy errors(&viewModel, &PreferencesViewModel::fieldErrorsChanged);
    for (const char* text : { "abc", "", "0", "-5", "7.99", "40.01", "9999", "1e9", "nan", "inf", "12px" }) {
        viewModel.setUserFontSize(QString::fromLatin1(text));
        EXPECT_EQ(viewModel.userFontSizeError(), QStringLiteral("Enter a size from 8 to 40 points.")) << text;
        // The field shows the size in force again.
        EXPECT_EQ(viewModel.userFontSizeText(), QStringLiteral("18")) << text;
    }
    EXPECT_EQ(applied.size(), 1);
    EXPECT_EQ(viewModel.themeOptions().userFont.size, 18);
    EXPECT_EQ(changed.size(), 11);
    EXPECT_EQ(errors.size(), 1);
    // The other field is not concerned.
    EXPECT_EQ(viewModel.messageFontSizeError(), QString());

    viewModel.setUserFontSize(QStringLiteral("20"));
    EXPECT_EQ(viewModel.userFontSizeError(), QString());
    EXPECT_EQ(applied.last().userFont.size, 20);

    // The field hands over what it shows when it loses focus: the line stays
    // until an edit is taken.
    viewModel.setMessageFontSize(QStringLiteral("abc"));
    EXPECT_EQ(viewModel.messageFontSizeError(), QStringLiteral("Enter a size from 8 to 40 points."));
    viewModel.setMessageFontSize(viewModel.messageFontSizeText());
    EXPECT_EQ(viewModel.messageFontSizeError(), QStringLiteral("Enter a size from 8 to 40 points."));
    viewModel.setMessageFontSize(QStringLiteral("13.0"));
    EXPECT_EQ(viewModel.messageFontSizeError(), QString());
    EXPECT_EQ(applied.size(), 2);
}

TEST_F(PreferencesViewModelTest, CustomSpacingTakes0To40Points)
{
    viewModel.selectSpacing(PreferencesViewModel::CustomSpacing);
    ASSERT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(8.0));
    for (const char* text : { "abc", "-1", "40.5", "200" }) {
        viewModel.setCustomSpacing(QString::fromLatin1(text));
        EXPECT_EQ(viewModel.customSpacingError(), QStringLiteral("Enter a spacing from 0 to 40 points.")) << text;
        EXPECT_EQ(viewModel.customSpacingText(), QStringLiteral("8")) << text;
    }
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(8.0));

    viewModel.setCustomSpacing(QStringLiteral("0"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(0.0));
    EXPECT_EQ(viewModel.customSpacingError(), QString());
    viewModel.setCustomSpacing(QStringLiteral("-0"));
    EXPECT_EQ(viewModel.customSpacingText(), QStringLiteral("0"));
    viewModel.setCustomSpacing(QStringLiteral("40"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(40.0));
    viewModel.setCustomSpacing(QStringLiteral("2.5"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(2.5));

    // Another choice puts the field's line away with the refused text.
    viewModel.setCustomSpacing(QStringLiteral("abc"));
    EXPECT_FALSE(viewModel.customSpacingError().isEmpty());
    viewModel.selectSpacing(PreferencesViewModel::LargeSpacing);
    EXPECT_EQ(viewModel.customSpacingError(), QString());
    EXPECT_EQ(viewModel.customSpacingText(), QStringLiteral("24"));
    // While a named choice is selected, the field's text is ignored without a line.
    viewModel.setCustomSpacing(QStringLiteral("abc"));
    EXPECT_EQ(viewModel.customSpacingError(), QString());
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::large());
}

TEST_F(PreferencesViewModelTest, UnchangedValuesAreNotHandedOverAgain)
{
    viewModel.setUserFontSize(QStringLiteral("13"));
    viewModel.setUserFontBold(true);
    viewModel.selectSpacing(PreferencesViewModel::MinimumSpacing);
    EXPECT_EQ(applied.size(), 0);
}

TEST_F(PreferencesViewModelTest, AStoredBackgroundColourAndFamilySurviveEdits)
{
    ThemeOptions stored = defaultThemeOptions();
    stored.backgroundColor = ThemeOptions::Color { 0.1, 0.2, 0.3, 1.0 };
    stored.userFont.family = QStringLiteral("DejaVu Serif");
    PreferencesViewModel model(stored, [this](const ThemeOptions& options) { applied.append(options); });
    model.setUserFontSize(QStringLiteral("20"));
    ASSERT_EQ(applied.size(), 1);
    EXPECT_EQ(applied.last().backgroundColor, stored.backgroundColor);
    EXPECT_EQ(applied.last().userFont.family, stored.userFont.family);
}

TEST_F(PreferencesViewModelTest, TheSpacingChoicesAreTitledFromTheirEnumAndSelectAsShown)
{
    QStringList titles;
    for (int choice : viewModel.namedSpacingChoices())
        titles.append(PreferencesViewModel::spacingTitle(choice));
    EXPECT_EQ(titles, (QStringList { "Minimum", "Medium", "Large" }));
    EXPECT_EQ(PreferencesViewModel::spacingName(PreferencesViewModel::CustomSpacing), "Spacing Custom");
    viewModel.selectSpacing(viewModel.namedSpacingChoices().at(2));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::large());
    // The caption names the size the default theme's font really has.
    EXPECT_EQ(viewModel.defaultFontSizeText(), "Default system font size is 13.0");
}

} // namespace

TEST(PreviewMessages, TheBroadcastersRowsShowTheirMark)
{
    const MessageListModel preview(previewMessages());
    int marked = 0;
    for (int row = 0; row < preview.rowCount(); ++row) {
        const QVariantList badges = preview.data(preview.index(row), MessageListModel::BadgesRole).toList();
        const bool broadcaster = preview.data(preview.index(row), MessageListModel::IsBroadcasterRole).toBool();
        EXPECT_EQ(!badges.isEmpty(), broadcaster) << row;
        marked += broadcaster && badges.value(0).toMap().value("isBroadcaster").toBool() ? 1 : 0;
    }
    EXPECT_EQ(marked, 2);
}
