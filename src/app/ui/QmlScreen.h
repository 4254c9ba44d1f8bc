#pragma once

#include <QVariantMap>
#include <QWidget>

class QQuickWidget;

namespace parley {

// A window's content: one screen's QML in a QQuickWidget that fills it. Every
// screen is hosted this way; its root gets the screen's view models and the
// theme as typed required properties, so the QML names no context and the
// C++ sets nothing on the root by name afterwards.
class QmlScreen : public QWidget {
    Q_OBJECT

public:
    explicit QmlScreen(QWidget* parent = nullptr);

    // The types every screen's root may take ("import Parley"); safe to call
    // repeatedly.
    static void registerTypes();

    QQuickWidget* quickWidget() const { return quickWidget_; }
    // The QML root, null when the screen's QML failed to load.
    QObject* rootObject() const;

    // Makes the root of `url` with `requiredProperties` and shows it. A file
    // that does not load leaves the screen empty and says why in the log.
    void load(const QUrl& url, const QVariantMap& requiredProperties);

private:
    // The first child: deleted before the view models that the QML binds
    // to, which the screens make as later children.
    QQuickWidget* quickWidget_;
};

} // namespace parley
