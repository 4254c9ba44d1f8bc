#include "parley-dev/Commands.h"

#include "parley-dev/TerminalText.h"
#include "app/account/AccountError.h"
#include "app/account/AccountStorage.h"
#include "app/account/ApplicationController.h"
#include "app/account/BundleConfigError.h"
#include "app/session/SessionController.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/Diagnostics.h"
#include "platform/Error.h"
#include "platform/ErrorPresenter.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QTextStream>

#include <cstdio>
#include <memory>
#include <optional>

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
    printTerminalLine(stdout, line);
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
    QFuture<QStringList> items = controller.accessTokenStorage().storedItems();
    waitFor(items);
    const QStringList accounts = items.result();
    print(QStringLiteral("stored items: %1")
              .arg(accounts.isEmpty() ? QStringLiteral("none") : accounts.join(QStringLiteral(", "))));
}

// The bundle's configuration; nothing (after saying why) when it cannot be read.
std::optional<BundleConfig> readBundle(const QStringList& arguments, const char* command)
{
    if (arguments.size() != 2 || arguments.first() != QLatin1String("--bundle")) {
        std::fprintf(stderr, "usage: parley-dev %s --bundle DIR\n", command);
        return std::nullopt;
    }
    try {
        return BundleConfig::read(arguments.at(1));
    } catch (const BundleConfigError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return std::nullopt;
    }
}

// The application controller of the bundle, its stored sign-in restored;
// what its alerts would show is printed. Its sessions load emote images
// through `images`, which must outlive it.
std::unique_ptr<ApplicationController> restoredController(const BundleConfig& config, ImagePipeline& images)
{
    // The chat session a sign-in starts logs its traffic; only the account matters here.
    Diagnostics::setSink([](const QString& line) {
        if (line.startsWith(QLatin1String("ApplicationController.")) || line.startsWith(QLatin1String("SecretService")))
            print(line);
    });
    auto controller = std::make_unique<ApplicationController>(config,
        TwitchAPI(config.twitchEndpoints(), config.twitchClientID, config.twitchAuthRedirectURL),
        makeCredentialStore(config), makeUserDefaults(config),
        [&images](const TwitchAPI& twitch, const TwitchUserAccessToken& accessToken) {
            return std::shared_ptr<SessionController>(new SessionController(twitch, accessToken, nullptr, images),
                [](QObject* session) { session->deleteLater(); });
        });
    QObject::connect(controller.get(), &ApplicationController::errors,
        [](const std::exception_ptr& error) { print(QStringLiteral("alert: ") + ErrorPresenter::userMessage(error)); });
    waitFor([&] { return !controller->isRestoring(); });
    print(QStringLiteral("stored sign-in: %1").arg(describeState(*controller)));
    printStoredItems(*controller);
    return controller;
}

} // namespace

// Signs in as Parley would, without a browser: prints the authorisation URL,
// reads the one redirect URL the browser ended on from standard input, and
// completes the sign-in through the application controller of the bundle.
// Exits 0 only when signed in: an ignored redirect and a failed sign-in (with
// the message its alert would show) exit 1.
int runLogin(const QStringList& arguments)
{
    const std::optional<BundleConfig> config = readBundle(arguments, "login");
    if (!config)
        return 2;
    const auto images = ImagePipeline::create();
    const std::unique_ptr<ApplicationController> controller = restoredController(*config, *images);

    // print() escapes control characters, a line feed too: the address,
    // made from the bundle's configuration, goes on a line of its own.
    print(QStringLiteral("open in a browser and sign in:"));
    print(controller->startSignIn().toString(QUrl::FullyEncoded));
    print(QStringLiteral("paste the address the browser was sent back to:"));
    const QString redirect = QTextStream(stdin).readLine().trimmed();

    bool startedSession = false;
    QObject::connect(controller.get(), &ApplicationController::stateChanged, [&] { startedSession = true; });
    QFuture<void> signIn = controller->authenticate(QUrl(redirect));
    waitFor(signIn);
    try {
        signIn.waitForFinished();
        if (!startedSession)
            print(QStringLiteral("sign-in failed: the address carried no access token"));
    } catch (const IgnoredRedirectError& ignored) {
        print(QStringLiteral("redirect ignored: %1").arg(ignored.description()));
    } catch (...) {
        print(QStringLiteral("sign-in failed: %1").arg(ErrorPresenter::userMessage(std::current_exception())));
    }
    print(QStringLiteral("state: %1").arg(describeState(*controller)));
    printStoredItems(*controller);
    return startedSession ? 0 : 1;
}

// Logs out as the Logout command does, once the stored sign-in is restored:
// revokes the restored token and removes the stored items.
int runLogout(const QStringList& arguments)
{
    const std::optional<BundleConfig> config = readBundle(arguments, "logout");
    if (!config)
        return 2;
    const auto images = ImagePipeline::create();
    const std::unique_ptr<ApplicationController> controller = restoredController(*config, *images);
    bool keyringFailed = false;
    QObject::connect(controller.get(), &ApplicationController::errors, [&] { keyringFailed = true; });
    waitFor(controller->logout());
    print(QStringLiteral("state: %1").arg(describeState(*controller)));
    printStoredItems(*controller);
    return keyringFailed ? 1 : 0;
}

} // namespace parley::dev
