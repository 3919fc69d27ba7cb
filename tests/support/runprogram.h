#pragma once

// Another program run to its end from a test, with what it printed.

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

struct ProgramRun
{
    int status = -1; // stays -1 when the program did not start, crashed or ran out of time
    QString out, err;
};

// Runs `program` and waits at most `timeoutMs` for it to end on its own.
inline ProgramRun
runProgram(const QString& program, const QStringList& arguments, int timeoutMs,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun result;
    if (process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit) {
        result.status = process.exitCode();
        result.out = QString::fromUtf8(process.readAllStandardOutput());
        result.err = QString::fromUtf8(process.readAllStandardError());
    }
    return result;
}
