#include "app/shell/install/AppMover.h"
#include "app/shell/install/DesktopAppMoverPlatform.h"
#include "app/shell/install/PrivilegedRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace parley {
namespace {

// The desktop's own file system calls on a temporary home; the prompts, the
// processes and (the tests run as root) writability stood in for. The
// privileged copy runs the real script, without pkexec.
class TestPlatform : public DesktopAppMoverPlatform {
public:
    using DesktopAppMoverPlatform::DesktopAppMoverPlatform;

    QString name = QStringLiteral("Parley");
    QStringList unwritable;
    QStringList running;
    QList<int> answers;
    QList<PrivilegedResult> privilegedResults;
    bool copyFails = false;
    bool relaunchFails = false;

    QList<ModalAlert> alerts;
    QList<QList<QStringList>> privilegedCommands;
    QStringList opened;
    QStringList relaunched;
    int quits = 0;

    QString applicationName() const override { return name; }
    bool isWritable(const QString& path) const override
    {
        return !unwritable.contains(path) && DesktopAppMoverPlatform::isWritable(path);
    }
    bool copy(const QString& source, const QString& destination) override
    {
        return DesktopAppMoverPlatform::copy(source, destination) && !copyFails;
    }
    QStringList runningBundles() const override { return running; }
    void openBundle(const QString& bundle) override { opened.append(bundle); }
    int showAlert(const ModalAlert& alert) override
    {
        alerts.append(alert);
        return answers.isEmpty() ? 0 : answers.takeFirst();
    }
    PrivilegedResult runPrivileged(const QList<QStringList>& commands) override
    {
        privilegedCommands.append(commands);
        const PrivilegedResult result = privilegedResults.isEmpty() ? PrivilegedResult::succeeded
                                                                    : privilegedResults.takeFirst();
        if (result == PrivilegedResult::succeeded) {
            const QStringList arguments = PrivilegedRunner::arguments(commands);
            if (QProcess::execute(arguments.first(), arguments.mid(1)) != 0)
                return PrivilegedResult::failed;
        }
        return result;
    }
    bool relaunch(qint64 pid, const QString& destination) override
    {
        EXPECT_EQ(pid, processID());
        relaunched.append(destination);
        return !relaunchFails;
    }
    void quit() override { ++quits; }
};

class AppMoverTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        home = root.filePath(QStringLiteral("home"));
        userApplications = home + QStringLiteral("/Applications");
        localApplications = root.filePath(QStringLiteral("Applications"));
        source = makeBundle(home + QStringLiteral("/Downloads/Parley"));
        // The desktop's Trash of the temporary home, not the real one.
        previousDataHome = qgetenv("XDG_DATA_HOME");
        QDir().mkpath(home + QStringLiteral("/.local/share"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(home + QStringLiteral("/.local/share")));
    }

    void TearDown() override { qputenv("XDG_DATA_HOME", previousDataHome); }

    static QString makeBundle(const QString& path, const QByteArray& info = "{}", const QByteArray& program = "new")
    {
        QDir().mkpath(path + QStringLiteral("/bin"));
        QDir().mkpath(path + QStringLiteral("/share/parley"));
        write(path + QStringLiteral("/bin/parley"), program);
        QFile::setPermissions(
            path + QStringLiteral("/bin/parley"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(path + QStringLiteral("/share/parley/Info.json"), info);
        return path;
    }

    static void write(const QString& path, const QByteArray& content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray read(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void addEntries(const QString& folder, int count)
    {
        QDir().mkpath(folder);
        for (int i = 0; i < count; ++i)
            QDir(folder).mkdir(QStringLiteral("app%1").arg(i));
    }

    TestPlatform platform(const QString& bundle) const { return { bundle, { userApplications, localApplications } }; }

    QTemporaryDir root;
    QString home;
    QString userApplications;
    QString localApplications;
    QString source;
    QByteArray previousDataHome;
};

const QString offerText = QStringLiteral("Parley needs to move to your Applications folder in order to work properly.");
const QString authorizationText = QStringLiteral(
    " You need to authenticate with your administrator password to complete this step.");

TEST_F(AppMoverTest, MovesADownloadedCopyIntoTheUsersApplicationsFolderAndRelaunchesFromThere)
{
    QDir().mkpath(userApplications);
    TestPlatform system = platform(source);

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::quitting);

    const QString destination = userApplications + QStringLiteral("/Parley");
    ASSERT_EQ(system.alerts.size(), 1);
    EXPECT_EQ(system.alerts.first(),
        (ModalAlert { QStringLiteral("Move to Applications folder"), offerText,
            { QStringLiteral("Move to Applications Folder"), QStringLiteral("Do Not Move") } }));
    EXPECT_EQ(read(destination + QStringLiteral("/bin/parley")), "new");
    EXPECT_TRUE(QFileInfo(destination + QStringLiteral("/bin/parley")).isExecutable());
    EXPECT_FALSE(QFileInfo::exists(source));
    EXPECT_EQ(system.relaunched, QStringList { destination });
    EXPECT_EQ(system.quits, 1);
    EXPECT_TRUE(system.privilegedCommands.isEmpty());
}

TEST_F(AppMoverTest, DoNotMoveOrClosingTheAlertLeavesEverythingInPlace)
{
    QDir().mkpath(userApplications);
    for (int answer : { 1, -1 }) {
        TestPlatform system = platform(source);
        system.name.clear();
        system.answers = { answer };

        EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::continueLaunching);

        EXPECT_TRUE(system.alerts.first().informativeText.startsWith(QStringLiteral("The App needs to move")));
        EXPECT_TRUE(QFileInfo::exists(source));
        EXPECT_FALSE(QFileInfo::exists(userApplications + QStringLiteral("/Parley")));
        EXPECT_TRUE(system.relaunched.isEmpty());
        EXPECT_EQ(system.quits, 0);
    }
}

TEST_F(AppMoverTest, MakesNoOfferOutsideADownloadedCopyOrInsideAnApplicationsFolder)
{
    QDir().mkpath(userApplications);
    QDir().mkpath(localApplications);
    const QString store = root.filePath(QStringLiteral("store"));
    QDir().mkpath(store);
    const QString linkedApplications = home + QStringLiteral("/AppLink");
    QFile::link(store, linkedApplications);
    QStringList bundles;
    for (const char* kind : { "build", "demo", "installed" })
        bundles.append(makeBundle(home + QStringLiteral("/kinds/") + QLatin1String(kind),
            QByteArray("{\"PARLEY_BUNDLE_KIND\": \"") + kind + "\"}"));
    bundles.append(QStringLiteral("/usr"));
    bundles.append(QStringLiteral("/usr/local"));
    bundles.append(makeBundle(home + QStringLiteral("/Games/Applications/Parley")));
    bundles.append(makeBundle(userApplications + QStringLiteral("/Tools/Parley")));
    bundles.append(makeBundle(localApplications + QStringLiteral("/Parley")));
    bundles.append(makeBundle(store + QStringLiteral("/Parley")));

    for (const QString& bundle : bundles) {
        TestPlatform system(bundle, { linkedApplications, userApplications, localApplications });
        EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::continueLaunching) << qPrintable(bundle);
        EXPECT_TRUE(system.alerts.isEmpty()) << qPrintable(bundle);
    }
}

TEST_F(AppMoverTest, MakesNoOfferWithoutAnApplicationsFolder)
{
    write(userApplications, "a file, not a folder");
    TestPlatform system = platform(source);

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::continueLaunching);
    EXPECT_TRUE(system.alerts.isEmpty());
}

TEST_F(AppMoverTest, InstallsIntoTheFolderWithMostEntriesAndOnATieIntoTheLastOne)
{
    struct Case {
        int userEntries;
        int localEntries;
        QString expectedFolder;
    };
    for (const Case& c :
        { Case { 3, 1, userApplications }, Case { 1, 3, localApplications }, Case { 2, 2, localApplications } }) {
        QDir(userApplications).removeRecursively();
        QDir(localApplications).removeRecursively();
        addEntries(userApplications, c.userEntries);
        addEntries(localApplications, c.localEntries);
        const QString bundle = makeBundle(home + QStringLiteral("/Downloads/Parley"));
        TestPlatform system = platform(bundle);

        AppMover(system).moveCheck();

        EXPECT_EQ(system.relaunched, QStringList { c.expectedFolder + QStringLiteral("/Parley") });
    }
}

TEST_F(AppMoverTest, InstallsIntoTheResolvedFolderBehindALink)
{
    const QString elsewhere = root.filePath(QStringLiteral("elsewhere"));
    QDir().mkpath(elsewhere);
    QDir().mkpath(home);
    QFile::link(elsewhere, userApplications);
    TestPlatform system = platform(source);

    AppMover(system).moveCheck();

    EXPECT_EQ(system.relaunched, QStringList { elsewhere + QStringLiteral("/Parley") });
    EXPECT_EQ(read(elsewhere + QStringLiteral("/Parley/bin/parley")), "new");
}

TEST_F(AppMoverTest, AsksForTheAdministratorExactlyWhenTheFolderOrAnExistingDestinationIsReadOnly)
{
    const QString destination = localApplications + QStringLiteral("/Parley");
    struct Case {
        bool destinationExists;
        bool folderWritable;
        bool destinationWritable;
        bool expectAuthorization;
    };
    for (const Case& c : { Case { false, true, true, false }, Case { false, false, true, true },
             Case { true, true, true, false }, Case { true, true, false, true }, Case { true, false, true, true } }) {
        QDir(localApplications).removeRecursively();
        QDir().mkpath(localApplications);
        if (c.destinationExists)
            makeBundle(destination, "{}", "old");
        const QString bundle = makeBundle(home + QStringLiteral("/Downloads/Parley"));
        TestPlatform system = platform(bundle);
        if (!c.folderWritable)
            system.unwritable.append(localApplications);
        if (!c.destinationWritable)
            system.unwritable.append(destination);

        EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::quitting);

        ASSERT_EQ(system.alerts.size(), 1);
        EXPECT_EQ(
            system.alerts.first().informativeText, c.expectAuthorization ? offerText + authorizationText : offerText);
        EXPECT_EQ(system.privilegedCommands.size(), c.expectAuthorization ? 1 : 0);
        EXPECT_EQ(read(destination + QStringLiteral("/bin/parley")), "new");
        EXPECT_FALSE(QFileInfo::exists(bundle));
    }
}

TEST_F(AppMoverTest, PrivilegedCopyReplacesTheDestinationWithArgumentVectorsEvenWithQuotesInPaths)
{
    QDir().mkpath(localApplications);
    const QString quoted = makeBundle(home + QStringLiteral("/Bob's \"files\"/Parley's $(copy)"));
    const QString destination = localApplications + QStringLiteral("/Parley's $(copy)");
    makeBundle(destination, "{}", "old");
    write(destination + QStringLiteral("/stale"), "left by the old copy");
    TestPlatform system = platform(quoted);
    system.unwritable.append(localApplications);

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::quitting);

    ASSERT_EQ(system.privilegedCommands.size(), 1);
    EXPECT_EQ(system.privilegedCommands.first(),
        (QList<QStringList> { { "rm", "-rf", "--", destination }, { "cp", "-pR", "--", quoted, destination } }));
    EXPECT_EQ(read(destination + QStringLiteral("/bin/parley")), "new");
    EXPECT_FALSE(QFileInfo::exists(destination + QStringLiteral("/stale")));
    EXPECT_FALSE(QFileInfo::exists(quoted));
    EXPECT_EQ(system.relaunched, QStringList { destination });
}

TEST_F(AppMoverTest, ADismissedPasswordPromptOffersTheMoveAgain)
{
    QDir().mkpath(localApplications);
    TestPlatform system = platform(source);
    system.unwritable.append(localApplications);
    system.privilegedResults = { PrivilegedResult::cancelled, PrivilegedResult::cancelled };
    system.answers = { 0, 0, 1 };

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::continueLaunching);

    EXPECT_EQ(system.alerts.size(), 3);
    EXPECT_EQ(system.privilegedCommands.size(), 2);
    EXPECT_TRUE(QFileInfo::exists(source));
    EXPECT_EQ(system.quits, 0);
}

TEST_F(AppMoverTest, AFailedPrivilegedCopyEndsTheApplicationAndKeepsTheOriginal)
{
    QDir().mkpath(localApplications);
    TestPlatform system = platform(source);
    system.unwritable.append(localApplications);
    system.privilegedResults = { PrivilegedResult::failed };

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::quitting);

    EXPECT_EQ(system.quits, 1);
    EXPECT_TRUE(QFileInfo::exists(source + QStringLiteral("/bin/parley")));
    EXPECT_TRUE(system.relaunched.isEmpty());

    // Not a bundle: nothing is run as the administrator.
    QFile::remove(source + QStringLiteral("/bin/parley"));
    TestPlatform broken = platform(source);
    broken.unwritable.append(localApplications);
    EXPECT_EQ(AppMover(broken).moveCheck(), AppMover::Outcome::quitting);
    EXPECT_TRUE(broken.privilegedCommands.isEmpty());
}

TEST_F(AppMoverTest, ARunningCopyAtTheDestinationIsBroughtForwardAndNothingIsCopied)
{
    const QString destination = makeBundle(userApplications + QStringLiteral("/Parley"), "{}", "old");
    TestPlatform system = platform(source);
    system.running = { destination + QStringLiteral("/") };

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::continueLaunching);

    EXPECT_EQ(system.opened, QStringList { destination });
    EXPECT_EQ(read(destination + QStringLiteral("/bin/parley")), "old");
    EXPECT_TRUE(QFileInfo::exists(source));
}

TEST_F(AppMoverTest, AnIdleCopyAtTheDestinationGoesToTheTrash)
{
    const QString destination = makeBundle(userApplications + QStringLiteral("/Parley"), "{}", "old");
    TestPlatform system = platform(source);

    EXPECT_EQ(AppMover(system).moveCheck(), AppMover::Outcome::quitting);

    EXPECT_EQ(read(destination + QStringLiteral("/bin/parley")), "new");
    EXPECT_EQ(read(home + QStringLiteral("/.local/share/Trash/files/Parley/bin/parley")), "old");
}

TEST_F(AppMoverTest, AFailedCopyOrRelaunchKeepsTheOriginalAndLeavesNoHalfCopy)
{
    QDir().mkpath(userApplications);
    const QString destination = userApplications + QStringLiteral("/Parley");
    TestPlatform failedCopy = platform(source);
    failedCopy.copyFails = true;

    EXPECT_EQ(AppMover(failedCopy).moveCheck(), AppMover::Outcome::continueLaunching);
    EXPECT_FALSE(QFileInfo::exists(destination));
    EXPECT_TRUE(QFileInfo::exists(source));
    EXPECT_TRUE(failedCopy.relaunched.isEmpty());

    TestPlatform failedRelaunch = platform(source);
    failedRelaunch.relaunchFails = true;

    EXPECT_EQ(AppMover(failedRelaunch).moveCheck(), AppMover::Outcome::continueLaunching);
    EXPECT_TRUE(QFileInfo::exists(source + QStringLiteral("/share/parley/Info.json")));
    EXPECT_EQ(failedRelaunch.quits, 0);
}

} // namespace
} // namespace parley
