#pragma once

#include "platform/Error.h"
#include "platform/RawValue.h"
#include "twitch/chat/TwitchChatIRCCommand.h"

#include <QString>
#include <QStringView>

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <utility>

namespace parley {

// One received chat line: its recognised tags, its source, its command and
// the unsplit text after the command. Parsing keeps no state between lines.
//
// The message shares the line it was parsed from (QString's implicit sharing)
// and every text it hands out is a view into that line, so parsing copies no
// text at all. A view stays valid while this message or a copy of it lives.
class TwitchChatIRCMessage {
public:
    // The tag keys the parser keeps; any other key is logged and dropped.
    enum class Tag : std::uint8_t {
        roomID,
        userID,
        userType,
        targetUserID,
        tmiSentTS,
        badgeInfo,
        badges,
        bits,
        color,
        clientNonce,
        displayName,
        emotes,
        emoteSets,
        firstMessage,
        flags,
        id,
        mod,
        subscriber,
        subscribersOnly,
        followersOnly,
        emoteOnly,
        slow,
        r9k,
        turbo,
        vip,
        returningChatter,
        replyParentMessageID,
        replyParentUserID,
        replyParentUserLogin,
        replyParentDisplayName,
        replyParentMessageBody,
        replyThreadParentMessageID,
        replyThreadParentUserLogin,
        // The live service's spellings of the reply keys; the ones above
        // stay as aliases (the live key wins when both are present).
        replyParentMsgID,
        replyParentMsgBody,
        replyThreadParentMsgID,
        replyThreadParentUserID,
        replyThreadParentDisplayName,
        // Moderation and channel events (CLEARMSG, CLEARCHAT, USERNOTICE).
        targetMessageID,
        banDuration,
        login,
        msgID,
        systemMessage,
    };
    static constexpr int tagCount = 43;

    // A dictionary from Tag to its raw value, stored flat: one slot per tag
    // and a bit telling which slots are present (an empty value is present).
    class Tags {
    public:
        bool contains(Tag tag) const { return present_ & bit(tag); }
        std::optional<QStringView> value(Tag tag) const
        {
            if (!contains(tag))
                return std::nullopt;
            return values_[static_cast<std::size_t>(tag)];
        }
        // The value, or an empty view when the tag is absent.
        QStringView operator[](Tag tag) const { return values_[static_cast<std::size_t>(tag)]; }
        bool isEmpty() const { return present_ == 0; }
        int size() const { return std::popcount(present_); }

        // Calls f(tag, value) for every present tag, in the order of Tag.
        template <typename F>
        void forEach(F&& f) const
        {
            for (int i = 0; i < tagCount; ++i)
                if (present_ & (std::uint64_t(1) << i))
                    f(static_cast<Tag>(i), values_[i]);
        }

        // Absent slots are always empty, so comparing slot by slot is
        // dictionary equality.
        bool operator==(const Tags&) const = default;

    private:
        friend class TwitchChatIRCMessage;
        static std::uint64_t bit(Tag tag) { return std::uint64_t(1) << static_cast<int>(tag); }
        void insert(Tag tag, QStringView value)
        {
            values_[static_cast<std::size_t>(tag)] = value;
            present_ |= bit(tag);
        }

        std::array<QStringView, tagCount> values_ {};
        std::uint64_t present_ = 0;
    };

    // The line's prefix. A user prefix (nick!user@host) gives the nick and
    // "user@host"; a server name gives an empty nick and the name as host.
    struct Source {
        QStringView nick;
        QStringView host;
        bool operator==(const Source&) const = default;
    };

    enum class ParseError : std::uint8_t { invalidMessage };

    // The exception a failed parse throws; its description is the error's
    // standard description.
    class ParseFailure : public Error {
    public:
        explicit ParseFailure(ParseError error);
        ParseError error() const noexcept { return error_; }

    private:
        ParseError error_;
    };

    // Parses one line (without its CR LF), throwing ParseFailure when it is
    // not a valid line. Unknown tag keys are written to Diagnostics as
    // "TwitchChat.IRCMessage.unknownTag: <key>". A line made with
    // QString::fromRawData must outlive the message.
    static TwitchChatIRCMessage parse(const QString& line);
    // The same without throwing: nothing for an invalid line.
    static std::optional<TwitchChatIRCMessage> tryParse(const QString& line);

    const Tags& tags() const { return tags_; }
    const Source& source() const { return source_; }
    TwitchChatIRCCommand command() const { return command_; }
    // Everything after the command and the one space that follows it.
    QStringView parameters() const { return parameters_; }

    // Equality over tags, source, command and parameters.
    bool operator==(const TwitchChatIRCMessage& other) const;

private:
    TwitchChatIRCMessage() = default;
    bool parseLine(QStringView line);
    void parseTags(QStringView text);

    QString line_;
    Tags tags_;
    Source source_;
    TwitchChatIRCCommand command_ = TwitchChatIRCCommand::numeric;
    QStringView parameters_;
};

// The wire keys of the tags, in the order of Tag. The parser looks keys up
// through `find`, a perfect hash over this table.
template <>
struct RawValues<TwitchChatIRCMessage::Tag> {
    using Tag = TwitchChatIRCMessage::Tag;
    static constexpr std::array<std::pair<Tag, QStringView>, TwitchChatIRCMessage::tagCount> table { {
        { Tag::roomID, u"room-id" },
        { Tag::userID, u"user-id" },
        { Tag::userType, u"user-type" },
        { Tag::targetUserID, u"target-user-id" },
        { Tag::tmiSentTS, u"tmi-sent-ts" },
        { Tag::badgeInfo, u"badge-info" },
        { Tag::badges, u"badges" },
        { Tag::bits, u"bits" },
        { Tag::color, u"color" },
        { Tag::clientNonce, u"client-nonce" },
        { Tag::displayName, u"display-name" },
        { Tag::emotes, u"emotes" },
        { Tag::emoteSets, u"emote-sets" },
        { Tag::firstMessage, u"first-msg" },
        { Tag::flags, u"flags" },
        { Tag::id, u"id" },
        { Tag::mod, u"mod" },
        { Tag::subscriber, u"subscriber" },
        { Tag::subscribersOnly, u"subs-only" },
        { Tag::followersOnly, u"followers-only" },
        { Tag::emoteOnly, u"emote-only" },
        { Tag::slow, u"slow" },
        { Tag::r9k, u"r9k" },
        { Tag::turbo, u"turbo" },
        { Tag::vip, u"vip" },
        { Tag::returningChatter, u"returning-chatter" },
        { Tag::replyParentMessageID, u"reply-parent-message-id" },
        { Tag::replyParentUserID, u"reply-parent-user-id" },
        { Tag::replyParentUserLogin, u"reply-parent-user-login" },
        { Tag::replyParentDisplayName, u"reply-parent-display-name" },
        { Tag::replyParentMessageBody, u"reply-parent-message-body" },
        { Tag::replyThreadParentMessageID, u"reply-thread-parent-message-id" },
        { Tag::replyThreadParentUserLogin, u"reply-thread-parent-user-login" },
        { Tag::replyParentMsgID, u"reply-parent-msg-id" },
        { Tag::replyParentMsgBody, u"reply-parent-msg-body" },
        { Tag::replyThreadParentMsgID, u"reply-thread-parent-msg-id" },
        { Tag::replyThreadParentUserID, u"reply-thread-parent-user-id" },
        { Tag::replyThreadParentDisplayName, u"reply-thread-parent-display-name" },
        { Tag::targetMessageID, u"target-msg-id" },
        { Tag::banDuration, u"ban-duration" },
        { Tag::login, u"login" },
        { Tag::msgID, u"msg-id" },
        { Tag::systemMessage, u"system-msg" },
    } };
    static std::optional<Tag> find(QStringView key);
};

} // namespace parley
