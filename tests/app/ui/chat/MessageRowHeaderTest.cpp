#include "app/ui/chat/ShownSessionView.h"

using namespace parley;
using parley::test::ChatLine;
using parley::test::SimulatedTwitch;
using parley::test::waitMs;

namespace {

// A chat row's header (name and time) in a window as narrow as the Settings
// preview, at the largest font sizes Settings takes.
class MessageRowHeaderTest : public parley::test::ShownSessionView {
protected:
    void SetUp() override
    {
        show(340, 500);
        const int before = view.messageListModel().rowCount();
        twitch.sim.chat().sendText(ChatLine { "r", "hello", "RedUser", {}, "#FF0000" }.toString());
        ASSERT_TRUE(QTest::qWaitFor([&] { return view.messageListModel().rowCount() == before + 1; }, waitMs));
        ASSERT_TRUE(QTest::qWaitFor([&] { return item("name") != nullptr; }, waitMs));
    }

    void setTheme(double size, bool showTimes)
    {
        ThemeOptions options = defaultThemeOptions();
        options.userFont.size = size;
        options.messageFont.size = size;
        options.showMessageTimestamp = showTimes;
        theme.setTheme(makeTheme(options));
        QTest::qWait(50);
    }

    QQuickItem* item(const QString& name) const { return ShownSessionView::item(name, true); }
    bool nameWhole() const { return !item("name")->property("truncated").toBool(); }
};

} // namespace

TEST_F(MessageRowHeaderTest, AtTheDefaultSizeTheTimeIsBesideTheName)
{
    setTheme(13, true);
    QQuickItem* name = item("name");
    QQuickItem* time = item("time");
    ASSERT_TRUE(time);
    EXPECT_TRUE(nameWhole());
    EXPECT_LT(time->mapToScene({}).y(), name->mapToScene({}).y() + name->height()); // on the same line
    EXPECT_GT(time->mapToScene({}).x(), name->mapToScene({}).x() + name->width());
}

TEST_F(MessageRowHeaderTest, AtTheLargestSizeTheNameStaysWholeAndTheTimeGoesUnderIt)
{
    setTheme(40, true);
    QQuickItem* name = item("name");
    QQuickItem* time = item("time");
    ASSERT_TRUE(time);
    EXPECT_TRUE(nameWhole()) << name->width();
    EXPECT_GE(time->mapToScene({}).y(), name->mapToScene({}).y() + name->height() - 0.5);

    // Without times, the name has the whole line.
    setTheme(40, false);
    EXPECT_FALSE(item("time"));
    EXPECT_TRUE(nameWhole());
}
