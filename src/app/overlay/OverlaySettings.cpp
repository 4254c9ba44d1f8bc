#include "app/overlay/OverlaySettings.h"

namespace parley {

OverlaySettings::OverlaySettings(std::shared_ptr<QSettings> userDefaults, QObject* parent)
    : QObject(parent), userDefaults_(std::move(userDefaults)), options_(loadOverlayOptions(*userDefaults_))
{ }

void OverlaySettings::setOptions(const OverlayOptions& options)
{
    if (options == options_)
        return;
    options_ = options;
    storeOverlayOptions(*userDefaults_, options_);
    emit optionsChanged();
}

void OverlaySettings::setServed(const QString& address, const QString& problem)
{
    if (address == servedAddress_ && problem == problem_)
        return;
    servedAddress_ = address;
    problem_ = problem;
    emit servedChanged();
}

} // namespace parley
