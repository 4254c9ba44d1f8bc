#pragma once

#include "images/LocalHttpServer.h"
#include "support/TestImages.h"

#include "images/cache/ImageCache.h"
#include "images/loading/DataLoader.h"
#include "images/pipeline/ImagePipeline.h"

#include <QTest>

#include <atomic>

namespace parley::test {

// A data loader that counts what the pipeline asks of the real one.
class CountingLoader : public DataLoading {
public:
    explicit CountingLoader(std::shared_ptr<DataLoading> loader = std::make_shared<DataLoader>(URLCache {}))
        : loader_(std::move(loader))
    { }

    std::shared_ptr<Cancellable> loadData(
        const QNetworkRequest& request, DataHandler didReceiveData, CompletionHandler completion) override
    {
        ++loads;
        return std::make_shared<Counted>(
            loader_->loadData(request, std::move(didReceiveData), std::move(completion)), cancels);
    }

    std::atomic<int> loads = 0;
    std::atomic<int> cancels = 0;

private:
    struct Counted : Cancellable {
        Counted(std::shared_ptr<Cancellable> inner, std::atomic<int>& cancels)
            : inner(std::move(inner)), cancels(cancels)
        { }
        void cancel() override
        {
            ++cancels;
            inner->cancel();
        }
        std::shared_ptr<Cancellable> inner;
        std::atomic<int>& cancels;
    };
    std::shared_ptr<DataLoading> loader_;
};

// A pipeline with its own memory cache, so tests do not share results.
inline ImagePipeline::Configuration isolatedConfiguration(std::shared_ptr<DataLoading> loader)
{
    ImagePipeline::Configuration configuration;
    configuration.dataLoader = std::move(loader);
    configuration.customImageCache = std::make_shared<ImageCache>(ImageCache::Configuration {}, nullptr);
    configuration.isCustomImageCacheProvided = true;
    return configuration;
}

// Collects the completions of image loads on the main thread.
struct Completions {
    std::vector<ImageResult> results;

    ImagePipeline::ImageCompletion add()
    {
        return [this](const ImageResult& result) { results.push_back(result); };
    }
    bool waitFor(std::size_t count)
    {
        return QTest::qWaitFor([&] { return results.size() >= count; }, 10000);
    }
    QString errorText(std::size_t index) const
    {
        const auto* error = results.at(index).error();
        return error ? error->description() : QString();
    }
};

} // namespace parley::test
