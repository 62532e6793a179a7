// Hamlib's rigctld as the radio, for the tests: the dummy rig with CAT PTT on a free port of
// the loopback address, read and set through rigctl as an operator would.
#pragma once

#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

class Rigctld {
public:
    Rigctld()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        port = probe.serverPort();
    }
    ~Rigctld() { stop(); }

    // Starts it; true once it takes connections.
    bool start()
    {
        process.start("rigctld",
                      {"-m", "1", "-P", "RIG", "-T", "127.0.0.1", "-t", QString::number(port)});
        return process.waitForStarted(5000) && QTest::qWaitFor(
                                                   [&] {
                                                       QTcpSocket s;
                                                       s.connectToHost("127.0.0.1", port);
                                                       return s.waitForConnected(200);
                                                   },
                                                   5000);
    }
    void stop()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.kill();
        process.waitForFinished(3000);
    }

    QString address() const { return QStringLiteral("localhost:%1").arg(port); }

    // rigctl's answer to the given commands, one line each; empty when it fails.
    QStringList ask(const QStringList &commands) const
    {
        QProcess rigctl;
        rigctl.start("rigctl", QStringList{"-m", "2", "-r", address()} + commands);
        if (!rigctl.waitForFinished(5000) || rigctl.exitCode() != 0)
            return {};
        return QString::fromLocal8Bit(rigctl.readAllStandardOutput())
            .split('\n', Qt::SkipEmptyParts);
    }
    // PTT as the radio reads it: 0, 1, or -1 when rigctl gives no answer.
    int ptt() const
    {
        const QStringList answer = ask({"t"});
        return answer.isEmpty() ? -1 : answer.first().trimmed().toInt();
    }

    quint16 port = 0;
    QProcess process;
};
