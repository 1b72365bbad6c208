#pragma once

// QTEST_MAIN with the program's own application object: its guard turns a run-time error that no handler
// caught into the "App Error" message, as in the program.

#include "foundation/GuardedApplication.h"

#include <QTest>

#define ORVEL_GUARDED_TEST_MAIN(TestObject)                                                                       \
    int main(int argc, char *argv[])                                                                              \
    {                                                                                                             \
        GuardedApplication app(argc, argv);                                                                       \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                  \
        TestObject tc;                                                                                            \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                \
        return QTest::qExec(&tc, argc, argv);                                                                     \
    }
