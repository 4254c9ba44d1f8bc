#pragma once

#include "app/ui/chat/ViewerMessageFilter.h"
#include "app/ui/chat/ViewerModeration.h"

#include <QColor>
#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantList>

#include <chrono>

namespace parley {

class MessageListModel;

// A viewer's card: their name in their colour, their badges and what they
// wrote in this session's chat, newest last, kept up to date while it is
// open; and the moderation buttons with what each may do. Name, colour and
// badges are those of their newest message; once every message of theirs
// has left the chat the card keeps the last ones it showed. Main thread only.
class ViewerCardViewModel final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString displayName READ displayName NOTIFY viewerChanged)
    Q_PROPERTY(QColor nameColor READ nameColor NOTIFY viewerChanged)
    Q_PROPERTY(QVariantList badges READ badges NOTIFY viewerChanged)
    Q_PROPERTY(QString cardName READ cardName NOTIFY viewerChanged)
    Q_PROPERTY(QString banQuestion READ banQuestion NOTIFY viewerChanged)
    Q_PROPERTY(parley::ViewerMessageFilter* messages READ messages CONSTANT)
    Q_PROPERTY(QString messagesName READ messagesName CONSTANT)
    Q_PROPERTY(bool showsModeration READ showsModeration CONSTANT)
    Q_PROPERTY(bool canModerate READ canModerate NOTIFY moderationChanged)
    Q_PROPERTY(bool isBanned READ isBanned NOTIFY moderationChanged)
    Q_PROPERTY(bool isBusy READ isBusy NOTIFY moderationChanged)
    Q_PROPERTY(bool showsTimeoutAndBan READ showsTimeoutAndBan NOTIFY moderationChanged)
    Q_PROPERTY(bool showsUnban READ showsUnban NOTIFY moderationChanged)
    Q_PROPERTY(bool areActionsEnabled READ areActionsEnabled NOTIFY moderationChanged)
    Q_PROPERTY(bool isConfirmingBan READ isConfirmingBan NOTIFY moderationChanged)
    Q_PROPERTY(QString moderationHint READ moderationHint NOTIFY moderationChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage NOTIFY moderationChanged)
    Q_PROPERTY(QStringList timeoutChoices READ timeoutChoices CONSTANT)
    Q_PROPERTY(QString timeoutTitle READ timeoutTitle CONSTANT)
    Q_PROPERTY(QString banTitle READ banTitle CONSTANT)
    Q_PROPERTY(QString unbanTitle READ unbanTitle CONSTANT)
    Q_PROPERTY(QString cancelTitle READ cancelTitle CONSTANT)
    Q_PROPERTY(QString closeTitle READ closeTitle CONSTANT)

public:
    // The timeouts offered, shortest first.
    static constexpr std::chrono::seconds timeoutDurations[] = {
        std::chrono::minutes(1), std::chrono::minutes(10), std::chrono::hours(1), std::chrono::hours(24) };

    // The card of `userID`, whose messages are in `messages` (which must
    // outlive the card). `ownUserID` is the broadcaster's: their card has no
    // moderation. Without `moderation` the buttons ask to sign in again.
    ViewerCardViewModel(MessageListModel& messages, const QString& userID, const QString& ownUserID,
        ViewerModeration* moderation, QObject* parent = nullptr);

    const QString& userID() const { return messages_->userID(); }
    const QString& displayName() const { return displayName_; }
    const QColor& nameColor() const { return nameColor_; }
    // As the rows get them: maps of "title", "source" and "isBroadcaster".
    const QVariantList& badges() const { return badges_; }
    // "Viewer card: NAME", for screen readers.
    QString cardName() const;
    // "Ban NAME from your chat?", asked before a ban.
    QString banQuestion() const;

    ViewerMessageFilter* messages() const { return messages_; }
    QString messagesName() const { return QStringLiteral("Messages by this viewer"); }

    // No moderation on the broadcaster's own card.
    bool showsModeration() const { return !isOwnCard_; }
    // The sign-in allows moderating (and this is not the broadcaster's card).
    bool canModerate() const;
    // Unban is offered instead of Timeout and Ban while this is true.
    bool isBanned() const;
    bool isBusy() const { return isBusy_; }
    // Which buttons show: Timeout and Ban for a viewer not banned, Unban for
    // one who is; none on the broadcaster's own card.
    bool showsTimeoutAndBan() const { return showsModeration() && !isBanned(); }
    bool showsUnban() const { return showsModeration() && isBanned(); }
    // The shown buttons work: the sign-in allows it and no action is under way.
    bool areActionsEnabled() const { return canModerate() && !isBusy_; }
    // banQuestion() is being asked: ban() bans only now.
    bool isConfirmingBan() const { return isConfirmingBan_; }
    // "Sign in again to moderate." when the sign-in lacks the permissions.
    QString moderationHint() const;
    // What stopped the last action; empty once one succeeds.
    const QString& errorMessage() const { return errorMessage_; }

    // "1 minute", "10 minutes", "1 hour", "1 day": timeoutDurations in words.
    QStringList timeoutChoices() const;
    QString timeoutTitle() const { return QStringLiteral("Timeout"); }
    QString banTitle() const { return QStringLiteral("Ban"); }
    QString unbanTitle() const { return QStringLiteral("Unban"); }
    QString cancelTitle() const { return QStringLiteral("Cancel"); }
    QString closeTitle() const { return QStringLiteral("Close"); }

    // The actions; each does nothing while canModerate() is false or another
    // one is under way. `choice` indexes timeoutDurations.
    Q_INVOKABLE void timeout(int choice);
    // Asks banQuestion(); cancelBan() takes it back.
    Q_INVOKABLE void requestBan();
    Q_INVOKABLE void cancelBan();
    Q_INVOKABLE void ban();
    Q_INVOKABLE void unban();

signals:
    void viewerChanged();
    void moderationChanged();

private:
    void readNewestMessage();
    void run(QFuture<void> action);

    ViewerMessageFilter* messages_;
    QPointer<ViewerModeration> moderation_;
    const bool isOwnCard_;
    QString displayName_;
    QColor nameColor_;
    QVariantList badges_;
    bool isBusy_ = false;
    bool isConfirmingBan_ = false;
    QString errorMessage_;
};

} // namespace parley
