#include "app/ui/settings/PreferencesViewController.h"

#include "app/account/ThemeSettings.h"
#include "app/ui/chat/ChatQmlModule.h"
#include "app/ui/chat/MessageListModel.h"
#include "app/ui/settings/PreviewMessages.h"

#include <QQmlContext>

// The window's QML lives in this static library's resources.
static void initSettingsResources()
{
    Q_INIT_RESOURCE(settings);
}

namespace parley {

PreferencesViewController::PreferencesViewController(ThemeSettings& themeSettings, QWidget* parent)
    : QQuickWidget(parent)
    , viewModel_(themeSettings.themeOptions(),
          [settings = QPointer(&themeSettings)](const ThemeOptions& options) {
              if (settings)
                  settings->setThemeOptions(options);
          })
    , previewModel_(new MessageListModel(previewMessages(), this))
{
    initSettingsResources();
    ChatQmlModule::registerTypes();
    themeModifier_.follow(&themeSettings, &ThemeSettings::theme, &ThemeSettings::themeChanged);
    themeModifier_.wrap(rootContext());
    rootContext()->setContextProperty(QStringLiteral("viewModel"), &viewModel_);
    rootContext()->setContextProperty(QStringLiteral("previewModel"), previewModel_);
    setResizeMode(QQuickWidget::SizeRootObjectToView);
    setSource(QUrl(QStringLiteral("qrc:/parley/settings/PreferencesView.qml")));
    setFixedSize(contentSize);
    setAccessibleName(QStringLiteral("Settings"));
}

PreferencesViewController::~PreferencesViewController()
{
    // The QML binds to members that go before the widget would delete it:
    // delete it first, or each binding logs a TypeError on the way out.
    setSource(QUrl());
}

} // namespace parley
