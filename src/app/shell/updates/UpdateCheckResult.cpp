#include "app/shell/updates/UpdateCheckResult.h"

namespace parley {

QString UpdateCheckResult::message() const
{
    switch (outcome) {
    case Outcome::upToDate:
        return QStringLiteral("You're up to date.");
    case Outcome::updateAvailable:
        return QStringLiteral("A new version of Parley is available.");
    case Outcome::failed:
        return QStringLiteral("Parley could not check for updates.");
    case Outcome::notConfigured:
        return QStringLiteral("This copy of Parley has no update feed.");
    }
    return {};
}

QString UpdateCheckResult::details() const
{
    switch (outcome) {
    case Outcome::upToDate:
        return QStringLiteral("Parley %1 is the newest version available.").arg(currentVersion);
    case Outcome::updateAvailable:
        return QStringLiteral("Parley %1 is available; you have %2.").arg(release->version, currentVersion);
    case Outcome::failed:
        return error;
    case Outcome::notConfigured:
        return QStringLiteral("Updates are checked only when the bundle's Info.json names an UPDATE_FEED_URL.");
    }
    return {};
}

} // namespace parley
