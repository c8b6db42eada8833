#include "maintenance/ArchiveCheck.h"

#include "base/Error.h"
#include "base/Progress.h"
#include "db/JetImport.h"
#include "maintenance/Cabinet.h"
#include "maintenance/Maintenance.h"

#include <QDir>
#include <QTemporaryDir>

namespace vivrelo {

ArchiveCheck VerifyArchive(const QString &archivePath, ProgressSink &progress)
{
    const QString shown = QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(archivePath));
    QTemporaryDir work(QDir::tempPath() + QStringLiteral("/vivrelo-verification-XXXXXX"));
    if (!work.isValid())
        fail(QStringLiteral("Aucun dossier temporaire ne peut être créé pour vérifier l'archive %1.").arg(shown));
    const QString dir = work.path() + QLatin1Char('/');

    progress.setTask(QStringLiteral("Lecture de l'archive"));
    const ExtractionResult extracted = ExtractCabinet(archivePath, dir, [&](int index, int count, const QString &) {
        progress.setMaximum(count);
        progress.setPosition(index + 1);
        progress.pump();
    });
    ArchiveCheck check;
    QString database;
    for (const ExtractedEntry &e : extracted.extracted) {
        ++check.entries;
        check.bytes += e.size;
        if (e.fileName.compare(QStringLiteral("VIVRELO.MDB"), Qt::CaseInsensitive) == 0)
            database = dir + e.fileName;
        else if (e.fileName.endsWith(QStringLiteral(".jpg"), Qt::CaseInsensitive))
            ++check.pictures;
    }
    if (extracted.extracted.empty())
        fail(QStringLiteral("L'archive %1 ne contient aucun fichier.").arg(shown));
    if (database.isEmpty())
        fail(QStringLiteral("L'archive %1 ne contient pas de base de données (VIVRELO.MDB).").arg(shown));

    progress.setTask(QStringLiteral("Vérification de la base de données"));
    progress.pump();
    check.accessDatabase = EnsureOurDatabase(database, progress).converted;
    check.products = CheckArchivedDatabase(database);
    return check;
}

} // namespace vivrelo
