#include "images/model/CacheKey.h"
#include "images/model/DataLoadKey.h"
#include "images/model/DecodedImageLoadKey.h"
#include "images/model/ImageCacheKey.h"
#include "images/model/ImageLoadKey.h"
#include "images/pipeline/ImagePipelineError.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

const QUrl emoteURL(QStringLiteral("https://static-cdn.example/emoticons/v2/25/default/dark/1.0"));

class NamedProcessor : public ImageProcessing {
public:
    explicit NamedProcessor(QString id) : id_(std::move(id)) { }
    QString identifier() const override { return id_; }
    std::optional<QImage> process(const QImage& image, const ImageProcessingContext&) const override { return image; }

private:
    QString id_;
};

ImageRequest::UserInfo thumbnailInfo(float size)
{
    ImageRequest::ThumbnailOptions options { ImageRequest::ThumbnailOptions::Fixed { size } };
    return { { ImageRequest::thumbnailKey, QVariant::fromValue(options) } };
}

template <typename Key>
void expectSameKey(const ImageRequest& a, const ImageRequest& b)
{
    EXPECT_EQ(Key(a), Key(b));
    EXPECT_EQ(qHash(Key(a)), qHash(Key(b)));
}

} // namespace

TEST(ImageRequest, CopiesAreIndependentOnceChanged)
{
    ImageRequest original(emoteURL);
    ImageRequest copy = original;
    copy.setPriority(ImageRequest::Priority::veryHigh);
    copy.setOptions(ImageRequest::Option::cacheOnly);
    EXPECT_EQ(original.priority(), ImageRequest::Priority::normal);
    EXPECT_EQ(original.options(), ImageRequest::Options());
    EXPECT_EQ(copy.priority(), ImageRequest::Priority::veryHigh);
}

TEST(ImageRequest, ImageIdComesFromTheResourceUnlessOverridden)
{
    EXPECT_EQ(ImageRequest(emoteURL).imageId(), emoteURL.toString());
    EXPECT_EQ(ImageRequest(QNetworkRequest(emoteURL)).imageId(), emoteURL.toString());
    EXPECT_EQ(ImageRequest(DataPublisher { QStringLiteral("pub-1"), {} }).imageId(), QStringLiteral("pub-1"));
    EXPECT_FALSE(ImageRequest().imageId());
    EXPECT_FALSE(ImageRequest().urlRequest());

    ImageRequest overridden(emoteURL, {}, ImageRequest::Priority::normal, {},
        ImageRequest::UserInfo { { ImageRequest::imageIdKey, QStringLiteral("emote-25") } });
    EXPECT_EQ(overridden.imageId(), QStringLiteral("emote-25"));
    EXPECT_EQ(overridden.originalImageId(), emoteURL.toString());

    // Only a string overrides.
    ImageRequest wrongType(
        emoteURL, {}, ImageRequest::Priority::normal, {}, ImageRequest::UserInfo { { ImageRequest::imageIdKey, 42 } });
    EXPECT_EQ(wrongType.imageId(), emoteURL.toString());
}

TEST(ImageKeys, EqualRequestsGiveEqualKeysAndEveryFieldDistinguishes)
{
    const ImageRequest a(emoteURL), b(emoteURL);
    expectSameKey<CacheKey>(a, b);
    expectSameKey<DataLoadKey>(a, b);
    expectSameKey<ImageLoadKey>(a, b);
    expectSameKey<DecodedImageLoadKey>(a, b);
    expectSameKey<ImageCacheKey>(a, b);

    const ImageRequest other(QUrl(QStringLiteral("https://static-cdn.example/other.png")));
    EXPECT_NE(CacheKey(a), CacheKey(other));
    EXPECT_NE(DataLoadKey(a), DataLoadKey(other));

    // Options separate whole loads but not the download below them.
    ImageRequest noCache = a;
    noCache.setOptions(ImageRequest::Option::noMemoryCacheReads);
    EXPECT_NE(ImageLoadKey(a), ImageLoadKey(noCache));
    expectSameKey<DataLoadKey>(a, noCache);

    // Thumbnails separate decoded images but share the download.
    const ImageRequest small(emoteURL, {}, ImageRequest::Priority::normal, {}, thumbnailInfo(16));
    const ImageRequest large(emoteURL, {}, ImageRequest::Priority::normal, {}, thumbnailInfo(64));
    EXPECT_NE(DecodedImageLoadKey(small), DecodedImageLoadKey(large));
    EXPECT_NE(DecodedImageLoadKey(a), DecodedImageLoadKey(small));
    EXPECT_NE(CacheKey(small), CacheKey(large));
    expectSameKey<DataLoadKey>(small, large);

    // A different cache policy is a different download.
    QNetworkRequest cacheFirst(emoteURL);
    cacheFirst.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferCache);
    EXPECT_NE(DataLoadKey(a), DataLoadKey(ImageRequest(cacheFirst)));

    EXPECT_NE(ImageCacheKey(QStringLiteral("x")), ImageCacheKey(a));
    EXPECT_EQ(ImageCacheKey(QStringLiteral("x")), ImageCacheKey(QStringLiteral("x")));
}

TEST(ImageKeys, ProcessorsCompareByIdentifier)
{
    auto request = [](QStringList ids) {
        QList<ImageProcessor> processors;
        for (const auto& id : ids)
            processors.append(std::make_shared<NamedProcessor>(id));
        return ImageRequest(emoteURL, processors);
    };
    expectSameKey<CacheKey>(request({ QStringLiteral("resize") }), request({ QStringLiteral("resize") }));
    EXPECT_NE(CacheKey(request({ QStringLiteral("resize"), QStringLiteral("circle") })),
        CacheKey(request({ QStringLiteral("circle"), QStringLiteral("resize") })));
    expectSameKey<DataLoadKey>(request({ QStringLiteral("resize") }), request({}));
}

TEST(ImagePipelineError, DescriptionsAreFixedTexts)
{
    ImageDecodingContext context { ImageRequest(emoteURL), QByteArray("x"), true, {}, {} };
    EXPECT_EQ(ImagePipelineError::dataMissingInCache().description(),
        QStringLiteral("Failed to load data from cache and download is disabled."));
    EXPECT_EQ(ImagePipelineError::dataIsEmpty().description(), QStringLiteral("Data loader returned empty data."));
    EXPECT_EQ(ImagePipelineError::decoderNotRegistered(context).description(),
        QStringLiteral("No decoders registered for the downloaded data."));
    EXPECT_EQ(ImagePipelineError::imageRequestMissing().description(),
        QStringLiteral("Load image method was called with no image request or no URL."));
    EXPECT_EQ(ImagePipelineError::pipelineInvalidated().description(),
        QStringLiteral("Image pipeline is invalidated and no requests can be made."));

    const auto loading = ImagePipelineError::dataLoadingFailed(
        std::make_exception_ptr(Error(QStringLiteral("Connection refused"))));
    EXPECT_EQ(
        loading.description(), QStringLiteral("Failed to load image data. Underlying error: Connection refused."));
    EXPECT_EQ(loading.kind(), ImagePipelineError::Kind::dataLoadingFailed);
    EXPECT_TRUE(loading.underlyingError());
}

TEST(ImagePipelineError, DecoderAndProcessorOwnErrorsAddNoSuffix)
{
    class Named : public ImageDecoding {
    public:
        QString name() const override { return QStringLiteral("Test"); }
        ImageContainer decode(const QByteArray&) override { throw ImageDecodingError(); }
        std::optional<ImageContainer> decodePartiallyDownloadedData(const QByteArray&) override { return {}; }
    };
    auto decoder = std::make_shared<Named>();
    ImageDecodingContext context { ImageRequest(emoteURL), QByteArray("x"), true, {}, {} };
    EXPECT_EQ(ImagePipelineError::decodingFailed(decoder, context, std::make_exception_ptr(ImageDecodingError()))
                  .description(),
        QStringLiteral("Failed to decode image data using decoder Test."));
    EXPECT_EQ(
        ImagePipelineError::decodingFailed(decoder, context, std::make_exception_ptr(Error(QStringLiteral("bad"))))
            .description(),
        QStringLiteral("Failed to decode image data using decoder Test. Underlying error: bad."));

    const ImageRequest request(emoteURL);
    const ImageResponse response { ImageContainer(), request, {}, {} };
    auto processor = std::make_shared<NamedProcessor>(QStringLiteral("Circle"));
    EXPECT_EQ(ImagePipelineError::processingFailed(
                  processor, { request, response, true }, std::make_exception_ptr(ImageProcessingError()))
                  .description(),
        QStringLiteral("Failed to process the image using processor Circle."));
}

TEST(ImageContainer, CostCountsBitmapAndAttachedData)
{
    EXPECT_EQ(ImageContainer().cost(), 1);
    EXPECT_EQ(ImageContainer(QImage(), {}, false, QByteArray(10, 'x')).cost(), 11);
    QImage image(10, 4, QImage::Format_ARGB32);
    EXPECT_EQ(ImageContainer(image).cost(), 160);
    EXPECT_EQ(ImageContainer(image, AssetType::gif(), false, QByteArray(7, 'x')).cost(), 167);
}
