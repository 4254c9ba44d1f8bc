#include "app/shell/EndToEnd.h"

#include <QUrlQuery>

using namespace parley;
using namespace parley::endtoend;

namespace {

const QString signInTitle = QStringLiteral("Parley - Sign into Twitch");
const QString sessionTitle = QStringLiteral("Parley - #parley_demo");
const QString signInButton = QStringLiteral("Sign in with twitch.tv");

class SignInEndToEndTest : public EndToEndTest {
protected:
    // Hands `redirect` to the running Parley as the browser does, through a
    // second `parley URL`.
    void open(const QUrl& redirect)
    {
        RunningParley browser(program(), environment, runtimeDirectory(), { redirect.toString(QUrl::FullyEncoded) });
        ASSERT_TRUE(browser.process().waitForFinished(timeout));
    }

    // Where the authorisation page sends the browser when the user presses Cancel.
    static QUrl declined(const QUrl& address)
    {
        const QUrlQuery query(address);
        QUrl redirect(query.queryItemValue(QStringLiteral("redirect_uri"), QUrl::FullyDecoded));
        redirect.setQuery(QStringLiteral("error=access_denied&error_description=The+user+denied+you+access&state=") +
            query.queryItemValue(QStringLiteral("state")));
        return redirect;
    }

    static QString state(const QUrl& address)
    {
        return QUrlQuery(address).queryItemValue(QStringLiteral("state"));
    }
};

TEST_F(SignInEndToEndTest, ADeclinedSignInIsSaidAndTheNextPressSignsIn)
{
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());

    ASSERT_TRUE(parley->run(QStringLiteral("press"), signInButton));
    const QUrl first = parley->waitForOpenedAddress();
    open(declined(first));
    const QString cancelled = QStringLiteral("Sign-in was cancelled.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->shows(cancelled); }, timeout));

    // The next press is a new sign-in: its own state, and it goes through.
    ASSERT_TRUE(parley->run(QStringLiteral("press"), signInButton));
    const QUrl second = parley->waitForOpenedAddress();
    EXPECT_NE(state(second), state(first));
    EXPECT_FALSE(parley->shows(cancelled));
    open(authorize(second));
    EXPECT_FALSE(parley->waitForWindow(sessionTitle).isEmpty());
    EXPECT_FALSE(parley->standardError().contains("TypeError"));
}

TEST_F(SignInEndToEndTest, AFailedValidationIsSaidAndTheNextPressSignsIn)
{
    simulator.setFault(QStringLiteral("/oauth2/validate"), sim::HttpFault::withStatus(500).forRequests(1));
    std::unique_ptr<RunningParley> parley = launch();
    ASSERT_FALSE(parley->waitForWindow(signInTitle).isEmpty());

    ASSERT_TRUE(parley->run(QStringLiteral("press"), signInButton));
    open(authorize(parley->waitForOpenedAddress()));
    // The error presenter's words for the failure, under the button.
    const QString failure = QStringLiteral("An unexpected error happened while communicating with Twitch server.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return parley->shows(failure); }, timeout));

    ASSERT_TRUE(parley->run(QStringLiteral("press"), signInButton));
    EXPECT_FALSE(parley->shows(failure));
    open(authorize(parley->waitForOpenedAddress()));
    EXPECT_FALSE(parley->waitForWindow(sessionTitle).isEmpty());
    EXPECT_FALSE(parley->standardError().contains("TypeError"));
}

} // namespace
