// The simulated TS-2000 (ts2000-sim, beside the test program) for the tests: started on a
// pseudo-terminal of its own, its state set and read through its standard input and output.
#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

class Ts2000Sim {
public:
    Ts2000Sim()
    {
        process.start(QCoreApplication::applicationDirPath() + "/ts2000-sim", QStringList());
        if (process.waitForStarted(3000) && process.waitForReadyRead(3000))
            device = QString::fromLatin1(process.readLine()).trimmed();
    }
    ~Ts2000Sim()
    {
        set("quit");
        if (!process.waitForFinished(2000))
            process.kill();
    }

    // One line of the simulator's control language ("freq 7040000", "mode 9", "mute", ...).
    void set(const QString &line)
    {
        process.write((line + "\n").toLatin1());
        process.waitForBytesWritten(1000);
    }
    // Whether the radio is transmitting now; -1 when the simulator does not say.
    int transmitting()
    {
        process.readAll(); // what it heard so far
        set("state");
        QString line;
        (void)QTest::qWaitFor(
            [&] {
                while (process.canReadLine()) {
                    line = QString::fromLatin1(process.readLine());
                    if (line.startsWith("tx="))
                        return true;
                }
                return false;
            },
            2000);
        return line.startsWith("tx=") ? line.mid(3, 1).toInt() : -1;
    }

    QProcess process;
    QString device; // the radio's CAT port
};
