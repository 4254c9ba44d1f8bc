#include "app/shell/AccessibilityDriver.h"

#include "app/shell/MainMenu.h"

#include <QAccessible>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QJsonArray>
#include <QKeyEvent>
#include <QMainWindow>
#include <QMetaEnum>
#include <QQuickItem>
#include <QQuickWidget>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace parley {

namespace {

QJsonObject failure(const QString& error)
{
    return { { QStringLiteral("ok"), false }, { QStringLiteral("error"), error } };
}

QJsonObject success()
{
    return { { QStringLiteral("ok"), true } };
}

QString accessibleName(QObject* object)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(object);
    return interface ? interface->text(QAccessible::Name) : QString();
}

// Every visible object with an accessible name below `widget`, QML items of
// hosted views included, in tree order.
void collect(QWidget* widget, QList<QObject*>& objects)
{
    if (!widget->isVisible())
        return;
    if (!accessibleName(widget).isEmpty())
        objects.append(widget);
    if (auto* quick = qobject_cast<QQuickWidget*>(widget)) {
        QList<QQuickItem*> items;
        if (quick->rootObject())
            items.append(quick->rootObject());
        while (!items.isEmpty()) {
            QQuickItem* item = items.takeFirst();
            if (!item->isVisible())
                continue;
            if (!accessibleName(item).isEmpty())
                objects.append(item);
            items = item->childItems() + items;
        }
    }
    for (QObject* child : widget->children())
        if (auto* childWidget = qobject_cast<QWidget*>(child); childWidget && !childWidget->isWindow())
            collect(childWidget, objects);
}

QList<QObject*> accessibleObjects()
{
    QList<QObject*> objects;
    for (QWidget* window : QApplication::topLevelWidgets())
        collect(window, objects);
    return objects;
}

QObject* findByName(const QString& name)
{
    for (QObject* object : accessibleObjects())
        if (accessibleName(object) == name)
            return object;
    return nullptr;
}

QWidget* windowTitled(const QString& title)
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (window->isVisible() && window->windowTitle() == title)
            return window;
    return nullptr;
}

// A list view's row count and whether its last row lies wholly inside it.
void describeList(QQuickItem* list, QJsonObject& description)
{
    const int count = list->property("count").toInt();
    QQuickItem* last = nullptr;
    if (count > 0)
        QMetaObject::invokeMethod(list, "itemAtIndex", Q_RETURN_ARG(QQuickItem*, last), Q_ARG(int, count - 1));
    bool showsNewest = false;
    if (last && last->isVisible()) {
        const QRectF row = last->mapRectToItem(list, last->boundingRect());
        showsNewest = row.top() >= -0.5 && row.bottom() <= list->height() + 0.5;
    }
    description.insert(QStringLiteral("rowCount"), count);
    description.insert(QStringLiteral("showsNewest"), showsNewest);
}

QJsonObject describeObject(QObject* object)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(object);
    const QRect rect = interface->rect();
    QJsonObject description { { QStringLiteral("name"), interface->text(QAccessible::Name) },
        { QStringLiteral("role"),
            QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(interface->role())) },
        { QStringLiteral("enabled"), !interface->state().disabled }, { QStringLiteral("width"), rect.width() },
        { QStringLiteral("height"), rect.height() } };
    if (auto* item = qobject_cast<QQuickItem*>(object); item && interface->role() == QAccessible::List)
        describeList(item, description);
    return description;
}

// The menu commands of `window`'s menu bar as an assistive technology reaches
// them: through the bar's menus, only items whose accessible object is valid.
QJsonArray accessibleMenu(QWidget* window)
{
    QJsonArray names;
    auto* mainWindow = qobject_cast<QMainWindow*>(window);
    QAccessibleInterface* bar = mainWindow && mainWindow->menuWidget()
        ? QAccessible::queryAccessibleInterface(mainWindow->menuWidget())
        : nullptr;
    for (int index = 0; bar && index < bar->childCount(); ++index) {
        QAccessibleInterface* title = bar->child(index);
        QAccessibleInterface* menu = title && title->isValid() ? title->child(0) : nullptr;
        for (int item = 0; menu && item < menu->childCount(); ++item)
            if (QAccessibleInterface* command = menu->child(item);
                command && command->isValid() && command->role() == QAccessible::MenuItem)
                names.append(command->text(QAccessible::Name));
    }
    return names;
}

QString fileNameFor(const QWidget* window)
{
    QString name = window->windowTitle().isEmpty() ? window->accessibleName() : window->windowTitle();
    for (QChar& c : name)
        if (!c.isLetterOrNumber())
            c = u'_';
    return name + QStringLiteral(".png");
}

} // namespace

QJsonObject AccessibilityDriver::answer(const QJsonObject& request)
{
    if (request.contains(QStringLiteral("describe")))
        return describe();
    if (request.contains(QStringLiteral("trigger")))
        return trigger(request.value(QStringLiteral("trigger")).toString());
    if (request.contains(QStringLiteral("press")))
        return press(request.value(QStringLiteral("press")).toString());
    if (request.contains(QStringLiteral("type"))) {
        const QJsonObject typing = request.value(QStringLiteral("type")).toObject();
        return type(typing.value(QStringLiteral("name")).toString(), typing.value(QStringLiteral("text")).toString());
    }
    if (request.contains(QStringLiteral("grab")))
        return grab(request.value(QStringLiteral("grab")).toString());
    if (request.contains(QStringLiteral("key"))) {
        const QJsonObject key = request.value(QStringLiteral("key")).toObject();
        return this->key(key.value(QStringLiteral("window")).toString(), key.value(QStringLiteral("keys")).toString());
    }
    if (request.contains(QStringLiteral("wheel"))) {
        const QJsonObject wheel = request.value(QStringLiteral("wheel")).toObject();
        return this->wheel(wheel.value(QStringLiteral("window")).toString(),
            wheel.value(QStringLiteral("name")).toString(), wheel.value(QStringLiteral("notches")).toInt());
    }
    if (request.contains(QStringLiteral("close")))
        return close(request.value(QStringLiteral("close")).toString());
    if (request.contains(QStringLiteral("resize"))) {
        const QJsonObject size = request.value(QStringLiteral("resize")).toObject();
        return resize(size.value(QStringLiteral("window")).toString(), size.value(QStringLiteral("width")).toInt(),
            size.value(QStringLiteral("height")).toInt());
    }
    return failure(QStringLiteral("unknown request"));
}

QJsonObject AccessibilityDriver::describe() const
{
    QJsonArray windows;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        QList<QObject*> objects;
        collect(window, objects);
        QJsonArray items;
        for (QObject* object : std::as_const(objects))
            items.append(describeObject(object));
        windows.append(QJsonObject { { QStringLiteral("title"), window->windowTitle() },
            { QStringLiteral("name"), window->accessibleName() },
            { QStringLiteral("stayOnTop"), window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) },
            { QStringLiteral("width"), window->width() }, { QStringLiteral("height"), window->height() },
            { QStringLiteral("items"), items }, { QStringLiteral("menuBar"), accessibleMenu(window) } });
    }
    QJsonArray menu;
    for (const QAction* item : menu_.items())
        menu.append(QJsonObject { { QStringLiteral("title"), item->text() },
            { QStringLiteral("enabled"), item->isEnabled() }, { QStringLiteral("checked"), item->isChecked() } });
    return { { QStringLiteral("ok"), true }, { QStringLiteral("windows"), windows }, { QStringLiteral("menu"), menu } };
}

QJsonObject AccessibilityDriver::trigger(const QString& title)
{
    for (QAction* item : menu_.items()) {
        if (item->text() != title)
            continue;
        if (!item->isEnabled())
            return failure(QStringLiteral("\"%1\" is disabled").arg(title));
        item->trigger();
        return success();
    }
    return failure(QStringLiteral("no menu item \"%1\"").arg(title));
}

QJsonObject AccessibilityDriver::press(const QString& name)
{
    QObject* object = findByName(name);
    if (!object)
        return failure(QStringLiteral("nothing named \"%1\"").arg(name));
    QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(object)->actionInterface();
    if (!actions || !actions->actionNames().contains(QAccessibleActionInterface::pressAction()))
        return failure(QStringLiteral("\"%1\" cannot be pressed").arg(name));
    actions->doAction(QAccessibleActionInterface::pressAction());
    return success();
}

QJsonObject AccessibilityDriver::type(const QString& name, const QString& text)
{
    auto* item = qobject_cast<QQuickItem*>(findByName(name));
    if (!item || !item->window())
        return failure(QStringLiteral("no field named \"%1\"").arg(name));
    item->forceActiveFocus();
    QMetaObject::invokeMethod(item, "selectAll");
    // Typed as key presses into the field's view, so the field reacts as to a user.
    QQuickWindow* window = item->window();
    const auto send = [window](int key, const QString& characters) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, characters);
        QCoreApplication::sendEvent(window, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, characters);
        QCoreApplication::sendEvent(window, &release);
    };
    for (const QChar c : text)
        send(0, QString(c));
    send(Qt::Key_Return, QStringLiteral("\r"));
    return success();
}

QJsonObject AccessibilityDriver::grab(const QString& directory) const
{
    QJsonArray files;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        const QString path = QDir(directory).filePath(fileNameFor(window));
        if (!window->grab().save(path))
            return failure(QStringLiteral("cannot write %1").arg(path));
        files.append(path);
    }
    return { { QStringLiteral("ok"), true }, { QStringLiteral("files"), files } };
}

QJsonObject AccessibilityDriver::key(const QString& windowTitle, const QString& keys)
{
    QWidget* window = windowTitled(windowTitle);
    const QKeySequence sequence = QKeySequence::fromString(keys);
    if (!window || sequence.isEmpty())
        return failure(QStringLiteral("no window \"%1\" or no keys \"%2\"").arg(windowTitle, keys));
    // Keys reach the active window, where its own shortcuts apply (Escape in
    // Settings): activation is delivered by the window system, so wait for it.
    window->activateWindow();
    const QDeadlineTimer deadline(1000);
    while (QApplication::activeWindow() != window && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    // Sent, not posted: the application tries the shortcuts first, as for a
    // key the user pressed.
    const QKeyCombination combination = sequence[0];
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers());
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers());
    QCoreApplication::sendEvent(target, &release);
    return success();
}

QJsonObject AccessibilityDriver::wheel(const QString& windowTitle, const QString& name, int notches)
{
    QWidget* window = windowTitled(windowTitle);
    QList<QObject*> objects;
    if (window)
        collect(window, objects);
    const auto named = std::find_if(
        objects.cbegin(), objects.cend(), [&name](QObject* object) { return accessibleName(object) == name; });
    auto* item = named == objects.cend() ? nullptr : qobject_cast<QQuickItem*>(*named);
    QQuickWidget* view = nullptr;
    for (auto* quick : window ? window->findChildren<QQuickWidget*>() : QList<QQuickWidget*>())
        if (item && quick->quickWindow() == item->window())
            view = quick;
    if (!item || !view)
        return failure(QStringLiteral("nothing named \"%1\" to scroll").arg(name));
    const QPointF centre = item->mapToScene(QPointF(item->width() / 2, item->height() / 2));
    for (int notch = 0; notch < std::abs(notches); ++notch) {
        QWheelEvent event(centre, view->mapToGlobal(centre), QPoint(), QPoint(0, notches > 0 ? 120 : -120),
            Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view, &event);
    }
    return success();
}

QJsonObject AccessibilityDriver::close(const QString& windowTitle)
{
    QWidget* window = windowTitled(windowTitle);
    if (!window)
        return failure(QStringLiteral("no window \"%1\"").arg(windowTitle));
    // Through the window system's close, as the title bar's close button.
    window->windowHandle()->close();
    return success();
}

QJsonObject AccessibilityDriver::resize(const QString& windowTitle, int width, int height)
{
    QWidget* window = windowTitled(windowTitle);
    if (!window)
        return failure(QStringLiteral("no window \"%1\"").arg(windowTitle));
    window->resize(width, height);
    return success();
}

} // namespace parley
