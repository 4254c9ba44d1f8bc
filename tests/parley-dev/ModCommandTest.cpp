#include "twitch-sim/FaultSpec.h"
#include "twitch-sim/TwitchSimulator.h"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley::sim;

namespace {

constexpr int timeout = 30000;

// parley-dev mod against the in-process simulator, which answers while the
// test's event loop runs.
class ModCommandTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(simulator.start(), 0); }

    // The exit status and the one line printed.
    std::pair<int, QString> run(const QStringList& action, const char* token = demo::token)
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PARLEY_TOKEN"), QString::fromLatin1(token));
        process.setProcessEnvironment(environment);
        const QString base = simulator.baseURL().toString();
        process.start(QStringLiteral(PARLEY_DEV),
            QStringList { QStringLiteral("mod") } + action +
                QStringList { QStringLiteral("--identity"), base, QStringLiteral("--helix"), base,
                    QStringLiteral("--client-id"), QString::fromLatin1(demo::clientID) });
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, timeout));
        return { process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed() };
    }

    TwitchSimulator simulator;
};

} // namespace

TEST_F(ModCommandTest, EachActionPrintsOneLineAndFailuresTheirWords)
{
    using Result = std::pair<int, QString>;
    EXPECT_EQ(run({ "ban", "sim_viewer" }), Result(0, "banned sim_viewer"));
    EXPECT_EQ(run({ "ban", "100000003" }), Result(1, "This user is already banned."));
    EXPECT_EQ(run({ "unban", "sim_viewer" }), Result(0, "unbanned sim_viewer"));
    EXPECT_EQ(run({ "timeout", "sim_viewer", "600" }), Result(0, "timed out sim_viewer for 600 seconds"));
    EXPECT_EQ(run({ "delete", "abc-1" }), Result(0, "deleted message abc-1"));
    EXPECT_EQ(run({ "ban", "nobody_here" }), Result(1, "No Twitch account is named nobody_here."));
    EXPECT_EQ(run({ "ban", "sim_viewer" }, demo::chatOnlyToken), Result(1, "Sign in again to moderate."));
    simulator.setFault(QStringLiteral("/helix/moderation/chat"), parseFaultSpec(QStringLiteral("status:429")).value());
    EXPECT_EQ(run({ "delete", "abc-1" }),
        Result(1, "Too many moderation actions at once. Wait a moment and try again."));
}
