#include "app/ui/chat/MessageMenuViewModel.h"

#include "app/session/ModerationActions.h"
#include "app/ui/chat/MessageListModel.h"
#include "app/ui/chat/SessionViewModel.h"
#include "platform/ErrorPresenter.h"
#include "platform/WhenFinished.h"
#include "twitch/api/TwitchModerationError.h"

#include <QClipboard>
#include <QGuiApplication>

namespace parley {

using namespace std::chrono_literals;

const QList<std::pair<std::chrono::seconds, QString>>& MessageMenuViewModel::timeouts()
{
    static const QList<std::pair<std::chrono::seconds, QString>> choices {
        { 1min, QStringLiteral("1 minute") },
        { 10min, QStringLiteral("10 minutes") },
        { 1h, QStringLiteral("1 hour") },
        { 24h, QStringLiteral("1 day") },
    };
    return choices;
}

MessageMenuViewModel::MessageMenuViewModel(MessageListModel& messages, SessionViewModel& session,
    ModerationActions* moderation, QString broadcasterID, QObject* parent)
    : QObject(parent)
    , messages_(messages)
    , session_(session)
    , moderation_(moderation)
    , broadcasterID_(std::move(broadcasterID))
{
    if (moderation)
        connect(moderation, &ModerationActions::bannedUsersChanged, this, &MessageMenuViewModel::rowChanged);
}

bool MessageMenuViewModel::open(int row)
{
    const TwitchChatMessage* message = messages_.message(row);
    target_ = {};
    if (const TwitchChatTextMessage* text = message ? message->text() : nullptr)
        target_ = { text->body(), text->id(), text->userID(), text->displayName(), text->isDeleted() };
    else if (message)
        target_.text = message->system()->text;
    emit rowChanged();
    return message != nullptr;
}

QString MessageMenuViewModel::banQuestion() const
{
    return QStringLiteral("Ban %1 from your chat?").arg(target_.displayName);
}

QStringList MessageMenuViewModel::timeoutChoices() const
{
    QStringList titles;
    for (const auto& [duration, title] : timeouts())
        titles.append(title);
    return titles;
}

bool MessageMenuViewModel::isBanned() const
{
    return moderation_ && moderation_->isBanned(target_.userID);
}

void MessageMenuViewModel::copyMessage() const
{
    if (!target_.text.isEmpty())
        QGuiApplication::clipboard()->setText(target_.text);
}

void MessageMenuViewModel::reply()
{
    if (offersReply())
        session_.replyTo(target_.messageID, target_.displayName);
}

void MessageMenuViewModel::deleteMessage()
{
    if (offersDelete())
        moderate([messageID = target_.messageID](ModerationActions& actions) {
            return actions.deleteMessage(messageID);
        });
}

void MessageMenuViewModel::timeout(int choice)
{
    if (offersTimeout() && choice >= 0 && choice < timeouts().size())
        moderate([userID = target_.userID, duration = timeouts().at(choice).first](ModerationActions& actions) {
            return actions.timeout(userID, duration);
        });
}

void MessageMenuViewModel::ban()
{
    if (offersBan())
        moderate([userID = target_.userID](ModerationActions& actions) { return actions.ban(userID); });
}

void MessageMenuViewModel::unban()
{
    if (offersUnban())
        moderate([userID = target_.userID](ModerationActions& actions) { return actions.unban(userID); });
}

void MessageMenuViewModel::moderate(const std::function<QFuture<void>(ModerationActions&)>& action)
{
    if (!moderation_) {
        session_.showErrorMessage(TwitchModerationError(TwitchModerationError::Code::missingScope).userMessage());
        return;
    }
    whenFinished(action(*moderation_), this, [this](QFuture<void> done) {
        try {
            done.waitForFinished();
        } catch (...) {
            session_.showErrorMessage(ErrorPresenter::userMessage(std::current_exception()));
        }
    });
}

} // namespace parley
