#pragma once

#include "app/ui/chat/ChatTestSupport.h"

#include "app/session/SessionController.h"
#include "app/ui/ThemeModifier.h"
#include "app/ui/chat/SessionViewController.h"

#include <QQuickItem>
#include <QQuickWidget>

namespace parley::test {

// The chat window of a session joined to the simulator's demo channel, shown
// offscreen at `width` by `height`; its QML items are found by object name.
class ShownSessionView : public ::testing::Test {
protected:
    void show(int width, int height)
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return session.chat()->room().has_value(); }, waitMs));
        ASSERT_TRUE(view.rootObject());
        view.resize(width, height);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    // Every item named `name`, in tree order; only the visible ones if asked.
    QList<QQuickItem*> items(const QString& name, bool visibleOnly = false) const
    {
        QList<QQuickItem*> found;
        QList<QQuickItem*> pending { view.quickWidget()->rootObject() };
        while (!pending.isEmpty()) {
            QQuickItem* item = pending.takeFirst();
            if (item->objectName() == name && (!visibleOnly || item->isVisible()))
                found.append(item);
            pending = item->childItems() + pending;
        }
        return found;
    }
    QQuickItem* item(const QString& name, bool visibleOnly = false) const
    {
        const QList<QQuickItem*> found = items(name, visibleOnly);
        return found.isEmpty() ? nullptr : found.first();
    }

    SimulatedTwitch twitch;
    std::shared_ptr<ImagePipeline> pipeline = ImagePipeline::create();
    SessionController session { *twitch.api, SimulatedTwitch::token(), nullptr, *pipeline, twitch.communityServices() };
    ThemeModifier theme;
    SessionViewController view { session, theme };
};

} // namespace parley::test
