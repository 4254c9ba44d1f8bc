#include "twitch-sim/SimChatTraffic.h"

#include <QDateTime>
#include <QUuid>

#include <array>

namespace parley::sim {

namespace {

struct CastMember {
    const char* displayName;
    const char* color; // empty: the chatter never picked one
    const char* badges;
    const char* badgeInfo;
};

// A cast with the mix a large channel shows: many plain viewers, subscribers
// of various tenures, a few moderators and VIPs, names with upper-case letters.
constexpr std::array<CastMember, 24> castMembers { {
    { "NightOwl42", "#1E90FF", "", "" },
    { "pixel_pirate", "#FF4500", "subscriber/12,premium/1", "subscriber/14" },
    { "ModMarta", "#00FF7F", "moderator/1,subscriber/24", "subscriber/27" },
    { "quietlurker", "", "", "" },
    { "SirStreamsALot", "#8A2BE2", "vip/1,subscriber/6", "subscriber/7" },
    { "glitch_witch", "#FF69B4", "subscriber/3", "subscriber/3" },
    { "TurboTom", "#DAA520", "turbo/1", "" },
    { "coffee_coder", "#5F9EA0", "premium/1", "" },
    { "AnnaBanana", "#D2691E", "subscriber/0,bits/100", "subscriber/1" },
    { "zerglingrush", "", "bits/1000", "" },
    { "Moderator_Mo", "#2E8B57", "moderator/1", "" },
    { "xXsniperXx", "#B22222", "", "" },
    { "retro_rae", "#9ACD32", "subscriber/36,partner/1", "subscriber/40" },
    { "Kettle", "#0000FF", "", "" },
    { "lofi_lena", "#FF7F50", "subscriber/9", "subscriber/9" },
    { "BigBossBen", "#C71585", "vip/1", "" },
    { "newbie_ned", "", "", "" },
    { "SpeedySam", "#00CED1", "subscriber/2,premium/1", "subscriber/2" },
    { "the_real_jo", "#DC143C", "", "" },
    { "Patch", "#7B68EE", "subscriber/48", "subscriber/50" },
    { "mellow_mia", "#20B2AA", "", "" },
    { "CaptainCable", "#FF8C00", "moderator/1,bits/5000", "" },
    { "frogfan", "#3CB371", "subscriber/1", "subscriber/1" },
    { "Quokka", "", "premium/1", "" },
} };

constexpr std::array<const char*, 24> phrases {
    "hello chat",
    "that was insane",
    "what game is this?",
    "lol",
    "gg",
    "can you play the next level again",
    "first time here, love the vibe",
    "how long have you been streaming today?",
    "the music is so good",
    "no way that worked",
    "clip it!",
    "is that a new keyboard?",
    "brb getting snacks",
    "that boss is brutal",
    "you got this",
    "wait what just happened",
    "hydrate check",
    "this chat moves fast",
    "did anyone else see that",
    "the new overlay looks great",
    "can we get a hype train going",
    "this is my favourite part",
    "I have been waiting all week for this",
    "ok that was actually clean",
};

// Emoji outside the Basic Multilingual Plane: two UTF-16 units but one code
// point, so they shift emote positions differently in the two counts.
constexpr std::array<const char*, 5> emoji { "🔥", "😂", "🎉", "👀", "💜" };

// A tag value as the service writes it (IRCv3 escapes).
QString escaped(const QString& value)
{
    QString text;
    text.reserve(value.size());
    for (QChar c : value) {
        switch (c.unicode()) {
        case u'\\':
            text += QStringLiteral("\\\\");
            break;
        case u';':
            text += QStringLiteral("\\:");
            break;
        case u' ':
            text += QStringLiteral("\\s");
            break;
        case u'\r':
            text += QStringLiteral("\\r");
            break;
        case u'\n':
            text += QStringLiteral("\\n");
            break;
        default:
            text += c;
        }
    }
    return text;
}

int codePoints(const QString& text)
{
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (!text.at(i).isLowSurrogate())
            ++count;
    return count;
}

} // namespace

SimChatTraffic::SimChatTraffic(
    QString channel, QString roomID, QList<SimChatEmote> emotes, quint32 seed, QStringList communityWords)
    : channel_(std::move(channel))
    , roomID_(std::move(roomID))
    , emotes_(std::move(emotes))
    , communityWords_(std::move(communityWords))
    , random_(seed)
{
    int userID = 40000001;
    for (const CastMember& member : castMembers) {
        const QString displayName = QString::fromUtf8(member.displayName);
        const QString badges = QString::fromUtf8(member.badges);
        cast_.append(Chatter { displayName.toLower(), displayName, QString::number(userID++ * 7),
            QString::fromUtf8(member.color), badges, QString::fromUtf8(member.badgeInfo),
            badges.contains(u"moderator/"), badges.contains(u"subscriber/"), badges.contains(u"vip/") });
    }
}

std::optional<QString> SimChatTraffic::loginOf(const QString& userID) const
{
    for (const Chatter& chatter : cast_)
        if (chatter.userID == userID)
            return chatter.login;
    return std::nullopt;
}

SimChatLine SimChatTraffic::nextLine()
{
    ++lineCount_;
    const quint32 roll = random_.bounded(10000u);
    if (roll < 40)
        return { roomStateChange(), false };
    if (roll < 100)
        return { userNotice(), false };
    if (roll < 115)
        return { deletion(), false };
    if (roll < 130)
        return { timeoutOrBan(), false };
    if (roll < 132)
        return { chatCleared(), false };
    return { chatMessage(), true };
}

QStringList SimChatTraffic::frames(int count, int linesPerFrame)
{
    QStringList frames;
    QString frame;
    int inFrame = 0;
    for (int sent = 0; sent < count;) {
        const SimChatLine line = nextLine();
        if (!frame.isEmpty())
            frame += QStringLiteral("\r\n");
        frame += line.text;
        if (!line.isChatMessage)
            continue;
        ++sent;
        if (++inFrame == linesPerFrame || sent == count) {
            frames.append(std::exchange(frame, {}));
            inFrame = 0;
        }
    }
    return frames;
}

const SimChatTraffic::Chatter& SimChatTraffic::someChatter()
{
    // A few regulars write most of the messages.
    const int index = static_cast<int>(random_.bounded(cast_.size()) * random_.bounded(1.0));
    return cast_.at(index);
}

QString SimChatTraffic::newID()
{
    QByteArray bytes(16, Qt::Uninitialized);
    random_.fillRange(reinterpret_cast<quint32*>(bytes.data()), 4);
    bytes[6] = char((bytes[6] & 0x0f) | 0x40); // version 4
    bytes[8] = char((bytes[8] & 0x3f) | 0x80); // RFC 4122 variant
    return QUuid::fromRfc4122(bytes).toString(QUuid::WithoutBraces);
}

QString SimChatTraffic::sentTimestamp() const
{
    return QString::number(QDateTime::currentMSecsSinceEpoch());
}

QString SimChatTraffic::chatMessage()
{
    const Chatter& chatter = someChatter();
    QString reply;
    QString mention;
    if (!recentIDs_.isEmpty() && random_.bounded(10u) == 0) {
        const Chatter& parent = cast_.at(random_.bounded(cast_.size()));
        const QString& parentID = recentIDs_.at(random_.bounded(recentIDs_.size()));
        reply = QStringLiteral("reply-parent-display-name=%1;reply-parent-msg-body=%5;"
                               "reply-parent-msg-id=%2;reply-parent-user-id=%3;"
                               "reply-parent-user-login=%4;reply-thread-parent-display-name=%1;"
                               "reply-thread-parent-msg-id=%2;reply-thread-parent-user-id=%3;"
                               "reply-thread-parent-user-login=%4;")
                    .arg(escaped(parent.displayName), parentID, parent.userID, parent.login,
                        escaped(QString::fromUtf8(phrases.at(random_.bounded(int(phrases.size())))) +
                            QStringLiteral("; gg")));
        mention = u'@' + parent.displayName + u' ';
    }
    QString emotesTag;
    const QString words = messageText(mention, emotesTag);
    // "/me" actions: the service counts emote positions in the words alone.
    const QString text = random_.bounded(25u) == 0 ? QStringLiteral("\u0001ACTION ") + words + u'\u0001' : words;
    const QString id = newID();
    recentIDs_.append(id);
    if (recentIDs_.size() > 32)
        recentIDs_.removeFirst();
    const bool firstMessage = random_.bounded(50u) == 0;
    QString line = QStringLiteral("@badge-info=%1;badges=%2;client-nonce=%3;color=%4;display-name=%5;"
                                  "emotes=%6;first-msg=%7;flags=;id=%8;mod=%9;")
                       .arg(chatter.badgeInfo, chatter.badges, newID().remove(u'-'), chatter.color,
                           escaped(chatter.displayName), emotesTag, firstMessage ? u"1" : u"0", id,
                           chatter.isModerator ? u"1" : u"0");
    line += reply;
    // As the service does, moderators carry the user type "mod".
    line += QStringLiteral("returning-chatter=0;room-id=%1;subscriber=%2;tmi-sent-ts=%3;turbo=%4;"
                           "user-id=%5;user-type=%6")
                .arg(roomID_, chatter.isSubscriber ? u"1" : u"0", sentTimestamp(),
                    chatter.badges.contains(u"turbo/") ? u"1" : u"0", chatter.userID,
                    chatter.isModerator ? u"mod" : u"");
    if (chatter.isVip)
        line += QStringLiteral(";vip=1");
    line += QStringLiteral(" :%1!%1@%1.tmi.twitch.tv PRIVMSG #%2 :%3").arg(chatter.login, channel_, text);
    return line;
}

// `prefix` and a phrase with emotes from the catalogue before or after it, some
// behind an emoji. Fills `emotesTag` ("id:begin-end,begin-end/id:...").
QString SimChatTraffic::messageText(const QString& prefix, QString& emotesTag)
{
    QString text = prefix;
    QMap<QString, QStringList> ranges; // emote id -> "begin-end"
    auto addEmote = [&] {
        const SimChatEmote& emote = emotes_.at(random_.bounded(emotes_.size()));
        if (random_.bounded(4u) == 0)
            text += QString::fromUtf8(emoji.at(random_.bounded(int(emoji.size())))) + u' ';
        const int begin = codePoints(text);
        ranges[emote.id].append(QStringLiteral("%1-%2").arg(begin).arg(begin + codePoints(emote.name) - 1));
        text += emote.name + u' ';
    };
    const bool withEmotes = !emotes_.isEmpty() && random_.bounded(3u) == 0;
    if (withEmotes && random_.bounded(2u) == 0)
        addEmote();
    text += QString::fromUtf8(phrases.at(random_.bounded(int(phrases.size())))) + u' ';
    if (withEmotes)
        for (quint32 n = 1 + random_.bounded(3u); n > 0; --n)
            addEmote();
    // Drawn only when there are community words, so traffic without them
    // stays as it was for a given seed.
    if (!communityWords_.isEmpty() && random_.bounded(3u) == 0)
        for (quint32 n = 1 + random_.bounded(2u); n > 0; --n)
            text += communityWords_.at(random_.bounded(communityWords_.size())) + u' ';
    text.chop(1);
    QStringList pieces;
    for (auto it = ranges.cbegin(); it != ranges.cend(); ++it)
        pieces.append(it.key() + u':' + it.value().join(u','));
    emotesTag = pieces.join(u'/');
    return text;
}

// The service sends only the setting that changed.
QString SimChatTraffic::roomStateChange()
{
    static constexpr std::array<const char*, 10> changes {
        "slow=30",
        "slow=0",
        "emote-only=1",
        "emote-only=0",
        "followers-only=10",
        "followers-only=0",
        "followers-only=-1",
        "subs-only=1",
        "subs-only=0",
        "r9k=0",
    };
    return QStringLiteral("@room-id=%1;%2 :tmi.twitch.tv ROOMSTATE #%3")
        .arg(roomID_, QString::fromUtf8(changes.at(random_.bounded(int(changes.size())))), channel_);
}

QString SimChatTraffic::userNoticeTags(
    const Chatter& chatter, const QString& kind, const QString& systemMessage, const QString& emotesTag)
{
    return QStringLiteral("@badge-info=%1;badges=%2;color=%3;display-name=%4;emotes=%5;flags=;id=%6;login=%7;"
                          "mod=%8;msg-id=%9;")
               .arg(chatter.badgeInfo, chatter.badges, chatter.color, escaped(chatter.displayName), emotesTag, newID(),
                   chatter.login, chatter.isModerator ? u"1" : u"0", kind) +
        QStringLiteral("room-id=%1;subscriber=%2;system-msg=%3;tmi-sent-ts=%4;user-id=%5;user-type=%6")
            .arg(roomID_, chatter.isSubscriber ? u"1" : u"0", escaped(systemMessage), sentTimestamp(), chatter.userID,
                chatter.isModerator ? u"mod" : u"");
}

// Channel events; a resub and an announcement carry the user's own words.
QString SimChatTraffic::userNotice()
{
    const Chatter& chatter = someChatter();
    const QString& name = chatter.displayName;
    const QString trailer = QStringLiteral(" :tmi.twitch.tv USERNOTICE #") + channel_;
    QString emotesTag;
    switch (random_.bounded(6u)) {
    case 0:
        return userNoticeTags(chatter, QStringLiteral("sub"), name + QStringLiteral(" subscribed with Prime."), {}) +
            QStringLiteral(";msg-param-cumulative-months=1;msg-param-sub-plan=Prime") + trailer;
    case 1: {
        const QString words = messageText({}, emotesTag);
        return userNoticeTags(chatter, QStringLiteral("resub"),
                   name + QStringLiteral(" subscribed at Tier 1. They've subscribed for 14 months!"), emotesTag) +
            QStringLiteral(";msg-param-cumulative-months=14;msg-param-sub-plan=1000") + trailer + QStringLiteral(" :") +
            words;
    }
    case 2: {
        const Chatter& recipient = cast_.at(random_.bounded(cast_.size()));
        return userNoticeTags(chatter, QStringLiteral("subgift"),
                   name + QStringLiteral(" gifted a Tier 1 sub to ") + recipient.displayName + u'!', {}) +
            QStringLiteral(";msg-param-recipient-display-name=") + escaped(recipient.displayName) + trailer;
    }
    case 3:
        return userNoticeTags(chatter, QStringLiteral("submysterygift"),
                   name + QStringLiteral(" is gifting 5 Tier 1 Subs to the community!"), {}) +
            QStringLiteral(";msg-param-mass-gift-count=5") + trailer;
    case 4:
        return userNoticeTags(chatter, QStringLiteral("raid"),
                   QStringLiteral("42 raiders from ") + name + QStringLiteral(" have joined!"), {}) +
            QStringLiteral(";msg-param-viewerCount=42") + trailer;
    default: {
        const QString words = messageText({}, emotesTag);
        return userNoticeTags(chatter, QStringLiteral("announcement"), {}, emotesTag) +
            QStringLiteral(";msg-param-color=PRIMARY") + trailer + QStringLiteral(" :") + words;
    }
    }
}

// A moderator deletes one of the recent messages.
QString SimChatTraffic::deletion()
{
    const Chatter& chatter = cast_.at(random_.bounded(cast_.size()));
    const QString target = recentIDs_.isEmpty() ? newID() : recentIDs_.at(random_.bounded(recentIDs_.size()));
    return QStringLiteral("@login=%1;room-id=;target-msg-id=%2;tmi-sent-ts=%3 :tmi.twitch.tv CLEARMSG #%4 :%5")
        .arg(chatter.login, target, sentTimestamp(), channel_, QString::fromUtf8(phrases.at(0)));
}

QString SimChatTraffic::timeoutOrBan()
{
    const Chatter& chatter = cast_.at(random_.bounded(cast_.size()));
    const QString duration = random_.bounded(4u) == 0 ? QString() : QStringLiteral("ban-duration=600;");
    return QStringLiteral("@%1room-id=%2;target-user-id=%3;tmi-sent-ts=%4 :tmi.twitch.tv CLEARCHAT #%5 :%6")
        .arg(duration, roomID_, chatter.userID, sentTimestamp(), channel_, chatter.login);
}

QString SimChatTraffic::chatCleared()
{
    return QStringLiteral("@room-id=%1;tmi-sent-ts=%2 :tmi.twitch.tv CLEARCHAT #%3")
        .arg(roomID_, sentTimestamp(), channel_);
}

} // namespace parley::sim
