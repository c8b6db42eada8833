#pragma once

#include <QString>
#include <QVariant>

#include <vector>

namespace vivrelo {

class ProgressSink;

// What a file holds, judged by its first bytes and never by its name.
enum class DatabaseFormat { Missing, Unknown, Sqlite, Jet, Ace };

// Reads the signature of the file: "SQLite format 3\0" at offset 0 for ours,
// "\0\x01\0\0Standard Jet DB" for Access 97 to 2003 (Jet 3 and 4), "\0\x01\0\0Standard ACE DB"
// for Access 2007 and later. Missing when the file cannot be opened. DetectDatabaseFile
// (db/Connection.h) tells ours from Access files; this tells the Access versions apart.
DatabaseFormat DetectDatabaseFormat(const QString &path);

// Column types of an Access database, named after the types the system declares.
enum class JetType {
    Short, // Byte, Integer
    Long, // Long Integer
    Counter, // AutoNumber (Long Integer numbered by the database)
    Double, // Single, Double
    Currency, // Currency: a 64-bit count of ten-thousandths
    Date, // Date/Time
    Text, // Text(n)
    Memo, // Memo
    Blob, // OLE Object and binary columns
    YesNo, // Yes/No
};

struct JetColumn {
    QString name;
    JetType type = JetType::Text;
    int size = 0; // characters for Text, otherwise the stored size in bytes
};

// One row is one value per column, in column order. Values: a null QVariant for a null;
// int for Short, Long, Counter; bool for YesNo; double for Double and Currency; QDateTime
// (UTC, to the second) for Date; QString for Text and Memo; QByteArray for Blob.
using JetRow = std::vector<QVariant>;

struct JetTable {
    QString name;
    std::vector<JetColumn> columns;
    std::vector<JetRow> rows;

    // Index of the column, found without regard to case; -1 when absent.
    int columnIndex(const QString &column) const;
};

// The user tables of an Access database (the MSys* system tables left out), whole: every
// row, every value exactly as stored. The file is opened read-only and never changed.
// Throws Error with a French message when the file is not an Access database the reader
// understands, is truncated or damaged. The file is read in a short-lived child process, so
// that a damaged file cannot crash, hang or exhaust the calling one; progress.pump() is
// called while it waits.
std::vector<JetTable> ReadJetDatabase(const QString &path);
std::vector<JetTable> ReadJetDatabase(const QString &path, ProgressSink &progress);

// A Date/Time value: days since 1899-12-30, the fraction being the time of day (also for
// days before that date, whose integral part is negative). Rounded to the second.
QDateTime JetDateToDateTime(double days);

} // namespace vivrelo
