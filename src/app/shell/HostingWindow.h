#pragma once

#include <QMainWindow>
#include <QString>

class QSettings;

namespace parley {

class MainMenu;

// A main window: the shared menu bar above one content widget (a view
// controller's QQuickWidget). Its frame is remembered under its autosave name
// in the user defaults: restored when it is made, stored whenever it moves or
// is resized. Closing hides it; its coordinator decides when it goes. Dialogs
// are made its children: they stay above it, go with it, and do not keep
// Parley running once it is closed.
class HostingWindow : public QMainWindow {
    Q_OBJECT

public:
    HostingWindow(QWidget* content, MainMenu& menu, QSettings& userDefaults, QString frameAutosaveName,
        QWidget* parent = nullptr);

    const QString& frameAutosaveName() const { return frameAutosaveName_; }
    // Where the frame of `autosaveName` is stored in the user defaults.
    static QString frameKey(const QString& autosaveName);

    // Brings the window to the front as the key window, minimised or not.
    void makeKeyAndOrderFront();

    // Makes a new native window, shown as the old one was, for what only
    // takes effect when one is made (a translucent background). The dialogs
    // open over the old one stay above the new one.
    void remakeNativeWindow();

    // The windows opened over this one (Settings, alerts, the About box) go
    // over `next`, the main window that replaces this one; those on screen
    // stay where they are.
    void handDialogsTo(HostingWindow& next);

protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void saveFrame();

    QSettings& userDefaults_;
    const QString frameAutosaveName_;
    bool restoring_ = false;
};

} // namespace parley
