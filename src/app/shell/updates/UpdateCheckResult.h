#pragma once

#include "app/shell/updates/UpdateFeed.h"

#include <QMetaType>
#include <QString>

#include <optional>

namespace parley {

// How an update check ended, and what the user is told about it.
struct UpdateCheckResult {
    enum class Outcome { upToDate, updateAvailable, failed, notConfigured };

    Outcome outcome = Outcome::upToDate;
    QString currentVersion;
    // The newest release, when one is newer than the running version.
    std::optional<UpdateFeed::Release> release;
    // Why a check failed.
    QString error;

    QString message() const;
    QString details() const;
    // A check the user did not ask for speaks only of a new version.
    bool isShown(bool userInitiated) const { return userInitiated || outcome == Outcome::updateAvailable; }
};

} // namespace parley

Q_DECLARE_METATYPE(parley::UpdateCheckResult)
