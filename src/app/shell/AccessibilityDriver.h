#pragma once

#include <QJsonObject>

#include <functional>

class QAccessibleInterface;
class QObject;

namespace parley {

class MainMenu;

// Drives a running Parley the way an assistive technology would: lists the
// windows with their accessible objects and the menu commands, presses an
// object by accessible name, types into a field, triggers a menu command,
// and grabs the windows as PNG files. It answers the requests of the
// instance channel in bundles made for tests (kind "test"), so end-to-end
// tests observe the real program without options or environment variables.
//
//   {"describe": {}}                       -> {"windows": [...], "menu": [...]}
//   {"trigger": "Always on Top"}           -> {"ok": true}
//   {"press": "Sign in with twitch.tv"}    -> {"ok": true}
//   {"type": {"name": N, "text": T}}       -> {"ok": true}
//   {"grab": "/directory"}                 -> {"ok": true, "files": [...]}
//   {"key": {"window": W, "keys": "Ctrl+Q"}}        -> {"ok": true}
//   {"wheel": {"window": W, "name": N, "notches": 3}} -> {"ok": true} (positive: up)
//   {"resize": {"window": W, "width": X, "height": Y}} -> {"ok": true}
//   {"close": "Settings"}                  -> {"ok": true} (the title bar's close button)
// A list in "describe" also tells its row count and whether its newest row
// is wholly in view ("rowCount", "showsNewest"); a window, the commands its
// menu bar exposes to assistive technologies ("menuBar").
class AccessibilityDriver {
public:
    explicit AccessibilityDriver(MainMenu& menu) : menu_(menu) { }

    QJsonObject answer(const QJsonObject& request);

private:
    QJsonObject describe() const;
    QJsonObject trigger(const QString& title);
    QJsonObject press(const QString& name);
    QJsonObject type(const QString& name, const QString& text);
    QJsonObject grab(const QString& directory) const;
    QJsonObject key(const QString& windowTitle, const QString& keys);
    QJsonObject wheel(const QString& windowTitle, const QString& name, int notches);
    QJsonObject resize(const QString& windowTitle, int width, int height);
    QJsonObject close(const QString& windowTitle);

    MainMenu& menu_;
};

} // namespace parley
