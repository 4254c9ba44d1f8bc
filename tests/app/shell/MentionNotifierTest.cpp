#include "app/shell/MentionNotifier.h"
#include "app/shell/DesktopNotifications.h"
#include "app/shell/HostingWindow.h"
#include "app/shell/MainMenu.h"
#include "app/ui/chat/ChatTestSupport.h"

#include <QApplication>
#include <QDBusConnection>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace parley;
using namespace parley::test;
using namespace std::chrono_literals;

namespace {

// The desktop's notification service as a test stands it in: records what it
// is asked, answers like the real one.
class NotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call {
        QString appName;
        uint replacesID;
        QString icon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int timeout;
    };
    QList<Call> calls;
    QList<uint> closed;
    QStringList capabilities { QStringLiteral("body"), QStringLiteral("actions") };

public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& appName, uint replacesID, const QString& icon, const QString& summary,
        const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout)
    {
        calls.append({ appName, replacesID, icon, summary, body, actions, hints, timeout });
        return replacesID ? replacesID : uint(calls.size()) + 40;
    }
    void CloseNotification(uint id) { closed.append(id); }

signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void NotificationClosed(uint id, uint reason);
};

// A session bus of the test's own (dbus-daemon), with a client connection and,
// when asked, the stand-in service on a second one.
class PrivateBus {
public:
    PrivateBus()
    {
        daemon.start(QStringLiteral("dbus-daemon"), { "--session", "--nofork", "--print-address" });
        if (daemon.waitForReadyRead(5000))
            address = QString::fromUtf8(daemon.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("test-client"));
        QDBusConnection::disconnectFromBus(QStringLiteral("test-service"));
        daemon.kill();
        daemon.waitForFinished();
    }
    QDBusConnection client() const { return QDBusConnection::connectToBus(address, QStringLiteral("test-client")); }
    bool serve(NotificationService& service) const
    {
        QDBusConnection bus = QDBusConnection::connectToBus(address, QStringLiteral("test-service"));
        return bus.registerObject(DesktopNotifications::objectPath, &service,
                   QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) &&
            bus.registerService(DesktopNotifications::serviceName);
    }

    QProcess daemon;
    QString address;
};

ChatLine mention(QString text, QString name = QStringLiteral("Viewer"))
{
    return { .text = std::move(text), .displayName = std::move(name) };
}

class MentionNotifierTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(bus.address.isEmpty());
        ASSERT_TRUE(chat.joined);
    }

    void useService() { ASSERT_TRUE(bus.serve(service)); }
    // What the window system does when the window is brought forward; the
    // offscreen platform activates nothing by itself.
    void activate()
    {
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(window.isActiveWindow());
    }
    bool waitForCalls(qsizetype count)
    {
        return QTest::qWaitFor([&] { return service.calls.size() >= count; }, waitMs);
    }

    PrivateBus bus;
    NotificationService service;
    JoinedChat chat;
    QTemporaryDir home;
    QSettings userDefaults { home.filePath(QStringLiteral("defaults.ini")), QSettings::IniFormat };
    MainMenu menu;
    HostingWindow window { new QWidget, menu, userDefaults, QStringLiteral("test.SessionWindow") };
    DesktopNotifications notifications { bus.client(), QStringLiteral("app.parley.Parley.test") };
    std::chrono::steady_clock::time_point now {};
    MentionNotifier notifier { chat.chat, window, notifications, SimulatedTwitch::token().info };
    const QString login = QString::fromLatin1(sim::demo::login);
};

TEST_F(MentionNotifierTest, mentionsInTheBackgroundNotifyAndMergeForTheInterval)
{
    useService();
    service.capabilities.append(QStringLiteral("body-markup"));
    notifier.setClock([this] { return now; });
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("<b>hi</b> @%1 & co").arg(login), QStringLiteral("Ann"))));
    ASSERT_TRUE(waitForCalls(1));
    const NotificationService::Call& first = service.calls.at(0);
    EXPECT_EQ(first.appName, u"Parley");
    EXPECT_EQ(first.replacesID, 0u);
    EXPECT_EQ(first.icon, u"app.parley.Parley");
    EXPECT_EQ(first.summary, u"Ann");
    // The service reads markup: the chat text stays text.
    EXPECT_EQ(first.body, QStringLiteral("&lt;b&gt;hi&lt;/b&gt; @%1 &amp; co").arg(login));
    EXPECT_TRUE(first.actions.contains(QStringLiteral("default")));
    EXPECT_EQ(first.hints.value(QStringLiteral("desktop-entry")), QStringLiteral("app.parley.Parley.test"));
    EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).metaType(), QMetaType::fromType<uchar>());
    EXPECT_EQ(first.hints.value(QStringLiteral("urgency")).toInt(), 1);

    now += 9s;
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("%1 again").arg(login.toUpper()), QStringLiteral("Bo"))));
    ASSERT_TRUE(waitForCalls(2));
    EXPECT_EQ(service.calls.at(1).replacesID, 41u);
    EXPECT_EQ(service.calls.at(1).summary, u"2 new mentions");
    EXPECT_EQ(service.calls.at(1).body, QStringLiteral("Bo: %1 again").arg(login.toUpper()));

    now += 1s;
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("@%1 later").arg(login))));
    ASSERT_TRUE(waitForCalls(3));
    EXPECT_EQ(service.calls.at(2).replacesID, 0u);
    EXPECT_EQ(service.calls.at(2).summary, u"Viewer");
}

TEST_F(MentionNotifierTest, onlyLiveMentionsOfOthersNotifyWhileTheSwitchIsOnAndTheWindowIsBehind)
{
    useService();
    // A first message stands out in the window but is no reason to call the broadcaster.
    ChatLine firstTime = mention(QStringLiteral("hello, first time here"));
    firstTime.extraTags = QStringLiteral(";first-msg=1");
    ASSERT_TRUE(chat.deliver(firstTime));
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("not%1 at all").arg(login))));
    notifier.setEnabled(false);
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("@%1 switched off").arg(login))));
    notifier.setEnabled(true);
    activate();
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("@%1 seen in the window").arg(login))));
    QTest::qWait(200);
    EXPECT_TRUE(service.calls.isEmpty());

    window.showMinimized();
    firstTime = mention(QStringLiteral("@%1 first time, one question").arg(login));
    firstTime.extraTags = QStringLiteral(";first-msg=1");
    ASSERT_TRUE(chat.deliver(firstTime));
    EXPECT_TRUE(waitForCalls(1));
}

TEST_F(MentionNotifierTest, clickingParleysNotificationBringsTheWindowForwardAndActivatingItClosesIt)
{
    useService();
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("@%1 look").arg(login))));
    ASSERT_TRUE(waitForCalls(1));
    window.showMinimized();
    emit service.ActionInvoked(42, QStringLiteral("default")); // not Parley's
    QTest::qWait(100);
    EXPECT_TRUE(window.isMinimized());
    emit service.ActionInvoked(41, QStringLiteral("default"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isVisible() && !window.isMinimized(); }, waitMs));
    activate();
    EXPECT_TRUE(QTest::qWaitFor([&] { return service.closed == QList<uint> { 41 }; }, waitMs));
}

TEST_F(MentionNotifierTest, withoutAServiceNothingShowsAndOneLineSaysSo)
{
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("@%1 one").arg(login))));
    ASSERT_TRUE(chat.deliver(mention(QStringLiteral("@%1 two").arg(login))));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return chat.log.lines().filter(QStringLiteral("no desktop notifications")).size() == 1; }, waitMs));
    QTest::qWait(200);
    EXPECT_EQ(chat.log.lines().filter(QStringLiteral("no desktop notifications")).size(), 1);
}

TEST(MentionNotifierBody, isCutShortAtTwoHundredCharactersWithoutSplittingOne)
{
    EXPECT_EQ(MentionNotifier::plainBody(QStringLiteral("short")), u"short");
    const QString cut = MentionNotifier::plainBody(QString(300, u'a'));
    EXPECT_EQ(cut.size(), 200);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026)));
    const QString emoji = QStringLiteral("\U0001F600");
    const QString split = MentionNotifier::plainBody(QString(198, u'a') + emoji + QString(10, u'b'));
    EXPECT_EQ(split, QString(198, u'a') + QChar(0x2026));
}

} // namespace

#include "MentionNotifierTest.moc"
