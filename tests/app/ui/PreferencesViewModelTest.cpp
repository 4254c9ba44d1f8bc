#include "app/ui/settings/PreferencesViewModel.h"

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

TEST_F(PreferencesViewModelTest, CustomPointsApplyOnlyWhileCustomIsSelected)
{
    viewModel.selectSpacing(PreferencesViewModel::mediumSpacing);
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::medium());
    EXPECT_EQ(viewModel.customSpacingText(), QStringLiteral("16"));

    viewModel.setCustomSpacing(QStringLiteral("10"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::medium());
    EXPECT_EQ(applied.size(), 1);

    viewModel.selectSpacing(PreferencesViewModel::customSpacing);
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(16.0));
    viewModel.setCustomSpacing(QStringLiteral("10"));
    EXPECT_EQ(viewModel.themeOptions().spacing, ThemeSpacing::custom(10.0));
    EXPECT_EQ(viewModel.spacingChoice(), PreferencesViewModel::customSpacing);
    EXPECT_EQ(applied.size(), 3);
    EXPECT_EQ(applied.last().spacing, ThemeSpacing::custom(10.0));
}

TEST_F(PreferencesViewModelTest, InputThatIsNoUsableNumberIsNotAppliedAndTheFieldShowsTheValueInForce)
{
    QSignalSpy changed(&viewModel, &PreferencesViewModel::themeOptionsChanged);
    for (const char* text : { "abc", "", "0", "-3", "1e9", "nan", "inf" })
        viewModel.setUserFontSize(QString::fromLatin1(text));
    EXPECT_TRUE(applied.isEmpty());
    EXPECT_EQ(changed.size(), 7);
    EXPECT_EQ(viewModel.userFontSizeText(), QStringLiteral("13"));

    viewModel.setMessageFontSize(QStringLiteral(" 12.5 "));
    EXPECT_EQ(viewModel.themeOptions().messageFont.size, 12.5);
}

TEST_F(PreferencesViewModelTest, UnchangedValuesAreNotHandedOverAgain)
{
    viewModel.setUserFontSize(QStringLiteral("13"));
    viewModel.setUserFontBold(true);
    viewModel.selectSpacing(PreferencesViewModel::minimumSpacing);
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

} // namespace
