#include "images/cache/DataCache.h"

#include "platform/SerialQueue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace parley {

namespace {

const QString lastSweepDateKey = QStringLiteral("lastSweepDate");

// The metadata file counts time from this moment, as a floating-point number
// of seconds.
const QDateTime& referenceDate()
{
    static const QDateTime date(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    return date;
}

struct Entry {
    QString path;
    QDateTime accessDate;
    qint64 allocatedSize;
};

qint64 allocatedSize(const QString& path)
{
    struct stat status { };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return 0;
    return qint64(status.st_blocks) * 512;
}

} // namespace

const QString DataCache::metadataFileName = QStringLiteral(".data-cache-info");

std::shared_ptr<DataCache> DataCache::named(const QString& name, Settings settings)
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty())
        throw DataCacheError(QStringLiteral("The user cache directory does not exist."));
    return create(QDir(caches).filePath(name), std::move(settings));
}

std::shared_ptr<DataCache> DataCache::create(const QString& path, Settings settings)
{
    const auto sweepInterval = settings.sweepInterval;
    const auto sweepDelay = settings.sweepDelay;
    std::shared_ptr<DataCache> cache(new DataCache(path, std::move(settings)));
    if (!cache->makeDirectory())
        throw DataCacheError(QStringLiteral("Could not create the cache directory %1.").arg(path));
    cache->scheduleSweep(sweepInterval, sweepDelay);
    return cache;
}

DataCache::DataCache(QString path, Settings settings)
    : path_(std::move(path))
    , filenameGenerator_(settings.filenameGenerator ? std::move(settings.filenameGenerator) : &sha1Filename)
    , flushInterval_(settings.flushInterval)
    , sizeLimit_(settings.sizeLimit)
    , trimRatio_(settings.trimRatio)
    , isCompressionEnabled_(settings.isCompressionEnabled)
    , queue_(std::make_unique<SerialQueue>(QStringLiteral("parley.images.DataCache")))
{ }

DataCache::~DataCache() = default;

QString DataCache::sha1Filename(const QString& key)
{
    if (key.isEmpty())
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex());
}

std::optional<QString> DataCache::filePath(const QString& key) const
{
    const QString name = filenameGenerator_(key);
    if (name.isEmpty())
        return std::nullopt;
    return QDir(path_).filePath(name);
}

std::optional<QByteArray> DataCache::cachedData(const QString& key)
{
    const auto file = filePath(key);
    if (!file)
        return std::nullopt;
    {
        std::lock_guard lock(lock_);
        if (const auto change = staging_.changes.constFind(key); change != staging_.changes.cend())
            return change->data;
        if (staging_.removeAllID)
            return std::nullopt;
    }
    QFile reader(*file);
    if (!reader.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = reader.readAll();
    if (!isCompressionEnabled_)
        return bytes;
    QByteArray data = qUncompress(bytes);
    if (data.isEmpty())
        return std::nullopt;
    return data;
}

bool DataCache::containsData(const QString& key)
{
    const auto file = filePath(key);
    if (!file)
        return false;
    {
        std::lock_guard lock(lock_);
        if (const auto change = staging_.changes.constFind(key); change != staging_.changes.cend())
            return change->data.has_value();
        if (staging_.removeAllID)
            return false;
    }
    return QFileInfo::exists(*file);
}

void DataCache::storeData(const QByteArray& data, const QString& key)
{
    stage(key, data);
}

void DataCache::removeData(const QString& key)
{
    stage(key, std::nullopt);
}

void DataCache::removeAll()
{
    std::lock_guard lock(lock_);
    staging_.changes.clear();
    staging_.removeAllID = staging_.nextChangeId++;
    scheduleFlush();
}

void DataCache::stage(const QString& key, std::optional<QByteArray> data)
{
    if (!filePath(key))
        return;
    std::lock_guard lock(lock_);
    staging_.changes.insert(key, Change { staging_.nextChangeId++, std::move(data) });
    scheduleFlush();
}

void DataCache::scheduleFlush()
{
    isFlushNeeded_ = true;
    if (std::exchange(isFlushScheduled_, true))
        return;
    queue_->asyncAfter(flushInterval_, [this] { flushStaged(); });
}

void DataCache::flush()
{
    queue_->sync([this] { flushStaged(); });
}

void DataCache::flushStaged()
{
    Staging flushing;
    {
        std::lock_guard lock(lock_);
        if (!isFlushNeeded_)
            return;
        flushing = staging_;
        isFlushNeeded_ = false;
    }
    if (flushing.removeAllID) {
        QDir(path_).removeRecursively();
        makeDirectory();
    }
    for (auto change = flushing.changes.cbegin(); change != flushing.changes.cend(); ++change) {
        if (change->data)
            write(change.key(), *change->data);
        else
            QFile::remove(*filePath(change.key()));
    }
    std::lock_guard lock(lock_);
    // A change made during the flush has a newer id and waits for the next one.
    for (auto change = flushing.changes.cbegin(); change != flushing.changes.cend(); ++change) {
        const auto staged = staging_.changes.constFind(change.key());
        if (staged != staging_.changes.cend() && staged->id == change->id)
            staging_.changes.erase(staged);
    }
    if (staging_.removeAllID == flushing.removeAllID)
        staging_.removeAllID.reset();
    isFlushScheduled_ = false;
    if (isFlushNeeded_)
        scheduleFlush();
}

void DataCache::write(const QString& key, const QByteArray& data) const
{
    const QByteArray bytes = isCompressionEnabled_ ? qCompress(data) : data;
    const QString file = *filePath(key);
    auto attempt = [&] {
        // Written beside the file and renamed over it when complete.
        QSaveFile saving(file);
        return saving.open(QIODevice::WriteOnly) && saving.write(bytes) == bytes.size() && saving.commit();
    };
    if (!attempt() && !QFileInfo::exists(path_) && makeDirectory())
        attempt();
}

bool DataCache::makeDirectory() const
{
    return QDir().mkpath(path_);
}

std::optional<QDateTime> DataCache::lastSweepDate() const
{
    QFile file(QDir(path_).filePath(metadataFileName));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonValue seconds = QJsonDocument::fromJson(file.readAll()).object().value(lastSweepDateKey);
    if (!seconds.isDouble())
        return std::nullopt;
    return referenceDate().addMSecs(qint64(seconds.toDouble() * 1000));
}

void DataCache::scheduleSweep(std::chrono::seconds sweepInterval, std::chrono::milliseconds sweepDelay)
{
    queue_->async([this, sweepInterval, sweepDelay] {
        const auto last = lastSweepDate();
        if (last && last->secsTo(QDateTime::currentDateTimeUtc()) < sweepInterval.count())
            return;
        queue_->asyncAfter(sweepDelay, [this] {
            sweep();
            recordSweep();
        });
    });
}

void DataCache::sweep() const
{
    std::vector<Entry> entries;
    qint64 total = 0;
    for (const QFileInfo& info : QDir(path_).entryInfoList(QDir::Files)) {
        entries.push_back({ info.filePath(), info.lastRead(), allocatedSize(info.filePath()) });
        total += entries.back().allocatedSize;
    }
    if (total <= sizeLimit_)
        return;
    const auto target = qint64(double(sizeLimit_) * trimRatio_);
    // Least recently read last; an unknown date counts as long ago.
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        constexpr qint64 distantPast = std::numeric_limits<qint64>::min();
        const qint64 left = a.accessDate.isValid() ? a.accessDate.toMSecsSinceEpoch() : distantPast;
        const qint64 right = b.accessDate.isValid() ? b.accessDate.toMSecsSinceEpoch() : distantPast;
        return left > right;
    });
    while (total > target && !entries.empty()) {
        QFile::remove(entries.back().path);
        total -= entries.back().allocatedSize;
        entries.pop_back();
    }
}

void DataCache::recordSweep() const
{
    QFile file(QDir(path_).filePath(metadataFileName));
    QJsonObject metadata;
    if (file.open(QIODevice::ReadOnly))
        metadata = QJsonDocument::fromJson(file.readAll()).object();
    file.close();
    metadata.insert(lastSweepDateKey, double(referenceDate().msecsTo(QDateTime::currentDateTimeUtc())) / 1000);
    QSaveFile saving(file.fileName());
    if (saving.open(QIODevice::WriteOnly)) {
        saving.write(QJsonDocument(metadata).toJson(QJsonDocument::Compact));
        saving.commit();
    }
}

} // namespace parley
