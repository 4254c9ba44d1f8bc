#include <QApplication>

#include <gtest/gtest.h>

// Every test program runs inside a Qt application on the offscreen platform, so
// event loops, sockets and QML work without a display.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    // Objects a test handed to deleteLater (sessions, with their sockets and
    // worker threads) go while the application still exists, not in the
    // middle of the process's exit.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return result;
}
