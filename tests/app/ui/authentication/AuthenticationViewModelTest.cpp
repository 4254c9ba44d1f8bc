#include "app/ui/authentication/AuthenticationViewModel.h"

#include "app/ui/QmlScreen.h"
#include "app/ui/authentication/AuthenticationViewController.h"

#include <QQuickItem>
#include <QQuickWidget>

#include <gtest/gtest.h>

using namespace parley;

namespace {

class AuthenticationViewModelTest : public testing::Test {
protected:
    AuthenticationViewModel viewModel {
        [this] { return QUrl(QStringLiteral("https://id.example/oauth2/authorize?state=%1").arg(++started)); },
        QStringLiteral("twitch.tv"), QStringLiteral("1.2.3"), [this](const QUrl& url) {
            opened.append(url);
            return browserOpens;
        } };
    int started = 0;
    QList<QUrl> opened;
    bool browserOpens = true;
};

TEST_F(AuthenticationViewModelTest, EveryPressStartsASignInUnlessOneIsBeingCompleted)
{
    EXPECT_EQ(viewModel.signInTitle(), QStringLiteral("Sign in with twitch.tv"));
    EXPECT_TRUE(viewModel.signIn());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), QUrl(QStringLiteral("https://id.example/oauth2/authorize?state=1")));
    // A sign-in that did not succeed says why until the next press.
    viewModel.showFailure(QStringLiteral("Sign-in was cancelled."));
    EXPECT_TRUE(viewModel.signIn());
    EXPECT_EQ(opened.last(), QUrl(QStringLiteral("https://id.example/oauth2/authorize?state=2")));
    EXPECT_TRUE(viewModel.failureText().isEmpty());

    viewModel.setAuthenticating(true);
    EXPECT_FALSE(viewModel.isSignInEnabled());
    EXPECT_DOUBLE_EQ(viewModel.signInOpacity(), 0.5);
    EXPECT_TRUE(viewModel.showsProgress());
    EXPECT_FALSE(viewModel.signIn());
    EXPECT_EQ(opened.size(), 2);

    viewModel.setAuthenticating(false);
    EXPECT_TRUE(viewModel.isSignInEnabled());
    EXPECT_DOUBLE_EQ(viewModel.signInOpacity(), 1.0);
    EXPECT_FALSE(viewModel.showsProgress());
    browserOpens = false;
    EXPECT_FALSE(viewModel.signIn());
    EXPECT_TRUE(viewModel.isSignInEnabled());
}

TEST_F(AuthenticationViewModelTest, VersionLineIsVAloneWithoutAVersion)
{
    EXPECT_EQ(viewModel.versionLine(), QStringLiteral("v1.2.3"));
    AuthenticationViewModel unversioned(
        [] { return QUrl(); }, QStringLiteral("twitch.tv"), QString(), [](const QUrl&) { return true; });
    EXPECT_EQ(unversioned.versionLine(), QStringLiteral("v"));
}

TEST_F(AuthenticationViewModelTest, PressingTheButtonReversesItsGradient)
{
    const QColor top = AuthenticationViewModel::buttonTopColor(false);
    const QColor bottom = AuthenticationViewModel::buttonBottomColor(false);
    EXPECT_EQ(top, QColor::fromHsvF(339.0f / 360.0f, 0.76f, 0.61f));
    EXPECT_EQ(bottom, QColor::fromHsvF(332.0f / 360.0f, 0.77f, 0.5f));
    EXPECT_EQ(AuthenticationViewModel::buttonTopColor(true), bottom);
    EXPECT_EQ(AuthenticationViewModel::buttonBottomColor(true), top);
}

TEST_F(AuthenticationViewModelTest, ScreenShowsTheProgressIndicatorOnlyWhileAuthenticating)
{
    AuthenticationViewController::registerTypes();
    QmlScreen view;
    view.load(QUrl(QStringLiteral("qrc:/parley/authentication/AuthenticationView.qml")),
        { { QStringLiteral("viewModel"), QVariant::fromValue(&viewModel) } });
    QQuickItem* root = view.quickWidget()->rootObject();
    ASSERT_TRUE(root);
    EXPECT_GE(root->implicitHeight(), 329);
    auto* button = root->findChild<QQuickItem*>(QStringLiteral("signInButton"));
    auto* progress = root->findChild<QQuickItem*>(QStringLiteral("signInProgress"));
    ASSERT_TRUE(button && progress);
    EXPECT_EQ(button->property("text").toString(), QStringLiteral("Sign in with twitch.tv"));
    EXPECT_TRUE(button->isEnabled());
    EXPECT_FALSE(progress->isVisible());

    viewModel.setAuthenticating(true);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_DOUBLE_EQ(button->opacity(), 0.5);
    EXPECT_TRUE(progress->isVisible());
}

} // namespace
