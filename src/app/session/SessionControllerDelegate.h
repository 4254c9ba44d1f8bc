#pragma once

namespace parley {

// The owner of a session (the application controller). The session keeps a
// non-owning pointer to it and calls nothing on it yet; it names the owner so
// that session events can reach it later without the session knowing its type.
class SessionControllerDelegate {
public:
    virtual ~SessionControllerDelegate() = default;

protected:
    SessionControllerDelegate() = default;
    SessionControllerDelegate(const SessionControllerDelegate&) = default;
    SessionControllerDelegate& operator=(const SessionControllerDelegate&) = default;
};

} // namespace parley
