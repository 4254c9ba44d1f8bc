#include "LocalHttpServer.h"

#include "images/loading/DataLoader.h"
#include "platform/TransportError.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <mutex>

using namespace parley;
using test::LocalHttpServer;

namespace {

// Collects what a load hands back on the loader's thread.
struct Outcome {
    std::mutex mutex;
    QByteArray data;
    int chunks = 0;
    std::optional<UrlResponse> response;
    bool isCompleted = false;
    std::exception_ptr error;

    std::shared_ptr<Cancellable> start(DataLoader& loader, const QUrl& url)
    {
        return loader.loadData(QNetworkRequest(url),
            [this](const QByteArray& chunk, const UrlResponse& response) {
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
        return QTest::qWaitFor([this] { std::lock_guard lock(mutex); return isCompleted; }, 10000);
    }

    QString errorText() const { return error ? describe(error) : QString(); }
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
    DataLoader loader(UrlCache {});
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
    DataLoader loader(UrlCache {});
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
    DataLoader loader(UrlCache {}, [](const UrlResponse&) { return std::exception_ptr(); });
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
        DataLoader loader(UrlCache {});
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
    DataLoader loader(UrlCache {});

    // The loader's thread may or may not have sent this request before the
    // cancel reaches it; either way the load ends as cancelled.
    Outcome beforeStart;
    beforeStart.start(loader, server.url("/a"))->cancel();
    ASSERT_TRUE(beforeStart.waitForCompletion());

    Outcome inFlight;
    auto task = inFlight.start(loader, server.url("/b"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
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
        DataLoader loader(UrlCache {});
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
        DataLoader loader(UrlCache { directory.path() });
        Outcome outcome;
        outcome.start(loader, server.url("/cached.png"));
        ASSERT_TRUE(outcome.waitForCompletion());
        EXPECT_FALSE(outcome.error);
        EXPECT_EQ(outcome.data, body);
    }
    EXPECT_EQ(server.requestCount(), 1);
}
