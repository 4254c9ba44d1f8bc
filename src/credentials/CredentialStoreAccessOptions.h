#pragma once

#include <QString>

namespace parley {

// When an item may be read. The secret service has no such notion; the value
// is kept with the item as its "accessible" attribute.
enum class CredentialStoreAccessOptions {
    accessibleWhenUnlocked,
    accessibleWhenUnlockedThisDeviceOnly,
    accessibleAfterFirstUnlock,
    accessibleAfterFirstUnlockThisDeviceOnly,
    accessibleWhenPasscodeSetThisDeviceOnly,
};

inline QString accessibilityValue(CredentialStoreAccessOptions option)
{
    switch (option) {
    case CredentialStoreAccessOptions::accessibleWhenUnlocked:
        return QStringLiteral("accessibleWhenUnlocked");
    case CredentialStoreAccessOptions::accessibleWhenUnlockedThisDeviceOnly:
        return QStringLiteral("accessibleWhenUnlockedThisDeviceOnly");
    case CredentialStoreAccessOptions::accessibleAfterFirstUnlock:
        return QStringLiteral("accessibleAfterFirstUnlock");
    case CredentialStoreAccessOptions::accessibleAfterFirstUnlockThisDeviceOnly:
        return QStringLiteral("accessibleAfterFirstUnlockThisDeviceOnly");
    case CredentialStoreAccessOptions::accessibleWhenPasscodeSetThisDeviceOnly:
        return QStringLiteral("accessibleWhenPasscodeSetThisDeviceOnly");
    }
    return {};
}

} // namespace parley
