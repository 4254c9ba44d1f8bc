#include "Commands.h"

#include "app/account/AccountError.h"
#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "app/account/BundleConfigError.h"
#include "app/session/SessionController.h"
#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/ErrorPresenter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QTextStream>

#include <cstdio>

namespace parley::dev {

namespace {

void waitFor(const std::function<bool()>& done)
{
    QEventLoop loop;
    while (!done())
        loop.processEvents(QEventLoop::WaitForMoreEvents);
}

// A future may finish on a worker thread without posting anything to this
// thread, so wait for its watcher's signal rather than for an event.
template <typename T>
void waitFor(const QFuture<T>& future)
{
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
}

void print(const QString& line)
{
    std::fputs(qPrintable(line + u'\n'), stdout);
    std::fflush(stdout);
}

QString describeState(const ApplicationController& controller)
{
    const ApplicationState& state = controller.state();
    if (!state.isAuthenticated())
        return QStringLiteral("needsAuthentication");
    return QStringLiteral("authenticated as %1").arg(state.session()->accessToken().info.login);
}

void printStoredItems(ApplicationController& controller)
{
    QFuture<QStringList> items = controller.storedAccessTokenItems();
    waitFor(items);
    const QStringList accounts = items.result();
    print(QStringLiteral("stored items: %1").arg(accounts.isEmpty() ? QStringLiteral("none") : accounts.join(QStringLiteral(", "))));
}

} // namespace

// Signs in as Parley would, without a browser: prints the authorisation URL,
// reads the redirect URL the browser ended on from standard input, and
// completes the sign-in through the application controller of the bundle.
int runLogin(const QStringList& arguments)
{
    if (arguments.size() != 2 || arguments.first() != QLatin1String("--bundle")) {
        std::fputs("usage: parley-dev login --bundle DIR\n", stderr);
        return 2;
    }
    BundleConfig config;
    try {
        config = BundleConfig::read(arguments.at(1));
    } catch (const BundleConfigError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    // The chat session that a sign-in starts logs its traffic; only the sign-in matters here.
    Diagnostics::setSink(&Diagnostics::discard);

    ApplicationController controller(config,
        TwitchAPI(config.twitchEndpoints(), config.twitchClientID, config.twitchAuthRedirectURL),
        makeCredentialStore(config), makeUserDefaults(config),
        [](const TwitchAPI& twitch, const TwitchUserAccessToken& accessToken) {
            return std::shared_ptr<SessionController>(new SessionController(twitch, accessToken, nullptr, ImagePipeline::shared()),
                                                      [](QObject* session) { session->deleteLater(); });
        });
    waitFor([&] { return !controller.isRestoring(); });
    print(QStringLiteral("stored sign-in: %1").arg(describeState(controller)));
    printStoredItems(controller);

    print(QStringLiteral("open in a browser and sign in:\n%1").arg(controller.startSignIn().toString(QUrl::FullyEncoded)));
    print(QStringLiteral("paste the address the browser was sent back to:"));
    const QString redirect = QTextStream(stdin).readLine().trimmed();

    bool startedSession = false;
    QObject::connect(&controller, &ApplicationController::stateChanged, [&] { startedSession = true; });
    // What the application would show in alerts (a keyring that would not
    // take the sign-in, say); the sign-in's own failure is printed below.
    QObject::connect(&controller, &ApplicationController::errors, [](const std::exception_ptr& error) {
        print(QStringLiteral("alert: ") + ErrorPresenter::userMessage(error));
    });
    QFuture<void> signIn = controller.authenticate(QUrl(redirect));
    waitFor(signIn);
    try {
        signIn.waitForFinished();
        if (!startedSession)
            print(QStringLiteral("the address carried no access token"));
    } catch (const IgnoredRedirectError& ignored) {
        print(QStringLiteral("redirect ignored: %1").arg(ignored.description()));
    } catch (const AccountError&) {
        // Already shown as an alert.
    } catch (...) {
        const std::exception_ptr error = std::current_exception();
        print(QStringLiteral("sign-in failed: %1 (%2)").arg(ErrorPresenter::userMessage(error), describe(error)));
    }
    print(QStringLiteral("state: %1").arg(describeState(controller)));
    printStoredItems(controller);
    return startedSession ? 0 : 1;
}

} // namespace parley::dev
