#pragma once

#include "platform/Error.h"

#include <QMetaType>

#include <cstdint>
#include <exception>
#include <optional>

namespace parley {

// Where the chat client's connection stands, as a window shows it.
struct TwitchChatConnectionState {
    enum class Phase : std::uint8_t {
        disconnected, // never connected, or the run was cancelled
        connecting, // the run's first connection is being opened
        connected, // welcomed by the service
        reconnecting, // the connection failed or was lost; waiting for or making a new try
        failed, // the run ended with `error`
    };

    Phase phase = Phase::disconnected;
    // What ended the last connection (reconnecting) or the run (failed).
    std::exception_ptr error;
    // While reconnecting: whole seconds (at least 1) until the next try;
    // absent while a try is under way.
    std::optional<int> secondsUntilRetry;

    // The error's description; empty without one.
    QString errorDescription() const { return error ? describe(error) : QString(); }

    bool operator==(const TwitchChatConnectionState&) const = default;
};

} // namespace parley

Q_DECLARE_METATYPE(parley::TwitchChatConnectionState)
