#pragma once

#include "app/shell/install/AppMoverPlatform.h"

namespace parley {

// Makes sure a downloaded copy of Parley runs from an Applications folder:
// the move check, run once when launching is about to finish, offers to copy
// the bundle into the preferred Applications folder, removes the original and
// relaunches from the new place.
class AppMover {
public:
    enum class Outcome {
        // Launching goes on from where the program is.
        continueLaunching,
        // The application is ending (relaunched from the copy, or a failed
        // privileged copy): open no windows.
        quitting,
    };

    explicit AppMover(AppMoverPlatform& platform);

    Outcome moveCheck();

private:
    bool isDownloadedCopy(const QString& bundle) const;
    bool isInApplicationsFolder(const QString& bundle) const;
    QString installFolder() const;
    bool needsAuthorization(const QString& folder, const QString& destination) const;
    bool isRunning(const QString& bundle) const;
    bool isBundle(const QString& path) const;
    Outcome moveWithAuthorization(const QString& source, const QString& destination);
    Outcome moveWithoutAuthorization(const QString& source, const QString& destination);
    Outcome finishMove(const QString& source, const QString& destination);
    Outcome quit();

    AppMoverPlatform& platform_;
};

} // namespace parley
