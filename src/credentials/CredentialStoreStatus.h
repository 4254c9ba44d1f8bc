#pragma once

#include <QString>

// The status codes a credential-store operation leaves in lastResultCode. They
// keep the numbers callers of such stores traditionally check.
namespace parley::CredentialStoreStatus {

inline constexpr qint32 success = 0;
inline constexpr qint32 itemNotFound = -25300;
inline constexpr qint32 notAvailable = -25291;
// The keyring is locked and unlocking it would need a prompt.
inline constexpr qint32 interactionNotAllowed = -25308;
inline constexpr qint32 invalidEncoding = -67853;

// What a status means, in words a user can act on.
inline QString description(qint32 status)
{
    switch (status) {
    case success:
        return QStringLiteral("No error.");
    case itemNotFound:
        return QStringLiteral("The item could not be found in the keyring.");
    case notAvailable:
        return QStringLiteral("No keyring is available.");
    case interactionNotAllowed:
        return QStringLiteral("The keyring is locked.");
    case invalidEncoding:
        return QStringLiteral("The stored value is not valid text.");
    }
    return QStringLiteral("The keyring failed (status %1).").arg(status);
}

} // namespace parley::CredentialStoreStatus
