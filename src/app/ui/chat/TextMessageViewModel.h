#pragma once

#include "app/session/BadgeCatalogue.h"
#include "app/session/TextWithEmotes.h"
#include "twitch/Instant.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QColor>
#include <QLocale>
#include <QList>
#include <QString>
#include <QUrl>

namespace parley {

// What a chat row shows of a text message, decided here so the row's QML
// only lays it out.
class TextMessageViewModel {
public:
    // The sender's role for the tooltip of the badge and the name: the first
    // of "Broadcaster", "Moderator", "Subscriber" that applies; empty
    // otherwise.
    static QString roleTooltip(const TwitchChatTextMessage& message);

    // The time of day in the short format of `locale`, in the local time zone.
    static QString shortTime(Instant sentAt, const QLocale& locale);

    // The sender's colour; invalid when the message has none, and the row
    // then uses the primary text colour.
    static QColor nameColor(const TwitchChatTextMessage& message);

    // Who the message answers, by display name (the login when the parent
    // has no display name); empty for a message that answers nothing.
    static QString replyTo(const TwitchChatTextMessage& message);

    // The line above a reply, "Replying to NAME: TEXT"; empty for a message
    // that answers nothing.
    static QString replyLine(const TwitchChatTextMessage& message);

    // How the body is drawn: an action reads italic in the sender's colour
    // (`textColor` when they have none); a removed message is only an
    // italic, dimmed marker.
    struct BodyStyle {
        QColor color;
        bool isItalic = false;
        double opacity = 1.0;
    };
    static BodyStyle bodyStyle(const TwitchChatTextMessage& message, const QColor& textColor);

    // The body as the row shows it: the text, or "<message deleted>" once a
    // moderator removed it (the text stays out of the window from then on).
    static TextWithEmotes body(const TwitchChatTextMessage& message);

    // A badge the row draws before the name.
    struct Badge {
        QString key; // "badge:SET/VERSION", the image's key in the emote image loader
        QString setVersion; // "SET/VERSION"
        QString title; // tooltip and accessible text: "Subscriber (15 months)"
        QUrl imageURL; // the double-scale image; empty while unknown
        bool isBroadcaster = false; // drawn as the broadcaster's mark until its image is in
    };
    // The sender's badges in the tag's order, as `catalogue` (may be null)
    // knows them; unknown ones are skipped, except the broadcaster's, which
    // always shows (its mark stands in for the image).
    static QList<Badge> badges(const TwitchChatTextMessage& message, const BadgeCatalogue* catalogue);

    // Which messages stand out for the broadcaster whose window this is.
    struct HighlightRules {
        QString login; // the broadcaster's
        QString userID;
        bool mentions = true; // their name as a whole word (with or without "@"), or a reply to them
        bool firstMessages = true; // a viewer's first message in the channel ever
    };
    enum class Highlight { none, mention, firstMessage };
    // The broadcaster's own messages and the recent history's never stand
    // out (they are not news); a mention wins over a first message.
    static Highlight highlight(const TwitchChatTextMessage& message, const HighlightRules& rules);
    // "Mention. ", "First message. " or nothing: what a screen reader hears first.
    static QString highlightPrefix(Highlight highlight);
    // "Earlier: " for a row of the recent history, before all else; nothing
    // for a live one.
    static QString historyPrefix(bool isHistorical);

    // The row as one sentence for screen readers: the badges' titles, the
    // name, what it answers, and the text as shown (emotes by their names);
    // an action reads as the sender doing it, a removed message as deleted.
    static QString accessibleName(const TwitchChatTextMessage& message, const QList<Badge>& badges = {});
};

} // namespace parley
