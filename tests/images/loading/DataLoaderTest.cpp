#include "images/LocalHttpServer.h"

#include "images/loading/DataLoader.h"
#include "platform/TransportError.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

#include <mutex>

using namespace parley;
using namespace std::chrono_literals;
using sim::HttpFault;
using sim::TwitchSimulator;
using test::LocalHttpServer;

namespace {

// Collects what a load hands back on the loader's thread.
struct Outcome {
    std::mutex mutex;
    QByteArray data;
    int chunks = 0;
    std::optional<URLResponse> response;
    bool isCompleted = false;
    std::exception_ptr error;

    std::shared_ptr<Cancellable> start(DataLoader& loader, const QUrl& url)
    {
        return loader.loadData(
            QNetworkRequest(url),
            [this](const QByteArray& chunk, const URLResponse& response) {
                std::lock_guard lock(mutex);
                data += chunk;
                ++chunks;
                this->response = response;
            },
            [this](std::exception_ptr error) {
                std::lock_guard lock(mutex);
                EXPECT_FALSE(isCompleted) << "completion runs once";
                isCompleted = true;
                this->error = error;
            });
    }

    bool waitForCompletion()
    {
        return QTest::qWaitFor(
            [this] {
                std::lock_guard lock(mutex);
                return isCompleted;
            },
            10000);
    }

    QString errorText() const { return error ? describe(error) : QString(); }

    template <typename Error>
    std::optional<Error> errorOf() const
    {
        try {
            if (error)
                std::rethrow_exception(error);
        } catch (const Error& e) {
            return e;
        } catch (...) { }
        return std::nullopt;
    }
};

LocalHttpServer::Response image(QByteArray body, QList<QPair<QByteArray, QByteArray>> headers = {})
{
    return { 200, std::move(headers), std::move(body) };
}

LocalHttpServer::Response held()
{
    LocalHttpServer::Response response;
    response.isHeld = true;
    return response;
}

} // namespace

TEST(DataLoader, deliversTheBodyAndTheResponse)
{
    const QByteArray body(50000, 'x');
    LocalHttpServer server([&](const auto&) { return image(body, { { "ETag", "\"v1\"" } }); });
    DataLoader loader(URLCache {});
    Outcome outcome;
    outcome.start(loader, server.url("/emote.png"));

    ASSERT_TRUE(outcome.waitForCompletion());
    EXPECT_FALSE(outcome.error) << outcome.errorText().toStdString();
    EXPECT_EQ(outcome.data, body);
    EXPECT_EQ(outcome.chunks, 1) << "without incremental delivery the body comes in one piece";
    ASSERT_TRUE(outcome.response);
    EXPECT_EQ(outcome.response->statusCode, 200);
    EXPECT_EQ(outcome.response->expectedContentLength, 50000);
    EXPECT_EQ(outcome.response->header("etag"), "\"v1\"");
}

TEST(DataLoader, rejectsStatusesOutside2xxBeforeReadingTheBody)
{
    LocalHttpServer server([](const LocalHttpServer::Request& request) {
        const int status = request.path.mid(1).toInt();
        return LocalHttpServer::Response { status, {}, "not an image" };
    });
    DataLoader loader(URLCache {});
    for (int status : { 404, 500, 304 }) {
        Outcome outcome;
        outcome.start(loader, server.url("/" + QByteArray::number(status)));
        ASSERT_TRUE(outcome.waitForCompletion());
        EXPECT_EQ(outcome.errorText(), QStringLiteral("Response status code was unacceptable: %1").arg(status));
        EXPECT_TRUE(outcome.data.isEmpty());
    }
    Outcome accepted;
    accepted.start(loader, server.url("/204"));
    ASSERT_TRUE(accepted.waitForCompletion());
    EXPECT_FALSE(accepted.error);
}

TEST(DataLoader, customValidatorDecidesInstead)
{
    LocalHttpServer server([](const auto&) { return LocalHttpServer::Response { 404, {}, "body" }; });
    DataLoader loader(URLCache {}, [](const URLResponse&) { return std::exception_ptr(); });
    Outcome outcome;
    outcome.start(loader, server.url("/missing"));
    ASSERT_TRUE(outcome.waitForCompletion());
    EXPECT_FALSE(outcome.error) << "an HTTP status is not a transport failure";
    EXPECT_EQ(outcome.data, "body");
}

TEST(DataLoader, droppedConnectionHandsOverWhatArrivedThenFails)
{
    const QByteArray body(50000, 'y');
    for (bool incremental : { false, true }) {
        LocalHttpServer server([&](const auto&) {
            auto response = image(body);
            response.dropAfter = 10000;
            return response;
        });
        DataLoader loader(URLCache {});
        loader.setPrefersIncrementalDelivery(incremental);
        Outcome outcome;
        outcome.start(loader, server.url("/emote.png"));
        ASSERT_TRUE(outcome.waitForCompletion());
        ASSERT_TRUE(outcome.error);
        EXPECT_THROW(std::rethrow_exception(outcome.error), TransportError);
        EXPECT_EQ(outcome.data, body.left(10000)) << "incremental " << incremental;
    }
}

TEST(DataLoader, cancellingEndsTheLoadWithACancellation)
{
    LocalHttpServer server([](const auto&) { return held(); });
    DataLoader loader(URLCache {});

    // The loader's thread may or may not have sent this request before the
    // cancel reaches it; either way the load ends as cancelled.
    Outcome beforeStart;
    beforeStart.start(loader, server.url("/a"))->cancel();
    ASSERT_TRUE(beforeStart.waitForCompletion());

    Outcome inFlight;
    auto task = inFlight.start(loader, server.url("/b"));
    // Waits for this request itself: the cancelled one may have reached the
    // server too, in either order.
    const auto arrived = [&] {
        return std::any_of(server.requests().cbegin(), server.requests().cend(),
            [](const LocalHttpServer::Request& request) { return request.path == "/b"; });
    };
    ASSERT_TRUE(QTest::qWaitFor(arrived, 10000));
    task->cancel();
    ASSERT_TRUE(inFlight.waitForCompletion());

    for (Outcome* outcome : { &beforeStart, &inFlight }) {
        try {
            std::rethrow_exception(outcome->error);
        } catch (const TransportError& error) {
            EXPECT_TRUE(error.isCancelled());
        }
    }
}

TEST(DataLoader, destroyingTheLoaderCancelsItsLoads)
{
    LocalHttpServer server([](const auto&) { return held(); });
    Outcome outcome;
    std::shared_ptr<Cancellable> task;
    {
        DataLoader loader(URLCache {});
        task = outcome.start(loader, server.url("/held"));
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
    }
    EXPECT_TRUE(outcome.isCompleted);
    EXPECT_TRUE(outcome.error);
    task->cancel(); // a handle that outlives its loader is harmless
}

TEST(DataLoader, diskCacheServesALaterLoaderWithoutTheNetwork)
{
    QTemporaryDir directory;
    const QByteArray body(3000, 'z');
    LocalHttpServer server([&](const auto&) {
        return image(body, { { "Cache-Control", "public, max-age=3600" }, { "ETag", "\"e\"" } });
    });
    for (int launch = 0; launch < 2; ++launch) {
        DataLoader loader(URLCache { directory.path() });
        Outcome outcome;
        outcome.start(loader, server.url("/cached.png"));
        ASSERT_TRUE(outcome.waitForCompletion());
        EXPECT_FALSE(outcome.error);
        EXPECT_EQ(outcome.data, body);
    }
    EXPECT_EQ(server.requestCount(), 1);
}

TEST(DataLoader, hostileServersRunIntoTheTimeAndSizeLimits)
{
    TwitchSimulator simulator;
    ASSERT_NE(simulator.start(), 0);
    DataLoader::Limits limits;
    limits.transferTimeout = 300ms;
    limits.maximumDataSize = 1024 * 1024;
    DataLoader loader(URLCache {}, limits);

    const QUrl stalled = simulator.blobURL(50000, "stalled");
    simulator.setFault(stalled.path(), HttpFault::stalledAfter(100));
    Outcome stall;
    stall.start(loader, stalled);
    ASSERT_TRUE(stall.waitForCompletion());
    const auto timeout = stall.errorOf<TransportError>();
    ASSERT_TRUE(timeout) << stall.errorText().toStdString();
    EXPECT_EQ(timeout->code(), QNetworkReply::TimeoutError);
    EXPECT_EQ(timeout->description(), "The request timed out.");
    EXPECT_EQ(stall.data, TwitchSimulator::blobBody(50000, "stalled").left(100)) << "kept for resuming";

    const QUrl slow = simulator.blobURL(8, "slow");
    simulator.setFault(slow.path(), HttpFault::trickled(100));
    Outcome trickle;
    trickle.start(loader, slow);
    ASSERT_TRUE(trickle.waitForCompletion());
    EXPECT_FALSE(trickle.error) << "a slow body that keeps coming is no time-out";

    const QUrl announced = simulator.blobURL(limits.maximumDataSize + 1, "big");
    const QUrl endless = simulator.blobURL(10, "endless");
    simulator.setFault(endless.path(), HttpFault::endless());
    for (const QUrl& url : { announced, endless }) {
        Outcome huge;
        huge.start(loader, url);
        ASSERT_TRUE(huge.waitForCompletion());
        const auto tooLarge = huge.errorOf<DataLoader::Error>();
        ASSERT_TRUE(tooLarge) << huge.errorText().toStdString();
        EXPECT_EQ(tooLarge->code(), DataLoader::Error::Code::dataTooLarge);
        EXPECT_EQ(tooLarge->description(), "Response is larger than the limit of 1048576 bytes");
        EXPECT_LE(huge.data.size(), limits.maximumDataSize);
    }
}

TEST(DataLoader, followsUpToFiveRedirects)
{
    TwitchSimulator simulator;
    ASSERT_NE(simulator.start(), 0);
    const auto hop = [&](int index) { return simulator.blobURL(100, QStringLiteral("hop%1").arg(index)); };
    for (int index = 0; index < 12; ++index)
        if (index != 5)
            simulator.setFault(hop(index).path(), HttpFault::redirected(hop(index + 1).toEncoded()));
    DataLoader loader(URLCache {});

    Outcome five;
    five.start(loader, hop(0));
    ASSERT_TRUE(five.waitForCompletion());
    EXPECT_FALSE(five.error) << five.errorText().toStdString();
    EXPECT_EQ(five.data, TwitchSimulator::blobBody(100, "hop5"));
    ASSERT_TRUE(five.response);
    EXPECT_EQ(five.response->url, hop(5));

    Outcome six;
    six.start(loader, hop(6));
    ASSERT_TRUE(six.waitForCompletion());
    const auto tooMany = six.errorOf<TransportError>();
    ASSERT_TRUE(tooMany) << six.errorText().toStdString();
    EXPECT_EQ(tooMany->code(), QNetworkReply::TooManyRedirectsError);
}

TEST(DataLoader, authenticationChallengesEndTheLoadInsteadOfBeingReadOn)
{
    TwitchSimulator simulator;
    ASSERT_NE(simulator.start(), 0);
    DataLoader::Limits limits;
    limits.responseTimeout = 300ms;
    // Even a validator that takes every status gets no 401 or 407 body.
    DataLoader loader(URLCache {}, [](const URLResponse&) { return std::exception_ptr(); }, limits);

    for (int status : { 401, 407 }) {
        const QUrl challenge = simulator.blobURL(1000, QStringLiteral("challenge%1").arg(status));
        simulator.setFault(challenge.path(), HttpFault::withStatus(status));
        Outcome outcome;
        outcome.start(loader, challenge);
        ASSERT_TRUE(outcome.waitForCompletion());
        const auto refused = outcome.errorOf<DataLoader::Error>();
        ASSERT_TRUE(refused) << outcome.errorText().toStdString();
        EXPECT_EQ(refused->statusCode(), status);
        EXPECT_TRUE(outcome.data.isEmpty());
    }

    // Qt shows nothing of an endless 401 while it reads it: the wait for its
    // headers ends it, long before the 60 s without progress would.
    const QUrl endless = simulator.blobURL(10, "endless401");
    simulator.setFault(endless.path(), HttpFault { .status = 401, .isEndless = true });
    Outcome outcome;
    outcome.start(loader, endless);
    ASSERT_TRUE(outcome.waitForCompletion());
    const auto timeout = outcome.errorOf<TransportError>();
    ASSERT_TRUE(timeout) << outcome.errorText().toStdString();
    EXPECT_EQ(timeout->code(), QNetworkReply::TimeoutError);
}
