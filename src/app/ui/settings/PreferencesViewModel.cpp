#include "app/ui/settings/PreferencesViewModel.h"

#include <QLocale>

#include <cmath>

namespace parley {

PreferencesViewModel::PreferencesViewModel(
    ThemeOptions themeOptions, SetThemeOptions onSetThemeOptions, QObject* parent)
    : QObject(parent), themeOptions_(std::move(themeOptions)), onSetThemeOptions_(std::move(onSetThemeOptions))
{ }

int PreferencesViewModel::spacingChoice() const
{
    switch (themeOptions_.spacing.kind()) {
    case ThemeSpacing::Case::minimum:
        return minimumSpacing;
    case ThemeSpacing::Case::medium:
        return mediumSpacing;
    case ThemeSpacing::Case::large:
        return largeSpacing;
    case ThemeSpacing::Case::custom:
        return customSpacing;
    }
    return minimumSpacing;
}

void PreferencesViewModel::setUserFontSize(const QString& text)
{
    const std::optional<double> size = parse(text);
    if (!size || *size <= 0 || *size > maxFontSize)
        return refuse();
    edit([size](ThemeOptions& options) { options.userFont.size = *size; });
}

void PreferencesViewModel::setUserFontBold(bool isBold)
{
    edit([isBold](ThemeOptions& options) { options.userFont.isBold = isBold; });
}

void PreferencesViewModel::setMessageFontSize(const QString& text)
{
    const std::optional<double> size = parse(text);
    if (!size || *size <= 0 || *size > maxFontSize)
        return refuse();
    edit([size](ThemeOptions& options) { options.messageFont.size = *size; });
}

void PreferencesViewModel::setMessageFontBold(bool isBold)
{
    edit([isBold](ThemeOptions& options) { options.messageFont.isBold = isBold; });
}

void PreferencesViewModel::selectSpacing(int choice)
{
    if (choice == spacingChoice())
        return;
    switch (choice) {
    case minimumSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::minimum(); });
    case mediumSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::medium(); });
    case largeSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::large(); });
    case customSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::custom(options.spacing.points()); });
    default:
        return refuse();
    }
}

void PreferencesViewModel::setCustomSpacing(const QString& text)
{
    const std::optional<double> points = parse(text);
    if (spacingChoice() != customSpacing || !points || *points < 0 || *points > maxSpacing)
        return refuse();
    edit([points](ThemeOptions& options) { options.spacing = ThemeSpacing::custom(*points); });
}

void PreferencesViewModel::setShowMessageTimestamp(bool show)
{
    edit([show](ThemeOptions& options) { options.showMessageTimestamp = show; });
}

QString PreferencesViewModel::format(double value)
{
    return QLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

std::optional<double> PreferencesViewModel::parse(const QString& text)
{
    bool ok = false;
    double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        value = QLocale::c().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

void PreferencesViewModel::edit(const std::function<void(ThemeOptions&)>& change)
{
    ThemeOptions changed = themeOptions_;
    change(changed);
    if (changed == themeOptions_)
        return;
    themeOptions_ = std::move(changed);
    emit themeOptionsChanged();
    onSetThemeOptions_(themeOptions_);
}

void PreferencesViewModel::refuse()
{
    emit themeOptionsChanged();
}

} // namespace parley
