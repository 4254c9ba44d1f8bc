#pragma once

#include <QtGlobal>

// The status codes a credential-store operation leaves in lastResultCode. They
// keep the numbers callers of such stores traditionally check.
namespace parley::CredentialStoreStatus {

inline constexpr qint32 success = 0;
inline constexpr qint32 itemNotFound = -25300;
inline constexpr qint32 notAvailable = -25291;
// The keyring is locked and unlocking it would need a prompt.
inline constexpr qint32 interactionNotAllowed = -25308;
inline constexpr qint32 invalidEncoding = -67853;

} // namespace parley::CredentialStoreStatus
