#include "app/overlay/OverlayPreferencesViewModel.h"
#include "app/overlay/OverlaySettings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parley {
namespace {

class OverlayPreferencesViewModelTest : public testing::Test {
protected:
    QTemporaryDir dir;
    std::shared_ptr<QSettings> defaults = std::make_shared<QSettings>(
        dir.filePath("settings.ini"), QSettings::IniFormat);
    OverlaySettings settings { defaults };
    OverlayPreferencesViewModel viewModel { settings };
};

TEST_F(OverlayPreferencesViewModelTest, IsOffUntilSwitchedOnThenShowsAndCopiesTheServedAddress)
{
    EXPECT_FALSE(viewModel.enabled());
    EXPECT_EQ(viewModel.addressText(), QString());
    EXPECT_EQ(viewModel.portText(), "17565");

    viewModel.setEnabled(true);
    EXPECT_TRUE(loadOverlayOptions(*defaults).enabled);
    EXPECT_EQ(viewModel.addressText(), "Served while you are signed in.");
    EXPECT_FALSE(viewModel.canCopyAddress());

    settings.setServed({}, QStringLiteral("No free port from 17565 to 17584."));
    EXPECT_EQ(viewModel.addressText(), "No free port from 17565 to 17584.");
    const QString address = "http://127.0.0.1:17566/overlay/" + settings.options().token;
    settings.setServed(address);
    EXPECT_EQ(viewModel.addressText(), address);
    viewModel.copyAddress();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), address);

    const QString token = settings.options().token;
    viewModel.newAddress();
    EXPECT_NE(settings.options().token, token);
}

TEST_F(OverlayPreferencesViewModelTest, KeepsBadNumbersOutAndSaysWhy)
{
    const OverlayOptions before = settings.options();
    viewModel.setPort("80");
    viewModel.setFontScale("huge");
    viewModel.setLifetime("0");
    EXPECT_EQ(settings.options(), before);
    EXPECT_EQ(viewModel.portError(), "Enter a port from 1024 to 65535.");
    EXPECT_EQ(viewModel.fontScaleError(), "Enter a size from 50 to 300 percent.");
    EXPECT_EQ(viewModel.lifetimeError(), "Enter from 1 to 3600 seconds.");

    viewModel.setPort(" 18000 ");
    viewModel.setFontScale("150");
    viewModel.setFadesMessages(true);
    EXPECT_EQ(settings.options().messageLifetime, std::chrono::seconds(30));
    viewModel.setLifetime("45");
    viewModel.setHideBadges(true);
    EXPECT_TRUE(viewModel.portError().isEmpty());
    EXPECT_TRUE(viewModel.lifetimeError().isEmpty());
    const OverlayOptions stored = loadOverlayOptions(*defaults);
    EXPECT_EQ(stored.port, 18000);
    EXPECT_EQ(stored.fontScale, 1.5);
    EXPECT_EQ(stored.messageLifetime, std::chrono::seconds(45));
    EXPECT_TRUE(stored.hideBadges);

    viewModel.setFadesMessages(false);
    EXPECT_EQ(settings.options().messageLifetime, std::chrono::seconds(0));
}

} // namespace
} // namespace parley
