#include "app/session/SessionTestSupport.h"

#include "app/session/EmoteImageLoader.h"
#include "app/session/EmoteRegistry.h"

#include <QSignalSpy>

using namespace parley;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

QString imagePath(const QString& id)
{
    return QStringLiteral("/emoticons/v2/%1/static/light/2.0").arg(id);
}

class EmoteImageLoaderTest : public ::testing::Test {
protected:
    bool load(const EmoteSet& set)
    {
        registry.loadEmoteSet(set);
        return QTest::qWaitFor([&] { return registry.sets().value(set) == EmoteSetStatus::loaded; }, waitMs);
    }
    bool imageArrives(const QString& id)
    {
        return QTest::qWaitFor([&] { return loader.images().contains(id); }, waitMs);
    }

    SimulatedTwitch twitch;
    EmoteRegistry registry { *twitch.api, SimulatedTwitch::token() };
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
    EmoteImageLoader loader { registry, *pipeline };
};

} // namespace

TEST_F(EmoteImageLoaderTest, StoresTheDoubleScaleImageAtLineHeightWithItsPixels)
{
    ASSERT_TRUE(load(EmoteSet::global()));
    QSignalSpy changes(&loader, &EmoteImageLoader::imagesChanged);
    loader.loadImage("1");
    ASSERT_TRUE(imageArrives("1"));
    EXPECT_EQ(changes.count(), 1);
    EXPECT_EQ(twitch.sim.requestCount(imagePath("1")), 1);

    const EmoteImage image = loader.images().value("1");
    EXPECT_EQ(image.image.size(), QSize(56, 56)); // url_2x, decoded pixels kept
    EXPECT_DOUBLE_EQ(image.image.devicePixelRatio(), 56.0 / 24.0);
    EXPECT_EQ(image.size, QSizeF(24, 24));
    EXPECT_EQ(image.alignmentRect, QRectF(0, 0, 24, 12));
    EXPECT_EQ(loader.store()->image("1").size, QSizeF(24, 24));
    EXPECT_EQ(loader.imageCount(), 1);

    // Loaded once per session: asking again neither loads nor announces anything.
    loader.loadImage("1");
    EXPECT_EQ(changes.count(), 1);
    EXPECT_TRUE(loader.queue().isEmpty());
}

TEST_F(EmoteImageLoaderTest, AnIDAskedForBeforeItsSetIsQueuedOnceAndLoadsWhenItsRecordArrives)
{
    const QString id = QStringLiteral("301000101"); // in set 400000001 only
    QSignalSpy queueChanges(&loader, &EmoteImageLoader::queueChanged);
    loader.loadImage(id);
    EXPECT_TRUE(loader.queue().isEmpty()); // queued later, never inside the call
    loader.loadImage(id);
    ASSERT_TRUE(QTest::qWaitFor([&] { return loader.queue().contains(id); }, waitMs));
    loader.loadImage(id);
    QCoreApplication::processEvents();
    EXPECT_EQ(queueChanges.count(), 1);
    EXPECT_EQ(loader.queue(), QSet<QString> { id });

    // This set's records name only the set itself, so its arrival is the only
    // table change: the queued id must be looked up in the new table.
    registry.loadEmoteSet(EmoteSet::custom("400000001"));
    ASSERT_TRUE(imageArrives(id));
    EXPECT_TRUE(loader.queue().isEmpty());
    EXPECT_EQ(twitch.sim.requestCount(imagePath(id)), 1);
}

TEST_F(EmoteImageLoaderTest, AFailedImageLeavesNoTraceAndIsAskedForAgain)
{
    ASSERT_TRUE(load(EmoteSet::global()));
    twitch.sim.setFault(imagePath("9"), sim::HttpFault::withStatus(500).once());
    QSignalSpy changes(&loader, &EmoteImageLoader::imagesChanged);
    QSignalSpy queueChanges(&loader, &EmoteImageLoader::queueChanged);

    loader.loadImage("9");
    // A second load of the same address joins the loader's and ends with it.
    bool failed = false;
    pipeline->loadImage(twitch.sim.emoteImageURL("9", "static", "light", "2.0"),
        [&](const ImageResult& result) { failed = !result.isSuccess(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed; }, waitMs));
    QCoreApplication::processEvents();
    EXPECT_TRUE(loader.images().isEmpty());
    EXPECT_TRUE(loader.queue().isEmpty());
    EXPECT_EQ(changes.count(), 0);
    EXPECT_EQ(queueChanges.count(), 0);

    loader.loadImage("9");
    ASSERT_TRUE(imageArrives("9"));
    EXPECT_EQ(twitch.sim.requestCount(imagePath("9")), 2);
}

TEST_F(EmoteImageLoaderTest, AnUndecodableImageIsAFailure)
{
    ASSERT_TRUE(load(EmoteSet::global()));
    twitch.sim.setFault(imagePath("1"), sim::HttpFault::truncated(40).once());
    loader.loadImage("1");
    bool done = false;
    pipeline->loadImage(
        twitch.sim.emoteImageURL("1", "static", "light", "2.0"), [&](const ImageResult&) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    QCoreApplication::processEvents();
    EXPECT_FALSE(loader.images().contains("1"));
}

TEST(EmoteImageLoaderLifetime, ALoadFinishingAfterTheLoaderIsGoneIsDropped)
{
    SimulatedTwitch twitch;
    EmoteRegistry registry(*twitch.api, SimulatedTwitch::token());
    registry.loadEmoteSet(EmoteSet::global());
    ASSERT_TRUE(QTest::qWaitFor([&] { return registry.emotes().contains("1"); }, waitMs));

    const auto pipeline = ImagePipeline::create();
    auto loader = std::make_unique<EmoteImageLoader>(registry, *pipeline);
    const std::shared_ptr<const EmoteImageStore> store = loader->store();
    loader->loadImage("1");
    loader->loadImage("not-yet-known"); // a queue insertion is pending too
    loader.reset();
    bool done = false;
    pipeline->loadImage(
        twitch.sim.emoteImageURL("1", "static", "light", "2.0"), [&](const ImageResult&) { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(store->size(), 0);
}

namespace {

// Images from wherever the test says: records each address asked for and
// completes the loads when told to.
class ScriptedImages : public ImageLoading {
public:
    std::shared_ptr<ImageTask> loadImage(const QUrl& url, ImageCompletion completion) override
    {
        urls.append(url);
        completions.push_back(std::move(completion));
        return nullptr;
    }

    void succeed(std::size_t index, QSize size)
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(Qt::blue);
        completions.at(index)(ImageResult(ImageResponse { ImageContainer(image), ImageRequest(urls.at(index)) }));
    }
    void fail(std::size_t index) { completions.at(index)(ImageResult(ImagePipelineError::dataIsEmpty())); }

    QList<QUrl> urls;
    std::vector<ImageCompletion> completions;
};

} // namespace

TEST(EmoteImageLoaderSource, AnyImageSourceServesTheLoaderAndOnlyDecodedImagesAreKept)
{
    SimulatedTwitch twitch;
    EmoteRegistry registry(*twitch.api, SimulatedTwitch::token());
    registry.loadEmoteSet(EmoteSet::global());
    ASSERT_TRUE(QTest::qWaitFor([&] { return registry.emotes().contains("9"); }, waitMs));
    ScriptedImages images;
    EmoteImageLoader loader(registry, images);

    loader.loadImage("1");
    loader.loadImage("9");
    ASSERT_EQ(images.urls,
        (QList<QUrl> { registry.emotes().value("1").images.url2x, registry.emotes().value("9").images.url2x }));
    images.succeed(0, QSize(56, 56));
    images.fail(1);
    EXPECT_EQ(loader.images().value("1").size, QSizeF(24, 24));
    EXPECT_FALSE(loader.images().contains("9"));

    loader.loadImage("1");
    loader.loadImage("9");
    EXPECT_EQ(images.urls.size(), 3) << "only the failed image is asked for again";
}
