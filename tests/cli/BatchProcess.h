#pragma once
// vantrel-batch run as a user runs it: a real process, its exit status and output.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace vantrel::test {

struct BatchRun {
    int status = -1;
    QString out;
    QString err;
};

// Runs vantrel-batch with `arguments`, `input` on its standard input, in `workingFolder` (the
// test's own when empty) with `environment`.
inline BatchRun
runBatch(const QStringList& arguments, const QByteArray& input = {},
         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
         const QString& workingFolder = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder);
    process.start(QStringLiteral(VANTREL_BATCH_BINARY), arguments);
    process.write(input);
    process.closeWriteChannel();
    EXPECT_TRUE(process.waitForFinished(120000));
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// The system's environment with `name` set to `value`.
inline QProcessEnvironment environmentWith(const QString& name, const QString& value) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(name, value);
    return environment;
}

} // namespace vantrel::test
