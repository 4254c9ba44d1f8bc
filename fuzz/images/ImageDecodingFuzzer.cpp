// Untrusted image bytes through format detection, complete decoding and the
// partial-data previews a download would produce. Seeds: fuzz/images/corpus/.
#include "images/decoding/ImageDecoders.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

using namespace parley;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The JPEG and GIF readers are plugins, found through the application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    // The readers complain about every corrupt input; that is the point here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray data(reinterpret_cast<const char*>(bytes), qsizetype(size));
    AssetType::detect(data);
    ProgressiveJPEGScanner::isProgressive(data);

    // Full size, then as a thumbnail through the reader's scaled size.
    const ImageRequest::ThumbnailOptions thumbnail { ImageRequest::ThumbnailOptions::Fixed { 16 } };
    const ImageRequest requests[] = {
        ImageRequest(),
        ImageRequest(std::nullopt, {}, ImageRequest::Priority::normal, {},
            ImageRequest::UserInfo { { ImageRequest::thumbnailKey, QVariant::fromValue(thumbnail) } }),
    };
    for (const auto& request : requests) {
        try {
            const auto container =
                ImageDecoders::Default::make({ request, data, true, std::nullopt, std::nullopt })->decode(data);
            if (container.image().isNull())
                __builtin_trap(); // decode either fails or yields an image
        } catch (const ImageDecodingError&) { }
    }

    // The download arriving in a few chunks.
    std::shared_ptr<ImageDecoders::Default> decoder;
    for (qsizetype end = 1; end <= data.size(); end += std::max<qsizetype>(1, data.size() / 5)) {
        const QByteArray prefix = data.left(end);
        if (!decoder)
            decoder = ImageDecoders::Default::make({ ImageRequest(), prefix, false, std::nullopt, std::nullopt });
        if (decoder)
            decoder->decodePartiallyDownloadedData(prefix);
    }
    return 0;
}
