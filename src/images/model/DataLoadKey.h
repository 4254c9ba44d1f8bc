#pragma once

#include "images/model/ImageRequest.h"

#include <optional>

namespace parley {

// Identifies one download: loads with equal keys share their bytes.
struct DataLoadKey {
    std::optional<QString> imageId;
    // The URL request's cache policy (QNetworkRequest::CacheLoadControl).
    int cachePolicy = QNetworkRequest::PreferNetwork;
    // Desktop networks have no cellular restriction; kept so that keys stay
    // distinct should requests ever carry one.
    bool allowsCellularAccess = true;

    DataLoadKey() = default;
    explicit DataLoadKey(const ImageRequest& request) : imageId(request.imageId())
    {
        if (auto urlRequest = request.urlRequest())
            cachePolicy = urlRequest
                              ->attribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork)
                              .toInt();
    }

    friend bool operator==(const DataLoadKey&, const DataLoadKey&) = default;
    friend size_t qHash(const DataLoadKey& key, size_t seed = 0)
    {
        return qHashMulti(
            seed, key.imageId.value_or(QString()), key.imageId.has_value(), key.cachePolicy, key.allowsCellularAccess);
    }
};

} // namespace parley
