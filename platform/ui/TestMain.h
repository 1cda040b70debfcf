#pragma once

// The main() of a Qt Test program that runs under the program's own Application (default
// error box, help routing), as the windows do in the running program.

#include "Application.h"

#include <QTest>

#define FERNGROVE_TEST_MAIN(TestObject)                                                                                \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        Application app(argc, argv);                                                                                   \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }
