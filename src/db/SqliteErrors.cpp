#include "db/SqliteErrors.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace vivrelo {

namespace {

// The name the engine puts after a fixed prefix ("no such table: ITEMS"): the prefixes are the
// engine's own and do not change with the language of the system.
QString namedAfter(const QString &text, QLatin1StringView prefix)
{
    const qsizetype at = text.indexOf(prefix);
    if (at < 0)
        return {};
    return text.mid(at + prefix.size()).section(u' ', 0, 0).trimmed();
}

QString generalErrorCause(const QString &text)
{
    QString name = namedAfter(text, QLatin1StringView("no such table: "));
    if (!name.isEmpty())
        return QStringLiteral("La table « %1 » manque dans la base de données").arg(name);
    name = namedAfter(text, QLatin1StringView("no such column: "));
    if (!name.isEmpty())
        return QStringLiteral("La colonne « %1 » manque dans la base de données").arg(name);
    static const QRegularExpression noColumn(QStringLiteral("table (\\S+) has no column named (\\S+)"));
    const QRegularExpressionMatch m = noColumn.match(text);
    if (m.hasMatch())
        return QStringLiteral("La colonne « %1 » manque dans la table « %2 »").arg(m.captured(2), m.captured(1));
    if (text.contains(QLatin1StringView("syntax error")) || text.contains(QLatin1StringView("incomplete input")))
        return QStringLiteral("L'instruction SQL est mal écrite");
    return QStringLiteral("La base de données a refusé l'opération");
}

} // namespace

QString SqliteErrorCause(int code, const QString &engineText, int systemErrno)
{
    switch (code) {
    case SQLITE_READONLY_DBMOVED:
        return QStringLiteral("Le fichier de la base de données a été déplacé ou remplacé pendant qu'elle était "
                              "ouverte");
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
        return QStringLiteral("Une autre ligne porte déjà cette valeur");
    case SQLITE_CONSTRAINT_NOTNULL:
        return QStringLiteral("Une valeur obligatoire manque");
    default:
        break;
    }
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("La base de données est utilisée par un autre programme");
    case SQLITE_READONLY:
        return QStringLiteral("La base de données ne peut pas être modifiée : elle est en lecture seule");
    case SQLITE_FULL:
        return QStringLiteral("Le disque est plein : la base de données ne peut plus grandir");
    case SQLITE_CORRUPT:
        return QStringLiteral("La base de données est endommagée");
    case SQLITE_NOTADB:
        return QStringLiteral("Le fichier n'est pas une base de données de ce programme");
    case SQLITE_CANTOPEN:
        if (const QString cause = FileSystemErrorCause(systemErrno); !cause.isEmpty())
            return QStringLiteral("La base de données ne peut pas être ouverte : %1").arg(cause.toLower());
        return QStringLiteral("La base de données ne peut pas être ouverte");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("L'accès à la base de données est refusé");
    case SQLITE_IOERR:
        if (const QString cause = FileSystemErrorCause(systemErrno); !cause.isEmpty())
            return cause;
        return QStringLiteral("Le disque n'a pas pu être lu ou écrit");
    case SQLITE_NOMEM:
        return QStringLiteral("La mémoire manque");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("La base de données refuse cette valeur");
    case SQLITE_TOOBIG:
        return QStringLiteral("La valeur est trop grande pour la base de données");
    case SQLITE_MISMATCH:
        return QStringLiteral("La valeur n'est pas du type attendu");
    case SQLITE_INTERRUPT:
    case SQLITE_ABORT:
        return QStringLiteral("L'opération a été interrompue");
    case SQLITE_SCHEMA:
        return QStringLiteral("La structure de la base de données a changé pendant l'opération");
    case SQLITE_RANGE:
    case SQLITE_MISUSE:
        return QStringLiteral("Le programme a mal posé sa demande à la base de données");
    case SQLITE_ERROR:
        return generalErrorCause(engineText);
    default:
        return QStringLiteral("La base de données a signalé une erreur");
    }
}

QString SqliteErrorText(int code, const QString &engineText, const QString &kept, int systemErrno)
{
    QString cause = SqliteErrorCause(code, engineText, systemErrno);
    // Where the French cause says it all, the engine's words add nothing.
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_READONLY:
    case SQLITE_FULL:
    case SQLITE_NOMEM:
        return ExplainFailure(cause, kept);
    default:
        return ExplainFailure(cause, kept, engineText);
    }
}

QString SqliteErrorText(sqlite3 *db, int code, const QString &kept)
{
    if (!db)
        return SqliteErrorText(code, QString::fromUtf8(sqlite3_errstr(code)), kept);
    const int extended = sqlite3_extended_errcode(db);
    return SqliteErrorText(
        extended != SQLITE_OK ? extended : code, QString::fromUtf8(sqlite3_errmsg(db)), kept, sqlite3_system_errno(db));
}

} // namespace vivrelo
