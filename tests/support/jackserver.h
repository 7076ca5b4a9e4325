// A private JACK server for tests and measurements: the dummy backend (no sound card needed),
// synchronous mode (the default mode may drop MIDI messages under load), a client timeout long
// enough that a busy machine's slow client is waited for, not dropped, and a name of its
// own, set in JACK_DEFAULT_SERVER for this process's clients. Stopped by its process id
// when the object goes, whatever happened; on Linux also when this process dies.
#ifndef TUNEDECK_JACKSERVER_H
#define TUNEDECK_JACKSERVER_H

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <jack/jack.h>

#if defined(__linux__)
#  include <csignal>
#  include <sys/prctl.h>
#endif

// How long a test waits for messages to pass: a machine with every core busy can hold a
// non-realtime JACK cycle back for seconds. Only a failing test waits this long.
constexpr int PortWaitMs = 20000;

class JackTestServer {
public:
    // realtime: the server and its clients' process threads at realtime priority, as JACK
    // runs for musicians (needs the right to it); tests run without.
    explicit JackTestServer(bool realtime = false, int timeoutMs = 5000)
    {
        static int count = 0;
        name_ = QStringLiteral("tunedeck-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++count);
        const QString jackd = QStandardPaths::findExecutable(QStringLiteral("jackd"));
        if (jackd.isEmpty()) {
            why_ = QStringLiteral("jackd is not installed (Debian: jackd2)");
            return;
        }
        previous_ = qgetenv("JACK_DEFAULT_SERVER");
        qputenv("JACK_DEFAULT_SERVER", name_.toLocal8Bit());
        envSet_ = true;
        process_.setProgram(jackd);
        process_.setArguments({"-n", name_, "-S", "-t", "10000", realtime ? "--realtime" : "--no-realtime", "-d", "dummy", "-r", "48000",
                               "-p", "64"});
        process_.setProcessChannelMode(QProcess::MergedChannels); // read when it fails
#if defined(__linux__)
        process_.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
        process_.start();
        if (!process_.waitForStarted(timeoutMs)) {
            why_ = QStringLiteral("jackd could not start: ") + process_.errorString();
            return;
        }
        jack_set_error_function([](const char *) {}); // "cannot connect" while it starts
        jack_set_info_function([](const char *) {});
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < timeoutMs && process_.state() == QProcess::Running) {
            if (jack_client_t *probe = jack_client_open("tunedeck-test-probe", JackNoStartServer, nullptr)) {
                jack_client_close(probe);
                running_ = true;
                return;
            }
            QThread::msleep(20);
        }
        why_ = QStringLiteral("jackd did not start: ") + QString::fromLocal8Bit(process_.readAll()).trimmed().right(600);
        stop();
    }
    ~JackTestServer() { stop(); }
    bool running() const { return running_; }
    QString whyNot() const { return why_; }

    void stop()
    {
        running_ = false;
        if (process_.state() != QProcess::NotRunning) {
            process_.terminate();
            if (!process_.waitForFinished(3000)) {
                process_.kill();
                process_.waitForFinished(3000);
            }
        }
        if (envSet_)
            previous_.isNull() ? qunsetenv("JACK_DEFAULT_SERVER") : qputenv("JACK_DEFAULT_SERVER", previous_);
        envSet_ = false;
    }

private:
    QString name_, why_;
    QByteArray previous_;
    QProcess process_;
    bool running_ = false;
    bool envSet_ = false;
};

#endif
