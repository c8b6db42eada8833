#pragma once

#include "base/Progress.h"
#include "db/JetReader.h"

#include <QString>

#include <functional>
#include <vector>

namespace vivrelo {

// The template database installed with the program:
// program directory + "Ressources/DB/Data/Access/VIVRELO.MDB".
QString TemplateDatabasePath();

// The declared type of a column of an Access table in our databases ("SMALLINT",
// "TEXT(128) COLLATE NOCASE", "INTEGER PRIMARY KEY AUTOINCREMENT", ...).
QString DeclaredTypeFor(const JetColumn &column);

// Writes a new database of ours at targetPath from the tables of an Access database:
// a copy of the template, where each table the template has (names compared without regard
// to case) receives the source's rows in place of its own, by column name (columns the
// source lacks take their defaults, source columns the template lacks are added), counter
// keys keeping their values; tables the template lacks are created with our declared types.
// The schema version row comes from the source: a source without one gives a database
// without one (version "0"), so that the upgrade scripts bring the schema up to date.
//
// The new database is written under a work name in the target's folder and renamed onto
// targetPath only once complete, reopened and checked; targetPath is never touched before.
// Throws Error (French) when the tables are not a database of this program (no ITEMS
// table), when the template is missing or when the target's folder cannot be written.
void ConvertJetTables(const std::vector<JetTable> &tables, const QString &templatePath, const QString &targetPath,
    ProgressSink &progress = noProgress());

struct JetImportResult {
    QString database; // the converted database (targetPath)
    QString keptOriginal; // the copy of the Access file kept beside it
    int tables = 0; // tables converted
    int items = 0; // rows of ITEMS
};

// The whole conversion of an Access database into ours: detect, read, convert, check.
// jetPath and targetPath may name the same file (the database of an older installation
// converted where it lies). The Access file is first copied beside the target, as
// targetPath + ".jet-origine" (or ".jet-origine-2", ... when that name is taken), and
// the converted database takes targetPath only once it has been reopened and checked.
// An existing target other than jetPath is replaced only when replaceExisting is set.
// On any failure nothing is left behind, the Access file is where and as it was, and
// Error carries the reason in French.
// The reading step is ReadJetDatabase unless another source of tables is given.
using JetTablesReader = std::function<std::vector<JetTable>(const QString &path, ProgressSink &progress)>;
JetImportResult ImportJetDatabase(const QString &jetPath, const QString &targetPath, bool replaceExisting = false,
    ProgressSink &progress = noProgress(), const JetTablesReader &read = {});

// What EnsureOurDatabase found at the path and did.
struct EnsuredDatabase {
    DatabaseFormat found = DatabaseFormat::Missing;
    bool converted = false; // an Access file was converted where it lay
    JetImportResult import; // when converted: the kept Access file, tables and products
};

// Makes sure the file at `path` is not an Access database before it is opened or put in
// place: an Access/Jet file is converted where it lies (ImportJetDatabase onto itself), the
// Access file being kept beside it as path + ".jet-origine". A missing file, one of ours or
// any other file is left alone (opening tells what is wrong with it). A newer Access (ACE)
// file is converted when the reader understands it and otherwise refused with a message
// saying how to save it in a readable format. Throws Error in French on every failure, the
// file being then where and as it was.
EnsuredDatabase EnsureOurDatabase(const QString &path, ProgressSink &progress = noProgress());

} // namespace vivrelo
