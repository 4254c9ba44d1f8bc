#include "images/PipelineTestSupport.h"

#include "images/cache/DataCache.h"
#include "images/pipeline/ImagePipelineDelegate.h"
#include "images/processing/ImageProcessors.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::test;
using namespace std::chrono_literals;

namespace {

struct DataCacheTest : ::testing::Test {
    QByteArray image = testimages::png({ 28, 28 }, Qt::red);
    LocalHttpServer server { [this](const auto&) {
        return LocalHttpServer::Response { 200, { { "Content-Type", "image/png" } }, image };
    } };
    QTemporaryDir directory;
    std::shared_ptr<DataCache> cache = makeCache();
    Completions completions;
    std::vector<std::shared_ptr<ImagePipeline>> pipelines;

    std::shared_ptr<DataCache> makeCache()
    {
        DataCache::Settings settings;
        settings.flushInterval = 1h; // tests flush when they need the files
        return DataCache::create(directory.path(), settings);
    }

    // A fresh pipeline (its own memory cache) over the data cache, as after a relaunch.
    std::shared_ptr<ImagePipeline> makePipeline(
        ImagePipeline::DataCachePolicy policy = ImagePipeline::DataCachePolicy::storeOriginalData,
        std::shared_ptr<ImagePipelineDelegate> delegate = nullptr)
    {
        auto configuration = isolatedConfiguration(std::make_shared<DataLoader>(URLCache {}));
        configuration.dataCache = cache;
        configuration.dataCachePolicy = policy;
        // Kept to the end: a pipeline's last writes leave its queues after the completion.
        return pipelines.emplace_back(ImagePipeline::create(configuration, std::move(delegate)));
    }

    ImageRequest request(
        const QByteArray& path, QList<ImageProcessor> processors = {}, ImageRequest::Options options = {}) const
    {
        return ImageRequest(server.url(path), std::move(processors), ImageRequest::Priority::normal, options);
    }

    const ImageResult& load(ImagePipeline& pipeline, const ImageRequest& request)
    {
        pipeline.loadImage(request, nullptr, {}, completions.add());
        EXPECT_TRUE(completions.waitFor(completions.results.size() + 1));
        return completions.results.back();
    }

    // Encoding and storing run on the pipeline's queues after the completion.
    bool waitForStored(const QString& key)
    {
        return QTest::qWaitFor([&] { return cache->containsData(key); }, 5000);
    }
};

} // namespace

TEST_F(DataCacheTest, WarmCacheAnswersALaterPipelineWithoutTheNetwork)
{
    const QString key = server.url("/a.png").toString();
    ASSERT_TRUE(load(*makePipeline(), request("/a.png")).isSuccess());
    ASSERT_TRUE(waitForStored(key));
    EXPECT_EQ(cache->cachedData(key), image);
    cache->flush();
    cache = makeCache();

    const auto& result = load(*makePipeline(), request("/a.png"));
    ASSERT_TRUE(result.isSuccess());
    EXPECT_EQ(result.value()->cacheType, ImageResponse::CacheType::disk);
    EXPECT_EQ(result.value()->image().size(), QSize(28, 28));

    auto pipeline = makePipeline();
    auto data = pipeline->data(request("/a.png"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return data.isFinished(); }, 5000));
    EXPECT_EQ(data.result().data, image);
    EXPECT_EQ(server.requestCount(), 1);

    const auto& missing = load(*pipeline, request("/b.png", {}, ImageRequest::Option::cacheOnly));
    EXPECT_EQ(missing.error()->kind(), ImagePipelineError::Kind::dataMissingInCache);
    EXPECT_EQ(server.requestCount(), 1);
}

TEST_F(DataCacheTest, OriginalDataIsWrittenUnlessEveryWaiterRefusesOrTheDelegateVetoes)
{
    const auto noWrites = ImageRequest::Option::noDiskCacheWrites;
    auto pipeline = makePipeline();
    ASSERT_TRUE(load(*pipeline, request("/refused.png", {}, noWrites)).isSuccess());

    // Two waiters share one download; one of them allows the write.
    pipeline->loadImage(request("/shared.png", {}, noWrites), nullptr, {}, completions.add());
    pipeline->loadImage(request("/shared.png"), nullptr, {}, completions.add());
    ASSERT_TRUE(completions.waitFor(3));
    EXPECT_TRUE(waitForStored(server.url("/shared.png").toString()));
    EXPECT_FALSE(cache->containsData(server.url("/refused.png").toString()));

    struct Delegate : ImagePipelineDelegate {
        std::optional<QByteArray> willCache(
            ImagePipeline&, const QByteArray& data, const ImageRequest& request) override
        {
            if (request.url()->path() == "/vetoed.png")
                return std::nullopt;
            return "replaced:" + data.left(4);
        }
    };
    auto delegating = makePipeline(ImagePipeline::DataCachePolicy::storeOriginalData, std::make_shared<Delegate>());
    ASSERT_TRUE(load(*delegating, request("/vetoed.png")).isSuccess());
    ASSERT_TRUE(load(*delegating, request("/replaced.png")).isSuccess());
    ASSERT_TRUE(waitForStored(server.url("/replaced.png").toString()));
    EXPECT_EQ(cache->cachedData(server.url("/replaced.png").toString()), "replaced:" + image.left(4));
    EXPECT_FALSE(cache->containsData(server.url("/vetoed.png").toString()));
}

TEST_F(DataCacheTest, LocalFilesAreNeverCopiedIntoTheCache)
{
    const QString file = directory.filePath("local.png");
    QFile writer(file);
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly));
    writer.write(image);
    writer.close();
    auto pipeline = makePipeline();
    const auto& result = load(*pipeline, ImageRequest(QUrl::fromLocalFile(file)));
    ASSERT_TRUE(result.isSuccess()) << result.error()->description().toStdString();
    cache->flush();
    EXPECT_FALSE(cache->containsData(QUrl::fromLocalFile(file).toString()));
}

TEST_F(DataCacheTest, PoliciesDecideBetweenOriginalBytesAndEncodedProcessedImages)
{
    using Policy = ImagePipeline::DataCachePolicy;
    const ImageProcessor resize = std::make_shared<ImageProcessors::Resize>(QSize(14, 14));
    const QString original = server.url("/p.png").toString();
    const QString processed = original + resize->identifier();

    // Automatic: a processed request stores only its encoded result.
    ASSERT_TRUE(load(*makePipeline(Policy::automatic), request("/p.png", { resize })).isSuccess());
    ASSERT_TRUE(waitForStored(processed));
    EXPECT_FALSE(cache->containsData(original));
    cache->flush();
    cache = makeCache();
    const auto& fromDisk = load(*makePipeline(Policy::automatic), request("/p.png", { resize }));
    EXPECT_EQ(fromDisk.value()->cacheType, ImageResponse::CacheType::disk);
    EXPECT_EQ(fromDisk.value()->image().size(), QSize(14, 14));
    EXPECT_EQ(server.requestCount(), 1);

    // Store-all keeps both; a thumbnail is part of the key like a processor.
    cache->removeAll();
    ASSERT_TRUE(load(*makePipeline(Policy::storeAll), request("/p.png", { resize })).isSuccess());
    ASSERT_TRUE(waitForStored(processed));
    EXPECT_TRUE(waitForStored(original));
    ImageRequest thumbnail = request("/p.png");
    const ImageRequest::ThumbnailOptions options { ImageRequest::ThumbnailOptions::Fixed { 10 } };
    thumbnail.setUserInfo(ImageRequest::UserInfo { { ImageRequest::thumbnailKey, QVariant::fromValue(options) } });
    ASSERT_TRUE(load(*makePipeline(Policy::storeAll), thumbnail).isSuccess());
    EXPECT_TRUE(waitForStored(original + options.identifier()));

    // Store-original never encodes.
    cache->removeAll();
    ASSERT_TRUE(load(*makePipeline(Policy::storeOriginalData), request("/q.png", { resize })).isSuccess());
    ASSERT_TRUE(waitForStored(server.url("/q.png").toString()));
    QTest::qWait(50);
    EXPECT_FALSE(cache->containsData(server.url("/q.png").toString() + resize->identifier()));
}
