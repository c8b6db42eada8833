#include "db/DatabaseCopy.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "db/DataSetRoutines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace vivrelo {

namespace {

// True when the file's contents are on the disk.
bool Flushed(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && ::fsync(f.handle()) == 0;
}

} // namespace

QString CopyDatabaseIntoBackupFolder(const QString &database, const QString &namePrefix)
{
    const QString folder = App().dataDir + QStringLiteral("Backup/");
    const QString stem = folder + namePrefix + CurrentDateTime().toString(QStringLiteral("yyyy_MM_dd_hh_mm_ss"));
    QString copy = stem + QStringLiteral(".MDB");
    for (int n = 2; QFileInfo::exists(copy); ++n)
        copy = stem + QStringLiteral("_%1.MDB").arg(n);
    if (!CreateDirectoryLevel(folder) || !CopyFileNoReplace(database, copy)
        || QFileInfo(copy).size() != QFileInfo(database).size() || !Flushed(copy)) {
        QFile::remove(copy);
        fail(QStringLiteral("La base de données actuelle n'a pas pu être copiée dans « %1 » : rien n'a été importé "
                            "ni modifié.")
                 .arg(QDir::toNativeSeparators(folder)));
    }
    return copy;
}

} // namespace vivrelo
