#include "maintenance/AutoBackup.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "db/Connection.h"
#include "maintenance/Cabinet.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include <fcntl.h>

namespace vivrelo {

namespace {

const QString Prefix = QStringLiteral("VIVRELO_AUTO_");

QString quoted(const QString &path)
{
    return QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(path));
}

// An automatic archive's name: its date stamp, then a number when two runs fell in the same second.
const QRegularExpression &AutomaticName()
{
    static const QRegularExpression re(QStringLiteral("^VIVRELO_AUTO_(\\d{4}(?:_\\d{2}){5})(?:_(\\d+))?\\.bkp$"));
    return re;
}

// Gives the file its final name unless that name is taken; never replaces a file.
bool renameNoReplace(const QString &from, const QString &to)
{
    const QByteArray a = QFile::encodeName(from), b = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, a.constData(), AT_FDCWD, b.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: test, then rename (the folder is ours alone).
    return !QFileInfo::exists(to) && std::rename(a.constData(), b.constData()) == 0;
}

bool appendHistory(const MaintenancePlaces &places, const QDateTime &now, const QString &text)
{
    QFile file(AutoBackupHistoryPath(places));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    QString line = ShortDate(now.date()) + QLatin1Char(' ') + LongTime(now.time()) + QStringLiteral(" ; ") + text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    const QByteArray bytes = line.toUtf8() + "\r\n";
    return file.write(bytes) == bytes.size() && file.flush();
}

// The automatic archives of the folder, oldest first.
QStringList automaticArchives(const QString &dir)
{
    struct Named {
        QString stamp;
        int number;
        QString name;
    };
    std::vector<Named> found;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
        const auto m = AutomaticName().match(name);
        if (m.hasMatch())
            found.push_back({m.captured(1), m.captured(2).isEmpty() ? 1 : m.captured(2).toInt(), name});
    }
    std::sort(found.begin(), found.end(),
        [](const Named &a, const Named &b) { return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number; });
    QStringList names;
    for (const Named &n : found)
        names << n.name;
    return names;
}

} // namespace

QString AutoBackupDir(const MaintenancePlaces &places)
{
    return BackupDir(places) + QStringLiteral("Auto/");
}

QString AutoBackupName(const QDateTime &when)
{
    return Prefix + when.toString(QStringLiteral("yyyy_MM_dd_HH_mm_ss")) + QStringLiteral(".bkp");
}

QString AutoBackupHistoryPath(const MaintenancePlaces &places)
{
    return AutoBackupDir(places) + QStringLiteral("historique.txt");
}

AutoBackupOutcome RunAutoBackup(const MaintenancePlaces &places, int keep, const QDateTime &now, ProgressSink &progress,
    const ArchiveReadBack &readBack)
{
    AutoBackupOutcome outcome;
    const QString dir = AutoBackupDir(places);
    try {
        if (keep < 1)
            fail(QStringLiteral("Le nombre d'archives automatiques à garder doit être d'au moins 1 (%1 demandé).")
                     .arg(keep));
        if (!QDir().mkpath(dir))
            fail(QStringLiteral("Le dossier des sauvegardes automatiques %1 ne peut pas être créé.").arg(quoted(dir)));

        QString name = AutoBackupName(now);
        for (int n = 2; QFileInfo::exists(dir + name); ++n)
            name = AutoBackupName(now).chopped(4) + QLatin1Char('_') + QString::number(n) + QStringLiteral(".bkp");
        const QString archive = dir + name;

        // The work folder lies beside the archives, on the same file system: the archive takes
        // its name there in one step. It goes, with whatever it holds, whatever happens.
        QTemporaryDir work(dir + QStringLiteral("~en-cours-XXXXXX"));
        if (!work.isValid())
            fail(QStringLiteral("Le dossier %1 n'accepte pas de fichiers : aucune archive n'a été faite.")
                     .arg(quoted(dir)));
        const QString snapshot = work.path() + QStringLiteral("/VIVRELO.MDB");
        progress.setTask(QStringLiteral("Copie de la base de données"));
        progress.pump();
        {
            Connection db;
            db.openReadOnly(DatabaseFilePath(places));
            db.exec(QStringLiteral("VACUUM INTO ?"), {snapshot});
        }
        outcome.products = CheckArchivedDatabase(snapshot);

        std::vector<CabinetSource> entries{{QStringLiteral("VIVRELO.MDB"), snapshot}};
        PictureEntries pictures = PictureArchiveEntries(places.databaseDir + QStringLiteral("Images/"));
        entries.insert(entries.end(), pictures.entries.begin(), pictures.entries.end());
        outcome.leftOut = pictures.leftOut;
        const QString partial = work.path() + QStringLiteral("/archive.bkp");
        std::vector<CabinetEntryDigest> packed;
        for (const CabinetSource &e : entries)
            packed.push_back(DigestFile(e.name, e.path, e.nativePath));
        WriteCabinet(partial, entries, progress, archive);
        if (!SyncToDisk(partial))
            fail(QStringLiteral("L'archive %1 n'a pas pu être écrite sur le disque.").arg(quoted(archive)));
        progress.setTask(QStringLiteral("Vérification de l'archive"));
        progress.pump();
        if (readBack)
            readBack(partial, entries);
        else
            CheckCabinetReadsBack(partial, packed, work.path(), archive);
        if (!renameNoReplace(partial, archive))
            fail(QStringLiteral("L'archive n'a pas pu être enregistrée sous %1.").arg(quoted(archive)));
        SyncToDisk(dir);
        outcome.archive = archive;
        outcome.files = int(entries.size());

        // Only now, with the new archive whole on disk, may older ones go.
        QStringList older = automaticArchives(dir);
        older.removeAll(name);
        while (older.size() > keep - 1) {
            const QString oldest = older.takeFirst();
            if (QFile::remove(dir + oldest))
                outcome.removed << oldest;
        }
    } catch (const Error &e) {
        appendHistory(places, now, QStringLiteral("échec : ") + e.message());
        throw;
    }
    QString line = QStringLiteral("réussie : %1 (%2 produits, %3 fichiers)")
                       .arg(QFileInfo(outcome.archive).fileName())
                       .arg(outcome.products)
                       .arg(outcome.files);
    if (!outcome.removed.isEmpty())
        line += QStringLiteral(" ; supprimées : ") + outcome.removed.join(QStringLiteral(", "));
    if (!outcome.leftOut.isEmpty())
        line += QStringLiteral(" ; non sauvegardés : ") + outcome.leftOut.join(QStringLiteral(", "));
    outcome.historyWritten = appendHistory(places, now, line);
    return outcome;
}

} // namespace vivrelo
