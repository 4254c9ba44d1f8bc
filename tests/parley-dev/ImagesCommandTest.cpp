#include "twitch-sim/TwitchSimulator.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace parley::sim;

TEST(ImagesCommand, failedLoadsAreNamedOnStderrAndFailTheRun)
{
    TwitchSimulator simulator;
    ASSERT_NE(simulator.start(), 0);
    const QUrl good = simulator.emoteImageURL(QStringLiteral("1"));
    const QUrl missing = simulator.emoteImageURL(QStringLiteral("9"));
    simulator.setFault(missing.path(), HttpFault::withStatus(404));

    QTemporaryDir caches;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), caches.path());
    const auto run = [&](const QStringList& urls) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(PARLEY_DEV), QStringList { "images", "load" } + urls);
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 30000));
        return std::tuple(process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()));
    };

    const auto [failedCode, out, err] = run({ good.toString(), missing.toString() });
    EXPECT_EQ(failedCode, 1);
    EXPECT_TRUE(out.contains(good.toString() + QStringLiteral(" 28x28"))) << out.toStdString();
    EXPECT_FALSE(out.contains(missing.toString()));
    EXPECT_TRUE(err.contains(missing.toString() + QStringLiteral(" error: ") +
        QStringLiteral("Failed to load image data. Underlying error: Response status code was unacceptable: 404.")))
        << err.toStdString();

    const auto [code, _, quiet] = run({ good.toString() });
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(quiet.contains(QLatin1String(" error: "))) << quiet.toStdString();
}
