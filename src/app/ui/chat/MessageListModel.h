#pragma once

#include "app/ui/chat/TextMessageViewModel.h"
#include "twitch/chat/TwitchChatMessage.h"

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QLocale>
#include <QPointer>
#include <QSet>

#include <optional>

namespace parley {

class BadgeCatalogue;
class EmoteImageLoader;
class TwitchChat;

// The chat rows for QML: one row per message, oldest first. Either mirrors a
// chat client's list, following its per-message announcements (an append
// inserts one row; no copy of the list is kept), or shows a fixed list (the
// Settings preview). Main thread only.
class MessageListModel final : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(QString listName READ listName CONSTANT)
    Q_PROPERTY(QString copyDisplayNameTitle READ copyDisplayNameTitle CONSTANT)

public:
    enum Role {
        KindRole = Qt::UserRole + 1, // a RowKind
        IsHistoricalRole, // loaded from the recent history, not received live
        DisplayNameRole,
        NameColorRole, // the sender's colour, or the text colour
        IsBroadcasterRole,
        RoleTooltipRole,
        TimeTextRole,
        BodyRole, // a TextWithEmotes
        BodyColorRole,
        IsBodyItalicRole,
        BodyOpacityRole,
        ReplyLineRole,
        AccessibleNameRole,
        HeadlineRole, // a system line's own text; empty for a chatter's message
        BadgesRole, // the sender's badges: maps of "title", "source" (empty until loaded), "isBroadcaster"
        HighlightRole, // a Highlight: whether the row stands out, and why
        MessageRowRole, // the row's own number here, also when read through a filter over the rows
    };

    // Why a row stands out (QML reads capitalised enumerators only).
    enum Highlight { NoHighlight, MentionHighlight, FirstMessageHighlight };
    Q_ENUM(Highlight)

    // What a row shows. QML reads enumerators only when they start with a
    // capital.
    enum RowKind {
        ChatterRow, // a chatter's message: name, time and body
        SystemRow, // a system line alone: its headline
        SystemRowWithWords, // a system line over a chatter's own words
    };
    Q_ENUM(RowKind)

    // Rows for a fixed list of messages.
    explicit MessageListModel(QList<TwitchChatMessage> messages, QObject* parent = nullptr);
    // Rows for the messages of `chat`, kept in step with it for as long as it lives.
    explicit MessageListModel(TwitchChat& chat, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // The message of a row; nullptr outside the rows.
    const TwitchChatMessage* message(qsizetype row) const;

    // Where the rows find their badges and load the badges' images; the
    // rows show the broadcaster's mark alone until this is set. Both must
    // outlive the model or be set again.
    void setBadgeSources(BadgeCatalogue* catalogue, EmoteImageLoader* images);
    // With badges off, rows show the broadcaster's mark alone, as without sources.
    void setShowBadges(bool show);
    // Which rows stand out; none until set.
    void setHighlightRules(const TextMessageViewModel::HighlightRules& rules);

    // The locale of the times shown; the user's own by default.
    void setLocale(const QLocale& locale);

    // The list, for screen readers.
    QString listName() const { return QStringLiteral("Chat messages"); }

    // Puts the display name of `row` on the clipboard as plain text.
    Q_INVOKABLE void copyDisplayName(int row) const;
    // The name's menu item that does it.
    QString copyDisplayNameTitle() const { return QStringLiteral("Copy"); }

public slots:
    // The chat announced the message at the end of its list.
    void messageAppended();
    // The chat put `count` messages in at `position` (its recent history).
    void messagesInserted(qsizetype position, qsizetype count);
    // The chat removed its `count` oldest messages.
    void messagesDropped(qsizetype count);
    // The chat changed its message at `index` in place.
    void messageUpdated(qsizetype index);

private:
    const QList<TwitchChatMessage>& messages() const;
    void badgesChanged();

    QList<TwitchChatMessage> fixed_;
    QPointer<TwitchChat> chat_;
    // Rows announced so far; the chat's list may already hold more or fewer
    // while an announcement is under way.
    qsizetype rows_ = 0;
    QLocale locale_;
    QPointer<BadgeCatalogue> badgeCatalogue_;
    bool showBadges_ = true;
    std::optional<TextMessageViewModel::HighlightRules> highlightRules_;
    QPointer<EmoteImageLoader> badgeImages_;
    mutable QSet<QString> requestedBadgeImages_; // by image key
    // Text without a colour of its own: the application palette's, as the
    // rows' other text.
    QColor textColor_;
};

} // namespace parley
