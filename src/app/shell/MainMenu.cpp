#include "app/shell/MainMenu.h"

#include <QAccessible>
#include <QMenu>
#include <QMenuBar>

namespace parley {

MainMenu::MainMenu(QObject* parent)
    : QObject(parent)
    , logoutMenuItem(QStringLiteral("Logout"))
    , alwaysOnTopMenuItem(QStringLiteral("Always on Top"))
    , overlayModeMenuItem(QStringLiteral("Overlay Mode"))
    , clickThroughMenuItem(QStringLiteral("Click-through"))
    , preferencesMenuItem(QStringLiteral("Settings…"))
    , checkUpdatesMenuItem(QStringLiteral("Check for Updates…"))
    , copyOverlayAddressMenuItem(QStringLiteral("Copy Overlay Address"))
    , quitMenuItem(QStringLiteral("Quit Parley"))
    , aboutMenuItem(QStringLiteral("About Parley"))
{
    logoutMenuItem.setEnabled(false);
    copyOverlayAddressMenuItem.setEnabled(false);
    alwaysOnTopMenuItem.setCheckable(true);
    overlayModeMenuItem.setCheckable(true);
    clickThroughMenuItem.setCheckable(true);
    clickThroughMenuItem.setEnabled(false);
    preferencesMenuItem.setShortcut(QKeySequence::Preferences);
    preferencesMenuItem.setMenuRole(QAction::PreferencesRole);
    checkUpdatesMenuItem.setMenuRole(QAction::ApplicationSpecificRole);
    // The desktop's key for Quit; Ctrl+Q where its key scheme has none.
    quitMenuItem.setShortcuts(QKeySequence::Quit);
    if (quitMenuItem.shortcuts().isEmpty())
        quitMenuItem.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    // From every window of Parley, Settings and the About box too.
    quitMenuItem.setShortcutContext(Qt::ApplicationShortcut);
    quitMenuItem.setMenuRole(QAction::QuitRole);
    aboutMenuItem.setMenuRole(QAction::AboutRole);
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
    return { &logoutMenuItem, &alwaysOnTopMenuItem, &overlayModeMenuItem, &clickThroughMenuItem, &preferencesMenuItem,
        &checkUpdatesMenuItem, &copyOverlayAddressMenuItem, &quitMenuItem, &aboutMenuItem };
}

QMenuBar* MainMenu::makeMenuBar(QWidget* window)
{
    auto* bar = new QMenuBar(window);
    QMenu* menu = bar->addMenu(QStringLiteral("Parley"));
    menu->addAction(&checkUpdatesMenuItem);
    menu->addSeparator();
    menu->addAction(&preferencesMenuItem);
    menu->addAction(&alwaysOnTopMenuItem);
    menu->addAction(&overlayModeMenuItem);
    menu->addAction(&clickThroughMenuItem);
    menu->addAction(&copyOverlayAddressMenuItem);
    menu->addSeparator();
    menu->addAction(&logoutMenuItem);
    menu->addSeparator();
    menu->addAction(&quitMenuItem);
    QMenu* help = bar->addMenu(QStringLiteral("Help"));
    help->addAction(&aboutMenuItem);
    for (QMenu* each : { menu, help })
        connect(each, &QObject::destroyed, this, &MainMenu::forgetStaleAccessibleItems, Qt::QueuedConnection);
    return bar;
}

void MainMenu::forgetStaleAccessibleItems()
{
    // Qt keeps one accessible item per action, bound to the menu it was first
    // shown in; once that menu is gone the item is invalid and assistive
    // technologies skip it in every later window's menu. Dropped, it is made
    // anew for the menu that asks next.
    for (QAction* item : items())
        if (QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(item);
            accessible && !accessible->isValid())
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(accessible));
}

} // namespace parley
