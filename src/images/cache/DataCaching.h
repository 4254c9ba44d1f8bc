#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace parley {

// A store of downloaded bytes by key that the pipeline can read before going
// to the network and write after. May be used from any thread.
class DataCaching {
public:
    virtual ~DataCaching() = default;
    virtual std::optional<QByteArray> cachedData(const QString& key) = 0;
    virtual bool containsData(const QString& key) = 0;
    virtual void storeData(const QByteArray& data, const QString& key) = 0;
    virtual void removeData(const QString& key) = 0;
    virtual void removeAll() = 0;
};

} // namespace parley
