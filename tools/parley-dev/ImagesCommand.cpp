#include "parley-dev/Commands.h"
#include "parley-dev/TerminalText.h"

#include "images/loading/DataLoader.h"
#include "images/pipeline/ImagePipeline.h"
#include "platform/MemoryPressureSource.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <cstdio>

namespace parley::dev {

namespace {

const char* const usageText =
    "usage: parley-dev images load URL... [--repeat N] [--priority veryLow|low|normal|high|veryHigh]\n";

int usageError(const QString& problem)
{
    std::fprintf(stderr, "parley-dev images: %s\n%s", qPrintable(problem), usageText);
    return 2;
}

std::optional<ImageRequest::Priority> priorityNamed(const QString& name)
{
    static const QStringList names { "veryLow", "low", "normal", "high", "veryHigh" };
    const qsizetype index = names.indexOf(name);
    return index < 0 ? std::nullopt : std::optional(ImageRequest::Priority(index));
}

// The bundle identifier names the disk HTTP cache, as in the app.
QString bundleIdentifier()
{
    QFile info(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/parley/Info.json"));
    if (!info.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(info.readAll()).object().value(QStringLiteral("CFBundleIdentifier")).toString();
}

// Counts the loader's requests, telling network answers from disk HTTP cache hits.
class RequestCounter : public DataLoader::Delegate {
public:
    void responseReceived(const QNetworkRequest&, const URLResponse& response) override
    {
        if (response.isFromCache)
            ++fromCache;
    }
    void loadCompleted(const QNetworkRequest&, const std::exception_ptr&) override { ++loads; }

    std::atomic<int> loads = 0;
    std::atomic<int> fromCache = 0;
};

QString describe(const QUrl& url, const ImageResult& result)
{
    if (const auto* error = result.error())
        return url.toString() + QStringLiteral(" error: ") + error->description();
    const ImageResponse& response = *result.value();
    const QSize size = response.image().size();
    const QString type = response.container.type() ? response.container.type()->rawValue : QStringLiteral("unknown");
    QString source = QStringLiteral("network");
    if (response.cacheType)
        source = *response.cacheType == ImageResponse::CacheType::memory ? QStringLiteral("memory")
                                                                         : QStringLiteral("disk");
    return QStringLiteral("%1 %2x%3 %4 %5").arg(url.toString()).arg(size.width()).arg(size.height()).arg(type, source);
}

} // namespace

int runImages(const QStringList& arguments)
{
    if (arguments.value(0) != QLatin1String("load"))
        return usageError(QStringLiteral("unknown or missing subcommand"));
    QList<QUrl> urls;
    int repeat = 1;
    ImageRequest::Priority priority = ImageRequest::Priority::normal;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("--repeat")) {
            bool ok = false;
            repeat = arguments.value(++i).toInt(&ok);
            if (!ok || repeat < 1)
                return usageError(QStringLiteral("--repeat needs a positive number"));
        } else if (argument == QLatin1String("--priority")) {
            const auto named = priorityNamed(arguments.value(++i));
            if (!named)
                return usageError(QStringLiteral("unknown priority"));
            priority = *named;
        } else if (argument.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option ") + argument);
        } else {
            urls.append(QUrl(argument));
        }
    }
    if (urls.isEmpty())
        return usageError(QStringLiteral("no URL given"));

    MemoryPressureSource memoryPressure;
    ImagePipeline::Configuration configuration;
    configuration.services = ImageServices::make(&memoryPressure, URLCache::forBundle(bundleIdentifier()));
    const auto pipeline = ImagePipeline::create(std::move(configuration));
    const auto counter = std::make_shared<RequestCounter>();
    if (auto* loader = dynamic_cast<DataLoader*>(pipeline->configuration().dataLoader.get()))
        loader->setDelegate(counter);

    const qsizetype total = urls.size() * repeat;
    qsizetype completed = 0;
    qsizetype failed = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QUrl& url : urls) {
        for (int i = 0; i < repeat; ++i) {
            ImageRequest request(url);
            request.setPriority(priority);
            pipeline->loadImage(request, nullptr, {}, [url, total, &completed, &failed](const ImageResult& result) {
                if (result.error()) {
                    ++failed;
                    printTerminalLine(stderr, describe(url, result));
                } else {
                    printTerminalLine(stdout, describe(url, result));
                }
                if (++completed == total)
                    QCoreApplication::quit();
            });
        }
    }
    QCoreApplication::exec();
    const int network = counter->loads - counter->fromCache;
    std::printf("network requests: %d (disk HTTP cache answers: %d)\nelapsed: %lld ms\n", network,
        int(counter->fromCache), clock.elapsed());
    if (failed > 0) {
        std::fprintf(stderr, "failed loads: %lld of %lld\n", qlonglong(failed), qlonglong(total));
        return 1;
    }
    return 0;
}

} // namespace parley::dev
