#include "twitch/chat/internal/TwitchChatOutbox.h"
#include "support/FutureFailure.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace parley;
using namespace std::chrono_literals;

namespace {

using Clock = TwitchChatOutbox::Clock;

const Clock::time_point start = Clock::now();

QFuture<void> add(TwitchChatOutbox& outbox, const QString& body, Clock::duration deadline = 10s)
{
    return outbox.add({ body, {} }, start + deadline);
}

QStringList bodies(const TwitchChatOutbox& outbox)
{
    QStringList bodies;
    for (const PendingMessage& message : outbox.messages())
        bodies.append(message.body);
    return bodies;
}

bool failedWith(QFuture<void> future, const char* what)
{
    return future.isFinished() && test::failureOf(future) == QLatin1String(what);
}

const std::exception_ptr lost = std::make_exception_ptr(std::runtime_error("lost"));

} // namespace

TEST(TwitchChatOutbox, AdmitsUpToTheLimitWithinTheWindow)
{
    TwitchChatOutbox outbox;
    EXPECT_TRUE(outbox.admit(start, 2, 30s));
    EXPECT_TRUE(outbox.admit(start + 10s, 2, 30s));
    EXPECT_FALSE(outbox.admit(start + 29s, 2, 30s));
    // The refused try is not counted: the first send leaving makes room.
    EXPECT_TRUE(outbox.admit(start + 30s, 2, 30s));
    EXPECT_FALSE(outbox.admit(start + 39s, 2, 30s));
}

TEST(TwitchChatOutbox, WritesEachMessageOnceAndConfirmsTheOldest)
{
    TwitchChatOutbox outbox;
    QFuture<void> first = add(outbox, u"first"_qs);
    add(outbox, u"second"_qs);
    EXPECT_EQ(outbox.takeUnwritten().value().body, u"first"_qs);
    EXPECT_EQ(outbox.takeUnwritten().value().body, u"second"_qs);
    EXPECT_FALSE(outbox.takeUnwritten());
    add(outbox, u"third"_qs);
    EXPECT_EQ(outbox.takeUnwritten().value().body, u"third"_qs);

    TwitchChatOutbox::Confirmed confirmed = outbox.takeOldest();
    EXPECT_EQ(confirmed.message.body, u"first"_qs);
    EXPECT_EQ(bodies(outbox), (QStringList { u"second"_qs, u"third"_qs }));
    EXPECT_FALSE(first.isFinished()); // the client finishes it after publishing
    confirmed.done->finish();
    EXPECT_TRUE(first.isFinished());
}

TEST(TwitchChatOutbox, FailsOnlyWhatCannotBeConfirmedAnyMore)
{
    TwitchChatOutbox outbox;
    QFuture<void> written = add(outbox, u"written"_qs, 5s);
    outbox.takeUnwritten();
    QFuture<void> unwritten = add(outbox, u"unwritten"_qs, 20s);
    QFuture<void> late = add(outbox, u"late"_qs, 30s);
    outbox.failUnwritten(lost);
    EXPECT_EQ(bodies(outbox), (QStringList { u"written"_qs }));
    EXPECT_TRUE(failedWith(unwritten, "lost"));
    EXPECT_TRUE(failedWith(late, "lost"));
    EXPECT_FALSE(written.isFinished());

    QFuture<void> next = add(outbox, u"next"_qs, 15s);
    EXPECT_EQ(outbox.nextDeadline(), start + 5s);
    outbox.failExpired(start + 10s, lost);
    EXPECT_TRUE(failedWith(written, "lost"));
    EXPECT_EQ(outbox.nextDeadline(), start + 15s);

    outbox.failOldest(lost);
    EXPECT_TRUE(failedWith(next, "lost"));
    EXPECT_TRUE(outbox.isEmpty());
    EXPECT_FALSE(outbox.nextDeadline());
    outbox.failOldest(lost); // nothing left: nothing happens
}
