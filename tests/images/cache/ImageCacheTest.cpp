#include "images/cache/ImageCache.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

ImageCacheKey key(const char* url)
{
    return ImageCacheKey(ImageRequest(QUrl(QString::fromLatin1(url))));
}

ImageContainer image(int width, int height)
{
    QImage bitmap(width, height, QImage::Format_ARGB32);
    bitmap.fill(Qt::red);
    return ImageContainer(bitmap, AssetType::png());
}

} // namespace

TEST(ImageCache, DefaultCostLimitFollowsPhysicalMemory)
{
    constexpr qint64 mib = qint64(1) << 20;
    EXPECT_EQ(ImageCache::defaultCostLimit(256 * mib), 256 * mib / 10);
    EXPECT_EQ(ImageCache::defaultCostLimit(512 * mib), 512 * mib / 10);
    EXPECT_EQ(ImageCache::defaultCostLimit(1024 * mib), 1024 * mib / 5);
    EXPECT_EQ(ImageCache::defaultCostLimit(2560 * mib + 1), 512 * mib);
    EXPECT_EQ(ImageCache::defaultCostLimit(64 * 1024 * mib), 512 * mib);
    EXPECT_EQ(ImageCache::defaultCostLimit(0), 256 * mib / 10) << "unknown memory must not turn the cache off";
    EXPECT_EQ(ImageCache::defaultCostLimit(-1), 256 * mib / 10);

    ImageCache::Configuration conf;
    conf.costLimit = 512 * mib;
    ImageCache cache(conf, nullptr); // an image without bitmap costs its data + 1
    cache.setImage(ImageContainer(QImage(), {}, false, QByteArray(53687089, 'x')), key("https://a.test/fits"));
    cache.setImage(ImageContainer(QImage(), {}, false, QByteArray(53687090, 'x')), key("https://a.test/ceiling"));
    EXPECT_TRUE(cache.image(key("https://a.test/fits")));
    EXPECT_FALSE(cache.image(key("https://a.test/ceiling")));
}

TEST(ImageCache, StoresByKeyCountingBitmapCostAndRemovesOnNone)
{
    ImageCache cache(std::nullopt, nullptr);
    EXPECT_EQ(cache.configuration().costLimit, ImageCache::defaultCostLimit());
    cache.setImage(image(10, 10), key("https://a.test/1"));
    cache.setImage(image(2, 2), ImageCacheKey(QStringLiteral("custom")));
    EXPECT_EQ(cache.totalCost(), 400 + 16);
    EXPECT_EQ(cache.image(key("https://a.test/1"))->image().size(), QSize(10, 10));
    EXPECT_FALSE(cache.image(key("https://a.test/2")));

    cache.setImage(std::nullopt, key("https://a.test/1"));
    EXPECT_FALSE(cache.image(key("https://a.test/1")));
    EXPECT_EQ(cache.totalCount(), 1);
    cache.removeAll();
    EXPECT_EQ(cache.totalCost(), 0);
}

TEST(ImageCache, MemoryPressureEmptiesIt)
{
    MemoryPressureSource source;
    ImageCache cache(std::nullopt, &source);
    cache.setImage(image(4, 4), key("https://a.test/1"));
    source.simulate(MemoryPressureSource::Level::Warning);
    EXPECT_EQ(cache.totalCost(), 0);
    EXPECT_FALSE(cache.image(key("https://a.test/1")));
}
