#pragma once

#include "twitch/chat/TwitchChatTextMessage.h"

#include <QHashFunctions>
#include <QString>

#include <variant>

namespace parley {

// An entry of the chat's message list. Text messages are the only kind so
// far; views ask for the kind they draw.
class TwitchChatMessage {
public:
    TwitchChatMessage() = default;
    TwitchChatMessage(TwitchChatTextMessage text) : value_(std::move(text)) { }

    // The carried text message, or nullptr for another kind.
    const TwitchChatTextMessage* text() const { return std::get_if<TwitchChatTextMessage>(&value_); }

    // The identity in lists: the carried message's id.
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
    std::variant<TwitchChatTextMessage> value_;
};

} // namespace parley
