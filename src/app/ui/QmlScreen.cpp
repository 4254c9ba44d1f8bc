#include "app/ui/QmlScreen.h"

#include "app/ui/ThemeModifier.h"
#include "platform/Diagnostics.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWidget>
#include <QVBoxLayout>

namespace parley {

void QmlScreen::registerTypes()
{
    static const bool registered = [] {
        qmlRegisterUncreatableType<ThemeModifier>("Parley", 1, 0, "ThemeModifier", QStringLiteral("made in C++"));
        return true;
    }();
    Q_UNUSED(registered);
}

QmlScreen::QmlScreen(QWidget* parent) : QWidget(parent), quickWidget_(new QQuickWidget(this))
{
    registerTypes();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(quickWidget_);
    quickWidget_->setResizeMode(QQuickWidget::SizeRootObjectToView);
    setFocusProxy(quickWidget_);
}

QObject* QmlScreen::rootObject() const
{
    return quickWidget_->rootObject();
}

void QmlScreen::load(const QUrl& url, const QVariantMap& requiredProperties)
{
    auto* component = new QQmlComponent(quickWidget_->engine(), url, quickWidget_);
    QObject* root = component->createWithInitialProperties(requiredProperties, quickWidget_->rootContext());
    if (!root) {
        Diagnostics::write(QStringLiteral("QmlScreen.loadFailed: ") + component->errorString());
        return;
    }
    quickWidget_->setContent(url, component, root);
}

} // namespace parley
