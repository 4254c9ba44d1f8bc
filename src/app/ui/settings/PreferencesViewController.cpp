#include "app/ui/settings/PreferencesViewController.h"

#include "app/account/ThemeSettings.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/ChatQmlModule.h"
#include "app/ui/chat/MessageListModel.h"
#include "app/ui/settings/PreviewMessages.h"

#include <QQmlEngine>

// The window's QML lives in this static library's resources.
static void initSettingsResources()
{
    Q_INIT_RESOURCE(settings);
}

namespace parley {

void PreferencesViewController::registerTypes()
{
    static const bool registered = [] {
        initSettingsResources();
        ChatQmlModule::registerTypes();
        qmlRegisterUncreatableType<PreferencesViewModel>(
            "Parley.Settings", 1, 0, "PreferencesViewModel", QStringLiteral("made in C++"));
        return true;
    }();
    Q_UNUSED(registered);
}

PreferencesViewController::PreferencesViewController(
    ThemeSettings& themeSettings, QObject* overlayPreferences, QWidget* parent)
    : QmlScreen(parent)
    , themeModifier_(new ThemeModifier(this))
    , viewModel_(new PreferencesViewModel(themeSettings.themeOptions(),
          [settings = QPointer(&themeSettings)](const ThemeOptions& options) {
              if (settings)
                  settings->setThemeOptions(options);
          },
          this))
    , previewModel_(new MessageListModel(previewMessages(), this))
{
    registerTypes();
    themeModifier_->follow(&themeSettings, &ThemeSettings::theme, &ThemeSettings::themeChanged);
    load(QUrl(QStringLiteral("qrc:/parley/settings/PreferencesView.qml")),
        {
            { QStringLiteral("viewModel"), QVariant::fromValue(viewModel_) },
            { QStringLiteral("themeModifier"), QVariant::fromValue(themeModifier_) },
            { QStringLiteral("previewModel"), QVariant::fromValue(previewModel_) },
            { QStringLiteral("overlayPreferences"), QVariant::fromValue(overlayPreferences) },
        });
    // A child after the QML's widget, so it outlives the QML that binds to it.
    if (overlayPreferences)
        overlayPreferences->setParent(this);
    setFixedSize(contentSize);
    setAccessibleName(QStringLiteral("Settings"));
}

} // namespace parley
