// Scenarios that lock the keyring. They run in a keyring of their own
// (tools/private-keyring.sh), since a locked keyring would fail every other
// test writing to the shared one, and it cannot be unlocked again here: no
// prompt can be shown, so every unlock request counts as refused.

#include "app/account/AccountTestSupport.h"
#include "app/account/KeyringLock.h"

#include "platform/Diagnostics.h"

using namespace parley;
using namespace parley::test;

namespace {

class LockedKeyringTest : public AccountTest {
protected:
    // The keyring dies with its session; a locked one cannot be cleared.
    void TearDown() override { }
};

} // namespace

// Both scenarios in one test: the keyring stays locked once locked.
TEST_F(LockedKeyringTest, LogoutAndSignInWithALockedKeyring)
{
    storeToken(QString::fromLatin1(demo::token), demoInfo());
    auto controller = launchAndRestore();
    ASSERT_TRUE(controller->state().isAuthenticated());
    ASSERT_TRUE(lockDefaultCollection());

    // The logout signs out in memory and says the token is still stored.
    QFuture<void> loggedOut = controller->logout();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loggedOut.isFinished(); }, timeout));
    EXPECT_FALSE(controller->state().isAuthenticated());
    EXPECT_EQ(alerts,
        QStringList {
            QStringLiteral("Parley could not remove your sign-in from the keyring: The keyring is locked.") });

    // A sign-in asks to unlock once for its two items; refused, it still
    // works for this run and says it will not be remembered.
    alerts.clear();
    simulator.model().addToken({ QStringLiteral("second-token"), QString::fromLatin1(demo::clientID),
        QString::fromLatin1(demo::userID), { QStringLiteral("chat:read"), QStringLiteral("chat:edit") } });
    simulator.setAuthorizationToken(QStringLiteral("second-token"));
    DiagnosticsCapture log;
    controller->handleRedirect(browse(controller->startSignIn()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return controller->state().isAuthenticated(); }, timeout));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !alerts.isEmpty(); }, timeout));
    EXPECT_EQ(alerts,
        QStringList { QStringLiteral("Parley could not save your sign-in to the keyring, so it will not "
                                     "be remembered after Parley quits: The keyring is locked.") });
    EXPECT_EQ(log.lines().filter(QStringLiteral("SecretServiceItems.unlock:")).size(), 1);
    EXPECT_TRUE(controller->state().isAuthenticated());
}
