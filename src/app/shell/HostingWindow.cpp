#include "app/shell/HostingWindow.h"

#include "app/shell/MainMenu.h"

#include <QSettings>
#include <QWindow>

namespace parley {

HostingWindow::HostingWindow(
    QWidget* content, MainMenu& menu, QSettings& userDefaults, QString frameAutosaveName, QWidget* parent)
    : QMainWindow(parent), userDefaults_(userDefaults), frameAutosaveName_(std::move(frameAutosaveName))
{
    setMenuBar(menu.makeMenuBar(this));
    setCentralWidget(content);
    resize(sizeHint());
}

QString HostingWindow::frameKey(const QString& autosaveName)
{
    return QStringLiteral("windowFrames/") + autosaveName;
}

void HostingWindow::makeKeyAndOrderFront()
{
    if (!isVisible()) {
        // Restored just before showing: the content has its final size hint
        // by now, and a stored frame wins over it.
        const QByteArray frame = userDefaults_.value(frameKey(frameAutosaveName_)).toByteArray();
        restoring_ = true;
        if (!frame.isEmpty())
            restoreGeometry(frame);
        restoring_ = false;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void HostingWindow::remakeNativeWindow()
{
    const bool wasVisible = isVisible();
    hide();
    destroy();
    setVisible(wasVisible);
    for (QWidget* dialog : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (dialog->isWindow() && dialog->windowHandle())
            dialog->windowHandle()->setTransientParent(windowHandle());
}

void HostingWindow::handDialogsTo(HostingWindow& next)
{
    for (QWidget* dialog : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!dialog->isWindow())
            continue;
        const bool wasVisible = dialog->isVisible();
        const QPoint position = dialog->pos();
        // Reparenting hides a window.
        dialog->setParent(&next, dialog->windowFlags());
        if (wasVisible) {
            dialog->move(position);
            dialog->show();
        }
    }
}

void HostingWindow::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    saveFrame();
}

void HostingWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    saveFrame();
}

void HostingWindow::closeEvent(QCloseEvent* event)
{
    saveFrame();
    QMainWindow::closeEvent(event);
}

void HostingWindow::saveFrame()
{
    if (restoring_ || !isVisible())
        return;
    userDefaults_.setValue(frameKey(frameAutosaveName_), saveGeometry());
}

} // namespace parley
