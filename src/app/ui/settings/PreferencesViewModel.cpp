#include "app/ui/settings/PreferencesViewModel.h"

#include "app/theme/Theme.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <span>
#include <cmath>

namespace parley {

namespace {

// A checkbox of the Settings pane and the option it turns on and off.
struct OptionSwitch {
    const char* title;
    bool ThemeOptions::*option;
};

constexpr std::array<OptionSwitch, 4> chatSwitchTable { {
    { "Show badges", &ThemeOptions::showBadges },
    { "Highlight mentions and replies", &ThemeOptions::highlightMentions },
    { "Highlight first-time chatters", &ThemeOptions::highlightFirstMessages },
    { "Notify me of mentions when Parley is in the background", &ThemeOptions::notifyMentions },
} };

constexpr std::array<OptionSwitch, 4> emoteSwitchTable { {
    { "Animate emotes", &ThemeOptions::animateEmotes },
    { "Show 7TV emotes", &ThemeOptions::showSevenTVEmotes },
    { "Show BetterTTV emotes", &ThemeOptions::showBetterTTVEmotes },
    { "Show FrankerFaceZ emotes", &ThemeOptions::showFrankerFaceZEmotes },
} };

QString sizeRangeMessage()
{
    return QStringLiteral("Enter a size from %1 to %2 points.")
        .arg(PreferencesViewModel::format(PreferencesViewModel::minFontSize),
            PreferencesViewModel::format(PreferencesViewModel::maxFontSize));
}

QString spacingRangeMessage()
{
    return QStringLiteral("Enter a spacing from %1 to %2 points.")
        .arg(PreferencesViewModel::format(PreferencesViewModel::minSpacing),
            PreferencesViewModel::format(PreferencesViewModel::maxSpacing));
}

// The field hands over its text again when it loses focus, unedited: that is
// no edit, and a refusal's line stays.
bool isShownAlready(const QString& text, const QString& shown)
{
    return text.trimmed() == shown;
}

} // namespace

PreferencesViewModel::PreferencesViewModel(
    ThemeOptions themeOptions, SetThemeOptions onSetThemeOptions, QObject* parent)
    : QObject(parent), themeOptions_(std::move(themeOptions)), onSetThemeOptions_(std::move(onSetThemeOptions))
{ }

int PreferencesViewModel::spacingChoice() const
{
    switch (themeOptions_.spacing.kind()) {
    case ThemeSpacing::Case::minimum:
        return MinimumSpacing;
    case ThemeSpacing::Case::medium:
        return MediumSpacing;
    case ThemeSpacing::Case::large:
        return LargeSpacing;
    case ThemeSpacing::Case::custom:
        return CustomSpacing;
    }
    return MinimumSpacing;
}

QString PreferencesViewModel::defaultFontSizeText() const
{
    return QStringLiteral("Default system font size is %1")
        .arg(QString::number(defaultTheme().messageFont.pointSizeF(), 'f', 1));
}

QString PreferencesViewModel::spacingTitle(int choice)
{
    switch (choice) {
    case MinimumSpacing:
        return QStringLiteral("Minimum");
    case MediumSpacing:
        return QStringLiteral("Medium");
    case LargeSpacing:
        return QStringLiteral("Large");
    case CustomSpacing:
        return QStringLiteral("Custom");
    default:
        return {};
    }
}

QString PreferencesViewModel::spacingName(int choice)
{
    return QStringLiteral("Spacing ") + spacingTitle(choice);
}

void PreferencesViewModel::setUserFontSize(const QString& text)
{
    if (isShownAlready(text, userFontSizeText()))
        return;
    const std::optional<double> size = parseWithin(text, minFontSize, maxFontSize);
    setFieldError(userFontSizeError_, size ? QString() : sizeRangeMessage());
    if (!size)
        return refuse();
    edit([size](ThemeOptions& options) { options.userFont.size = *size; });
}

void PreferencesViewModel::setUserFontBold(bool isBold)
{
    edit([isBold](ThemeOptions& options) { options.userFont.isBold = isBold; });
}

void PreferencesViewModel::setMessageFontSize(const QString& text)
{
    if (isShownAlready(text, messageFontSizeText()))
        return;
    const std::optional<double> size = parseWithin(text, minFontSize, maxFontSize);
    setFieldError(messageFontSizeError_, size ? QString() : sizeRangeMessage());
    if (!size)
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
    // The field shows the new choice's points: what was refused there is past.
    if (choice >= MinimumSpacing && choice <= CustomSpacing)
        setFieldError(customSpacingError_, {});
    switch (choice) {
    case MinimumSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::minimum(); });
    case MediumSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::medium(); });
    case LargeSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::large(); });
    case CustomSpacing:
        return edit([](ThemeOptions& options) { options.spacing = ThemeSpacing::custom(options.spacing.points()); });
    default:
        return refuse();
    }
}

void PreferencesViewModel::setCustomSpacing(const QString& text)
{
    if (isShownAlready(text, customSpacingText()))
        return;
    if (spacingChoice() != CustomSpacing) {
        setFieldError(customSpacingError_, {});
        return refuse();
    }
    const std::optional<double> points = parseWithin(text, minSpacing, maxSpacing);
    setFieldError(customSpacingError_, points ? QString() : spacingRangeMessage());
    if (!points)
        return refuse();
    edit([points](ThemeOptions& options) { options.spacing = ThemeSpacing::custom(*points); });
}

void PreferencesViewModel::setShowMessageTimestamp(bool show)
{
    edit([show](ThemeOptions& options) { options.showMessageTimestamp = show; });
}

void PreferencesViewModel::setLoadRecentMessages(bool load)
{
    edit([load](ThemeOptions& options) { options.loadRecentMessages = load; });
}

int PreferencesViewModel::overlayOpacityPercent() const
{
    return int(std::lround(themeOptions_.overlayOpacity * 100));
}

void PreferencesViewModel::setOverlayOpacityPercent(int percent)
{
    edit([percent](ThemeOptions& options) { options.overlayOpacity = std::clamp(percent, 0, 100) / 100.0; });
}

namespace {

QStringList titlesOf(std::span<const OptionSwitch> switches)
{
    QStringList titles;
    for (const OptionSwitch& optionSwitch : switches)
        titles.append(QString::fromLatin1(optionSwitch.title));
    return titles;
}

QVariantList statesOf(std::span<const OptionSwitch> switches, const ThemeOptions& options)
{
    QVariantList states;
    for (const OptionSwitch& optionSwitch : switches)
        states.append(options.*optionSwitch.option);
    return states;
}

// The option of switch `index`; null for no such switch.
bool ThemeOptions::*optionAt(std::span<const OptionSwitch> switches, int index)
{
    return index >= 0 && index < int(switches.size()) ? switches[index].option : nullptr;
}

} // namespace

QStringList PreferencesViewModel::chatSwitchTitles()
{
    return titlesOf(chatSwitchTable);
}

QVariantList PreferencesViewModel::chatSwitches() const
{
    return statesOf(chatSwitchTable, themeOptions_);
}

void PreferencesViewModel::setChatSwitch(int index, bool on)
{
    setSwitch(optionAt(chatSwitchTable, index), on);
}

QStringList PreferencesViewModel::emoteSwitchTitles()
{
    return titlesOf(emoteSwitchTable);
}

QVariantList PreferencesViewModel::emoteSwitches() const
{
    return statesOf(emoteSwitchTable, themeOptions_);
}

void PreferencesViewModel::setEmoteSwitch(int index, bool on)
{
    setSwitch(optionAt(emoteSwitchTable, index), on);
}

void PreferencesViewModel::setSwitch(bool ThemeOptions::*option, bool on)
{
    if (option)
        edit([option, on](ThemeOptions& options) { options.*option = on; });
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

std::optional<double> PreferencesViewModel::parseWithin(const QString& text, double minimum, double maximum)
{
    const std::optional<double> value = parse(text);
    if (!value || *value < minimum || *value > maximum)
        return std::nullopt;
    return *value + 0.0; // -0 is 0
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

void PreferencesViewModel::setFieldError(QString& error, const QString& text)
{
    if (error == text)
        return;
    error = text;
    emit fieldErrorsChanged();
}

} // namespace parley
