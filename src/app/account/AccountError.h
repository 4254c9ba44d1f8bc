#pragma once

#include "platform/Error.h"
#include "platform/PresentableError.h"

#include <QtGlobal>

namespace parley {

// A failure of the account layer that the user is told about: a sign-in
// declined or made for another application, or a keyring that would not take or give up the
// stored sign-in. The description names the case; the user message says what
// happened and, for the keyring, the keyring's own reason.
class AccountError : public Error, public PresentableError {
public:
    static AccountError notMadeForParley();
    // The user declined on the authorisation page.
    static AccountError signInCancelled();
    // The redirect ended the sign-in without a token, for another reason.
    static AccountError signInNotCompleted();
    static AccountError keyringSaveFailed(qint32 status);
    static AccountError keyringRemoveFailed(qint32 status);

    QString userMessage() const override { return userMessage_; }

private:
    AccountError(QString description, QString userMessage)
        : Error(std::move(description)), userMessage_(std::move(userMessage))
    { }

    QString userMessage_;
};

// A redirect that does not finish the pending sign-in, and is therefore not
// looked at. Never shown to the user; the description says why.
class IgnoredRedirectError : public Error {
public:
    using Error::Error;
};

} // namespace parley
