#pragma once

#include <QtGlobal>

#include <gtest/gtest.h>

// Tests that write to the Secret Service run only inside the private D-Bus
// session and keyring that tools/run-tests.sh starts, never against the
// keyring of the person running them.
#define PARLEY_REQUIRE_PRIVATE_KEYRING()                                                                               \
    do {                                                                                                               \
        if (qEnvironmentVariable("PARLEY_TEST_KEYRING") != QLatin1String("private"))                                   \
            GTEST_SKIP() << "needs the private keyring of tools/run-tests.sh";                                         \
    } while (false)
