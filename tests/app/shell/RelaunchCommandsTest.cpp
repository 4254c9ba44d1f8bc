#include "app/shell/install/PrivilegedRunner.h"
#include "app/shell/install/Relauncher.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace parley {
namespace {

const QString hostileName = QStringLiteral("Bob's \"Parley\" $(touch pwned) `id` ; x");

TEST(PrivilegedRunnerTest, PkexecExitCodesTellSuccessADismissedPromptAndFailure)
{
    EXPECT_EQ(PrivilegedRunner::result(QProcess::NormalExit, 0), PrivilegedResult::succeeded);
    EXPECT_EQ(PrivilegedRunner::result(QProcess::NormalExit, 126), PrivilegedResult::cancelled);
    EXPECT_EQ(PrivilegedRunner::result(QProcess::NormalExit, 127), PrivilegedResult::cancelled);
    EXPECT_EQ(PrivilegedRunner::result(QProcess::NormalExit, 1), PrivilegedResult::failed);
    EXPECT_EQ(PrivilegedRunner::result(QProcess::CrashExit, 0), PrivilegedResult::failed);
}

TEST(PrivilegedRunnerTest, CommandsRunInOrderAndStopAtTheFirstFailureWithPathsNeverParsed)
{
    QTemporaryDir root;
    const QString folder = root.filePath(hostileName);
    const QList<QStringList> commands = { { "mkdir", "--", folder }, { "false" },
        { "touch", "--", folder + "/after" } };

    const QStringList arguments = PrivilegedRunner::arguments(commands);
    ASSERT_EQ(arguments.mid(0, 2), (QStringList { "/bin/sh", "-c" }));
    EXPECT_FALSE(arguments[2].contains(root.path()));
    EXPECT_EQ(arguments.mid(4), commands[0] + commands[1] + commands[2]);

    QProcess shell;
    shell.setWorkingDirectory(root.path());
    shell.start(arguments.first(), arguments.mid(1));
    ASSERT_TRUE(shell.waitForFinished());
    EXPECT_NE(shell.exitCode(), 0);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_FALSE(QFile::exists(folder + "/after"));
    EXPECT_EQ(QDir(root.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList { hostileName });
}

TEST(RelauncherTest, StartsTheBundleOnceTheProcessHasEndedWithTheGivenEnvironment)
{
    QTemporaryDir root;
    const QString bundle = root.filePath(hostileName);
    QDir().mkpath(bundle + "/bin");
    QFile program(bundle + "/bin/parley");
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.write(
        "#!/bin/sh\nbundle=$(dirname \"$0\")/..\n"
        "printf '%s' \"$QT_QPA_PLATFORM\" > \"$bundle/starting\" && mv \"$bundle/starting\" \"$bundle/started\"\n");
    program.close();
    program.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QProcess old;
    old.start("/bin/sleep", { "30" });
    ASSERT_TRUE(old.waitForStarted());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");

    const QStringList arguments = Relauncher::arguments(old.processId(), bundle);
    EXPECT_EQ(arguments.mid(2), (QStringList { "sh", QString::number(old.processId()), bundle }));
    ASSERT_TRUE(Relauncher::start(old.processId(), bundle, environment));
    QTest::qWait(400);
    EXPECT_FALSE(QFile::exists(bundle + "/started"));

    old.kill();
    ASSERT_TRUE(old.waitForFinished());
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(bundle + "/started"); }, 5000));
    QFile started(bundle + "/started");
    ASSERT_TRUE(started.open(QIODevice::ReadOnly));
    EXPECT_EQ(started.readAll(), "xcb");
    EXPECT_FALSE(QFile::exists(root.filePath("pwned")));
}

} // namespace
} // namespace parley
