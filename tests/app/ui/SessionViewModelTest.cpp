#include "app/ui/chat/SessionViewModel.h"
#include "app/ui/chat/MessageListModel.h"
#include "platform/Error.h"

#include <QPromise>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace parley;

namespace {

// Send operations that finish when the test says so.
class SendRecorder {
public:
    QFuture<void> operator()(const QString& text)
    {
        texts.append(text);
        auto promise = std::make_shared<QPromise<void>>();
        promise->start();
        pending.append(promise);
        return promise->future();
    }

    void succeed(int index)
    {
        pending.at(index)->finish();
        QCoreApplication::processEvents();
    }
    void fail(int index)
    {
        pending.at(index)->setException(std::make_exception_ptr(Error(QStringLiteral("socket gone"))));
        pending.at(index)->finish();
        QCoreApplication::processEvents();
    }

    QStringList texts;
    QList<std::shared_ptr<QPromise<void>>> pending;
};

class SessionViewModelTest : public ::testing::Test {
protected:
    MessageListModel messages { QList<TwitchChatMessage> {} };
    SendRecorder sender;
    SessionViewModel model { messages, [this](const QString& text) { return sender(text); } };
};

} // namespace

TEST_F(SessionViewModelTest, ASuccessfulSendEmptiesTheField)
{
    EXPECT_EQ(model.placeholder(), "Message...");
    model.setNewMessage("  hello  world ");
    model.send();
    EXPECT_EQ(sender.texts, QStringList { "  hello  world " }); // sent unchanged
    EXPECT_EQ(model.newMessage(), "  hello  world "); // until it has gone
    sender.succeed(0);
    EXPECT_EQ(model.newMessage(), "");
    EXPECT_EQ(model.errorMessage(), "");
}

TEST_F(SessionViewModelTest, AFailedSendKeepsTheTextAndShowsTheErrorLineForGood)
{
    model.setNewMessage("first");
    model.send();
    sender.fail(0);
    EXPECT_EQ(model.newMessage(), "first");
    EXPECT_EQ(model.errorMessage(), "Failed to send message");

    model.send();
    sender.succeed(1);
    EXPECT_EQ(model.newMessage(), "");
    EXPECT_EQ(model.errorMessage(), "Failed to send message");
}

TEST_F(SessionViewModelTest, TwoSendsInFlightEachFinishOnTheirOwn)
{
    model.setNewMessage("one");
    model.send();
    model.setNewMessage("two");
    model.send();
    EXPECT_EQ(sender.texts, (QStringList { "one", "two" }));
    sender.succeed(0); // the field has moved on: what is typed there stays
    EXPECT_EQ(model.newMessage(), "two");
    sender.succeed(1);
    EXPECT_EQ(model.newMessage(), "");
}

TEST_F(SessionViewModelTest, BlankTextIsNotSent)
{
    EXPECT_FALSE(model.canSend());
    model.send();
    model.setNewMessage(" \t ");
    EXPECT_FALSE(model.canSend());
    model.send();
    EXPECT_TRUE(sender.texts.isEmpty());
}

TEST_F(SessionViewModelTest, ConnectionLines)
{
    QSignalSpy changes(&model, &SessionViewModel::connectionTextChanged);
    EXPECT_EQ(model.disconnectedText(), "");
    EXPECT_EQ(model.reconnectingText(), "");
    model.setListenError("The server closed the connection (code 1000)");
    EXPECT_EQ(model.disconnectedText(), "Disconnected from chat: The server closed the connection (code 1000)");
    model.setRetryInSeconds(4);
    EXPECT_EQ(model.reconnectingText(), "Reconnecting in 4 s\u2026");
    model.setRetryInSeconds(-1);
    model.setListenError({});
    EXPECT_EQ(model.disconnectedText(), "");
    EXPECT_EQ(model.reconnectingText(), "");
    EXPECT_EQ(changes.count(), 4);
}
