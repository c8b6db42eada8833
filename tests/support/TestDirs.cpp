#include "support/TestDirs.h"

#include "base/AppValues.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace vivrelo::test {

QString BuiltProgramDir()
{
    return QStringLiteral(VIVRELO_PROGRAM_DIR "/");
}
QString TestDataDir()
{
    return QStringLiteral(VIVRELO_TESTDATA_DIR "/");
}
QString SourceDir()
{
    return QStringLiteral(VIVRELO_SOURCE_DIR "/");
}

bool CopyTree(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString rel = QDir(from).relativeFilePath(path);
        const QString target = to + QLatin1Char('/') + rel;
        if (info.isDir()) {
            if (!QDir().mkpath(target))
                return false;
        } else if (!info.isExecutable() || info.suffix().size()) {
            QDir().mkpath(QFileInfo(target).path());
            if (!QFile::copy(path, target))
                return false;
        }
    }
    return true;
}

TestDirs::TestDirs()
{
    EXPECT_TRUE(m_tmp.isValid());
    m_oldHome = qgetenv("HOME");
    QDir().mkpath(documentsDir());
    qputenv("HOME", homeDir().toLocal8Bit());
    qunsetenv("XDG_DOCUMENTS_DIR");
    qputenv("XDG_CONFIG_HOME", (homeDir() + QStringLiteral(".config")).toLocal8Bit());
    EXPECT_TRUE(CopyTree(BuiltProgramDir(), programDir())) << "cannot copy the program directory";
    InitApplicationValues(programDir());
}

TestDirs::~TestDirs()
{
    qputenv("HOME", m_oldHome);
}

QString TestDirs::root() const
{
    return m_tmp.path() + QLatin1Char('/');
}
QString TestDirs::programDir() const
{
    return root() + QStringLiteral("program/");
}
QString TestDirs::homeDir() const
{
    return root() + QStringLiteral("home/");
}
QString TestDirs::documentsDir() const
{
    return homeDir() + QStringLiteral("Documents/");
}
QString TestDirs::defaultDataDir() const
{
    return documentsDir() + QStringLiteral("Orbelin Software Development/Talvane Vivrelo/");
}

QString TestDirs::writeFile(const QString &path, const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
    return path;
}

} // namespace vivrelo::test
