#include "app/ui/ThemeModifier.h"

namespace parley {

ThemeModifier::ThemeModifier(QObject* parent) : QObject(parent), theme_(defaultTheme()) { }

void ThemeModifier::setTheme(const Theme& theme)
{
    if (theme == theme_)
        return;
    theme_ = theme;
    contexts_.removeAll(nullptr);
    for (QQmlContext* context : std::as_const(contexts_))
        context->setContextProperty(QLatin1String(ThemeKey), QVariant::fromValue(theme_));
    emit themeChanged();
}

void ThemeModifier::wrap(QQmlContext* context)
{
    contexts_.append(context);
    context->setContextProperty(QLatin1String(ThemeKey), QVariant::fromValue(theme_));
}

} // namespace parley
