#pragma once

#include <QString>

#include <exception>

namespace parley {

// The one way errors become text for the user: a PresentableError shows its
// own message, every other error a generic one.
class ErrorPresenter {
public:
    virtual ~ErrorPresenter() = default;

    virtual void presentError(std::exception_ptr error);
    virtual void presentErrorMessage(const QString& message) = 0;

    // The message presentError shows for `error`.
    static QString userMessage(const std::exception_ptr& error);
    // The chat window's lines about a send that failed and a connection lost.
    static QString sendFailedMessage(const std::exception_ptr& error);
    static QString disconnectedMessage(const std::exception_ptr& error);
};

} // namespace parley
