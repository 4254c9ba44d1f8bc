#pragma once

#include "twitch/chat/TwitchChatSystemMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QHashFunctions>
#include <QString>

#include <cstdint>
#include <memory>
#include <variant>

namespace parley {

// An entry of the chat's message list: a chatter's text message or a system
// line. Views ask for the kind they draw.
class TwitchChatMessage {
public:
    enum class Kind : std::uint8_t { text, system };

    TwitchChatMessage() = default;
    TwitchChatMessage(TwitchChatTextMessage text) : value_(std::move(text)) { }
    TwitchChatMessage(TwitchChatSystemMessage system)
        : value_(std::make_shared<const TwitchChatSystemMessage>(std::move(system)))
    { }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    // The carried message of that kind, or nullptr for another kind.
    const TwitchChatTextMessage* text() const { return std::get_if<TwitchChatTextMessage>(&value_); }
    TwitchChatTextMessage* text() { return std::get_if<TwitchChatTextMessage>(&value_); }
    const TwitchChatSystemMessage* system() const
    {
        const auto* system = std::get_if<SharedSystemMessage>(&value_);
        return system ? system->get() : nullptr;
    }

    // The identity in lists: the carried message's id (empty for system lines
    // without one).
    QString id() const
    {
        if (const TwitchChatTextMessage* carried = text())
            return carried->id();
        return system()->id;
    }

    bool operator==(const TwitchChatMessage& other) const
    {
        if (kind() != other.kind())
            return false;
        return kind() == Kind::text ? *text() == *other.text() : *system() == *other.system();
    }

    friend size_t qHash(const TwitchChatMessage& message, size_t seed = 0) noexcept
    {
        return message.kind() == Kind::text ? qHash(*message.text(), seed) : qHash(*message.system(), seed);
    }

private:
    // System lines are rare and large: behind a pointer, they do not widen
    // every entry of a long list.
    using SharedSystemMessage = std::shared_ptr<const TwitchChatSystemMessage>;
    std::variant<TwitchChatTextMessage, SharedSystemMessage> value_;
};

} // namespace parley

// Both alternatives only own heap blocks through pointers, so a list may move
// entries as bytes when it grows or drops its front.
Q_DECLARE_TYPEINFO(parley::TwitchChatMessage, Q_RELOCATABLE_TYPE);
