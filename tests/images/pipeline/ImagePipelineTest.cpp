#include "images/PipelineTestSupport.h"

#include "images/pipeline/ImagePipelineDelegate.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>

using namespace parley;
using namespace parley::test;

namespace {

LocalHttpServer::Response png(const QByteArray& data)
{
    return { 200, { { "Content-Type", "image/png" } }, data };
}

LocalHttpServer::Response held()
{
    LocalHttpServer::Response response;
    response.isHeld = true;
    return response;
}

struct PipelineTest : ::testing::Test {
    QByteArray image = testimages::png({ 28, 28 }, Qt::red);
    std::shared_ptr<CountingLoader> loader = std::make_shared<CountingLoader>();
    std::function<LocalHttpServer::Response(const LocalHttpServer::Request&)> respond = [this](const auto&) {
        return png(image);
    };
    LocalHttpServer server { [this](const auto& request) { return respond(request); } };
    ImagePipeline::Configuration configuration = isolatedConfiguration(loader);
    Completions completions;

    std::shared_ptr<ImagePipeline> makePipeline() { return ImagePipeline::create(configuration); }
};

} // namespace

TEST_F(PipelineTest, loadsAndDecodesAnImageOnTheMainThread)
{
    auto pipeline = makePipeline();
    bool isOnMainThread = false;
    pipeline->loadImage(server.url("/e.png"), [&](const ImageResult& result) {
        isOnMainThread = QThread::currentThread() == qApp->thread();
        completions.results.push_back(result);
    });
    ASSERT_TRUE(completions.waitFor(1));
    const ImageResponse* response = completions.results[0].value();
    ASSERT_TRUE(response) << completions.errorText(0).toStdString();
    EXPECT_EQ(response->image().size(), QSize(28, 28));
    EXPECT_EQ(response->container.type(), AssetType::png());
    EXPECT_FALSE(response->cacheType);
    EXPECT_EQ(response->urlResponse->statusCode, 200);
    EXPECT_TRUE(isOnMainThread);
}

TEST_F(PipelineTest, cancellingOneOfTwoIdenticalLoadsLeavesTheSharedDownload)
{
    // Both wait on a held response, so the cancel surely comes first.
    respond = [](const auto&) { return held(); };
    auto pipeline = makePipeline();
    auto cancelled = pipeline->loadImage(server.url("/shared.png"), completions.add());
    pipeline->loadImage(server.url("/shared.png"), completions.add());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
    pipeline->cancel(cancelled);
    QTest::qWait(50);
    EXPECT_EQ(loader->cancels, 0) << "the other waiter still wants the download";
    EXPECT_EQ(cancelled->state(), ImageTask::State::cancelled);
}

TEST_F(PipelineTest, cancellingTheOnlyTaskCancelsTheDownloadAndNeverCompletes)
{
    respond = [](const auto&) { return held(); };
    auto pipeline = makePipeline();
    bool isOnCancelCalled = false;
    auto task = pipeline->loadImage(server.url("/slow.png"), completions.add());
    task->onCancel = [&] { isOnCancelCalled = true; };
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
    pipeline->cancel(task);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader->cancels == 1; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return isOnCancelCalled; }, 10000));
    QTest::qWait(50);
    EXPECT_TRUE(completions.results.empty());
}

TEST_F(PipelineTest, memoryCacheHitMakesNoRequest)
{
    auto pipeline = makePipeline();
    pipeline->loadImage(server.url("/e.png"), completions.add());
    ASSERT_TRUE(completions.waitFor(1));
    pipeline->loadImage(server.url("/e.png"), completions.add());
    ASSERT_TRUE(completions.waitFor(2));
    EXPECT_EQ(server.requestCount(), 1);
    EXPECT_EQ(completions.results[1].value()->cacheType, ImageResponse::CacheType::memory);
    EXPECT_TRUE(pipeline->cachedImage(ImageRequest(server.url("/e.png"))));

    pipeline->removeCachedImage(ImageRequest(server.url("/e.png")));
    ImageRequest bypassing(server.url("/e.png"));
    bypassing.setOptions(ImageRequest::Option::noMemoryCacheReads);
    pipeline->loadImage(bypassing, nullptr, {}, completions.add());
    ASSERT_TRUE(completions.waitFor(3));
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(PipelineTest, invalidatedPipelineStopsItsTasksAndRefusesNewOnes)
{
    respond = [](const auto&) { return held(); };
    auto pipeline = makePipeline();
    auto running = pipeline->loadImage(server.url("/held.png"), completions.add());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 1; }, 10000));
    pipeline->invalidate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader->cancels == 1; }, 10000));
    pipeline->loadImage(server.url("/later.png"), completions.add());
    ASSERT_TRUE(completions.waitFor(1));
    EXPECT_EQ(completions.errorText(0), "Image pipeline is invalidated and no requests can be made.");
    EXPECT_EQ(running->state(), ImageTask::State::cancelled);
}

TEST_F(PipelineTest, priorityChangesReachTheSharedDownloadWhileItWaits)
{
    // One loading slot, taken by a held download: the rest wait in priority order.
    configuration.dataLoadingQueueWidth = 1;
    respond = [this](const LocalHttpServer::Request& request) {
        return request.path == "/blocker.png" ? held() : png(image);
    };
    for (bool waiterCancels : { false, true }) {
        auto pipeline = makePipeline();
        const int before = server.requestCount();
        auto blocker = pipeline->loadImage(server.url("/blocker.png"), completions.add());
        ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == before + 1; }, 10000));

        ImageRequest plain(server.url("/normal.png"));
        ImageRequest low(server.url(waiterCancels ? "/low2.png" : "/low.png"));
        low.setPriority(ImageRequest::Priority::low);
        pipeline->loadImage(plain, nullptr, {}, completions.add());
        pipeline->loadImage(low, nullptr, {}, completions.add());
        auto raised = pipeline->loadImage(low, nullptr, {}, completions.add());
        pipeline->setPriority(raised, ImageRequest::Priority::veryHigh);
        if (waiterCancels)
            pipeline->cancel(raised);
        QTest::qWait(50); // let the changes reach the waiting operation
        pipeline->cancel(blocker);

        ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == before + 3; }, 10000));
        const QByteArray first = server.requests().at(before + 1).path;
        EXPECT_EQ(first, waiterCancels ? "/normal.png" : "/low.png")
            << (waiterCancels ? "the download drops back to its remaining low waiter" : "raised to veryHigh");
    }
}

TEST_F(PipelineTest, rateLimiterStartsTheBurstThenWaitsForTokens)
{
    configuration.dataLoadingQueueWidth = 30;
    respond = [](const auto&) { return held(); };
    auto pipeline = makePipeline();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 30; ++i)
        pipeline->loadImage(server.url("/e" + QByteArray::number(i) + ".png"), completions.add());
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader->loads >= 25; }, 10000));
    const qint64 burstDone = clock.elapsed();
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader->loads == 30; }, 10000));
    // The rest can only start once a drain has found new tokens, 26 ms after
    // the burst at the earliest.
    EXPECT_GE(clock.elapsed(), 26) << "burst took " << burstDone << " ms";
}

TEST_F(PipelineTest, aServerThatIgnoresTheResumeRangeSendsTheWholeBodyAgain)
{
    QByteArray body(50000, 0);
    for (int i = 0; i < body.size(); ++i)
        body[i] = char(i * 7);
    int attempt = 0;
    respond = [&](const LocalHttpServer::Request&) {
        LocalHttpServer::Response response { 200, { { "Accept-Ranges", "bytes" }, { "ETag", "\"t1\"" } }, body };
        if (attempt++ == 0)
            response.dropAfter = 10000;
        return response;
    };
    auto pipeline = makePipeline();
    std::vector<DataResult> results;
    for (int load = 0; load < 2; ++load) {
        pipeline->loadData(ImageRequest(server.url("/resumable.bin")), nullptr, {},
            [&](const DataResult& result) { results.push_back(result); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return int(results.size()) == load + 1; }, 10000));
    }
    EXPECT_FALSE(results[0].isSuccess());
    ASSERT_TRUE(results[1].isSuccess()) << results[1].error()->description().toStdString();
    EXPECT_EQ(results[1].value()->data, body) << "not the kept part joined to a whole body";
    const auto& retry = server.requests().last();
    EXPECT_EQ(retry.headers.value("range"), "bytes=10000-");
    EXPECT_EQ(retry.headers.value("if-range"), "\"t1\"");
}

TEST_F(PipelineTest, diskHttpCacheServesASecondLaunchWithoutTheNetwork)
{
    QTemporaryDir directory;
    respond = [this](const auto&) {
        auto response = png(image);
        response.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("max-age=86400")));
        return response;
    };
    for (int launch = 0; launch < 2; ++launch) {
        configuration = isolatedConfiguration(std::make_shared<DataLoader>(URLCache { directory.path() }));
        auto pipeline = makePipeline();
        pipeline->loadImage(server.url("/cached.png"), completions.add());
        ASSERT_TRUE(completions.waitFor(launch + 1));
        EXPECT_TRUE(completions.results.back().isSuccess());
    }
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(PipelineTest, destroyingThePipelineWithLoadsInFlightIsSilent)
{
    respond = [](const auto&) { return held(); };
    auto pipeline = makePipeline();
    auto future = pipeline->image(server.url("/held.png"));
    pipeline->loadImage(server.url("/held2.png"), completions.add());
    // The caller keeps the task: its future must not wait for ever.
    const auto kept = pipeline->imageTask(ImageRequest(server.url("/held3.png")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.requestCount() == 3; }, 10000));
    pipeline.reset();
    QTest::qWait(50);
    EXPECT_TRUE(completions.results.empty());
    EXPECT_TRUE(future.isCanceled());
    EXPECT_TRUE(kept.response.isFinished() && kept.response.isCanceled());
}

TEST_F(PipelineTest, futureBridgeDeliversTheImageOrTheError)
{
    respond = [this](const LocalHttpServer::Request& request) -> LocalHttpServer::Response {
        return request.path == "/e.png" ? png(image) : LocalHttpServer::Response { 500, {}, "x" };
    };
    auto pipeline = makePipeline();
    auto good = pipeline->image(server.url("/e.png"));
    auto bad = pipeline->image(server.url("/broken.png"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return good.isFinished() && bad.isFinished(); }, 10000));
    EXPECT_EQ(good.result().image().size(), QSize(28, 28));
    EXPECT_THROW(bad.waitForFinished(), ImagePipelineError);

    respond = [](const auto&) { return held(); };
    auto cancelled = pipeline->imageTask(ImageRequest(server.url("/held.png")));
    pipeline->cancel(cancelled.task);
    EXPECT_TRUE(QTest::qWaitFor([&] { return cancelled.response.isCanceled(); }, 10000));
}

TEST_F(PipelineTest, taskIdsCountUpFromOne)
{
    auto pipeline = makePipeline();
    EXPECT_EQ(pipeline->loadImage(server.url("/a.png"), completions.add())->taskId(), 1);
    EXPECT_EQ(pipeline->loadImage(server.url("/b.png"), completions.add())->taskId(), 2);
    ASSERT_TRUE(completions.waitFor(2));
}

TEST_F(PipelineTest, decodingNeverHoldsUpThePipelinesOtherWork)
{
    // A decoder stuck on one image: a memory-cache hit and a cancel still
    // complete, and the decoder never runs on the pipeline's own thread.
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool isOpen = false;
        std::atomic<bool> isEntered = false;
        std::atomic<bool> ranOnPipelineThread = false;
    };
    struct StuckDecoder : ImageDecoding {
        explicit StuckDecoder(std::shared_ptr<Gate> gate) : gate(std::move(gate)) { }
        QString name() const override { return QStringLiteral("Stuck"); }
        ImageContainer decode(const QByteArray& data) override
        {
            gate->ranOnPipelineThread = QThread::currentThread()->objectName() == "parley.images.ImagePipeline";
            gate->isEntered = true;
            std::unique_lock lock(gate->mutex);
            gate->opened.wait(lock, [this] { return gate->isOpen; });
            return ImageContainer(QImage::fromData(data));
        }
        std::optional<ImageContainer> decodePartiallyDownloadedData(const QByteArray&) override { return {}; }
        std::shared_ptr<Gate> gate;
    };
    auto gate = std::make_shared<Gate>();
    configuration.makeImageDecoder = [gate](
                                         const ImageDecodingContext&) { return std::make_shared<StuckDecoder>(gate); };
    auto pipeline = makePipeline();
    pipeline->storeCachedImage(
        ImageContainer(QImage(4, 4, QImage::Format_ARGB32)), ImageRequest(server.url("/hit.png")));

    auto stuck = pipeline->loadImage(server.url("/large.png"), completions.add());
    ASSERT_TRUE(QTest::qWaitFor([&] { return gate->isEntered.load(); }, 10000));
    pipeline->loadImage(server.url("/hit.png"), completions.add());
    EXPECT_TRUE(completions.waitFor(1)) << "the memory-cache hit waited for the decoder";
    bool isCancelled = false;
    stuck->onCancel = [&] { isCancelled = true; };
    pipeline->cancel(stuck);
    EXPECT_TRUE(QTest::qWaitFor([&] { return isCancelled; }, 10000));
    {
        std::lock_guard lock(gate->mutex);
        gate->isOpen = true;
    }
    gate->opened.notify_all();
    EXPECT_FALSE(gate->ranOnPipelineThread);
}

TEST_F(PipelineTest, cancelAfterThePipelineFinishedButBeforeDeliveryStaysSilent)
{
    auto pipeline = makePipeline();
    const ImageRequest request(server.url("/hit.png"));
    pipeline->storeCachedImage(ImageContainer(QImage(4, 4, QImage::Format_ARGB32)), request);

    // The completion is queued on the main thread, which is busy with this
    // test until the cancel has returned.
    auto task = pipeline->loadImage(request, nullptr, {}, completions.add());
    bool isCancelled = false;
    task->onCancel = [&] { isCancelled = true; };
    while (task->state() == ImageTask::State::running)
        std::this_thread::yield();
    pipeline->cancel(task);
    QTest::qWait(20);
    EXPECT_TRUE(completions.results.empty());
    EXPECT_TRUE(isCancelled) << "a future waiting on the task must still end";

    auto future = pipeline->imageTask(request);
    while (future.task->state() == ImageTask::State::running)
        std::this_thread::yield();
    pipeline->cancel(future.task);
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.response.isCanceled(); }, 10000));
}

TEST_F(PipelineTest, loadsThatDifferOnlyInScaleShareTheDownloadButNotTheImage)
{
    auto pipeline = makePipeline();
    auto scaled = [&](float scale) {
        return ImageRequest(server.url("/e.png"), {}, ImageRequest::Priority::normal, {},
            ImageRequest::UserInfo { { ImageRequest::scaleKey, scale } });
    };
    pipeline->loadImage(scaled(1), nullptr, {}, completions.add());
    pipeline->loadImage(scaled(2), nullptr, {}, completions.add());
    ASSERT_TRUE(completions.waitFor(2));
    EXPECT_EQ(server.requestCount(), 1);
    std::set<qreal> ratios;
    for (const auto& result : completions.results)
        ratios.insert(result.value()->image().devicePixelRatio());
    EXPECT_EQ(ratios, (std::set<qreal> { 1, 2 }));

    pipeline->loadImage(scaled(2), nullptr, {}, completions.add());
    ASSERT_TRUE(completions.waitFor(3));
    EXPECT_EQ(completions.results[2].value()->cacheType, ImageResponse::CacheType::memory);
    EXPECT_EQ(completions.results[2].value()->image().devicePixelRatio(), 2);
}
