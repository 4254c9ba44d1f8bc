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
        return QStringLiteral("This copy of Parley does not check for updates.");
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
        return QStringLiteral("Get newer versions of Parley the same way you got this one.");
    }
    return {};
}

} // namespace parley
