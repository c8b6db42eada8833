#pragma once

#include <QString>
#include <QTemporaryDir>

namespace vivrelo::test {

// A fresh program directory and home folder in a temporary folder, for one test.
// The program directory is a copy of the build's program directory (template database,
// upgrade scripts, reports, skins, help), without the executables. HOME points into the
// temporary folder, so the user's documents folder is <tmp>/home/Documents/.
// The application values are reset to this program directory.
class TestDirs
{
public:
    TestDirs();
    ~TestDirs();

    QString root() const; // the temporary folder, with a final "/"
    QString programDir() const; // <tmp>/program/
    QString homeDir() const; // <tmp>/home/
    QString documentsDir() const; // <tmp>/home/Documents/
    // The data directory the program chooses by default for this home.
    QString defaultDataDir() const;

    // Writes a file (creating its folders); returns its path.
    QString writeFile(const QString &path, const QByteArray &bytes) const;

private:
    QTemporaryDir m_tmp;
    QByteArray m_oldHome;
};

// The build's program directory and the folder of files made by other tools.
QString BuiltProgramDir();
QString TestDataDir();
QString SourceDir();

// Copies a folder tree; returns false on the first failure.
bool CopyTree(const QString &from, const QString &to);

} // namespace vivrelo::test
