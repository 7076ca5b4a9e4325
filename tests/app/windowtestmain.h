// main() for the window tests: offscreen by default, and the library's test log kept in a
// temporary folder of the test's own.
#ifndef TUNEDECK_TESTS_WINDOWTESTMAIN_H
#define TUNEDECK_TESTS_WINDOWTESTMAIN_H

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#define TUNEDECK_WINDOW_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char **argv)                                                            \
    {                                                                                          \
        QTemporaryDir temp;                                                                    \
        qputenv("TMPDIR", temp.path().toLocal8Bit());                                          \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                    \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                           \
        QApplication app(argc, argv);                                                          \
        app.setQuitOnLastWindowClosed(false);                                                  \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }

#endif
