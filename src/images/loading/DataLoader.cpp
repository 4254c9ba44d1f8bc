#include "images/loading/DataLoader.h"

#include "platform/TransferDeadline.h"
#include "platform/TransportError.h"

#include <QAuthenticator>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QThread>

#include <mutex>
#include <optional>
#include <unordered_map>

namespace parley {

namespace {

// Qt turns some HTTP statuses into reply errors; a status is not a transport
// failure, so those are left to the validator as they would be elsewhere.
bool isDerivedFromHttpStatus(const QNetworkReply& reply)
{
    const int code = reply.error();
    const bool isContentOrServerError = (code >= 201 && code <= 299) || (code >= 401 && code <= 499);
    return isContentOrServerError && reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

// The redirect target attribute is set only after the answer's metadata has
// been announced, so the Location header tells a redirect Qt will follow.
bool isFollowedRedirect(const QNetworkReply& reply)
{
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    return status >= 300 && status < 400 && status != 304 && reply.hasRawHeader("Location") &&
        reply.request()
            .attribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy)
            .toInt() != QNetworkRequest::ManualRedirectPolicy;
}

// Qt reads a 401 or 407 answer's body whole, for its own authentication,
// before it shows the headers; Parley never authenticates to image hosts.
bool asksForAuthentication(int status)
{
    return status == 401 || status == 407;
}

std::exception_ptr cancellation()
{
    return std::make_exception_ptr(
        TransportError(QNetworkReply::OperationCanceledError, QStringLiteral("Operation canceled")));
}

} // namespace

// What a pending load's handle and the loader share: the session while it
// exists. Guarded so a cancel from any thread never posts to a deleted session.
struct DataLoader::Control {
    std::mutex mutex;
    Session* session = nullptr;
};

// The delegate-queue side of the loader. Lives on the loader's thread; every
// member function runs there.
class DataLoader::Session : public QObject {
public:
    struct Handler {
        QNetworkRequest request;
        DataHandler didReceiveData;
        CompletionHandler completion;
        bool isIncremental = false;
        QNetworkReply* reply = nullptr;
        std::optional<URLResponse> response;
        QByteArray held;
        qint64 received = 0;
        TransferDeadline* deadline = nullptr;
        // Until the headers arrive; the body of a 401 or 407 shows no progress.
        TransferDeadline* responseDeadline = nullptr;
    };

    Session(URLCache cache, Validator validator, Limits limits)
        : cache_(std::move(cache)), validator_(std::move(validator)), limits_(limits)
    { }

    void setDelegate(std::shared_ptr<Delegate> delegate) { delegate_ = std::move(delegate); }

    void start(quint64 id, Handler handler, const std::shared_ptr<std::atomic<bool>>& isCancelled)
    {
        if (*isCancelled) {
            handler.completion(cancellation());
            return;
        }
        QNetworkRequest request = handler.request;
        // Image requests carry no credentials, so following redirects is safe.
        if (!request.attribute(QNetworkRequest::RedirectPolicyAttribute).isValid())
            request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
        request.setMaximumRedirectsAllowed(maximumRedirects);
        QNetworkReply* reply = manager()->get(request);
        reply->setObjectName(QStringLiteral("parley.images.DataLoader.task"));
        reply->setReadBufferSize(limits_.readBufferSize);
        handler.reply = reply;
        handler.deadline = new TransferDeadline(
            limits_.transferTimeout, TransferDeadline::Milliseconds::zero(), [this, id] { timeOut(id); }, this);
        handler.responseDeadline = new TransferDeadline(
            TransferDeadline::Milliseconds::zero(), limits_.responseTimeout, [this, id] { timeOut(id); }, this);
        handlers_.emplace(id, std::move(handler));
        connect(reply, &QNetworkReply::metaDataChanged, this, [this, id] { receiveResponse(id); });
        connect(reply, &QNetworkReply::readyRead, this, [this, id] { receiveData(id); });
        connect(reply, &QNetworkReply::finished, this, [this, id] { complete(id); });
        connect(reply, &QNetworkReply::redirected, this, [this, id] { noteProgress(id); });
    }

    void cancel(quint64 id)
    {
        if (handlers_.contains(id))
            finish(id, cancellation());
    }

    // Ends every load with a cancellation; the loader is going away.
    void cancelAll()
    {
        while (!handlers_.empty())
            finish(handlers_.begin()->first, cancellation());
        delete manager_;
        manager_ = nullptr;
    }

private:
    static constexpr int maximumRedirects = 5;

    QNetworkAccessManager* manager()
    {
        if (manager_)
            return manager_;
        manager_ = new QNetworkAccessManager(this);
        manager_->setObjectName(QStringLiteral("parley.images.DataLoader"));
        connect(manager_, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply* reply) { refuseAuthentication(reply, 401); });
        connect(manager_, &QNetworkAccessManager::proxyAuthenticationRequired, this,
            [this] { refuseAuthentication(nullptr, 407); });
        if (cache_.isEnabled()) {
            auto* diskCache = new QNetworkDiskCache(manager_);
            diskCache->setCacheDirectory(cache_.directory);
            diskCache->setMaximumCacheSize(cache_.diskCapacity);
            manager_->setCache(diskCache);
        }
        return manager_;
    }

    Handler* handler(quint64 id)
    {
        auto found = handlers_.find(id);
        return found == handlers_.end() ? nullptr : &found->second;
    }

    void timeOut(quint64 id)
    {
        if (handler(id))
            finish(id, std::make_exception_ptr(TransportError::timedOut()));
    }

    void noteProgress(quint64 id)
    {
        if (Handler* handler = this->handler(id))
            handler->deadline->noteProgress();
    }

    // Ends the load of `reply` (every load still waiting for its headers when
    // a proxy asks: the proxy signal names none) before Qt answers the challenge.
    void refuseAuthentication(QNetworkReply* reply, int status)
    {
        std::vector<quint64> refused;
        for (const auto& [id, handler] : handlers_)
            if (reply ? handler.reply == reply : !handler.response)
                refused.push_back(id);
        for (quint64 id : refused)
            finish(id, std::make_exception_ptr(Error::statusCodeUnacceptable(status)));
    }

    // Returns false when the response was rejected (the load is then over).
    bool receiveResponse(quint64 id)
    {
        Handler* handler = this->handler(id);
        if (!handler)
            return false;
        handler->deadline->noteProgress();
        if (TransferDeadline* waiting = std::exchange(handler->responseDeadline, nullptr))
            waiting->deleteLater();
        if (handler->response || isFollowedRedirect(*handler->reply))
            return true;
        handler->response = URLResponse::fromReply(*handler->reply);
        if (delegate_)
            delegate_->responseReceived(handler->request, *handler->response);
        std::exception_ptr error = asksForAuthentication(handler->response->statusCode)
            ? std::make_exception_ptr(Error::statusCodeUnacceptable(handler->response->statusCode))
            : validator_(*handler->response);
        if (!error && handler->response->expectedContentLength > limits_.maximumDataSize)
            error = tooLarge();
        if (error) {
            finish(id, error);
            return false;
        }
        return true;
    }

    void receiveData(quint64 id)
    {
        if (!receiveResponse(id))
            return;
        Handler* handler = this->handler(id);
        if (!handler)
            return;
        // At most the read buffer's worth: Qt holds no more than that.
        const QByteArray chunk = handler->reply->readAll();
        if (chunk.isEmpty())
            return;
        handler->received += chunk.size();
        if (handler->received > limits_.maximumDataSize) {
            finish(id, tooLarge());
            return;
        }
        if (delegate_)
            delegate_->dataReceived(handler->request, chunk.size());
        if (handler->isIncremental)
            handler->didReceiveData(chunk, *handler->response);
        else
            handler->held.append(chunk);
    }

    void complete(quint64 id)
    {
        Handler* handler = this->handler(id);
        if (!handler)
            return;
        QNetworkReply& reply = *handler->reply;
        if (reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid() && !receiveResponse(id))
            return;
        receiveData(id);
        if (!this->handler(id))
            return;
        std::exception_ptr error;
        if (reply.error() != QNetworkReply::NoError && !isDerivedFromHttpStatus(reply))
            error = std::make_exception_ptr(TransportError(reply.error(), reply.errorString()));
        finish(id, error);
    }

    // Takes the handler out of the table, hands over any held body and calls
    // the completion once. The reply is stopped if it is still running.
    void finish(quint64 id, std::exception_ptr error)
    {
        auto found = handlers_.find(id);
        Handler handler = std::move(found->second);
        handlers_.erase(found);
        handler.reply->disconnect(this);
        handler.deadline->deleteLater(); // may be the caller
        if (handler.responseDeadline)
            handler.responseDeadline->deleteLater();
        // Stopped later: aborting inside the reply's own signal upsets it.
        QNetworkReply* reply = handler.reply;
        QMetaObject::invokeMethod(
            reply,
            [reply] {
                reply->abort();
                reply->deleteLater();
            },
            Qt::QueuedConnection);
        if (!handler.held.isEmpty())
            handler.didReceiveData(handler.held, *handler.response);
        if (delegate_)
            delegate_->loadCompleted(handler.request, error);
        handler.completion(error);
    }

    std::exception_ptr tooLarge() const
    {
        return std::make_exception_ptr(Error::dataTooLarge(limits_.maximumDataSize));
    }

    URLCache cache_;
    Validator validator_;
    Limits limits_;
    std::shared_ptr<Delegate> delegate_;
    QNetworkAccessManager* manager_ = nullptr;
    std::unordered_map<quint64, Handler> handlers_;
};

namespace {

class DataTask : public Cancellable {
public:
    DataTask(std::weak_ptr<DataLoader::Control> control, quint64 id) : control_(std::move(control)), id_(id) { }

    void cancel() override
    {
        *isCancelled_ = true;
        const auto control = control_.lock();
        if (!control)
            return;
        std::lock_guard lock(control->mutex);
        if (auto* session = control->session)
            QMetaObject::invokeMethod(
                session, [session, id = id_] { session->cancel(id); }, Qt::QueuedConnection);
    }

    const std::shared_ptr<std::atomic<bool>>& isCancelled() const { return isCancelled_; }

private:
    std::weak_ptr<DataLoader::Control> control_;
    quint64 id_;
    std::shared_ptr<std::atomic<bool>> isCancelled_ = std::make_shared<std::atomic<bool>>(false);
};

std::atomic<quint64> nextLoadID = 0;

} // namespace

DataLoader::Error DataLoader::Error::statusCodeUnacceptable(int statusCode)
{
    return Error(QStringLiteral("Response status code was unacceptable: %1").arg(statusCode),
        Code::statusCodeUnacceptable, statusCode);
}

DataLoader::Error DataLoader::Error::dataTooLarge(qint64 limit)
{
    return Error(QStringLiteral("Response is larger than the limit of %1 bytes").arg(limit), Code::dataTooLarge, 0);
}

std::exception_ptr DataLoader::validateStatusCode(const URLResponse& response)
{
    if (response.isHttp() && (response.statusCode < 200 || response.statusCode > 299))
        return std::make_exception_ptr(Error::statusCodeUnacceptable(response.statusCode));
    return nullptr;
}

DataLoader::DataLoader(URLCache cache, Validator validator, Limits limits)
    : cache_(std::move(cache))
    , validator_(std::move(validator))
    , limits_(limits)
    , thread_(new QThread)
    , session_(new Session(cache_, validator_, limits_))
    , control_(std::make_shared<Control>())
{
    control_->session = session_;
    thread_->setObjectName(QStringLiteral("parley.images.DataLoader"));
    session_->moveToThread(thread_);
    thread_->start();
}

DataLoader::~DataLoader()
{
    {
        std::lock_guard lock(control_->mutex);
        control_->session = nullptr;
    }
    Session* session = session_;
    if (QThread::currentThread() == thread_) {
        session->cancelAll();
        delete session;
        thread_->quit();
        QObject::connect(thread_, &QThread::finished, thread_, &QObject::deleteLater);
        return;
    }
    QMetaObject::invokeMethod(
        session,
        [session] {
            session->cancelAll();
            delete session;
        },
        Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
    delete thread_;
}

void DataLoader::setDelegate(std::shared_ptr<Delegate> delegate)
{
    QMetaObject::invokeMethod(
        session_, [session = session_, delegate = std::move(delegate)] { session->setDelegate(delegate); },
        Qt::QueuedConnection);
}

std::shared_ptr<Cancellable> DataLoader::loadData(
    const QNetworkRequest& request, DataHandler didReceiveData, CompletionHandler completion)
{
    const quint64 id = ++nextLoadID;
    auto task = std::make_shared<DataTask>(control_, id);
    Session::Handler handler;
    handler.request = request;
    handler.didReceiveData = std::move(didReceiveData);
    handler.completion = std::move(completion);
    handler.isIncremental = prefersIncrementalDelivery_;
    QMetaObject::invokeMethod(
        session_,
        [session = session_, id, handler = std::move(handler), isCancelled = task->isCancelled()]() mutable {
            session->start(id, std::move(handler), isCancelled);
        },
        Qt::QueuedConnection);
    return task;
}

} // namespace parley
