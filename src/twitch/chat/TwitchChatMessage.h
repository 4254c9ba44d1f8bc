#pragma once

#include "twitch/chat/TwitchChatSystemMessage.h"
#include "twitch/chat/TwitchChatTextMessage.h"

#include <QHashFunctions>
#include <QString>

#include <cstdint>
#include <variant>

namespace parley {

// An entry of the chat's message list: a chatter's text message or a system
// line. Views ask for the kind they draw.
class TwitchChatMessage {
public:
    enum class Kind : std::uint8_t { text, system };

    TwitchChatMessage() = default;
    TwitchChatMessage(TwitchChatTextMessage text) : value_(std::move(text)) { }
    TwitchChatMessage(TwitchChatSystemMessage system) : value_(std::move(system)) { }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    // The carried message of that kind, or nullptr for another kind.
    const TwitchChatTextMessage* text() const { return std::get_if<TwitchChatTextMessage>(&value_); }
    TwitchChatTextMessage* text() { return std::get_if<TwitchChatTextMessage>(&value_); }
    const TwitchChatSystemMessage* system() const { return std::get_if<TwitchChatSystemMessage>(&value_); }

    // The identity in lists: the carried message's id (empty for system lines
    // without one).
    const QString& id() const
    {
        return std::visit([](const auto& message) -> const QString& { return message.id; }, value_);
    }

    bool operator==(const TwitchChatMessage&) const = default;

    friend size_t qHash(const TwitchChatMessage& message, size_t seed = 0) noexcept
    {
        return std::visit([seed](const auto& carried) { return qHash(carried, seed); }, message.value_);
    }

private:
    std::variant<TwitchChatTextMessage, TwitchChatSystemMessage> value_;
};

} // namespace parley
