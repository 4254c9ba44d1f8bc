#pragma once

#include "app/theme/Theme.h"
#include "platform/Observe.h"

#include <QObject>

namespace parley {

// The current Theme of a view tree: a screen's QML takes the modifier as a
// required property and binds to its `theme`, so every new value restyles
// it. Starts with the default theme; follow() feeds it from a published
// theme (the theme settings').
class ThemeModifier : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::Theme theme READ theme NOTIFY themeChanged)

public:
    explicit ThemeModifier(QObject* parent = nullptr);

    const Theme& theme() const { return theme_; }
    void setTheme(const Theme& theme);

    // Takes the source's current theme now and every later one, for as long as
    // both live.
    template <typename Source, typename Getter, typename Changed>
    void follow(Source* source, Getter getter, Changed changed)
    {
        observe(source, getter, changed, this, [this](const Theme& theme) { setTheme(theme); });
    }

signals:
    void themeChanged();

private:
    Theme theme_;
};

} // namespace parley
