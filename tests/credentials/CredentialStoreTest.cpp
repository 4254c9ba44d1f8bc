#include "credentials/CredentialStore.h"
#include "credentials/CredentialStoreConstants.h"
#include "credentials/CredentialStoreStatus.h"
#include "platform/Diagnostics.h"

#include "support/PrivateKeyring.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace parley;
namespace Keys = parley::CredentialStoreConstants;

namespace {

// Each test keeps its items under a schema of its own, so tests running in
// parallel against the one private keyring never see each other's items.
QString testSchemaName()
{
    const auto* test = testing::UnitTest::GetInstance()->current_test_info();
    return QStringLiteral("app.parley.test.%1.%2")
        .arg(QString::fromUtf8(test->test_suite_name()), QString::fromUtf8(test->name()));
}

class CredentialStoreTest : public testing::Test {
protected:
    void SetUp() override { PARLEY_REQUIRE_PRIVATE_KEYRING(); }

    void TearDown() override
    {
        CredentialStore everything { QString(), SecretServiceItems(testSchemaName()) };
        everything.setSynchronizable(true);
        everything.clear();
    }

    CredentialStore makeStore(const QString& prefix = QStringLiteral("app.parley.Tests.")) const
    {
        return CredentialStore(prefix, SecretServiceItems(testSchemaName(), QStringLiteral("Parley test item")));
    }
};

} // namespace

TEST_F(CredentialStoreTest, KeysAreStoredUnderThePrefixAndListedWithIt)
{
    CredentialStore store = makeStore();
    ASSERT_TRUE(store.set(QStringLiteral("secret"), QStringLiteral("accessToken.token")));
    EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::success);
    EXPECT_EQ(store.lastQueryParameters()->value(Keys::account).toString(),
        QStringLiteral("app.parley.Tests.accessToken.token"));
    EXPECT_EQ(
        store.lastQueryParameters()->value(Keys::accessible).toString(), QStringLiteral("accessibleWhenUnlocked"));

    EXPECT_EQ(store.allKeys(), QStringList { QStringLiteral("app.parley.Tests.accessToken.token") });
    EXPECT_EQ(store.get(QStringLiteral("accessToken.token")), QStringLiteral("secret"));
    CredentialStore unprefixed = makeStore(QString());
    EXPECT_EQ(unprefixed.get(QStringLiteral("app.parley.Tests.accessToken.token")), QStringLiteral("secret"));
    EXPECT_FALSE(unprefixed.get(QStringLiteral("accessToken.token")));
}

TEST_F(CredentialStoreTest, WritingAKeyTwiceLeavesOneItemWithTheSecondValue)
{
    CredentialStore store = makeStore();
    ASSERT_TRUE(store.set(QStringLiteral("first"), QStringLiteral("k")));
    ASSERT_TRUE(store.set(QStringLiteral("second"), QStringLiteral("k")));
    EXPECT_EQ(store.get(QStringLiteral("k")), QStringLiteral("second"));
    EXPECT_EQ(store.allKeys().size(), 1);
}

TEST_F(CredentialStoreTest, AWriteReplacesTheItemInPlaceAndDropsItsOtherForms)
{
    CredentialStore store = makeStore();
    ASSERT_TRUE(store.set(QStringLiteral("first"), QStringLiteral("k")));
    const std::optional<QByteArray> item = store.getData(QStringLiteral("k"), true);
    ASSERT_TRUE(store.set(QStringLiteral("second"), QStringLiteral("k")));
    EXPECT_EQ(store.getData(QStringLiteral("k"), true), item) << "the same item, never deleted first";

    // Another accessibility is another item; once written, the old one goes.
    ASSERT_TRUE(store.set(
        QStringLiteral("third"), QStringLiteral("k"), CredentialStoreAccessOptions::accessibleAfterFirstUnlock));
    EXPECT_EQ(store.allKeys().size(), 1);
    EXPECT_EQ(store.get(QStringLiteral("k")), QStringLiteral("third"));
}

TEST_F(CredentialStoreTest, UnlockingAnUnlockedKeyringAsksNothing)
{
    CredentialStore store = makeStore();
    DiagnosticsCapture log;
    EXPECT_TRUE(store.unlock());
    EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::success);
    EXPECT_TRUE(log.lines().isEmpty());
}

TEST_F(CredentialStoreTest, StatusesAreDescribedForTheUser)
{
    EXPECT_EQ(CredentialStoreStatus::description(CredentialStoreStatus::interactionNotAllowed),
        QStringLiteral("The keyring is locked."));
    EXPECT_EQ(CredentialStoreStatus::description(CredentialStoreStatus::notAvailable),
        QStringLiteral("No keyring is available."));
    EXPECT_EQ(CredentialStoreStatus::description(-1), QStringLiteral("The keyring failed (status -1)."));
}

TEST_F(CredentialStoreTest, ValuesKeepTheirEncodings)
{
    CredentialStore store = makeStore();
    const QString text = QStringLiteral("Grüße ✓ \U0001F600");
    ASSERT_TRUE(store.set(text, QStringLiteral("text")));
    EXPECT_EQ(store.get(QStringLiteral("text")), text);
    EXPECT_EQ(store.getData(QStringLiteral("text")), text.toUtf8());

    const QByteArray binary("\0\xff\x01zero", 7);
    ASSERT_TRUE(store.setData(binary, QStringLiteral("binary")));
    EXPECT_EQ(store.getData(QStringLiteral("binary")), binary);

    ASSERT_TRUE(store.setBool(true, QStringLiteral("yes")));
    ASSERT_TRUE(store.setBool(false, QStringLiteral("no")));
    EXPECT_EQ(store.getData(QStringLiteral("yes")), QByteArray(1, '\1'));
    EXPECT_EQ(store.getData(QStringLiteral("no")), QByteArray(1, '\0'));
    EXPECT_EQ(store.getBool(QStringLiteral("yes")), true);
    EXPECT_EQ(store.getBool(QStringLiteral("no")), false);
}

TEST_F(CredentialStoreTest, BooleansAreTrueOnlyForTheByteOne)
{
    CredentialStore store = makeStore();
    ASSERT_TRUE(store.setData(QByteArray(1, '\2'), QStringLiteral("two")));
    ASSERT_TRUE(store.setData(QByteArray(), QStringLiteral("empty")));
    EXPECT_EQ(store.getBool(QStringLiteral("two")), false);
    EXPECT_EQ(store.getBool(QStringLiteral("empty")), std::nullopt);
    EXPECT_EQ(store.getData(QStringLiteral("empty")), QByteArray());
}

TEST_F(CredentialStoreTest, UnreadableValuesAreRefused)
{
    CredentialStore store = makeStore();
    ASSERT_TRUE(store.setData(QByteArray("\xc3\x28 not utf-8"), QStringLiteral("latin")));
    EXPECT_EQ(store.get(QStringLiteral("latin")), std::nullopt);
    EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::invalidEncoding);

    // A string with no UTF-8 form is not written, and the old value stays.
    ASSERT_TRUE(store.set(QStringLiteral("kept"), QStringLiteral("k")));
    EXPECT_FALSE(store.set(QString(QChar(0xd800)), QStringLiteral("k")));
    EXPECT_EQ(store.get(QStringLiteral("k")), QStringLiteral("kept"));
}

TEST_F(CredentialStoreTest, MissingKeysReportNotFound)
{
    CredentialStore store = makeStore();
    EXPECT_EQ(store.get(QStringLiteral("missing")), std::nullopt);
    EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::itemNotFound);
    EXPECT_FALSE(store.remove(QStringLiteral("missing")));
    EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::itemNotFound);

    ASSERT_TRUE(store.set(QStringLiteral("v"), QStringLiteral("present")));
    EXPECT_TRUE(store.remove(QStringLiteral("present")));
    EXPECT_EQ(store.getData(QStringLiteral("present")), std::nullopt);
    EXPECT_TRUE(store.allKeys().isEmpty());
}

TEST_F(CredentialStoreTest, PersistentReferenceNamesTheItemNotItsContents)
{
    CredentialStore store = makeStore();
    ASSERT_TRUE(store.set(QStringLiteral("secret"), QStringLiteral("k")));
    const std::optional<QByteArray> reference = store.getData(QStringLiteral("k"), true);
    ASSERT_TRUE(reference);
    EXPECT_TRUE(reference->startsWith("/org/freedesktop/secrets/"));
    EXPECT_TRUE(store.lastQueryParameters()->value(Keys::returnPersistentReference).toBool());
    EXPECT_FALSE(store.lastQueryParameters()->contains(Keys::returnData));
}

TEST_F(CredentialStoreTest, SynchronizableItemsAreWrittenAsSuchAndMatchedWithAny)
{
    CredentialStore shared = makeStore();
    shared.setSynchronizable(true);
    ASSERT_TRUE(shared.set(QStringLiteral("v"), QStringLiteral("k")));
    EXPECT_EQ(shared.lastQueryParameters()->value(Keys::synchronizable), QVariant(true));
    EXPECT_EQ(shared.get(QStringLiteral("k")), QStringLiteral("v"));
    EXPECT_EQ(shared.lastQueryParameters()->value(Keys::synchronizable), QVariant(Keys::synchronizableAny));

    CredentialStore local = makeStore();
    EXPECT_EQ(local.get(QStringLiteral("k")), std::nullopt);
    EXPECT_FALSE(local.lastQueryParameters()->contains(Keys::synchronizable));
    ASSERT_TRUE(local.set(QStringLiteral("local"), QStringLiteral("other")));
    EXPECT_EQ(shared.get(QStringLiteral("other")), QStringLiteral("local"));

    EXPECT_TRUE(shared.remove(QStringLiteral("k")));
    EXPECT_EQ(shared.lastQueryParameters()->value(Keys::synchronizable), QVariant(Keys::synchronizableAny));
}

TEST_F(CredentialStoreTest, AnAccessGroupRestrictsEveryQuery)
{
    CredentialStore grouped = makeStore();
    grouped.setAccessGroup(QStringLiteral("group.one"));
    ASSERT_TRUE(grouped.set(QStringLiteral("v"), QStringLiteral("k")));
    EXPECT_EQ(grouped.lastQueryParameters()->value(Keys::accessGroup).toString(), QStringLiteral("group.one"));

    CredentialStore otherGroup = makeStore();
    otherGroup.setAccessGroup(QStringLiteral("group.two"));
    EXPECT_EQ(otherGroup.get(QStringLiteral("k")), std::nullopt);
    EXPECT_TRUE(otherGroup.allKeys().isEmpty());
    EXPECT_EQ(makeStore().get(QStringLiteral("k")), QStringLiteral("v"));
}

TEST_F(CredentialStoreTest, ClearRemovesEveryPrefixButOnlyItsOwnSchema)
{
    CredentialStore first = makeStore(QStringLiteral("one."));
    CredentialStore second = makeStore(QStringLiteral("two."));
    ASSERT_TRUE(first.set(QStringLiteral("1"), QStringLiteral("k")));
    ASSERT_TRUE(second.set(QStringLiteral("2"), QStringLiteral("k")));
    CredentialStore foreign(QStringLiteral("one."), SecretServiceItems(testSchemaName() + QStringLiteral(".foreign")));
    ASSERT_TRUE(foreign.set(QStringLiteral("3"), QStringLiteral("k")));

    EXPECT_TRUE(first.clear());
    EXPECT_TRUE(first.allKeys().isEmpty());
    EXPECT_EQ(second.get(QStringLiteral("k")), std::nullopt);
    EXPECT_EQ(foreign.get(QStringLiteral("k")), QStringLiteral("3"));
    EXPECT_TRUE(foreign.clear());
    EXPECT_FALSE(foreign.clear());
    EXPECT_EQ(foreign.lastResultCode(), CredentialStoreStatus::itemNotFound);
}

TEST_F(CredentialStoreTest, ConcurrentWritesOfOneKeyLeaveOneWholeItem)
{
    CredentialStore store = makeStore();
    std::vector<std::thread> writers;
    for (int writer = 0; writer < 4; ++writer)
        writers.emplace_back([&store, writer] {
            for (int round = 0; round < 5; ++round)
                store.set(QStringLiteral("writer %1 round %2").arg(writer).arg(round), QStringLiteral("k"));
        });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(store.allKeys().size(), 1);
    EXPECT_TRUE(store.get(QStringLiteral("k")).value_or(QString()).endsWith(QStringLiteral("round 4")));
}

// The check runs in a child process: the parent's connection to the session
// bus is shared process-wide and would outlive unsetting the variable.
TEST(CredentialStoreWithoutSecretService, EveryOperationFailsAtOnceWithNotAvailable)
{
    if (qEnvironmentVariableIsSet("PARLEY_TEST_NO_SESSION_BUS")) {
        CredentialStore store(
            QStringLiteral("app.parley.Tests."), SecretServiceItems(QStringLiteral("app.parley.test.unreachable")));
        EXPECT_FALSE(store.set(QStringLiteral("v"), QStringLiteral("k")));
        EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::notAvailable);
        EXPECT_EQ(store.get(QStringLiteral("k")), std::nullopt);
        EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::notAvailable);
        EXPECT_FALSE(store.remove(QStringLiteral("k")));
        EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::notAvailable);
        EXPECT_FALSE(store.clear());
        EXPECT_EQ(store.lastResultCode(), CredentialStoreStatus::notAvailable);
        EXPECT_TRUE(store.allKeys().isEmpty());
        return;
    }
    QTemporaryDir runtime;
    ASSERT_TRUE(runtime.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : { "DBUS_SESSION_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY" })
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("PARLEY_TEST_NO_SESSION_BUS"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(),
        { QStringLiteral(
            "--gtest_filter=CredentialStoreWithoutSecretService.EveryOperationFailsAtOnceWithNotAvailable") });
    // Far below the 25-second D-Bus call time-out a hanging attempt would take.
    ASSERT_TRUE(child.waitForFinished(10000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
}
