#include "images/PipelineTestSupport.h"

#include "images/extras/ImagePrefetcher.h"
#include "images/extras/ImagePublisher.h"
#include "images/loading/ResumableDataStorage.h"
#include "images/processing/ImageProcessors.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <map>

using namespace parley;
using namespace parley::test;
using sim::HttpFault;
using sim::TwitchSimulator;

namespace {

struct SimulatorTest : ::testing::Test {
    TwitchSimulator simulator;
    std::shared_ptr<CountingLoader> loader = std::make_shared<CountingLoader>();
    std::shared_ptr<ImagePipeline> pipeline;
    Completions completions;

    void SetUp() override
    {
        ASSERT_NE(simulator.start(), 0);
        pipeline = ImagePipeline::create(isolatedConfiguration(loader));
    }

    QUrl emote(const QString& id = QStringLiteral("1"), const QString& scale = QStringLiteral("2.0")) const
    {
        return simulator.emoteImageURL(id, QStringLiteral("default"), QStringLiteral("light"), scale);
    }
};

} // namespace

TEST_F(SimulatorTest, emoteImagesLoadOnceForManyWaiters)
{
    const QUrl png = emote(), gif = emote("emotesv2_4c3b4ed516de493bbcd2df2f5d450f49");
    for (int i = 0; i < 5; ++i) {
        pipeline->loadImage(png, completions.add());
        pipeline->loadImage(gif, completions.add());
    }
    ASSERT_TRUE(completions.waitFor(10));
    EXPECT_EQ(simulator.requestCount(png.path()), 1);
    EXPECT_EQ(simulator.requestCount(gif.path()), 1);
    int gifs = 0;
    for (const auto& result : completions.results) {
        ASSERT_TRUE(result.isSuccess()) << result.error()->description().toStdString();
        EXPECT_EQ(result.value()->image().size(), QSize(56, 56));
        if (result.value()->container.type() == AssetType::gif()) {
            ++gifs;
            EXPECT_TRUE(result.value()->container.data()) << "an animated emote keeps all its frames";
        }
    }
    EXPECT_EQ(gifs, 5);
}

TEST_F(SimulatorTest, serverFaultsAndUnusableAnswersBecomePipelineErrors)
{
    simulator.setFault(emote().path(), HttpFault::withStatus(404));
    simulator.setFault(emote("9").path(), HttpFault::truncated(0));
    pipeline->loadImage(emote(), completions.add());
    ASSERT_TRUE(completions.waitFor(1));
    EXPECT_EQ(completions.errorText(0),
        "Failed to load image data. Underlying error: Response status code was unacceptable: 404.");
    pipeline->loadImage(emote("9"), completions.add());
    pipeline->loadImage(simulator.blobURL(1000, "garbage"), completions.add());
    pipeline->loadImage(QUrl(), completions.add());
    ASSERT_TRUE(completions.waitFor(4));

    std::map<ImagePipelineError::Kind, QString> texts;
    for (const auto& result : completions.results)
        texts[result.error()->kind()] = result.error()->description();
    EXPECT_EQ(texts.size(), 3u) << "404 and a missing URL both fail the download";
    EXPECT_TRUE(
        texts[ImagePipelineError::Kind::dataLoadingFailed].startsWith("Failed to load image data. Underlying error: "));
    EXPECT_EQ(texts[ImagePipelineError::Kind::dataIsEmpty], "Data loader returned empty data.");
    EXPECT_TRUE(
        texts[ImagePipelineError::Kind::decodingFailed].startsWith("Failed to decode image data using decoder"));
}

TEST_F(SimulatorTest, droppedDownloadResumesFromWhereItBrokeOff)
{
    const QUrl blob = simulator.blobURL(50000, "resume");
    simulator.setFault(blob.path(), HttpFault::droppedAfter(10000).once());
    std::vector<DataResult> results;
    for (int load = 0; load < 2; ++load) {
        pipeline->loadData(
            ImageRequest(blob), nullptr, {}, [&](const DataResult& result) { results.push_back(result); });
        ASSERT_TRUE(QTest::qWaitFor([&] { return int(results.size()) == load + 1; }, 10000));
    }
    EXPECT_FALSE(results[0].isSuccess());
    ASSERT_TRUE(results[1].isSuccess());
    EXPECT_EQ(results[1].value()->data, TwitchSimulator::blobBody(50000, "resume"));
    EXPECT_EQ(results[1].value()->urlResponse->statusCode, 206);
    const sim::SimRequest retry = simulator.requests().last();
    EXPECT_EQ(retry.header("Range"), "bytes=10000-");
    EXPECT_FALSE(retry.header("If-Range").isEmpty());
    EXPECT_EQ(retry.header("If-Range"), results[1].value()->urlResponse->header("ETag"));
}

TEST_F(SimulatorTest, processorsShareTheDownloadAndFailByName)
{
    using namespace ImageProcessors;
    ImageRequest circle(emote());
    circle.setProcessors({ std::make_shared<Circle>() });
    ImageRequest resized(emote());
    resized.setProcessors({ std::make_shared<Resize>(QSize(24, 24), Resize::ContentMode::aspectFit) });
    ImageRequest unknown(emote());
    unknown.setProcessors({ std::make_shared<CoreImageFilter>("sepia") });
    pipeline->loadImage(circle, nullptr, {}, completions.add());
    pipeline->loadImage(resized, nullptr, {}, completions.add());
    pipeline->loadImage(unknown, nullptr, {}, completions.add());
    ASSERT_TRUE(completions.waitFor(3));
    EXPECT_EQ(simulator.requestCount(emote().path()), 1);

    QSet<QSize> sizes;
    for (const auto& result : completions.results) {
        if (result.isSuccess()) {
            sizes.insert(result.value()->image().size());
            continue;
        }
        EXPECT_EQ(result.error()->kind(), ImagePipelineError::Kind::processingFailed);
        EXPECT_EQ(result.error()->description(),
            "Failed to process the image using processor parley.images.filter?name=sepia.");
    }
    EXPECT_EQ(sizes, (QSet<QSize> { QSize(56, 56), QSize(24, 24) }));
    EXPECT_TRUE(pipeline->cachedImage(resized)) << "processed images are cached under their own key";
    EXPECT_FALSE(pipeline->cachedImage(ImageRequest(emote()))) << "the unprocessed original was not asked for";
}

TEST_F(SimulatorTest, publisherSignalsTheResultAndCancelsWhenDestroyed)
{
    ImagePublisher publisher(*pipeline, ImageRequest(emote()));
    QSignalSpy finished(&publisher, &ImagePublisher::finished);
    publisher.start();
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(finished.first().first().value<ImageResponse>().image().size(), QSize(56, 56));

    simulator.setFault(emote("9").path(), HttpFault::stalledAfter());
    {
        ImagePublisher stalled(*pipeline, ImageRequest(emote("9")));
        stalled.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.requestCount(emote("9").path()) == 1; }, 10000));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return loader->cancels == 1; }, 10000));
}

TEST_F(SimulatorTest, prefetcherFillsTheMemoryCacheOnce)
{
    ImagePrefetcher prefetcher(*pipeline);
    bool isComplete = false;
    prefetcher.setDidComplete([&] { isComplete = true; });
    QList<ImageRequest> requests;
    for (const QString& scale : { "1.0", "2.0", "3.0" })
        requests.append(ImageRequest(emote("301000001", scale)));
    prefetcher.startPrefetching(requests);
    prefetcher.startPrefetching(requests);
    ASSERT_TRUE(QTest::qWaitFor([&] { return isComplete; }, 10000));
    EXPECT_EQ(simulator.totalRequestCount(), 3);
    for (const auto& request : requests)
        EXPECT_TRUE(pipeline->cachedImage(request));
    prefetcher.startPrefetching(requests);
    EXPECT_EQ(prefetcher.pendingCount(), 0) << "cached images are not prefetched again";
}

TEST_F(SimulatorTest, stalledServersGiveTheirLoadingSlotBack)
{
    DataLoader::Limits limits;
    limits.transferTimeout = std::chrono::milliseconds(300);
    auto configuration = isolatedConfiguration(std::make_shared<DataLoader>(URLCache {}, limits));
    configuration.dataLoadingQueueWidth = 1;
    pipeline = ImagePipeline::create(configuration);
    simulator.setFault(emote("9").path(), HttpFault::stalledAfter());

    pipeline->loadImage(emote("9"), completions.add());
    ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.requestCount(emote("9").path()) == 1; }, 10000));
    pipeline->loadImage(emote(), completions.add());
    ASSERT_TRUE(completions.waitFor(2));
    EXPECT_TRUE(
        completions.errorText(0).startsWith("Failed to load image data. Underlying error: The request timed out."))
        << completions.errorText(0).toStdString();
    EXPECT_TRUE(completions.results[1].isSuccess()) << "the stalled load freed the only slot";
}

TEST_F(SimulatorTest, aResumedDownloadJoinsOnlyTheRangeThatContinuesIt)
{
    const QUrl blob = simulator.blobURL(50000, "range");
    const QByteArray body = TwitchSimulator::blobBody(50000, "range");
    std::vector<DataResult> results;
    const auto load = [&] {
        pipeline->loadData(
            ImageRequest(blob), nullptr, {}, [&](const DataResult& result) { results.push_back(result); });
        const std::size_t count = results.size() + 1;
        return QTest::qWaitFor([&] { return results.size() == count; }, 10000);
    };
    simulator.setFault(blob.path(), HttpFault::droppedAfter(10000).once());
    ASSERT_TRUE(load());
    simulator.setFault(blob.path(), HttpFault::wrongRange().once());
    ASSERT_TRUE(load());
    ASSERT_TRUE(results[1].isSuccess());
    EXPECT_EQ(results[1].value()->data, body) << "a range from byte 0 is not glued after the stored bytes";
    EXPECT_EQ(simulator.requests().last().header("Range"), QByteArray()) << "started over without them";

    // Broken twice: the second capture holds the stored and the new bytes.
    const QUrl twice = simulator.blobURL(50000, "twice");
    simulator.setFault(twice.path(), HttpFault::droppedAfter(10000).once());
    pipeline->loadData(ImageRequest(twice), nullptr, {}, [&](const DataResult& result) { results.push_back(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 3; }, 10000));
    simulator.setFault(twice.path(), HttpFault::droppedAfter(20000).once());
    pipeline->loadData(ImageRequest(twice), nullptr, {}, [&](const DataResult& result) { results.push_back(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 4; }, 10000));
    pipeline->loadData(ImageRequest(twice), nullptr, {}, [&](const DataResult& result) { results.push_back(result); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return results.size() == 5; }, 10000));
    EXPECT_EQ(simulator.requests().last().header("Range"), "bytes=30000-");
    ASSERT_TRUE(results[4].isSuccess());
    EXPECT_EQ(results[4].value()->data, TwitchSimulator::blobBody(50000, "twice"));
}

TEST_F(SimulatorTest, aCancelledDownloadKeepsWhatArrivedForResuming)
{
    // Bytes reach the loader, which holds them until the load ends.
    struct Received : DataLoader::Delegate {
        void dataReceived(const QNetworkRequest&, qsizetype count) override { bytes += count; }
        std::atomic<qint64> bytes = 0;
    };
    auto dataLoader = std::make_shared<DataLoader>(URLCache {});
    const auto received = std::make_shared<Received>();
    dataLoader->setDelegate(received);
    pipeline = ImagePipeline::create(isolatedConfiguration(dataLoader));
    const QUrl blob = simulator.blobURL(50000, "cancel");
    simulator.setFault(blob.path(), HttpFault::stalledAfter(10000).once());

    const auto task = pipeline->loadData(ImageRequest(blob), nullptr, {}, [](const DataResult&) {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return received->bytes == 10000; }, 10000));
    pipeline->cancel(task);
    const QString imageId = *ImageRequest(blob).originalImageId();
    std::optional<ResumableData> kept;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            kept = pipeline->configuration().services.resumableData->take(pipeline->id(), imageId);
            return kept.has_value();
        },
        10000))
        << "the bytes the loader held are kept once the cancelled load ends";
    EXPECT_EQ(kept->data, TwitchSimulator::blobBody(50000, "cancel").left(10000));
    EXPECT_EQ(kept->totalLength, 50000);
}

TEST_F(SimulatorTest, aStoppedPrefetchCancelsItsLoadAndLeavesANewerOneAlone)
{
    ImagePrefetcher prefetcher(*pipeline);
    const ImageRequest request(emote("9"));
    simulator.setFault(emote("9").path(), HttpFault::stalledAfter());
    prefetcher.startPrefetching({ request });
    ASSERT_TRUE(QTest::qWaitFor([&] { return simulator.requestCount(emote("9").path()) == 1; }, 10000));
    prefetcher.stopPrefetching({ request });
    prefetcher.startPrefetching({ request });
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader->cancels == 1; }, 10000)) << "the stopped load is cancelled";
    QCoreApplication::processEvents();
    EXPECT_EQ(prefetcher.pendingCount(), 1) << "the end of the stopped prefetch is not the newer one's";
}
