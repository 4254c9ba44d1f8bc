#include "app/ui/chat/SessionViewModel.h"
#include "app/ui/chat/MessageListModel.h"
#include "platform/Error.h"
#include "twitch/chat/TwitchChatError.h"
#include "twitch/chat/WebSocketError.h"

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
    QFuture<void> operator()(const QString& text, const QString& replyParentMessageID)
    {
        texts.append(text);
        replyParents.append(replyParentMessageID);
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
    void fail(int index, std::exception_ptr error = std::make_exception_ptr(Error(QStringLiteral("socket gone"))))
    {
        pending.at(index)->setException(error);
        pending.at(index)->finish();
        QCoreApplication::processEvents();
    }

    QStringList texts;
    QStringList replyParents;
    QList<std::shared_ptr<QPromise<void>>> pending;
};

class SessionViewModelTest : public ::testing::Test {
protected:
    MessageListModel messages { QList<TwitchChatMessage> {} };
    SendRecorder sender;
    SessionViewModel model { messages,
        [this](const QString& text, const QString& replyParentMessageID) { return sender(text, replyParentMessageID); } };
};

} // namespace

using Phase = TwitchChatConnectionState::Phase;

TwitchChatConnectionState connectionState(
    Phase phase, std::exception_ptr error = nullptr, std::optional<int> retry = {})
{
    return { phase, std::move(error), retry };
}

TEST_F(SessionViewModelTest, ASuccessfulSendSendsTheTrimmedTextAndEmptiesTheField)
{
    EXPECT_EQ(model.placeholder(), "Message...");
    model.setNewMessage(" \t hello  world \u00a0");
    EXPECT_EQ(model.characterCount(), 12);
    model.send();
    EXPECT_EQ(sender.texts, QStringList { "hello  world" }); // white space inside stays
    EXPECT_EQ(model.newMessage(), " \t hello  world \u00a0"); // until it has gone
    sender.succeed(0);
    EXPECT_EQ(model.newMessage(), "");
    EXPECT_EQ(model.errorMessage(), "");
}

TEST_F(SessionViewModelTest, AFailedSendKeepsTheTextAndTheErrorLineGoesAtTheNextSuccessfulSend)
{
    QSignalSpy errorChanges(&model, &SessionViewModel::errorMessageChanged);
    model.setNewMessage("first");
    model.send();
    sender.fail(0);
    EXPECT_EQ(model.newMessage(), "first");
    EXPECT_EQ(model.errorMessage(), "Failed to send message");

    // A failure with words for the user shows them.
    model.send();
    sender.fail(1, std::make_exception_ptr(TwitchChatError::sendingTooQuickly()));
    EXPECT_EQ(model.errorMessage(), "Failed to send message: You are sending messages too quickly.");
    model.send();
    sender.fail(2, std::make_exception_ptr(WebSocketError::closedByPeer(QWebSocketProtocol::CloseCodeNormal, {})));
    EXPECT_EQ(model.errorMessage(), "Failed to send message: The chat service closed the connection.");

    model.send();
    sender.succeed(3);
    EXPECT_EQ(model.newMessage(), "");
    EXPECT_EQ(model.errorMessage(), "");
    EXPECT_EQ(errorChanges.count(), 4);
}

TEST_F(SessionViewModelTest, TheErrorLineGoesOnceTheChatIsConnectedAgain)
{
    model.setNewMessage("are you there?");
    model.send();
    sender.fail(0, std::make_exception_ptr(TwitchChatError::notConnected()));
    EXPECT_EQ(model.errorMessage(), "Failed to send message: Not connected to chat.");

    // Still away: the line stays.
    const auto closed = std::make_exception_ptr(WebSocketError::closedByPeer(QWebSocketProtocol::CloseCodeNormal, {}));
    model.setConnectionState(connectionState(Phase::reconnecting, closed, 3));
    model.setConnectionState(connectionState(Phase::reconnecting, closed));
    EXPECT_EQ(model.errorMessage(), "Failed to send message: Not connected to chat.");

    model.setConnectionState(connectionState(Phase::connected));
    EXPECT_EQ(model.errorMessage(), "");
    EXPECT_EQ(model.newMessage(), "are you there?"); // the text waits to be sent again
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

TEST_F(SessionViewModelTest, AFieldOfOnlyWhiteSpaceSendsNothingAndIsEmptied)
{
    EXPECT_FALSE(model.canSend());
    model.send();
    model.setNewMessage(" \t \u3000 ");
    EXPECT_FALSE(model.canSend());
    EXPECT_EQ(model.characterCount(), 0);
    model.send();
    EXPECT_TRUE(sender.texts.isEmpty());
    EXPECT_EQ(model.newMessage(), "");
    EXPECT_EQ(model.errorMessage(), "");
}

TEST_F(SessionViewModelTest, TheCountShowsFrom450CharactersAndNothingPast500IsSent)
{
    QSignalSpy changes(&model, &SessionViewModel::newMessageChanged);
    model.setNewMessage(QString(449, u'a'));
    EXPECT_EQ(model.characterCount(), 449);
    EXPECT_EQ(model.characterCountText(), "");
    EXPECT_EQ(model.characterCountName(), "");

    model.setNewMessage(QString(450, u'a'));
    EXPECT_EQ(model.characterCountText(), "450/500");
    EXPECT_EQ(model.characterCountName(), "450 of 500 characters");
    EXPECT_FALSE(model.isTooLong());
    EXPECT_EQ(model.lengthMessage(), "");

    // White space at the ends is not sent, so it does not count.
    model.setNewMessage("  " + QString(500, u'a') + "  ");
    EXPECT_EQ(model.characterCountText(), "500/500");
    EXPECT_TRUE(model.canSend());
    EXPECT_EQ(model.lengthMessage(), "");

    model.setNewMessage(QString(501, u'a'));
    EXPECT_EQ(model.characterCountText(), "501/500");
    EXPECT_TRUE(model.isTooLong());
    EXPECT_FALSE(model.canSend());
    EXPECT_EQ(model.lengthMessage(), "Messages are limited to 500 characters.");
    model.send();
    EXPECT_TRUE(sender.texts.isEmpty());
    EXPECT_EQ(model.newMessage(), QString(501, u'a')); // kept, to be shortened
    EXPECT_EQ(changes.count(), 4);

    model.setNewMessage(QString(500, u'a'));
    EXPECT_EQ(model.lengthMessage(), "");
    model.send();
    EXPECT_EQ(sender.texts, QStringList { QString(500, u'a') });
}

TEST_F(SessionViewModelTest, CharactersAreCountedAsCodePoints)
{
    const QString grinning = QStringLiteral("\U0001F600"); // one code point, two UTF-16 units
    EXPECT_EQ(SessionViewModel::codePointCount(grinning), 1);
    EXPECT_EQ(SessionViewModel::codePointCount(u"h\u00e9llo"), 5);
    EXPECT_EQ(SessionViewModel::codePointCount(QString(QChar(0xD800))), 1); // a lone surrogate
    EXPECT_EQ(SessionViewModel::codePointCount(QString(QChar(0xDC00)) + QChar(0xD800)), 2);

    QString emoji;
    for (int i = 0; i < 500; ++i)
        emoji += grinning;
    ASSERT_EQ(emoji.size(), 1000);
    model.setNewMessage(emoji);
    EXPECT_EQ(model.characterCount(), 500);
    EXPECT_EQ(model.characterCountText(), "500/500");
    EXPECT_TRUE(model.canSend());
    model.setNewMessage(emoji + grinning);
    EXPECT_EQ(model.characterCountText(), "501/500");
    EXPECT_FALSE(model.canSend());
}

TEST_F(SessionViewModelTest, ConnectionLinesSpeakTheUsersWords)
{
    QSignalSpy changes(&model, &SessionViewModel::connectionTextChanged);
    model.setConnectionState(connectionState(Phase::connecting));
    model.setConnectionState(connectionState(Phase::connected));
    EXPECT_EQ(model.disconnectedText(), "");
    EXPECT_EQ(model.reconnectingText(), "");
    EXPECT_EQ(changes.count(), 0);

    // The service went away: not the socket layer's "code 1000".
    const auto closed = std::make_exception_ptr(WebSocketError::closedByPeer(QWebSocketProtocol::CloseCodeNormal, {}));
    model.setConnectionState(connectionState(Phase::reconnecting, closed, 4));
    EXPECT_EQ(model.disconnectedText(), "Disconnected from chat: The chat service closed the connection.");
    EXPECT_EQ(model.reconnectingText(), "Reconnecting in 4 s\u2026");

    // Trying again, and refused: the service is not there.
    model.setConnectionState(connectionState(Phase::reconnecting, closed));
    EXPECT_EQ(model.reconnectingText(), "");
    model.setConnectionState(connectionState(Phase::reconnecting,
        std::make_exception_ptr(WebSocketError(QAbstractSocket::ConnectionRefusedError, "Connection refused")), 2));
    EXPECT_EQ(model.disconnectedText(), "Disconnected from chat: The chat service cannot be reached.");

    model.setConnectionState(connectionState(Phase::connected));
    EXPECT_EQ(model.disconnectedText(), "");
    EXPECT_EQ(model.reconnectingText(), "");

    // A run that ends for good keeps its line; an error without words for
    // the user gets the presenter's general ones.
    model.setConnectionState(connectionState(Phase::failed,
        std::make_exception_ptr(TwitchChatError(TwitchChatError::Code::loginRefused, "Login authentication failed"))));
    EXPECT_EQ(model.disconnectedText(), "Disconnected from chat: Login authentication failed");
    model.setConnectionState(connectionState(Phase::failed, std::make_exception_ptr(Error("internal"))));
    EXPECT_EQ(model.disconnectedText(), "Disconnected from chat: An unexpected error happened.");
    EXPECT_EQ(changes.count(), 9);
}

TEST_F(SessionViewModelTest, AReplyGoesWithTheNextSendAndEndsWhenItIsSentOrCancelled)
{
    QSignalSpy replyChanges(&model, &SessionViewModel::replyChanged);
    model.replyTo("m-1", "Viewer");
    EXPECT_EQ(model.replyingTo(), "Replying to Viewer");
    model.setNewMessage("agreed");
    model.send();
    // Another reply chosen while the first is under way stays.
    model.replyTo("m-2", "Other");
    sender.succeed(0);
    EXPECT_EQ(model.replyingTo(), "Replying to Other");
    model.setNewMessage("me too");
    model.send();
    sender.fail(1);
    EXPECT_EQ(model.replyingTo(), "Replying to Other"); // a failed send keeps it
    model.send();
    sender.succeed(2);
    EXPECT_EQ(model.replyingTo(), "");
    EXPECT_EQ(sender.replyParents, (QStringList { "m-1", "m-2", "m-2" }));

    model.replyTo("m-3", "Viewer");
    model.cancelReply();
    EXPECT_EQ(model.replyingTo(), "");
    model.setNewMessage("plain");
    model.send();
    EXPECT_EQ(sender.replyParents.constLast(), "");
    EXPECT_EQ(replyChanges.count(), 5);
}
