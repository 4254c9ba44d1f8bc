#include "app/ui/chat/ChatQmlModule.h"

#include <QImage>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley;

namespace {

// The box of the pixels of `image` that are close to `color`.
QRect boxOf(const QImage& image, QColor color)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - color.red()) + std::abs(pixel.green() - color.green()) +
                    std::abs(pixel.blue() - color.blue()) <
                40)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

TEST(TextOutlineItem, drawsAroundTheGlyphsOfTheTextItsUnder)
{
    ChatQmlModule::registerTypes();
    QQmlEngine engine;
    QQmlComponent component(&engine);
    component.setData(R"(
        import QtQuick
        import Parley.Chat
        Window {
            width: 200; height: 80; visible: true; color: "#00ff00"
            TextEdit {
                id: body
                objectName: "body"
                x: 20; y: 20; width: 160
                text: "WWW"; textFormat: TextEdit.PlainText; font.pixelSize: 30; color: "white"
                TextOutlineItem { anchors.fill: parent; z: -1; document: body.textDocument; color: "red" }
            }
        })",
        QUrl());
    std::unique_ptr<QObject> root(component.create());
    ASSERT_TRUE(root) << component.errorString().toStdString();
    auto* window = qobject_cast<QQuickWindow*>(root.get());
    ASSERT_TRUE(window && QTest::qWaitForWindowExposed(window));
    QImage shot;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        shot = window->grabWindow();
        return !boxOf(shot, Qt::red).isEmpty();
    }));
    const QRect text = boxOf(shot, Qt::white);
    const QRect outline = boxOf(shot, Qt::red);
    ASSERT_FALSE(text.isEmpty());
    // A thin line just outside the letters, not shifted away from them.
    EXPECT_TRUE(outline.contains(text.adjusted(1, 1, -1, -1))) << outline.x() << "," << text.x();
    EXPECT_LE(text.left() - outline.left(), 3);
    EXPECT_LE(outline.bottom() - text.bottom(), 3);

    // New text (a reused row) is outlined anew, not over the old one.
    root->findChild<QQuickItem*>(QStringLiteral("body"))->setProperty("text", QStringLiteral("I"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return boxOf(window->grabWindow(), Qt::red).width() < outline.width() / 2; }));
}

} // namespace
