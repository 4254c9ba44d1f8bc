#include "community/RecentMessagesClient.h"
#include "community/RecentMessagesError.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QTest>

#include <gtest/gtest.h>

using namespace parley;
using sim::TwitchSimulator;

namespace {

const QString channel = QString::fromLatin1(sim::demo::login);
const QString path = QStringLiteral("/recent-messages/api/v2/recent-messages/") + channel;

class RecentMessagesClientTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    RecentMessagesClient client() const
    {
        return RecentMessagesClient(
            { simulator.recentMessagesURL(), "Parley/1.2.3" }, std::make_shared<QNetworkAccessManager>());
    }

    static QFuture<QStringList> settled(QFuture<QStringList> future)
    {
        EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 20000));
        return future;
    }

    static std::optional<RecentMessagesError> failure(QFuture<QStringList> future)
    {
        try {
            settled(future).result();
        } catch (const RecentMessagesError& error) {
            return error;
        } catch (...) { }
        return std::nullopt;
    }

    void serve(const QByteArray& body) { simulator.putFile(path, { body, "application/json" }); }

    TwitchSimulator simulator;
};

} // namespace

TEST_F(RecentMessagesClientTest, AChannelNotListenedToYetHasNoLinesAndIsNoFailure)
{
    EXPECT_EQ(settled(client().recentMessages(channel)).result(), QStringList());

    ASSERT_EQ(simulator.requests().size(), 1);
    const sim::SimRequest request = simulator.requests().constFirst();
    EXPECT_EQ(request.path, path);
    EXPECT_EQ(request.query, u"limit=100");
    EXPECT_EQ(request.header("User-Agent"), "Parley/1.2.3");
    EXPECT_FALSE(request.hasHeader("Authorization"));
    EXPECT_FALSE(request.hasHeader("Cookie"));
}

// The service's refusals and failed transfers are covered where the session meets them.
TEST_F(RecentMessagesClientTest, UnusableAnswersAndNamesFail)
{
    using Code = RecentMessagesError::Code;
    serve(R"({"messages": [1, 2]})");
    EXPECT_EQ(failure(client().recentMessages(channel))->code(), Code::invalidAnswer);

    serve(R"({"messages": [], "error": "odd", "error_code": "something_else"})");
    EXPECT_EQ(failure(client().recentMessages(channel))->code(), Code::refused);

    const int asked = simulator.totalRequestCount();
    EXPECT_EQ(failure(client().recentMessages(u"../helix"_qs))->code(), Code::invalidChannel);
    EXPECT_EQ(simulator.totalRequestCount(), asked) << "nothing is asked for such a name";
}
