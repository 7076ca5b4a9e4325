// main() for the window tests: offscreen by default, and the library's test log and any
// settings (the file dialog's among them) kept in a temporary folder of the test's own; and
// the generated files they choose.
#ifndef TUNEDECK_TESTS_WINDOWTESTMAIN_H
#define TUNEDECK_TESTS_WINDOWTESTMAIN_H

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "midiwriter.h"

// A generated file written into the test's folder, for the window to choose.
inline QString savedMidi(const QTemporaryDir &dir, const midiwriter::File &file, const char *name)
{
    const QString path = dir.filePath(QLatin1String(name));
    file.save(path.toStdString());
    return path;
}

#define TUNEDECK_WINDOW_TEST_MAIN(TestClass)                                                     \
    int main(int argc, char **argv)                                                            \
    {                                                                                          \
        QTemporaryDir temp;                                                                    \
        qputenv("TMPDIR", temp.path().toLocal8Bit());                                          \
        QStandardPaths::setTestModeEnabled(true);                                              \
        for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})       \
            QSettings::setPath(format, QSettings::UserScope, temp.path());                     \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                    \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                           \
        QApplication app(argc, argv);                                                          \
        app.setQuitOnLastWindowClosed(false);                                                  \
        TestClass test;                                                                        \
        return QTest::qExec(&test, argc, argv);                                                \
    }

#endif
