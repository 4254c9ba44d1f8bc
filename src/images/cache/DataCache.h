#pragma once

#include "images/cache/DataCaching.h"
#include "platform/Error.h"

#include <QDateTime>
#include <QHash>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace parley {

class SerialQueue;

// Creating a data cache failed: no user cache directory, or its own
// directory could not be made.
class DataCacheError : public Error {
public:
    using Error::Error;
};

// How a DataCache behaves; the defaults suit an image cache.
struct DataCacheSettings {
    qint64 sizeLimit = 150 * 1024 * 1024;
    double trimRatio = 0.7;
    // A sweep runs only when the last one is at least this old...
    std::chrono::seconds sweepInterval { 3600 };
    // ...and this long after creation.
    std::chrono::milliseconds sweepDelay { 5000 };
    std::chrono::milliseconds flushInterval { 1000 };
    bool isCompressionEnabled = false;
    // None: the SHA-1 file name.
    std::function<QString(const QString& key)> filenameGenerator;
};

// A least-recently-used store of byte blobs on disk, one file per key in one
// directory. Writes are staged in memory (readers see them at once) and
// flushed in one batch on the cache's own thread shortly after the first of
// them; a sweep after creation deletes the least recently read files once
// the directory grows past its size limit. Every file is written under a
// temporary name and renamed into place, so a process killed in the middle
// of a flush leaves either the old file or the new one, never a mix.
// Every member may be called from any thread; no disk work runs on the
// caller's thread except reads.
class DataCache final : public DataCaching {
public:
    using FilenameGenerator = std::function<QString(const QString& key)>;

    using Settings = DataCacheSettings;

    // The metadata file's name; hidden, so the sweep never counts it.
    static const QString metadataFileName;

    // A cache in `name` under the user cache directory. Throws DataCacheError.
    static std::shared_ptr<DataCache> named(const QString& name, Settings settings = {});
    // A cache in the directory `path`, made when missing. Throws DataCacheError.
    static std::shared_ptr<DataCache> create(const QString& path, Settings settings = {});
    ~DataCache() override;
    DataCache(const DataCache&) = delete;
    DataCache& operator=(const DataCache&) = delete;

    std::optional<QByteArray> cachedData(const QString& key) override;
    bool containsData(const QString& key) override;
    void storeData(const QByteArray& data, const QString& key) override;
    void removeData(const QString& key) override;
    void removeAll() override;
    // Writes the staged changes and returns when they are on disk.
    void flush();

    const QString& path() const { return path_; }
    // The file a key is stored in (none for a key without a file name).
    std::optional<QString> filePath(const QString& key) const;
    // 40 lower-case hexadecimal digits of the key's SHA-1; empty for an empty key.
    static QString sha1Filename(const QString& key);

    qint64 sizeLimit() const { return sizeLimit_; }
    void setSizeLimit(qint64 limit) { sizeLimit_ = limit; }
    double trimRatio() const { return trimRatio_; }
    void setTrimRatio(double ratio) { trimRatio_ = ratio; }
    bool isCompressionEnabled() const { return isCompressionEnabled_; }
    void setCompressionEnabled(bool enabled) { isCompressionEnabled_ = enabled; }

    // When the directory was last swept, from its metadata file.
    std::optional<QDateTime> lastSweepDate() const;

private:
    struct Change {
        int id;
        // None: remove.
        std::optional<QByteArray> data;
    };
    struct Staging {
        QHash<QString, Change> changes;
        std::optional<int> removeAllID;
        int nextChangeId = 0;
    };

    DataCache(QString path, Settings settings);

    void stage(const QString& key, std::optional<QByteArray> data);
    void scheduleFlush();
    void flushStaged();
    void write(const QString& key, const QByteArray& data) const;
    void scheduleSweep(std::chrono::seconds sweepInterval, std::chrono::milliseconds sweepDelay);
    void sweep() const;
    void recordSweep() const;
    bool makeDirectory() const;

    const QString path_;
    const FilenameGenerator filenameGenerator_;
    const std::chrono::milliseconds flushInterval_;
    std::atomic<qint64> sizeLimit_;
    std::atomic<double> trimRatio_;
    std::atomic<bool> isCompressionEnabled_;

    std::mutex lock_;
    Staging staging_;
    bool isFlushNeeded_ = false;
    bool isFlushScheduled_ = false;

    // Last: destroyed first, so no disk work outlives the members it uses.
    std::unique_ptr<SerialQueue> queue_;
};

} // namespace parley
