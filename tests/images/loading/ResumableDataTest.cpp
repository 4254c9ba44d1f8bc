#include "images/loading/ResumableDataStorage.h"
#include "platform/MemoryPressureSource.h"

#include <gtest/gtest.h>

using namespace parley;

namespace {

URLResponse interrupted(int status, QList<QPair<QByteArray, QByteArray>> headers)
{
    URLResponse response;
    response.statusCode = status;
    response.expectedContentLength = 50000;
    response.headers = std::move(headers);
    return response;
}

} // namespace

TEST(ResumableData, keepsOnlyDownloadsThatCanBeContinued)
{
    const QByteArray partial(10000, 'p');
    const auto keeps = [&](const URLResponse& response, const QByteArray& data) {
        return ResumableData::capture(response, data).has_value();
    };
    EXPECT_TRUE(keeps(interrupted(200, { { "Accept-Ranges", "Bytes" }, { "Etag", "\"a\"" } }), partial));
    EXPECT_TRUE(keeps(interrupted(206,
                          { { "Accept-Ranges", "bytes" }, { "Last-Modified", "Tue" },
                              { "Content-Range", "bytes 5000-54999/55000" } }),
        partial));

    EXPECT_FALSE(keeps(interrupted(200, { { "ETag", "\"a\"" } }), partial)) << "no Accept-Ranges";
    EXPECT_FALSE(keeps(interrupted(200, { { "Accept-Ranges", "none" }, { "ETag", "\"a\"" } }), partial));
    EXPECT_FALSE(keeps(interrupted(200, { { "Accept-Ranges", "bytes" } }), partial)) << "no validator";
    EXPECT_FALSE(keeps(interrupted(500, { { "Accept-Ranges", "bytes" }, { "ETag", "\"a\"" } }), partial));
    EXPECT_FALSE(keeps(interrupted(200, { { "Accept-Ranges", "bytes" }, { "ETag", "\"a\"" } }), {}));
    EXPECT_FALSE(keeps(interrupted(200, { { "Accept-Ranges", "bytes" }, { "ETag", "\"a\"" } }), QByteArray(50000, 'c')))
        << "complete downloads are not partial";
}

TEST(ResumableData, asksForTheRestIfTheFileIsUnchanged)
{
    const auto data = ResumableData::capture(
        interrupted(200, { { "Accept-Ranges", "bytes" }, { "ETag", "\"v7\"" } }), QByteArray(10000, 'p'));
    ASSERT_TRUE(data);
    QNetworkRequest request(QUrl("http://127.0.0.1/e.png"));
    request.setRawHeader("X-Kept", "yes");
    data->applyTo(request);
    EXPECT_EQ(request.rawHeader("Range"), "bytes=10000-");
    EXPECT_EQ(request.rawHeader("If-Range"), "\"v7\"");
    EXPECT_EQ(request.rawHeader("X-Kept"), "yes");
}

TEST(ResumableDataStorage, entriesAreTakenOnceAndLiveWhileAPipelineIsRegistered)
{
    ResumableDataStorage storage;
    const QUuid first = QUuid::createUuid(), second = QUuid::createUuid();
    storage.store(first, "u", { "ab", "e" });
    EXPECT_FALSE(storage.take(first, "u")) << "nothing is kept before a pipeline registers";

    storage.registerPipeline(first);
    storage.registerPipeline(second);
    storage.store(first, "u", { "ab", "e" });
    storage.store(first, "", { "ab", "e" });
    EXPECT_FALSE(storage.take(second, "u")) << "entries belong to their pipeline";
    const auto taken = storage.take(first, "u");
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->data, "ab");
    EXPECT_FALSE(storage.take(first, "u"));

    storage.store(second, "u", { "cd", "e" });
    storage.unregisterPipeline(first);
    EXPECT_TRUE(storage.take(second, "u")) << "one pipeline leaving keeps the others' entries";
    storage.store(second, "u", { "cd", "e" });
    storage.unregisterPipeline(second);
    storage.registerPipeline(second);
    EXPECT_FALSE(storage.take(second, "u")) << "the last pipeline leaving drops everything";
}

TEST(ResumableData, aSecondBreakComparesWithTheWholeFileAndOnlyItsContinuationJoins)
{
    const QList<QPair<QByteArray, QByteArray>> resumable { { "Accept-Ranges", "bytes" }, { "ETag", "\"v\"" } };
    const auto partial = [&](const QByteArray& range, qint64 length) {
        URLResponse response = interrupted(206, resumable);
        response.headers.append({ "Content-Range", range });
        response.expectedContentLength = length;
        return response;
    };
    // 10,000 stored, then 20,000 more of the 40,000 left: 30,000 of 50,000 held.
    const auto twice = ResumableData::capture(partial("bytes 10000-49999/50000", 40000), QByteArray(30000, 'p'));
    ASSERT_TRUE(twice) << "held bytes count against the file, not the remainder";
    EXPECT_EQ(twice->totalLength, 50000);
    EXPECT_FALSE(ResumableData::capture(partial("bytes 10000-49999/50000", 40000), QByteArray(50000, 'p')));
    EXPECT_FALSE(ResumableData::capture(partial("bytes 10000-49999/*", 40000), QByteArray(30000, 'p')));
    EXPECT_FALSE(ResumableData::capture(partial("garbage", 40000), QByteArray(30000, 'p')));

    EXPECT_TRUE(twice->isContinuedBy(partial("bytes 30000-49999/50000", 20000)));
    EXPECT_FALSE(twice->isContinuedBy(partial("bytes 0-49999/50000", 50000))) << "the whole file again";
    EXPECT_FALSE(twice->isContinuedBy(partial("bytes 20000-49999/50000", 30000))) << "overlapping";
    EXPECT_FALSE(twice->isContinuedBy(partial("bytes 30000-59999/60000", 30000))) << "another file";
    EXPECT_FALSE(twice->isContinuedBy(partial("bytes 30000-49999/*", 20000)));
    EXPECT_FALSE(twice->isContinuedBy(partial("bytes 30000-20000/50000", 20000)));
    EXPECT_FALSE(twice->isContinuedBy(interrupted(200, resumable)));
}

TEST(ResumableDataStorage, memoryPressureEmptiesIt)
{
    MemoryPressureSource memoryPressure;
    ResumableDataStorage storage(&memoryPressure);
    const QUuid pipeline = QUuid::createUuid();
    storage.registerPipeline(pipeline);
    storage.store(pipeline, "u", { "ab", "e", 10 });
    memoryPressure.simulate(MemoryPressureSource::Level::Warning);
    EXPECT_FALSE(storage.take(pipeline, "u"));
}
