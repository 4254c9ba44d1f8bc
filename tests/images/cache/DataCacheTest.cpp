#include "images/cache/DataCache.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

using namespace parley;
using namespace std::chrono_literals;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

qint64 allocatedSize(const QString& path)
{
    struct stat status { };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? qint64(status.st_blocks) * 512 : 0;
}

void setAccessDate(const QString& path, const QDateTime& date)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(date, QFileDevice::FileAccessTime));
}

void writeLastSweepDate(const QString& directory, const QDateTime& date)
{
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC);
    QFile file(QDir(directory).filePath(DataCache::metadataFileName));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(QJsonObject { { "lastSweepDate", double(reference.secsTo(date)) } }).toJson());
}

QStringList files(const QString& directory)
{
    return QDir(directory).entryList(QDir::Files);
}

// No sweep and no timed flush unless a test asks for one.
DataCache::Settings quiet()
{
    DataCache::Settings settings;
    settings.flushInterval = 1h;
    settings.sweepDelay = 1h;
    return settings;
}

} // namespace

TEST(DataCache, StagedChangesAreReadAtOnceAndFlushedToSha1NamedFiles)
{
    QTemporaryDir directory;
    const QString path = directory.filePath("nested/cache");
    auto cache = DataCache::create(path, quiet());
    EXPECT_TRUE(QFileInfo(path).isDir());

    cache->storeData("emote", "https://example.test/a.png");
    EXPECT_EQ(cache->cachedData("https://example.test/a.png"), QByteArray("emote"));
    EXPECT_TRUE(cache->containsData("https://example.test/a.png"));
    EXPECT_TRUE(files(path).isEmpty()) << "nothing written before the flush";

    cache->flush();
    const QString name = DataCache::sha1Filename("https://example.test/a.png");
    EXPECT_EQ(files(path), QStringList { name });
    EXPECT_EQ(fileBytes(*cache->filePath("https://example.test/a.png")), "emote");
    EXPECT_EQ(DataCache::sha1Filename("abc"), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(DataCache::sha1Filename(QString(5000, 'k')).size(), 40);

    // A staged removal hides the file that is still on disk.
    cache->removeData("https://example.test/a.png");
    EXPECT_EQ(cache->cachedData("https://example.test/a.png"), std::nullopt);
    EXPECT_EQ(files(path).size(), 1);
    cache->flush();
    EXPECT_TRUE(files(path).isEmpty());

    // An empty key has no file name: never stored, never found.
    cache->storeData("x", QString());
    EXPECT_EQ(cache->cachedData(QString()), std::nullopt);

    // Remove-all hides every older entry at once; later stores survive it.
    cache->storeData("old", "old");
    cache->flush();
    cache->removeAll();
    cache->storeData("new", "new");
    EXPECT_EQ(cache->cachedData("old"), std::nullopt);
    EXPECT_FALSE(cache->containsData("old"));
    EXPECT_EQ(cache->cachedData("new"), QByteArray("new"));
    cache->flush();
    EXPECT_EQ(files(path), QStringList { DataCache::sha1Filename("new") });

    // What was flushed is there for the next instance.
    cache.reset();
    EXPECT_EQ(DataCache::create(path, quiet())->cachedData("new"), QByteArray("new"));
}

TEST(DataCache, WritesAreBatchedAfterTheFlushIntervalAndCustomNamesAndCompressionApply)
{
    QTemporaryDir directory;
    auto settings = quiet();
    settings.flushInterval = 20ms;
    settings.isCompressionEnabled = true;
    settings.filenameGenerator = [](const QString& key) { return key.startsWith("skip") ? QString() : key + ".bin"; };
    auto cache = DataCache::create(directory.path(), settings);

    const QByteArray data(10000, 'a');
    for (int i = 0; i < 5; ++i)
        cache->storeData(data, QStringLiteral("k%1").arg(i));
    cache->storeData(data, "skipped");
    ASSERT_TRUE(QTest::qWaitFor([&] { return files(directory.path()).size() == 5; }, 5000));
    EXPECT_EQ(fileBytes(directory.filePath("k0.bin")), qCompress(data));
    EXPECT_LT(QFileInfo(directory.filePath("k0.bin")).size(), data.size());
    EXPECT_EQ(cache->cachedData("k0"), data);
    EXPECT_EQ(cache->cachedData("skipped"), std::nullopt);

    // Bytes that do not decompress read as none.
    QFile corrupt(directory.filePath("k1.bin"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("not compressed");
    corrupt.close();
    EXPECT_EQ(cache->cachedData("k1"), std::nullopt);

    // A directory deleted behind the cache's back is made again on the next write.
    QDir(directory.path()).removeRecursively();
    cache->storeData("again", "k9");
    cache->flush();
    EXPECT_EQ(cache->cachedData("k9"), QByteArray("again"));
}

TEST(DataCache, ReadersNeverSeeAHalfWrittenFile)
{
    // Files are renamed into place whole, so a reader racing the flushes sees
    // either the old bytes or the new ones.
    QTemporaryDir directory;
    auto cache = DataCache::create(directory.path(), quiet());
    const QByteArray first(4 << 20, 'a');
    const QByteArray second(4 << 20, 'b');
    cache->storeData(first, "key");
    cache->flush();
    const QString file = *cache->filePath("key");

    std::atomic<bool> isDone = false;
    std::atomic<int> torn = 0;
    std::thread reader([&] {
        while (!isDone) {
            const QByteArray bytes = fileBytes(file);
            if (bytes != first && bytes != second)
                ++torn;
        }
    });
    for (int i = 0; i < 20; ++i) {
        cache->storeData(i % 2 ? first : second, "key");
        cache->flush();
    }
    isDone = true;
    reader.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(files(directory.path()), QStringList { DataCache::sha1Filename("key") }) << "no temporary file left";
}

TEST(DataCache, SweepDeletesTheLeastRecentlyReadFilesOnlyWhenTheLastSweepIsOldEnough)
{
    QTemporaryDir directory;
    {
        auto cache = DataCache::create(directory.path(), quiet());
        for (const char* key : { "a", "b", "c" })
            cache->storeData(QByteArray(40, 'x'), key);
        cache->flush();
    }
    const QDateTime now = QDateTime::currentDateTimeUtc();
    setAccessDate(directory.filePath(DataCache::sha1Filename("a")), now.addSecs(-300));
    setAccessDate(directory.filePath(DataCache::sha1Filename("b")), now.addSecs(-200));
    setAccessDate(directory.filePath(DataCache::sha1Filename("c")), now.addSecs(-100));
    const qint64 fileSize = allocatedSize(directory.filePath(DataCache::sha1Filename("a")));

    auto settings = quiet();
    settings.sweepDelay = 0ms;
    settings.sizeLimit = fileSize * 5 / 2;
    settings.trimRatio = 0.7;

    // Swept ten minutes ago: nothing happens.
    writeLastSweepDate(directory.path(), now.addSecs(-600));
    {
        auto cache = DataCache::create(directory.path(), settings);
        QTest::qWait(100);
        EXPECT_EQ(files(directory.path()).size(), 3);
        EXPECT_LT(*cache->lastSweepDate(), now.addSecs(-500));
    }

    // Two hours ago: the two least recently read files go (3 files over a
    // limit of 2.5, trimmed to at most 1.75).
    writeLastSweepDate(directory.path(), now.addSecs(-7200));
    auto cache = DataCache::create(directory.path(), settings);
    ASSERT_TRUE(QTest::qWaitFor([&] { return *cache->lastSweepDate() > now.addSecs(-10); }, 5000));
    EXPECT_EQ(files(directory.path()), QStringList { DataCache::sha1Filename("c") });
    EXPECT_TRUE(QFile::exists(directory.filePath(DataCache::metadataFileName)));
}

TEST(DataCache, NeverSweptDirectoryIsSweptAndCreationFailuresAreReported)
{
    QTemporaryDir directory;
    auto settings = quiet();
    settings.sweepDelay = 0ms;
    auto cache = DataCache::create(directory.path(), settings);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cache->lastSweepDate().has_value(); }, 5000));

    QFile blocker(directory.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_THROW(DataCache::create(directory.filePath("file/cache")), DataCacheError);
}
