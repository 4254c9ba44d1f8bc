#include "app/ui/chat/MessageListModel.h"

#include "app/session/BadgeCatalogue.h"
#include "app/session/EmoteImageLoader.h"
#include "app/session/TextWithEmotes.h"
#include "app/ui/chat/EmoteImageProvider.h"
#include "app/ui/chat/SystemMessageViewModel.h"
#include "app/ui/chat/TextMessageViewModel.h"
#include "twitch/chat/TwitchChat.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPalette>

#include <utility>

namespace parley {

namespace {

// What every row reads besides its message: the times' locale and the colour
// of text without a colour of its own.
struct RowContext {
    const QLocale& locale;
    const QColor& textColor;
    const BadgeCatalogue* badges;
    EmoteImageLoader* images;
    // Badge images asked for once already: a failed one is not asked for
    // again every time the rows are drawn.
    QSet<QString>& requestedImages;
    const std::optional<TextMessageViewModel::HighlightRules>& highlights;
};

TextMessageViewModel::Highlight highlightOf(const TwitchChatTextMessage& text, const RowContext& context)
{
    using Model = TextMessageViewModel;
    return context.highlights ? Model::highlight(text, *context.highlights) : Model::Highlight::none;
}

// The badges as the row's QML draws them; asks for the images not loaded yet.
QVariantList badgeData(const QList<TextMessageViewModel::Badge>& badges, const RowContext& context)
{
    EmoteImageLoader* images = context.images;
    QVariantList list;
    for (const TextMessageViewModel::Badge& badge : badges) {
        const bool loaded = images && images->store()->contains(badge.key);
        if (images && !loaded && !badge.imageURL.isEmpty() && !context.requestedImages.contains(badge.key)) {
            context.requestedImages.insert(badge.key);
            images->loadImage(badge.key, badge.imageURL);
        }
        list.append(QVariantMap {
            { QStringLiteral("title"), badge.title },
            { QStringLiteral("source"), loaded ? EmoteImageProvider::url(badge.key) : QUrl() },
            { QStringLiteral("isBroadcaster"), badge.isBroadcaster },
        });
    }
    return list;
}

QVariant textData(const TwitchChatTextMessage& text, int role, const RowContext& context)
{
    using Model = TextMessageViewModel;
    switch (role) {
    case MessageListModel::KindRole:
        return MessageListModel::ChatterRow;
    case MessageListModel::DisplayNameRole:
        return text.displayName();
    case MessageListModel::NameColorRole: {
        const QColor color = Model::nameColor(text);
        return color.isValid() ? color : context.textColor;
    }
    case MessageListModel::IsBroadcasterRole:
        return text.isBroadcaster();
    case MessageListModel::RoleTooltipRole:
        return Model::roleTooltip(text);
    case MessageListModel::TimeTextRole:
        return Model::shortTime(text.sentAt(), context.locale);
    case MessageListModel::BodyRole:
        return QVariant::fromValue(Model::body(text));
    case MessageListModel::BodyColorRole:
        return Model::bodyStyle(text, context.textColor).color;
    case MessageListModel::IsBodyItalicRole:
        return Model::bodyStyle(text, context.textColor).isItalic;
    case MessageListModel::BodyOpacityRole:
        return Model::bodyStyle(text, context.textColor).opacity;
    case MessageListModel::ReplyLineRole:
        return Model::replyLine(text);
    case MessageListModel::AccessibleNameRole:
        return Model::historyPrefix(text.isHistorical()) + Model::highlightPrefix(highlightOf(text, context)) +
            Model::accessibleName(text, Model::badges(text, context.badges));
    case MessageListModel::IsHistoricalRole:
        return text.isHistorical();
    case MessageListModel::HighlightRole:
        switch (highlightOf(text, context)) {
        case Model::Highlight::mention:
            return MessageListModel::MentionHighlight;
        case Model::Highlight::firstMessage:
            return MessageListModel::FirstMessageHighlight;
        case Model::Highlight::none:
            break;
        }
        return MessageListModel::NoHighlight;
    case MessageListModel::BadgesRole:
        return badgeData(Model::badges(text, context.badges), context);
    case MessageListModel::HeadlineRole:
        return QString();
    default:
        return {};
    }
}

// A row without a chatter's words still gives every role a value of its
// type: the row's QML requires them all.
QVariant emptyData(int role, const RowContext& context)
{
    switch (role) {
    case MessageListModel::NameColorRole:
    case MessageListModel::BodyColorRole:
        return context.textColor;
    case MessageListModel::IsBroadcasterRole:
    case MessageListModel::IsBodyItalicRole:
        return false;
    case MessageListModel::BodyOpacityRole:
        return 1.0;
    case MessageListModel::BodyRole:
        return QVariant::fromValue(TextWithEmotes());
    case MessageListModel::BadgesRole:
        return QVariantList();
    case MessageListModel::HighlightRole:
        return MessageListModel::NoHighlight;
    default:
        return QString();
    }
}

QVariant systemData(const TwitchChatSystemMessage& system, int role, const RowContext& context)
{
    switch (role) {
    case MessageListModel::KindRole:
        return system.userMessage ? MessageListModel::SystemRowWithWords : MessageListModel::SystemRow;
    case MessageListModel::HeadlineRole:
        return SystemMessageViewModel::headline(system);
    case MessageListModel::AccessibleNameRole:
        return TextMessageViewModel::historyPrefix(system.isHistorical) + SystemMessageViewModel::accessibleName(system);
    case MessageListModel::IsHistoricalRole:
        return system.isHistorical;
    case MessageListModel::TimeTextRole:
        return system.sentAt ? TextMessageViewModel::shortTime(*system.sentAt, context.locale) : QString();
    default:
        return system.userMessage ? textData(*system.userMessage, role, context) : emptyData(role, context);
    }
}

} // namespace

MessageListModel::MessageListModel(QList<TwitchChatMessage> messages, QObject* parent)
    : QAbstractListModel(parent)
    , fixed_(std::move(messages))
    , rows_(fixed_.size())
    , textColor_(QGuiApplication::palette().color(QPalette::Text))
{ }

MessageListModel::MessageListModel(TwitchChat& chat, QObject* parent)
    : QAbstractListModel(parent)
    , chat_(&chat)
    , rows_(chat.messages().size())
    , textColor_(QGuiApplication::palette().color(QPalette::Text))
{
    connect(&chat, &TwitchChat::messagesDropped, this, &MessageListModel::messagesDropped);
    connect(&chat, &TwitchChat::messagesInserted, this, &MessageListModel::messagesInserted);
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
    if (role == MessageRowRole)
        return index.row();
    const RowContext context { locale_, textColor_, showBadges_ ? badgeCatalogue_.data() : nullptr, badgeImages_.data(),
        requestedBadgeImages_, highlightRules_ };
    if (const TwitchChatTextMessage* text = message->text())
        return textData(*text, role, context);
    return systemData(*message->system(), role, context);
}

QHash<int, QByteArray> MessageListModel::roleNames() const
{
    return {
        { KindRole, "kind" },
        { IsHistoricalRole, "isHistorical" },
        { DisplayNameRole, "displayName" },
        { NameColorRole, "nameColor" },
        { IsBroadcasterRole, "isBroadcaster" },
        { RoleTooltipRole, "roleTooltip" },
        { TimeTextRole, "timeText" },
        { BodyRole, "body" },
        { BodyColorRole, "bodyColor" },
        { IsBodyItalicRole, "isBodyItalic" },
        { BodyOpacityRole, "bodyOpacity" },
        { ReplyLineRole, "replyLine" },
        { AccessibleNameRole, "accessibleName" },
        { HeadlineRole, "headline" },
        { BadgesRole, "badges" },
        { HighlightRole, "highlight" },
        { MessageRowRole, "messageRow" },
    };
}

void MessageListModel::setLocale(const QLocale& locale)
{
    locale_ = locale;
    if (rows_ > 0)
        emit dataChanged(index(0), index(int(rows_) - 1), { TimeTextRole });
}

void MessageListModel::setBadgeSources(BadgeCatalogue* catalogue, EmoteImageLoader* images)
{
    if (badgeCatalogue_)
        disconnect(badgeCatalogue_, nullptr, this, nullptr);
    if (badgeImages_)
        disconnect(badgeImages_, nullptr, this, nullptr);
    badgeCatalogue_ = catalogue;
    badgeImages_ = images;
    requestedBadgeImages_.clear();
    if (catalogue)
        connect(catalogue, &BadgeCatalogue::badgesChanged, this, &MessageListModel::badgesChanged);
    if (images)
        connect(images, &EmoteImageLoader::imagesChanged, this, &MessageListModel::badgesChanged);
    badgesChanged();
}

void MessageListModel::setShowBadges(bool show)
{
    if (std::exchange(showBadges_, show) != show)
        badgesChanged();
}

void MessageListModel::setHighlightRules(const TextMessageViewModel::HighlightRules& rules)
{
    highlightRules_ = rules;
    if (rows_ > 0)
        emit dataChanged(index(0), index(int(rows_) - 1), { HighlightRole, AccessibleNameRole });
}

void MessageListModel::badgesChanged()
{
    if (rows_ > 0)
        emit dataChanged(index(0), index(int(rows_) - 1), { BadgesRole, AccessibleNameRole });
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

void MessageListModel::messagesInserted(qsizetype position, qsizetype count)
{
    if (position < 0 || position > rows_ || count <= 0)
        return;
    // The chat has stored them already: the new rows read them.
    beginInsertRows({}, int(position), int(position + count) - 1);
    rows_ += count;
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
