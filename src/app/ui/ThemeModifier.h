#pragma once

#include "app/theme/Theme.h"
#include "platform/Observe.h"

#include <QObject>
#include <QPointer>
#include <QQmlContext>

namespace parley {

// Puts the current Theme into a view tree's environment: the QML content of a
// context finds it under ThemeKey ("theme") and is restyled on every new
// value. Starts with the default theme; follow() feeds it from a published
// theme (the application controller's).
class ThemeModifier : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::Theme theme READ theme NOTIFY themeChanged)

public:
    static constexpr const char* ThemeKey = "theme";

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

    // Publishes the theme under ThemeKey in `context` and keeps it current.
    void wrap(QQmlContext* context);

signals:
    void themeChanged();

private:
    Theme theme_;
    QList<QPointer<QQmlContext>> contexts_;
};

} // namespace parley
