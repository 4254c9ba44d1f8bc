#include "app/account/ThemeSettings.h"

namespace parley {

ThemeSettings::ThemeSettings(std::shared_ptr<QSettings> userDefaults, QObject* parent)
    : QObject(parent), userDefaults_(std::move(userDefaults)), theme_(makeTheme(loadThemeOptions(*userDefaults_)))
{ }

ThemeOptions ThemeSettings::themeOptions() const
{
    return loadThemeOptions(*userDefaults_);
}

void ThemeSettings::setThemeOptions(const ThemeOptions& options)
{
    theme_ = makeTheme(options);
    emit themeChanged();
    storeThemeOptions(*userDefaults_, options);
}

} // namespace parley
