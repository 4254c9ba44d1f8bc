#include "app/shell/MainMenu.h"

#include <QMenu>
#include <QMenuBar>

namespace parley {

MainMenu::MainMenu(QObject* parent)
    : QObject(parent)
    , logoutMenuItem(QStringLiteral("Logout"))
    , alwaysOnTopMenuItem(QStringLiteral("Always on Top"))
    , preferencesMenuItem(QStringLiteral("Settings…"))
    , checkUpdatesMenuItem(QStringLiteral("Check for Updates…"))
{
    logoutMenuItem.setEnabled(false);
    alwaysOnTopMenuItem.setCheckable(true);
    preferencesMenuItem.setShortcut(QKeySequence::Preferences);
    preferencesMenuItem.setMenuRole(QAction::PreferencesRole);
    checkUpdatesMenuItem.setMenuRole(QAction::ApplicationSpecificRole);
}

void MainMenu::showLogin(const std::optional<QString>& login)
{
    // A title is menu text, where '&' marks a mnemonic: escape it.
    logoutMenuItem.setText(login
            ? QStringLiteral("Logout %1...").arg(QString(*login).replace(u'&', QStringLiteral("&&")))
            : QStringLiteral("Logout"));
    logoutMenuItem.setEnabled(login.has_value());
}

QList<QAction*> MainMenu::items()
{
    return { &logoutMenuItem, &alwaysOnTopMenuItem, &preferencesMenuItem, &checkUpdatesMenuItem };
}

QMenuBar* MainMenu::makeMenuBar(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    QMenu* menu = bar->addMenu(QStringLiteral("Parley"));
    menu->addAction(&checkUpdatesMenuItem);
    menu->addSeparator();
    menu->addAction(&preferencesMenuItem);
    menu->addAction(&alwaysOnTopMenuItem);
    menu->addSeparator();
    menu->addAction(&logoutMenuItem);
    return bar;
}

} // namespace parley
