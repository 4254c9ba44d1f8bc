#pragma once

#include "images/loading/DataLoading.h"
#include "images/loading/UrlCache.h"
#include "platform/Error.h"

#include <atomic>
#include <memory>

class QThread;

namespace parley {

// Downloads image bytes over one QNetworkAccessManager that lives on the
// loader's own thread. That thread is the loader's delegate queue: every
// network callback, the handler table and the callers' closures run there, one
// at a time. Responses are checked by a validator before any body is read; the
// default one accepts only HTTP status codes 200 to 299.
class DataLoader : public DataLoading {
public:
    class Error : public parley::Error {
    public:
        static Error statusCodeUnacceptable(int statusCode);
        int statusCode() const { return statusCode_; }

    private:
        Error(QString description, int statusCode)
            : parley::Error(std::move(description)), statusCode_(statusCode) { }
        int statusCode_;
    };

    // Returns the error that rejects a response, or null to let it through.
    using Validator = std::function<std::exception_ptr(const UrlResponse& response)>;
    static std::exception_ptr validateStatusCode(const UrlResponse& response);

    // Observes the network events of every load, on the delegate queue.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        virtual void responseReceived(const QNetworkRequest&, const UrlResponse&) { }
        virtual void dataReceived(const QNetworkRequest&, qsizetype /*byteCount*/) { }
        virtual void loadCompleted(const QNetworkRequest&, const std::exception_ptr& /*error*/) { }
    };

    explicit DataLoader(UrlCache cache, Validator validator = &validateStatusCode);
    ~DataLoader() override;
    DataLoader(const DataLoader&) = delete;
    DataLoader& operator=(const DataLoader&) = delete;

    std::shared_ptr<Cancellable> loadData(const QNetworkRequest& request,
        DataHandler didReceiveData, CompletionHandler completion) override;

    // When set, chunks are handed over as they arrive; otherwise the body is
    // handed over in one piece when the load ends (also when it fails, so a
    // partial download can still be kept for resuming).
    bool prefersIncrementalDelivery() const { return prefersIncrementalDelivery_; }
    void setPrefersIncrementalDelivery(bool prefers) { prefersIncrementalDelivery_ = prefers; }

    // Set before the first load; the loader keeps it alive.
    void setDelegate(std::shared_ptr<Delegate> delegate);

    const UrlCache& urlCache() const { return cache_; }
    const Validator& validator() const { return validator_; }

    class Session;
    struct Control;

private:
    UrlCache cache_;
    Validator validator_;
    std::atomic<bool> prefersIncrementalDelivery_ = false;
    QThread* thread_;
    Session* session_;
    std::shared_ptr<Control> control_;
};

} // namespace parley
