#pragma once

#include <QFuture>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <utility>

namespace parley {

class MessageListModel;
class ModerationActions;
class SessionViewModel;

// A chat row's context menu: which items the row offers and what each does.
// Every row copies its text; a chatter's message can be answered (Reply);
// messages of others than the broadcaster also offer Delete Message, Timeout
// and Ban, or Unban once their sender is banned. Without the moderation
// scopes those items stay, and choosing one says "Sign in again to
// moderate." on the window's error line, as does any refusal. The menu acts
// on the row it was opened for, as it was then. Main thread only.
class MessageMenuViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool offersReply READ offersReply NOTIFY rowChanged)
    Q_PROPERTY(bool offersDelete READ offersDelete NOTIFY rowChanged)
    Q_PROPERTY(bool offersTimeout READ offersTimeout NOTIFY rowChanged)
    Q_PROPERTY(bool offersBan READ offersBan NOTIFY rowChanged)
    Q_PROPERTY(bool offersUnban READ offersUnban NOTIFY rowChanged)
    Q_PROPERTY(QString banQuestion READ banQuestion NOTIFY rowChanged)
    Q_PROPERTY(QStringList timeoutChoices READ timeoutChoices CONSTANT)
    Q_PROPERTY(QString copyTitle READ copyTitle CONSTANT)
    Q_PROPERTY(QString replyTitle READ replyTitle CONSTANT)
    Q_PROPERTY(QString deleteTitle READ deleteTitle CONSTANT)
    Q_PROPERTY(QString timeoutTitle READ timeoutTitle CONSTANT)
    Q_PROPERTY(QString banTitle READ banTitle CONSTANT)
    Q_PROPERTY(QString unbanTitle READ unbanTitle CONSTANT)
    Q_PROPERTY(QString cancelTitle READ cancelTitle CONSTANT)

public:
    // The timeouts offered, shortest first, with their titles.
    static const QList<std::pair<std::chrono::seconds, QString>>& timeouts();

    // `messages` and `session` must outlive the menu; without `moderation`
    // the moderation items ask to sign in again. `broadcasterID` is the
    // signed-in user, whose own messages are never moderated.
    MessageMenuViewModel(MessageListModel& messages, SessionViewModel& session, ModerationActions* moderation,
        QString broadcasterID, QObject* parent = nullptr);

    // Makes the menu the one of `row` (a MessageListModel row); false when
    // there is no such row.
    Q_INVOKABLE bool open(int row);

    bool offersReply() const { return !target_.messageID.isEmpty(); }
    bool offersDelete() const { return offersModeration() && !target_.isDeleted && !target_.messageID.isEmpty(); }
    bool offersTimeout() const { return offersModeration() && !isBanned(); }
    bool offersBan() const { return offersModeration() && !isBanned(); }
    bool offersUnban() const { return offersModeration() && isBanned(); }
    // "Ban NAME from your chat?", asked before a ban.
    QString banQuestion() const;
    QStringList timeoutChoices() const;

    QString copyTitle() const { return QStringLiteral("Copy Message"); }
    QString replyTitle() const { return QStringLiteral("Reply"); }
    QString deleteTitle() const { return QStringLiteral("Delete Message"); }
    QString timeoutTitle() const { return QStringLiteral("Timeout"); }
    QString banTitle() const { return QStringLiteral("Ban"); }
    QString unbanTitle() const { return QStringLiteral("Unban"); }
    QString cancelTitle() const { return QStringLiteral("Cancel"); }

    // Puts the row's text on the clipboard as plain text.
    Q_INVOKABLE void copyMessage() const;
    // Makes the next message sent an answer to the row.
    Q_INVOKABLE void reply();
    Q_INVOKABLE void deleteMessage();
    // One of timeoutChoices, by its place.
    Q_INVOKABLE void timeout(int choice);
    // Bans the row's sender; the view asks banQuestion first.
    Q_INVOKABLE void ban();
    Q_INVOKABLE void unban();

signals:
    void rowChanged();

private:
    // What the menu was opened for, kept as it was then.
    struct Target {
        QString text;
        QString messageID; // empty for system lines
        QString userID;
        QString displayName;
        bool isDeleted = false;
    };

    bool offersModeration() const { return !target_.userID.isEmpty() && target_.userID != broadcasterID_; }
    bool isBanned() const;
    // Runs a moderation action and puts its failure on the error line.
    void moderate(const std::function<QFuture<void>(ModerationActions&)>& action);

    MessageListModel& messages_;
    SessionViewModel& session_;
    QPointer<ModerationActions> moderation_;
    const QString broadcasterID_;
    Target target_;
};

} // namespace parley
