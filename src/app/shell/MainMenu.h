#pragma once

#include <QAction>
#include <QObject>
#include <QString>

#include <optional>

class QMenuBar;
class QWidget;

namespace parley {

// The commands of the application menu, as actions shared by the menu bar of
// every main window: a title or check mark changed here shows in all.
class MainMenu : public QObject {
    Q_OBJECT

public:
    explicit MainMenu(QObject* parent = nullptr);

    QAction logoutMenuItem;
    QAction alwaysOnTopMenuItem;
    QAction overlayModeMenuItem;
    // Offered only in overlay mode, where the desktop has a tray to turn it off from.
    QAction clickThroughMenuItem;
    QAction preferencesMenuItem;
    QAction checkUpdatesMenuItem;
    // Enabled while the chat overlay is served.
    QAction copyOverlayAddressMenuItem;
    QAction quitMenuItem;
    QAction aboutMenuItem;

    // Signed in as `login`: "Logout LOGIN..." and enabled; signed out (no
    // login): "Logout" and disabled.
    void showLogin(const std::optional<QString>& login);

    // Every command, in the order the tests and the accessibility driver list them.
    QList<QAction*> items();

    // A menu bar for `window` holding the commands: "Parley", then "Help".
    QMenuBar* makeMenuBar(QWidget* window);

private:
    void forgetStaleAccessibleItems();
};

} // namespace parley
