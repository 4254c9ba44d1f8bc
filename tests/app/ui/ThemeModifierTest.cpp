#include "app/ui/ThemeModifier.h"

#include "app/ui/QmlScreen.h"

#include <QQmlComponent>
#include <QQmlEngine>

#include <gtest/gtest.h>

#include <memory>

using namespace parley;

namespace {

class ThemeSource : public QObject {
    Q_OBJECT
    Q_PROPERTY(parley::Theme theme READ theme NOTIFY themeChanged)

public:
    Theme theme() const { return theme_; }
    void setTheme(const Theme& theme)
    {
        theme_ = theme;
        emit themeChanged();
    }

signals:
    void themeChanged();

private:
    Theme theme_ = makeTheme(defaultThemeOptions());
};

Theme largeTheme()
{
    ThemeOptions options = defaultThemeOptions();
    options.spacing = ThemeSpacing::large();
    options.messageFont.size = 21;
    options.showMessageTimestamp = false;
    return makeTheme(options);
}

} // namespace

TEST(ThemeModifier, QmlContentReadsTheCurrentThemeAndFollowsItsSource)
{
    QmlScreen::registerTypes();
    QQmlEngine engine;
    ThemeModifier modifier;
    QQmlComponent component(&engine);
    component.setData(R"(import QtQuick
        import Parley
        Item {
            required property ThemeModifier themeModifier
            property real gap: themeModifier.theme.spacing.points
            property real inner: themeModifier.theme.spacing.nameToBodyPoints
            property real size: themeModifier.theme.messageFont.pointSize
            property bool stamps: themeModifier.theme.showMessageTimestamp
            property bool plain: themeModifier.theme.backgroundColor === null
        })",
        QUrl());
    std::unique_ptr<QObject> content(
        component.createWithInitialProperties({ { QStringLiteral("themeModifier"), QVariant::fromValue(&modifier) } }));
    ASSERT_TRUE(content) << component.errorString().toStdString();
    EXPECT_EQ(content->property("gap").toDouble(), 8.0);
    EXPECT_EQ(content->property("size").toDouble(), 13.0);
    EXPECT_TRUE(content->property("stamps").toBool());
    EXPECT_TRUE(content->property("plain").toBool());

    ThemeSource source;
    modifier.follow(&source, &ThemeSource::theme, &ThemeSource::themeChanged);
    source.setTheme(largeTheme());
    EXPECT_EQ(content->property("gap").toDouble(), 24.0);
    EXPECT_EQ(content->property("inner").toDouble(), 6.0);
    EXPECT_EQ(content->property("size").toDouble(), 21.0);
    EXPECT_FALSE(content->property("stamps").toBool());
}

#include "ThemeModifierTest.moc"
