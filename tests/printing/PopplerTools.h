#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace vivrelo::test {

// Output of a poppler tool (pdfinfo, pdftotext) on a PDF; empty when the tool fails.
inline QString RunTool(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace vivrelo::test
