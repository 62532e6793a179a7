// Runs one of this build's programs (beside the test executable) to its end and keeps what it
// said. A program that has not ended by the time limit is killed, and its exit code stays -1.
#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

struct ProgramRun {
    int exitCode = -1;
    bool crashed = false; // ended by a signal (a crash, an abort)
    QString out, errors;

    // Standard output, a line each, with CR LF ends removed and empty lines left out.
    QStringList lines() const
    {
        QStringList all;
        for (const QString &line : out.split('\n'))
            if (!line.isEmpty())
                all << QString(line).remove('\r');
        return all;
    }
};

inline ProgramRun
runProgram(const QString &name, const QStringList &arguments, int timeoutMs,
           const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(QCoreApplication::applicationDirPath() + "/" + name, arguments);
    ProgramRun ran;
    if (!program.waitForFinished(timeoutMs)) {
        program.kill();
        program.waitForFinished();
        return ran;
    }
    ran.exitCode = program.exitCode();
    ran.crashed = program.exitStatus() == QProcess::CrashExit;
    ran.out = QString::fromLocal8Bit(program.readAllStandardOutput());
    ran.errors = QString::fromLocal8Bit(program.readAllStandardError());
    return ran;
}
