#pragma once

#include "images/model/URLResponse.h"

#include <QByteArray>
#include <QNetworkRequest>

#include <exception>
#include <functional>
#include <memory>

namespace parley {

// A handle on started work that can be stopped from any thread.
class Cancellable {
public:
    virtual ~Cancellable() = default;
    virtual void cancel() = 0;
};

// Loads the bytes of one URL request. `didReceiveData` gets each chunk with the
// response it belongs to; `completion` runs once at the end, with the error
// (null on success). Both run on the loader's own thread, one at a time.
class DataLoading {
public:
    using DataHandler = std::function<void(const QByteArray& chunk, const URLResponse& response)>;
    using CompletionHandler = std::function<void(std::exception_ptr error)>;

    virtual ~DataLoading() = default;
    virtual std::shared_ptr<Cancellable> loadData(
        const QNetworkRequest& request, DataHandler didReceiveData, CompletionHandler completion) = 0;
};

} // namespace parley
