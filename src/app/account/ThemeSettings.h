#pragma once

#include "app/theme/Theme.h"
#include "app/theme/ThemeOptions.h"

#include <QObject>
#include <QSettings>

#include <memory>

namespace parley {

// The theme options kept in the user defaults and the theme they make, the
// one every window is styled by. Main thread only.
class ThemeSettings : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::Theme theme READ theme NOTIFY themeChanged)

public:
    // Publishes the theme of the options stored in `userDefaults`.
    explicit ThemeSettings(std::shared_ptr<QSettings> userDefaults, QObject* parent = nullptr);

    const Theme& theme() const { return theme_; }
    // The stored options, the defaults when none are stored.
    ThemeOptions themeOptions() const;
    // Publishes the theme built from `options`, then stores them.
    void setThemeOptions(const ThemeOptions& options);

signals:
    void themeChanged();

private:
    const std::shared_ptr<QSettings> userDefaults_;
    Theme theme_;
};

} // namespace parley
