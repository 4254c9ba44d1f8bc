#include "MessageListModel.h"

#include "app/session/TextWithEmotes.h"
#include "app/ui/chat/SystemMessageViewModel.h"
#include "app/ui/chat/TextMessageViewModel.h"
#include "twitch/chat/TwitchChat.h"

#include <QClipboard>
#include <QGuiApplication>

namespace parley {

namespace {

QVariant textData(const TwitchChatTextMessage& text, int role, const QLocale& locale)
{
    using Model = TextMessageViewModel;
    switch (role) {
    case MessageListModel::KindRole:
        return QStringLiteral("text");
    case MessageListModel::MessageIDRole:
        return text.id();
    case MessageListModel::DisplayNameRole:
        return text.displayName();
    case MessageListModel::NameColorRole: {
        const QColor color = Model::nameColor(text);
        return color.isValid() ? QVariant(color) : QVariant();
    }
    case MessageListModel::IsBroadcasterRole:
        return text.isBroadcaster();
    case MessageListModel::RoleTooltipRole:
        return Model::roleTooltip(text);
    case MessageListModel::TimeTextRole:
        return Model::shortTime(text.sentAt(), locale);
    case MessageListModel::BodyRole:
        return QVariant::fromValue(Model::body(text));
    case MessageListModel::BodyTextRole:
        return text.body();
    case MessageListModel::ReplyToRole:
        return Model::replyTo(text);
    case MessageListModel::ReplyTextRole:
        return text.reply().value_or(TwitchChatMessageReply()).parentMessageBody;
    case MessageListModel::AccessibleNameRole:
        return Model::accessibleName(text);
    case MessageListModel::IsActionRole:
        return text.isAction();
    case MessageListModel::IsDeletedRole:
        return text.isDeleted();
    case MessageListModel::HeadlineRole:
        return QString();
    default:
        return {};
    }
}

// A row without a chatter's words still gives every role a value of its
// type: the row's QML requires them all.
QVariant emptyData(int role)
{
    switch (role) {
    case MessageListModel::NameColorRole:
        return {};
    case MessageListModel::IsBroadcasterRole:
    case MessageListModel::IsActionRole:
    case MessageListModel::IsDeletedRole:
        return false;
    case MessageListModel::BodyRole:
        return QVariant::fromValue(TextWithEmotes());
    default:
        return QString();
    }
}

QVariant systemData(const TwitchChatSystemMessage& system, int role, const QLocale& locale)
{
    switch (role) {
    case MessageListModel::KindRole:
        return QStringLiteral("system");
    case MessageListModel::MessageIDRole:
        return system.id;
    case MessageListModel::HeadlineRole:
        return SystemMessageViewModel::headline(system);
    case MessageListModel::AccessibleNameRole:
        return SystemMessageViewModel::accessibleName(system);
    case MessageListModel::TimeTextRole:
        return system.sentAt ? TextMessageViewModel::shortTime(*system.sentAt, locale) : QString();
    default:
        return system.userMessage ? textData(*system.userMessage, role, locale) : emptyData(role);
    }
}

} // namespace

MessageListModel::MessageListModel(QList<TwitchChatMessage> messages, QObject* parent)
    : QAbstractListModel(parent), fixed_(std::move(messages)), rows_(fixed_.size())
{ }

MessageListModel::MessageListModel(TwitchChat& chat, QObject* parent)
    : QAbstractListModel(parent), chat_(&chat), rows_(chat.messages().size())
{
    connect(&chat, &TwitchChat::messageAppended, this, &MessageListModel::messageAppended);
    connect(&chat, &TwitchChat::messageUpdated, this, &MessageListModel::messageUpdated);
    connect(&chat, &QObject::destroyed, this, [this] {
        beginResetModel();
        rows_ = 0;
        endResetModel();
    });
}

const QList<TwitchChatMessage>& MessageListModel::messages() const
{
    return chat_ ? chat_->messages() : fixed_;
}

int MessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_);
}

const TwitchChatMessage* MessageListModel::message(qsizetype row) const
{
    const QList<TwitchChatMessage>& list = messages();
    if (row < 0 || row >= rows_ || row >= list.size())
        return nullptr;
    return &list.at(row);
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const
{
    const TwitchChatMessage* message = this->message(index.row());
    if (!message)
        return {};
    if (const TwitchChatTextMessage* text = message->text())
        return textData(*text, role, locale_);
    return systemData(*message->system(), role, locale_);
}

QHash<int, QByteArray> MessageListModel::roleNames() const
{
    return {
        { KindRole, "kind" },
        { MessageIDRole, "messageID" },
        { DisplayNameRole, "displayName" },
        { NameColorRole, "nameColor" },
        { IsBroadcasterRole, "isBroadcaster" },
        { RoleTooltipRole, "roleTooltip" },
        { TimeTextRole, "timeText" },
        { BodyRole, "body" },
        { BodyTextRole, "bodyText" },
        { ReplyToRole, "replyTo" },
        { ReplyTextRole, "replyText" },
        { AccessibleNameRole, "accessibleName" },
        { IsActionRole, "isAction" },
        { IsDeletedRole, "isDeleted" },
        { HeadlineRole, "headline" },
    };
}

void MessageListModel::setLocale(const QLocale& locale)
{
    locale_ = locale;
    if (rows_ > 0)
        emit dataChanged(index(0), index(int(rows_) - 1), { TimeTextRole });
}

void MessageListModel::copyDisplayName(int row) const
{
    // The name shown: a system line's chatter has one too.
    const QString name = data(index(row), DisplayNameRole).toString();
    if (!name.isEmpty())
        QGuiApplication::clipboard()->setText(name);
}

void MessageListModel::messageAppended()
{
    // The chat has stored the message already: the new row reads it.
    beginInsertRows({}, int(rows_), int(rows_));
    ++rows_;
    endInsertRows();
}

void MessageListModel::messagesDropped(qsizetype count)
{
    count = std::min(count, rows_);
    if (count <= 0)
        return;
    beginRemoveRows({}, 0, int(count) - 1);
    if (!chat_)
        fixed_.remove(0, count);
    rows_ -= count;
    endRemoveRows();
}

void MessageListModel::messageUpdated(qsizetype index)
{
    if (index < 0 || index >= rows_)
        return;
    emit dataChanged(this->index(int(index)), this->index(int(index)));
}

} // namespace parley
