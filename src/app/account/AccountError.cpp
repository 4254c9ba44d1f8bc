#include "app/account/AccountError.h"

#include "credentials/CredentialStoreStatus.h"

namespace parley {

AccountError AccountError::notMadeForParley()
{
    return { QStringLiteral("notMadeForParley"),
        QStringLiteral("This sign-in was not made for Parley. Please try again.") };
}

AccountError AccountError::signInCancelled()
{
    return { QStringLiteral("signInCancelled"), QStringLiteral("Sign-in was cancelled.") };
}

AccountError AccountError::signInNotCompleted()
{
    return { QStringLiteral("signInNotCompleted"), QStringLiteral("Twitch did not complete the sign-in. Please try again.") };
}

AccountError AccountError::keyringSaveFailed(qint32 status)
{
    return { QStringLiteral("keyringSaveFailed: %1").arg(status),
        QStringLiteral("Parley could not save your sign-in to the keyring, so it will not be remembered "
                       "after Parley quits: ") +
            CredentialStoreStatus::description(status) };
}

AccountError AccountError::keyringRemoveFailed(qint32 status)
{
    return { QStringLiteral("keyringRemoveFailed: %1").arg(status),
        QStringLiteral("Parley could not remove your sign-in from the keyring: ") +
            CredentialStoreStatus::description(status) };
}

} // namespace parley
