#include "app/overlay/OverlayPreferencesViewModel.h"

#include "app/overlay/OverlaySettings.h"

#include <QClipboard>
#include <QGuiApplication>

namespace parley {
namespace {

constexpr std::chrono::seconds defaultLifetime { 30 };

// A whole number from `low` to `high` written in `text`, else nothing.
std::optional<int> wholeNumber(const QString& text, int low, int high)
{
    bool valid = false;
    const int number = text.trimmed().toInt(&valid);
    if (!valid || number < low || number > high)
        return std::nullopt;
    return number;
}

} // namespace

OverlayPreferencesViewModel::OverlayPreferencesViewModel(OverlaySettings& settings, QObject* parent)
    : QObject(parent), settings_(&settings)
{
    connect(&settings, &OverlaySettings::optionsChanged, this, &OverlayPreferencesViewModel::changed);
    connect(&settings, &OverlaySettings::servedChanged, this, &OverlayPreferencesViewModel::changed);
}

template <typename Edit>
void OverlayPreferencesViewModel::edit(Edit change)
{
    if (!settings_)
        return;
    OverlayOptions options = settings_->options();
    change(options);
    settings_->setOptions(options);
    emit changed();
}

bool OverlayPreferencesViewModel::enabled() const
{
    return settings_ && settings_->options().enabled;
}

QString OverlayPreferencesViewModel::addressText() const
{
    if (!enabled())
        return {};
    if (!settings_->servedAddress().isEmpty())
        return settings_->servedAddress();
    if (!settings_->problem().isEmpty())
        return settings_->problem();
    return QStringLiteral("Served while you are signed in.");
}

bool OverlayPreferencesViewModel::canCopyAddress() const
{
    return enabled() && !settings_->servedAddress().isEmpty();
}

QString OverlayPreferencesViewModel::portText() const
{
    return settings_ ? QString::number(settings_->options().port) : QString();
}

QString OverlayPreferencesViewModel::fontScaleText() const
{
    return settings_ ? QString::number(qRound(settings_->options().fontScale * 100)) : QString();
}

bool OverlayPreferencesViewModel::fadesMessages() const
{
    return settings_ && settings_->options().messageLifetime.count() > 0;
}

QString OverlayPreferencesViewModel::lifetimeText() const
{
    if (!settings_)
        return {};
    const std::chrono::seconds lifetime = settings_->options().messageLifetime;
    return QString::number((lifetime.count() > 0 ? lifetime : defaultLifetime).count());
}

bool OverlayPreferencesViewModel::hideBadges() const
{
    return settings_ && settings_->options().hideBadges;
}

void OverlayPreferencesViewModel::setEnabled(bool enabled)
{
    edit([&](OverlayOptions& options) { options.enabled = enabled; });
}

void OverlayPreferencesViewModel::setPort(const QString& text)
{
    const std::optional<int> port = wholeNumber(text, minPort, 65535);
    portError_ = port ? QString() : QStringLiteral("Enter a port from %1 to 65535.").arg(minPort);
    if (port)
        edit([&](OverlayOptions& options) { options.port = quint16(*port); });
    emit changed();
}

void OverlayPreferencesViewModel::setFontScale(const QString& text)
{
    const int low = qRound(OverlayOptions::minFontScale * 100);
    const int high = qRound(OverlayOptions::maxFontScale * 100);
    const std::optional<int> percent = wholeNumber(text, low, high);
    fontScaleError_ = percent ? QString() : QStringLiteral("Enter a size from %1 to %2 percent.").arg(low).arg(high);
    if (percent)
        edit([&](OverlayOptions& options) { options.fontScale = *percent / 100.0; });
    emit changed();
}

void OverlayPreferencesViewModel::setFadesMessages(bool fades)
{
    lifetimeError_.clear();
    edit([&](OverlayOptions& options) { options.messageLifetime = fades ? defaultLifetime : std::chrono::seconds(0); });
}

void OverlayPreferencesViewModel::setLifetime(const QString& text)
{
    const std::optional<int> seconds = wholeNumber(text, 1, int(OverlayOptions::maxMessageLifetime.count()));
    lifetimeError_ = seconds
        ? QString()
        : QStringLiteral("Enter from 1 to %1 seconds.").arg(OverlayOptions::maxMessageLifetime.count());
    if (seconds)
        edit([&](OverlayOptions& options) { options.messageLifetime = std::chrono::seconds(*seconds); });
    emit changed();
}

void OverlayPreferencesViewModel::setHideBadges(bool hide)
{
    edit([&](OverlayOptions& options) { options.hideBadges = hide; });
}

void OverlayPreferencesViewModel::copyAddress()
{
    if (canCopyAddress())
        QGuiApplication::clipboard()->setText(settings_->servedAddress());
}

void OverlayPreferencesViewModel::newAddress()
{
    edit([](OverlayOptions& options) { options.token = OverlayOptions::newToken(); });
}

} // namespace parley
