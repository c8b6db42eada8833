#include "db/JetImport.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "db/Connection.h"
#include "db/SqliteValues.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace vivrelo {

namespace {

const QString kItems = QStringLiteral("ITEMS");
const QString kObjectValStr = QStringLiteral("OBJECT_VAL_STR");

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString quoted(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

const JetTable *findTable(const std::vector<JetTable> &tables, const QString &name)
{
    for (const JetTable &t : tables)
        if (t.name.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString findName(const QStringList &names, const QString &name)
{
    for (const QString &n : names)
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    return QString();
}

const JetTable &requireItems(const std::vector<JetTable> &tables, const QString &source)
{
    const JetTable *items = findTable(tables, kItems);
    if (!items)
        fail(QStringLiteral("« %1 » n'est pas une base de données de %2 : elle n'a pas de table ITEMS.\r"
                            "Rien n'a été converti ni modifié.")
                 .arg(source, App().productName));
    return *items;
}

QStringList columnsOf(Connection &db, const QString &table)
{
    const QString joined =
        db.scalar(QStringLiteral("SELECT group_concat(name, char(9)) FROM pragma_table_info(?)"), {table}).toString();
    return joined.isEmpty() ? QStringList() : joined.split(QLatin1Char('\t'));
}

void createTable(Connection &db, const JetTable &table)
{
    QStringList definitions;
    bool haveKey = false;
    for (const JetColumn &c : table.columns) {
        // SQLite allows one INTEGER PRIMARY KEY per table; Access one AutoNumber.
        QString type = DeclaredTypeFor(c);
        if (c.type == JetType::Counter) {
            if (haveKey)
                type = QStringLiteral("INTEGER");
            haveKey = true;
        }
        definitions << quoted(c.name) + QLatin1Char(' ') + type;
    }
    db.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(quoted(table.name), definitions.join(QStringLiteral(", "))));
}

// Adds the source's columns our table lacks and gives, for each source column, the name our
// table knows it by.
QStringList matchColumns(Connection &db, const QString &ours, const JetTable &table)
{
    const QStringList existing = columnsOf(db, ours);
    QStringList names;
    for (const JetColumn &c : table.columns) {
        QString name = findName(existing, c.name);
        if (name.isEmpty()) {
            // A column added to a table cannot become its key: a counter arrives as a plain
            // integer keeping its values.
            const QString type = c.type == JetType::Counter ? QStringLiteral("INTEGER") : DeclaredTypeFor(c);
            db.exec(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(quoted(ours), quoted(c.name), type));
            name = c.name;
        }
        names << name;
    }
    return names;
}

void insertRows(Connection &db, const QString &ours, const QStringList &columns, const JetTable &table)
{
    if (table.rows.empty() || columns.isEmpty())
        return;
    QStringList names, marks;
    for (const QString &c : columns) {
        names << quoted(c);
        marks << QStringLiteral("?");
    }
    const QByteArray sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                               .arg(quoted(ours), names.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")))
                               .toUtf8();
    sqlite::Statement statement;
    if (sqlite3_prepare_v2(db.handle(), sql.constData(), int(sql.size()), statement.out(), nullptr) != SQLITE_OK)
        db.failWithEngineMessage(QStringLiteral("Table %1").arg(table.name));
    for (const JetRow &row : table.rows) {
        sqlite3_reset(statement.get());
        for (int i = 0; i < int(row.size()) && i < columns.size(); ++i)
            if (sqlite::bindValue(statement.get(), i + 1, row[size_t(i)]) != SQLITE_OK)
                db.failWithEngineMessage(QStringLiteral("Table %1").arg(table.name));
        if (sqlite3_step(statement.get()) != SQLITE_DONE)
            db.failWithEngineMessage(QStringLiteral("Table %1").arg(table.name));
    }
}

// Opens the finished file as the program will and checks it whole.
void checkConverted(const QString &work, qsizetype itemRows)
{
    Connection db;
    db.open(work);
    const QString integrity = db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
    if (integrity != QStringLiteral("ok"))
        fail(QStringLiteral("La base convertie est endommagée (%1) : elle n'a pas été mise en place.").arg(integrity));
    qint64 read = 0;
    {
        sqlite::Statement statement;
        if (sqlite3_prepare_v2(db.handle(), "SELECT * FROM ITEMS", -1, statement.out(), nullptr) != SQLITE_OK)
            db.failWithEngineMessage(QStringLiteral("ITEMS"));
        int rc;
        while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW)
            ++read;
        if (rc != SQLITE_DONE)
            db.failWithEngineMessage(QStringLiteral("ITEMS"));
    }
    if (read != itemRows)
        fail(QStringLiteral("La base convertie ne compte que %1 produits sur %2 : elle n'a pas été mise en place.")
                 .arg(read)
                 .arg(itemRows));
    db.close();
}

// Removes the work file unless it was put in place.
struct WorkFile {
    QString path;
    bool placed = false;
    ~WorkFile()
    {
        if (!placed) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
        }
    }
};

QString freeName(const QString &base)
{
    QString name = base;
    for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n)
        name = base + QStringLiteral("-%1").arg(n);
    return name;
}

} // namespace

QString TemplateDatabasePath()
{
    return App().programDir + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB");
}

QString DeclaredTypeFor(const JetColumn &column)
{
    switch (column.type) {
    case JetType::Counter:
        return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    case JetType::Short:
        return QStringLiteral("SMALLINT");
    case JetType::Long:
        return QStringLiteral("INTEGER");
    case JetType::Double:
        return QStringLiteral("DOUBLE");
    case JetType::Currency:
        return QStringLiteral("CURRENCY");
    case JetType::YesNo:
        return QStringLiteral("YESNO");
    case JetType::Date:
        return QStringLiteral("DATETIME");
    case JetType::Text:
        return QStringLiteral("TEXT(%1) COLLATE NOCASE").arg(column.size > 0 ? column.size : 255);
    case JetType::Memo:
        return QStringLiteral("LONGTEXT COLLATE NOCASE");
    case JetType::Blob:
        return QStringLiteral("BLOB");
    }
    return QStringLiteral("BLOB");
}

void ConvertJetTables(
    const std::vector<JetTable> &tables, const QString &templatePath, const QString &targetPath, ProgressSink &progress)
{
    const JetTable &items = requireItems(tables, QStringLiteral("La base Access"));
    if (!FileExists(templatePath))
        fail(QStringLiteral("Le modèle de base de données « %1 » est introuvable : la conversion est impossible.")
                 .arg(shown(templatePath)));

    WorkFile work{targetPath + QStringLiteral(".conversion")};
    QFile::remove(work.path);
    QFile::remove(work.path + QStringLiteral("-journal"));
    const QString folder = QFileInfo(targetPath).absolutePath();
    if (!QFile::copy(templatePath, work.path))
        fail(QStringLiteral("Impossible d'écrire dans le dossier « %1 » : la base convertie ne peut pas y être créée.\r"
                            "Rien n'a été modifié.")
                 .arg(shown(folder)));
    // The installed template may be read-only; its copy must not be.
    QFile::setPermissions(work.path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);

    progress.setMaximum(int(tables.size()));
    {
        Connection db;
        db.open(work.path);
        db.exec(QStringLiteral("BEGIN"));
        const QStringList ours = db.tableNames();
        int done = 0;
        for (const JetTable &table : tables) {
            progress.setMessage(QStringLiteral("Table %1").arg(table.name));
            progress.setPosition(done++);
            progress.pump();
            QString name = findName(ours, table.name);
            QStringList columns;
            if (name.isEmpty()) {
                createTable(db, table);
                name = table.name;
                for (const JetColumn &c : table.columns)
                    columns << c.name;
            } else {
                // The user's rows replace the template's: its layout, labels and version row.
                columns = matchColumns(db, name, table);
                db.exec(QStringLiteral("DELETE FROM %1").arg(quoted(name)));
            }
            insertRows(db, name, columns, table);
        }
        // A source without the version table has no version: the template's row would claim
        // the current schema for tables that may be older.
        if (!findTable(tables, kObjectValStr) && !findName(ours, kObjectValStr).isEmpty())
            db.exec(
                QStringLiteral("DELETE FROM OBJECT_VAL_STR WHERE ID_CLASS=-99 AND ID_ATTRIBUTE=-99 AND USERID=-99"));
        db.exec(QStringLiteral("COMMIT"));
        db.close();
    }
    progress.setPosition(int(tables.size()));

    checkConverted(work.path, qsizetype(items.rows.size()));
    if (!RenameDurably(work.path, targetPath))
        fail(QStringLiteral("La base convertie n'a pas pu prendre la place de « %1 ».\rRien n'a été modifié.")
                 .arg(shown(targetPath)));
    work.placed = true;
}

JetImportResult ImportJetDatabase(const QString &jetPath, const QString &targetPath, bool replaceExisting,
    ProgressSink &progress, const JetTablesReader &read)
{
    switch (DetectDatabaseFormat(jetPath)) {
    case DatabaseFormat::Missing:
        fail(QStringLiteral("Le fichier « %1 » est introuvable ou illisible.").arg(shown(jetPath)));
    case DatabaseFormat::Sqlite:
        fail(QStringLiteral("« %1 » est déjà une base de données de ce programme : elle n'a pas à être convertie.")
                 .arg(shown(jetPath)));
    case DatabaseFormat::Unknown:
        fail(QStringLiteral("Le fichier « %1 » n'est pas une base de données Access.").arg(shown(jetPath)));
    case DatabaseFormat::Jet:
    case DatabaseFormat::Ace:
        break;
    }
    const QFileInfo source(jetPath), target(targetPath);
    const bool inPlace = target.exists() && source.canonicalFilePath() == target.canonicalFilePath();
    if (target.exists() && !inPlace && !replaceExisting)
        fail(QStringLiteral("La base de données « %1 » existe déjà : elle n'a pas été remplacée.")
                 .arg(shown(targetPath)));
    // A rollback journal beside the database belongs to it: the engine would apply it to the
    // converted file taking its name.
    if (target.exists() && !inPlace && FileSizeOf(targetPath + QStringLiteral("-journal")) > 0)
        fail(QStringLiteral("La base de données « %1 » a une transaction inachevée (fichier « %2 ») : ouvrez-la "
                            "une fois avec le programme pour qu'elle soit annulée, puis recommencez.\r"
                            "Rien n'a été modifié.")
                 .arg(shown(targetPath), shown(targetPath + QStringLiteral("-journal"))));

    progress.setTask(QStringLiteral("Conversion de la base de données Access"));
    progress.setMessage(QStringLiteral("Lecture de %1").arg(source.fileName()));
    progress.pump();
    const std::vector<JetTable> tables = read ? read(jetPath, progress) : ReadJetDatabase(jetPath, progress);
    const JetTable &items = requireItems(tables, shown(jetPath));

    // The Access file is kept, byte for byte, beside the database it becomes.
    const QString kept = freeName(targetPath + QStringLiteral(".jet-origine"));
    // It must be on the disk before the converted database may take the original's place.
    if (!CopyFileNoReplace(jetPath, kept) || QFileInfo(kept).size() != source.size() || !SyncToDisk(kept)) {
        QFile::remove(kept);
        fail(QStringLiteral(
            "La copie de la base Access « %1 » n'a pas pu être écrite : la conversion n'a pas été faite.\r"
            "Rien n'a été modifié.")
                 .arg(shown(kept)));
    }
    try {
        ConvertJetTables(tables, TemplateDatabasePath(), targetPath, progress);
    } catch (...) {
        QFile::remove(kept); // the original is still where it was
        throw;
    }
    return {targetPath, kept, int(tables.size()), int(items.rows.size())};
}

EnsuredDatabase EnsureOurDatabase(const QString &path, ProgressSink &progress)
{
    EnsuredDatabase result;
    result.found = DetectDatabaseFormat(path);
    if (result.found != DatabaseFormat::Jet && result.found != DatabaseFormat::Ace)
        return result;

    std::vector<JetTable> tables;
    try {
        progress.setTask(QStringLiteral("Conversion de la base de données Access"));
        progress.setMessage(QStringLiteral("Lecture de %1").arg(QFileInfo(path).fileName()));
        progress.pump();
        tables = ReadJetDatabase(path, progress);
    } catch (const Error &e) {
        if (result.found == DatabaseFormat::Ace)
            fail(QStringLiteral("« %1 » est une base de données Access 2007 ou plus récente (format ACE) que ce "
                                "programme ne sait pas lire :\r%2\r"
                                "Ouvrez-la avec Access et enregistrez-la au format Access 2002-2003 (.mdb), "
                                "puis recommencez. Le fichier n'a pas été modifié.")
                     .arg(shown(path), e.message()));
        fail(QStringLiteral("La base de données Access « %1 » n'a pas pu être lue pour être convertie :\r%2\r"
                            "Le fichier n'a pas été modifié.")
                 .arg(shown(path), e.message()));
    }
    try {
        // The tables are read once: the import takes them as they are.
        result.import = ImportJetDatabase(
            path, path, false, progress, [&tables](const QString &, ProgressSink &) { return std::move(tables); });
    } catch (const Error &e) {
        fail(QStringLiteral("La base de données Access « %1 » n'a pas pu être convertie :\r%2\r"
                            "Le fichier d'origine est resté tel quel.")
                 .arg(shown(path), e.message()));
    }
    result.converted = true;
    return result;
}

} // namespace vivrelo
