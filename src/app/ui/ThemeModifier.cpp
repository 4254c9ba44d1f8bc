#include "app/ui/ThemeModifier.h"

namespace parley {

ThemeModifier::ThemeModifier(QObject* parent) : QObject(parent), theme_(defaultTheme()) { }

void ThemeModifier::setTheme(const Theme& theme)
{
    if (theme == theme_)
        return;
    theme_ = theme;
    emit themeChanged();
}

} // namespace parley
