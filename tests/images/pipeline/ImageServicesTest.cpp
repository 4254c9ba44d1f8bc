#include "images/PipelineTestSupport.h"

#include "platform/MemoryPressureSource.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::test;

namespace {

ImageRequest request()
{
    return ImageRequest(QUrl(QStringLiteral("https://a.test/e.png")));
}

ImageContainer redSquare()
{
    return ImageContainer(testimages::filled({ 4, 4 }, Qt::red), AssetType::png());
}

ImageDecodingContext pngContext()
{
    return { request(), testimages::png({ 4, 4 }, Qt::red), true, std::nullopt, std::nullopt };
}

} // namespace

TEST(ImageServices, MadeOverAPressureSourceTheirCachesEmptyOnPressure)
{
    MemoryPressureSource source;
    const ImageServices services = ImageServices::make(&source);
    EXPECT_EQ(services.imageCache->configuration().costLimit, ImageCache::defaultCostLimit());
    EXPECT_TRUE(services.decoderRegistry->decoder(pngContext()));
    EXPECT_FALSE(services.urlCache.isEnabled());

    services.imageCache->setImage(redSquare(), ImageCacheKey(request()));
    const QUuid pipelineId = QUuid::createUuid();
    services.resumableData->registerPipeline(pipelineId);
    services.resumableData->store(pipelineId, QStringLiteral("e"), { "ab", "e", 10 });
    source.simulate(MemoryPressureSource::Level::Critical);
    EXPECT_EQ(services.imageCache->totalCount(), 0);
    EXPECT_FALSE(services.resumableData->take(pipelineId, QStringLiteral("e")));
}

TEST(ImageServices, CompletingKeepsWhatWasGivenAndMakesEachMissingOneNew)
{
    ImageServices given;
    given.imageCache = std::make_shared<ImageCache>(ImageCache::Configuration {}, nullptr);
    given.urlCache = URLCache { QStringLiteral("/caches/app") };
    const ImageServices services = given.completed();
    EXPECT_EQ(services.imageCache, given.imageCache);
    EXPECT_EQ(services.urlCache.directory, QStringLiteral("/caches/app"));
    ASSERT_TRUE(services.resumableData);
    ASSERT_TRUE(services.decoderRegistry);
    EXPECT_TRUE(services.decoderRegistry->decoder(pngContext()));
    EXPECT_NE(given.completed().resumableData, services.resumableData) << "nothing is shared unless given";
}

TEST(URLCache, AnApplicationsCacheSitsInTheUserCacheDirectoryUnderItsBundleIdentifier)
{
    QTemporaryDir caches;
    const QByteArray previous = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", caches.path().toUtf8());
    const URLCache cache = URLCache::forBundle(QStringLiteral("app.parley.test"));
    const URLCache unnamed = URLCache::forBundle(QString());
    qputenv("XDG_CACHE_HOME", previous);

    EXPECT_EQ(cache.directory, caches.path() + QStringLiteral("/app.parley.test"));
    EXPECT_TRUE(cache.isEnabled());
    EXPECT_FALSE(unnamed.isEnabled());
}

TEST(ImagePipelineServices, PipelinesGivenTheSameServicesShareTheirMemoryCacheAndNoOthers)
{
    ImagePipeline::Configuration configuration;
    configuration.services = ImageServices::make();
    const auto first = ImagePipeline::create(configuration);
    const auto second = ImagePipeline::create(configuration);
    const auto alone = ImagePipeline::create();

    first->storeCachedImage(redSquare(), request());
    EXPECT_TRUE(second->cachedImage(request()));
    EXPECT_FALSE(alone->cachedImage(request()));
    EXPECT_NE(alone->configuration().services.resumableData, configuration.services.resumableData);
}

TEST(ImagePipelineServices, DownloadsThroughTheServicesDiskCacheAndDecodesWithTheirDecoders)
{
    LocalHttpServer server([](const auto&) {
        return LocalHttpServer::Response { 200, { { "Content-Type", "image/png" } },
            testimages::png({ 4, 4 }, Qt::red) };
    });
    QTemporaryDir caches;
    ImagePipeline::Configuration configuration;
    configuration.services.urlCache = URLCache { caches.path() };
    configuration.services.decoderRegistry = std::make_shared<ImageDecoderRegistry>();
    const auto pipeline = ImagePipeline::create(configuration);
    const auto* loader = dynamic_cast<const DataLoader*>(pipeline->configuration().dataLoader.get());
    ASSERT_TRUE(loader);
    EXPECT_EQ(loader->urlCache().directory, caches.path());

    Completions completions;
    pipeline->loadImage(server.url("/e.png"), completions.add());
    ASSERT_TRUE(completions.waitFor(1));
    const ImagePipelineError* error = completions.results[0].error();
    ASSERT_TRUE(error) << "an empty registry decodes nothing";
    EXPECT_EQ(error->kind(), ImagePipelineError::Kind::decoderNotRegistered);
}
