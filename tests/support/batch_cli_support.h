#pragma once
// Running the real tessarolith-batch in tests.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace batch_cli {

inline QString batchProgram()
{
    return QStringLiteral(TESS_BIN_DIR "/tessarolith-batch");
}

struct Outcome {
    int exitCode = -1; // -1 when the program crashed
    QString out;
    QString err;
};

inline Outcome finish(QProcess &p)
{
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

inline Outcome runBatch(const QStringList &args, const QString &program = batchProgram())
{
    QProcess p;
    p.start(program, args);
    return finish(p);
}

// The same, under a locale of its own: the variables named are set, every
// other locale variable is taken away.
inline Outcome runBatchInLocale(const QStringList &args, const QStringList &localeVariables)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        environment.remove(QString::fromLatin1(name));
    for (const QString &variable : localeVariables)
        environment.insert(variable.section(QLatin1Char('='), 0, 0), variable.section(QLatin1Char('='), 1));
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(batchProgram(), args);
    return finish(p);
}

} // namespace batch_cli
