#include "app/shell/SharedImagePipeline.h"
#include "images/loading/DataLoader.h"
#include "images/pipeline/ImagePipeline.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;

TEST(SharedImagePipeline, keepsDownloadsInTheUserCacheDirectoryNamedAfterTheBundle)
{
    QTemporaryDir caches;
    qputenv("XDG_CACHE_HOME", caches.path().toUtf8());
    BundleConfig config;
    config.bundleIdentifier = QStringLiteral("app.parley.cachetest");

    SharedImagePipeline images(config);
    ImagePipeline& pipeline = images.pipeline();
    const auto* loader = dynamic_cast<const DataLoader*>(pipeline.configuration().dataLoader.get());
    ASSERT_TRUE(loader);
    const QString directory = caches.path() + QStringLiteral("/app.parley.cachetest");
    EXPECT_EQ(loader->urlCache().directory, directory);

    sim::TwitchSimulator simulator;
    ASSERT_NE(simulator.start(), 0);
    bool isLoaded = false;
    pipeline.loadImage(simulator.emoteImageURL(QStringLiteral("1")), [&](const ImageResult& result) {
        EXPECT_TRUE(result.isSuccess());
        isLoaded = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return isLoaded; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QDirIterator(directory, QDir::Files, QDirIterator::Subdirectories).hasNext(); }, 10000))
        << "the download was written to the disk HTTP cache";
}

TEST(SharedImagePipeline, itsMemoryCacheEmptiesOnMemoryPressure)
{
    SharedImagePipeline images(BundleConfig {});
    const ImageRequest request(QUrl(QStringLiteral("https://a.test/e.png")));
    QImage bitmap(4, 4, QImage::Format_ARGB32);
    bitmap.fill(Qt::red);
    images.pipeline().storeCachedImage(ImageContainer(bitmap, AssetType::png()), request);
    ASSERT_TRUE(images.pipeline().cachedImage(request));

    images.memoryPressure().simulate(MemoryPressureSource::Level::Warning);
    EXPECT_FALSE(images.pipeline().cachedImage(request));
}
