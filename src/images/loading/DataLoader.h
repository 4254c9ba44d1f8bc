#pragma once

#include "images/loading/DataLoading.h"
#include "images/loading/URLCache.h"
#include "platform/Error.h"

#include <atomic>
#include <chrono>
#include <memory>

class QThread;

namespace parley {

// What a DataLoader holds each load to.
struct DataLoaderLimits {
    // Without a byte in either direction for this long, a load fails.
    std::chrono::milliseconds transferTimeout = std::chrono::seconds(60);
    // Without the answer's headers this long after the request, a load fails.
    // Qt 6.4 reads a 401 or 407 answer's body whole before it shows its
    // headers or asks for credentials, with no progress to see: this bounds
    // how much of an endless one it reads.
    std::chrono::milliseconds responseTimeout = std::chrono::seconds(10);
    qint64 maximumDataSize = 32 * 1024 * 1024;
    // What Qt may hold for a load that has not been read yet.
    qint64 readBufferSize = 1024 * 1024;
};

// Downloads image bytes over one QNetworkAccessManager that lives on the
// loader's own thread. That thread is the loader's delegate queue: every
// network callback, the handler table and the callers' closures run there, one
// at a time. Responses are checked by a validator before any body is read; the
// default one accepts only HTTP status codes 200 to 299. Hostile or broken
// servers are held to limits: a transfer that makes no progress for a while
// fails with a time-out, and a body larger than the size limit fails as soon
// as it is announced or, without an announcement, as soon as it grows past
// it. Qt buffers at most a small read buffer per load meanwhile.
// Redirects are followed, at most five, never from https to http.
class DataLoader : public DataLoading {
public:
    class Error : public parley::Error {
    public:
        enum class Code { statusCodeUnacceptable, dataTooLarge };

        static Error statusCodeUnacceptable(int statusCode);
        static Error dataTooLarge(qint64 limit);
        Code code() const { return code_; }
        // 0 unless the code is statusCodeUnacceptable.
        int statusCode() const { return statusCode_; }

    private:
        Error(QString description, Code code, int statusCode)
            : parley::Error(std::move(description)), code_(code), statusCode_(statusCode)
        { }
        Code code_;
        int statusCode_;
    };

    using Limits = DataLoaderLimits;

    // Returns the error that rejects a response, or null to let it through.
    using Validator = std::function<std::exception_ptr(const URLResponse& response)>;
    static std::exception_ptr validateStatusCode(const URLResponse& response);

    // Observes the network events of every load, on the delegate queue.
    class Delegate {
    public:
        virtual ~Delegate() = default;
        virtual void responseReceived(const QNetworkRequest&, const URLResponse&) { }
        virtual void dataReceived(const QNetworkRequest&, qsizetype /*byteCount*/) { }
        virtual void loadCompleted(const QNetworkRequest&, const std::exception_ptr& /*error*/) { }
    };

    explicit DataLoader(URLCache cache, Validator validator = &validateStatusCode, Limits limits = {});
    DataLoader(URLCache cache, Limits limits) : DataLoader(std::move(cache), &validateStatusCode, limits) { }
    ~DataLoader() override;
    DataLoader(const DataLoader&) = delete;
    DataLoader& operator=(const DataLoader&) = delete;

    std::shared_ptr<Cancellable> loadData(
        const QNetworkRequest& request, DataHandler didReceiveData, CompletionHandler completion) override;

    // When set, chunks are handed over as they arrive; otherwise the body is
    // handed over in one piece when the load ends (also when it fails, so a
    // partial download can still be kept for resuming).
    bool prefersIncrementalDelivery() const { return prefersIncrementalDelivery_; }
    void setPrefersIncrementalDelivery(bool prefers) { prefersIncrementalDelivery_ = prefers; }

    // Set before the first load; the loader keeps it alive.
    void setDelegate(std::shared_ptr<Delegate> delegate);

    const URLCache& urlCache() const { return cache_; }
    const Validator& validator() const { return validator_; }
    const Limits& limits() const { return limits_; }

    class Session;
    struct Control;

private:
    URLCache cache_;
    Validator validator_;
    Limits limits_;
    std::atomic<bool> prefersIncrementalDelivery_ = false;
    QThread* thread_;
    Session* session_;
    std::shared_ptr<Control> control_;
};

} // namespace parley
