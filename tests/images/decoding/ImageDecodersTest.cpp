#include "support/TestImages.h"

#include "images/decoding/ImageDecoderRegistry.h"
#include "images/decoding/ImageDecoders.h"
#include "images/decoding/ImageEncoders.h"

#include <QImageReader>

#include <gtest/gtest.h>

using namespace parley;

namespace {

std::optional<QString> detected(const QByteArray& data)
{
    auto type = AssetType::detect(data);
    return type ? std::optional(type->rawValue) : std::nullopt;
}

ImageDecodingContext context(QByteArray data, bool isCompleted, ImageRequest request = ImageRequest())
{
    return { std::move(request), std::move(data), isCompleted, std::nullopt, std::nullopt };
}

ImageRequest thumbnailRequest(ImageRequest::ThumbnailOptions options)
{
    return ImageRequest(QUrl(QStringLiteral("https://example.test/a.png")), {}, ImageRequest::Priority::normal, {},
        ImageRequest::UserInfo { { ImageRequest::thumbnailKey, QVariant::fromValue(options) } });
}

} // namespace

TEST(AssetType, SignaturesAreMatchedInOrderAndNeverPastTheData)
{
    EXPECT_EQ(detected(QByteArray::fromHex("ffd8ff")), QStringLiteral("public.jpeg"));
    EXPECT_EQ(detected(QByteArray::fromHex("ffd8")), std::nullopt);
    EXPECT_EQ(detected(QByteArray::fromHex("89504e470d0a1a0a")), QStringLiteral("public.png"));
    EXPECT_EQ(detected(QByteArray::fromHex("89504e470d0a1a")), std::nullopt);
    EXPECT_EQ(detected("GIF89a"), QStringLiteral("com.compuserve.gif"));
    EXPECT_EQ(detected(QByteArray("RIFF\x00\xff\x12\x34WEBP", 12)), QStringLiteral("public.webp"));
    EXPECT_EQ(detected(QByteArray("RIFF\x00\xff\x12\x34WAVE", 12)), std::nullopt);
    EXPECT_EQ(detected(QByteArray("\0\0\0\x20"
                                  "ftypisom",
                  12)),
        QStringLiteral("public.mpeg4"));
    EXPECT_EQ(detected(QByteArray("\0\0\0\x20"
                                  "ftypmp42",
                  12)),
        QStringLiteral("public.m4v"));
    EXPECT_EQ(detected(QByteArray("\0\0\0\x20"
                                  "ftypqt  ",
                  12)),
        QStringLiteral("public.mov"));
    EXPECT_EQ(detected(QByteArray("\0\0\0\x20"
                                  "ftypqt",
                  10)),
        std::nullopt);
    EXPECT_EQ(detected(QByteArray()), std::nullopt);
    EXPECT_EQ(detected(testimages::png()), QStringLiteral("public.png"));
    EXPECT_EQ(detected(testimages::jpeg(8, 8, false)), QStringLiteral("public.jpeg"));
}

TEST(DefaultDecoder, DecodesCompletePngAndJpegWithoutKeepingTheirData)
{
    ImageDecoders::Default decoder;
    const auto png = decoder.decode(testimages::png(28, 20));
    EXPECT_EQ(png.image().size(), QSize(28, 20));
    EXPECT_EQ(png.type(), AssetType::png());
    EXPECT_FALSE(png.isPreview());
    EXPECT_FALSE(png.data());
    EXPECT_TRUE(png.userInfo().isEmpty());
    EXPECT_EQ(decoder.decode(testimages::jpeg(30, 10, false)).image().size(), QSize(30, 10));
}

TEST(DefaultDecoder, GifGivesItsFirstFrameWithTheWholeFileAttached)
{
    const QByteArray gif = testimages::animatedGif();
    ASSERT_EQ(AssetType::detect(gif), AssetType::gif());
    const auto container = ImageDecoders::Default().decode(gif);
    EXPECT_EQ(container.image().size(), QSize(1, 1));
    EXPECT_EQ(container.image().pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(container.data(), gif);
    EXPECT_FALSE(container.isPreview());
}

TEST(DefaultDecoder, AnimatedEmoteGifDecodesItsFirstFrame)
{
    const QByteArray gif = testimages::emoteGif(28, 4);
    const auto container = ImageDecoders::Default().decode(gif);
    ASSERT_EQ(container.image().size(), QSize(28, 28));
    EXPECT_EQ(container.image().pixelColor(3, 2), QColor(5, 250, 35)); // colour index 5 in frame 0
    EXPECT_EQ(container.data()->size(), gif.size());
    QBuffer buffer;
    buffer.setData(gif);
    EXPECT_EQ(QImageReader(&buffer).imageCount(), 4);
}

TEST(DefaultDecoder, UndecodableOrTruncatedDataFailsWithItsOwnError)
{
    ImageDecoders::Default decoder;
    EXPECT_THROW(decoder.decode("not an image at all"), ImageDecodingError);
    EXPECT_THROW(decoder.decode(QByteArray()), ImageDecodingError);
    const QByteArray png = testimages::png(64, 64);
    EXPECT_THROW(decoder.decode(png.left(png.size() / 2)), ImageDecodingError);
    EXPECT_THROW(decoder.decode(png.left(30)), ImageDecodingError);
    const QByteArray gif = testimages::animatedGif();
    EXPECT_THROW(decoder.decode(gif.left(20)), ImageDecodingError);
}

TEST(DefaultDecoder, HugeClaimedSizesAreRefused)
{
    const QByteArray samples[] = {
        testimages::pngClaiming(30000, 30000),
        testimages::jpegClaiming(30000, 30000),
        testimages::hugeGif(),
    };
    for (const auto& data : samples) {
        QBuffer buffer;
        buffer.setData(data);
        ASSERT_GT(QImageReader(&buffer).size().width(), 20000); // the header really claims it
        ImageDecoders::Default decoder;
        EXPECT_THROW(decoder.decode(data), ImageDecodingError);
        EXPECT_FALSE(decoder.decodePartiallyDownloadedData(data));
    }
}

TEST(DefaultDecoder, ThumbnailsKeepTheAspectRatioAndNeverEnlarge)
{
    using Options = ImageRequest::ThumbnailOptions;
    const QByteArray png = testimages::png(100, 50);
    auto decodeWith = [&](Options options) {
        auto decoder = ImageDecoders::Default::make(context(png, true, thumbnailRequest(options)));
        auto container = decoder->decode(png);
        EXPECT_EQ(container.userInfo().value(ImageContainer::skipDecompressionKey), true);
        return container.image().size();
    };
    EXPECT_EQ(decodeWith({ Options::Fixed { 20 } }), QSize(20, 10));
    EXPECT_EQ(decodeWith({ Options::Flexible { QSizeF(10, 10), Options::ContentMode::aspectFill } }), QSize(20, 10));
    EXPECT_EQ(decodeWith({ Options::Flexible { QSizeF(10, 10), Options::ContentMode::aspectFit } }), QSize(10, 5));
    EXPECT_EQ(decodeWith({ Options::Fixed { 400 } }), QSize(100, 50));
    EXPECT_EQ(ImageDecoders::Default().decode(testimages::jpeg(100, 50, false)).image().size(), QSize(100, 50));
}

TEST(ProgressiveJPEGScanner, PreviewEndsBeforeTheNewestScanOnceTwoScansArrived)
{
    QByteArray data(40, '\0');
    data[0] = char(0xFF);
    data[1] = char(0xD8);
    auto startOfScan = [&](int at) {
        data[at] = char(0xFF);
        data[at + 1] = char(0xDA);
    };
    startOfScan(10);
    startOfScan(20);
    startOfScan(30);
    ProgressiveJPEGScanner scanner;
    EXPECT_FALSE(scanner.scan(data.left(15))); // one scan: nothing complete yet
    EXPECT_EQ(scanner.numberOfScans(), 1);
    EXPECT_FALSE(scanner.scan(data.left(15))); // nothing new
    EXPECT_FALSE(scanner.scan(data.left(21))); // the marker's second byte: not seen yet
    EXPECT_EQ(scanner.scan(data.left(22)), 19);
    EXPECT_EQ(scanner.numberOfScans(), 2);
    EXPECT_FALSE(scanner.scan(data.left(29))); // more bytes but no new scan
    EXPECT_EQ(scanner.scan(data), 29);
    EXPECT_EQ(scanner.numberOfScans(), 3);
}

TEST(ProgressiveJPEGScanner, TellsProgressiveFromBaselineByTheFirstFrameMarker)
{
    EXPECT_EQ(ProgressiveJPEGScanner::isProgressive(testimages::jpeg(64, 64, true)), true);
    EXPECT_EQ(ProgressiveJPEGScanner::isProgressive(testimages::jpeg(64, 64, false)), false);
    EXPECT_EQ(ProgressiveJPEGScanner::isProgressive(QByteArray::fromHex("ffd8ffe0")), std::nullopt);
}

TEST(DefaultDecoder, PartialProgressiveJpegPreviewsOncePerNewScan)
{
    const QByteArray jpeg = testimages::jpeg(64, 64, true);
    const qsizetype secondScan = jpeg.indexOf(
        QByteArray::fromHex("ffda"), jpeg.indexOf(QByteArray::fromHex("ffda")) + 2);
    ASSERT_GT(secondScan, 0);
    auto decoder = ImageDecoders::Default::make(context(jpeg.left(secondScan), false));
    ASSERT_TRUE(decoder);

    EXPECT_FALSE(decoder->decodePartiallyDownloadedData(jpeg.left(secondScan)));
    const auto preview = decoder->decodePartiallyDownloadedData(jpeg.left(secondScan + 2));
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isPreview());
    EXPECT_EQ(preview->image().size(), QSize(64, 64));
    EXPECT_EQ(preview->userInfo().value(ImageContainer::scanNumberKey), 2);
    EXPECT_FALSE(decoder->decodePartiallyDownloadedData(jpeg.left(secondScan + 4)));

    int previews = 1;
    for (qsizetype size = secondScan + 4; size <= jpeg.size(); size += 16)
        previews += decoder->decodePartiallyDownloadedData(jpeg.left(size)) ? 1 : 0;
    EXPECT_GT(previews, 1);

    const auto final = decoder->decode(jpeg);
    EXPECT_FALSE(final.isPreview());
    EXPECT_GE(final.userInfo().value(ImageContainer::scanNumberKey).toInt(), 2);
}

TEST(DefaultDecoder, PartialDataGetsADecoderOnlyWhenItCanPreview)
{
    const QByteArray baseline = testimages::jpeg(64, 64, false);
    EXPECT_FALSE(ImageDecoders::Default::make(context(baseline.left(baseline.size() / 2), false)));
    EXPECT_FALSE(ImageDecoders::Default::make(context(testimages::png().left(100), false)));
    EXPECT_FALSE(ImageDecoders::Default::make(context(QByteArray::fromHex("ffd8ffe0"), false)));
    EXPECT_TRUE(ImageDecoders::Default::make(context(testimages::animatedGif().left(8), false)));
    EXPECT_TRUE(ImageDecoders::Default::make(context(baseline, true)));
}

TEST(DefaultDecoder, PartialGifPreviewsExactlyOnce)
{
    const QByteArray gif = testimages::animatedGif();
    auto decoder = ImageDecoders::Default::make(context(gif.left(10), false));
    ASSERT_TRUE(decoder);
    EXPECT_FALSE(decoder->decodePartiallyDownloadedData(gif.left(10)));
    const auto preview = decoder->decodePartiallyDownloadedData(gif.left(gif.size() - 20));
    ASSERT_TRUE(preview);
    EXPECT_TRUE(preview->isPreview());
    EXPECT_FALSE(preview->data());
    EXPECT_EQ(preview->type(), AssetType::gif());
    EXPECT_FALSE(decoder->decodePartiallyDownloadedData(gif.left(gif.size() - 1)));
    EXPECT_EQ(decoder->decode(gif).data(), gif);
}

TEST(ImageDecoderRegistry, LatestAcceptingMatchWinsAndClearLeavesNone)
{
    ImageDecoderRegistry registry;
    const auto data = context(testimages::png(), true);
    EXPECT_FALSE(registry.decoder(data));
    auto empty = std::make_shared<ImageDecoders::Empty>();
    registry.registerDecoder([](const ImageDecodingContext& c) { return ImageDecoders::Default::make(c); });
    registry.registerDecoder([&](const ImageDecodingContext& c) -> std::shared_ptr<ImageDecoding> {
        return c.data.startsWith("raw") ? empty : nullptr;
    });
    EXPECT_EQ(registry.decoder(context("raw bytes", true)), empty);
    EXPECT_EQ(registry.decoder(data)->name(), QStringLiteral("ImageDecoders.Default"));
    registry.clear();
    EXPECT_FALSE(registry.decoder(data));

    EXPECT_TRUE(ImageDecoderRegistry::withDefaultDecoder()->decoder(data));
}

TEST(EmptyDecoder, HandsTheBytesBack)
{
    ImageDecoders::Empty plain(false, AssetType::png());
    const auto container = plain.decode("bytes");
    EXPECT_TRUE(container.image().isNull());
    EXPECT_EQ(container.data(), QByteArray("bytes"));
    EXPECT_EQ(container.type(), AssetType::png());
    EXPECT_FALSE(plain.decodePartiallyDownloadedData("by"));
    EXPECT_EQ(ImageDecoders::Empty(true).decodePartiallyDownloadedData("by")->data(), QByteArray("by"));
}

TEST(ImageEncoders, DefaultPicksPngForTransparencyAndJpegOtherwise)
{
    ImageEncoders::Default encoder;
    const auto withAlpha = encoder.encode(testimages::gradient(16, 16, true));
    const auto opaque = encoder.encode(testimages::gradient(16, 16, false));
    ASSERT_TRUE(withAlpha && opaque);
    EXPECT_EQ(AssetType::detect(*withAlpha), AssetType::png());
    EXPECT_EQ(AssetType::detect(*opaque), AssetType::jpeg());
    EXPECT_EQ(ImageDecoders::Default().decode(*withAlpha).image().size(), QSize(16, 16));

    const auto small = ImageEncoders::ImageIO(AssetType::jpeg(), 0.1f).encode(testimages::gradient(64, 64));
    const auto large = ImageEncoders::ImageIO(AssetType::jpeg(), 1.0f).encode(testimages::gradient(64, 64));
    ASSERT_TRUE(small && large);
    EXPECT_LT(small->size(), large->size());
    EXPECT_FALSE(ImageEncoders::ImageIO(AssetType::png(), 1).encode(QImage()));
    EXPECT_FALSE(ImageEncoders::ImageIO(AssetType::mp4(), 1).encode(testimages::gradient(4, 4)));
}
