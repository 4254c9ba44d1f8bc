#pragma once

namespace parley {

// A chat user's state. It has no fields yet: the chat client's users list it
// belongs to stays empty.
struct UserState {
    bool operator==(const UserState&) const = default;
};

} // namespace parley
