#pragma once

#include "app/account/BundleConfig.h"
#include "credentials/CredentialStore.h"

#include <QSettings>

#include <memory>

namespace parley {

// Where a Linux user expects Parley's state, under the bundle identifier: the
// credential items in the Secret Service (named "Parley access token" in the
// keyring), the per-user settings in the XDG config directory
// ($XDG_CONFIG_HOME/<identifier>.conf).
inline std::shared_ptr<CredentialStore> makeCredentialStore(const BundleConfig& config)
{
    return std::make_shared<CredentialStore>(config.credentialKeyPrefix(),
        SecretServiceItems(config.bundleIdentifier, QStringLiteral("Parley access token")));
}

inline std::shared_ptr<QSettings> makeUserDefaults(const BundleConfig& config)
{
    return std::make_shared<QSettings>(QSettings::IniFormat, QSettings::UserScope, config.bundleIdentifier);
}

} // namespace parley
