#pragma once

#include <QMetaType>

#include <memory>

namespace parley {

class SessionController;

// Signed out, or signed in with the running session. The state owns the
// session: when a controller drops a state, the session goes with it (unless
// someone still holds a copy of that state).
class ApplicationState {
    Q_GADGET
    Q_PROPERTY(bool isAuthenticated READ isAuthenticated)

public:
    ApplicationState() = default;

    static ApplicationState needsAuthentication() { return {}; }
    static ApplicationState authenticated(std::shared_ptr<SessionController> session)
    {
        return ApplicationState(std::move(session));
    }

    bool isAuthenticated() const { return session_ != nullptr; }
    // The session while authenticated; null otherwise.
    SessionController* session() const { return session_.get(); }

    friend bool operator==(const ApplicationState&, const ApplicationState&) = default;

private:
    explicit ApplicationState(std::shared_ptr<SessionController> session) : session_(std::move(session)) { }

    std::shared_ptr<SessionController> session_;
};

} // namespace parley

Q_DECLARE_METATYPE(parley::ApplicationState)
