#pragma once

#include <QString>
#include <QVariant>

namespace vivrelo {

// Kind of a column as the data-access layer presents it. The names (FieldKindName) are the
// ones upgrade scripts compare with.
enum class FieldKind {
    Unknown, // "ftUnknown"
    AutoInc, // "ftAutoInc": counter, the INTEGER PRIMARY KEY of its table
    Smallint, // "ftSmallint": short
    Integer, // "ftInteger": long
    Float, // "ftFloat": double
    Boolean, // "ftBoolean": yes/no
    DateTime, // "ftDateTime": date
    WideString, // "ftWideString": text(n)
    WideMemo, // "ftWideMemo": memo
    Blob, // "ftBlob": blob / OLE object
    BCD, // "ftBCD": currency
};

// Classifies a column from its declared type (as written in CREATE TABLE, any case, with or
// without a size and a COLLATE clause) and whether it is the INTEGER PRIMARY KEY of its table.
// Our schema's types: INTEGER PRIMARY KEY AUTOINCREMENT, SMALLINT, INTEGER, DOUBLE, YESNO,
// DATETIME, TEXT(n), LONGTEXT, BLOB, CURRENCY. The words of Jet's DDL are recognised too:
// COUNTER/AUTOINCREMENT (AutoInc), SHORT/SMALLINT (Smallint), LONG/INTEGER/INT (Integer, or
// AutoInc as the INTEGER PRIMARY KEY), DOUBLE/FLOAT/REAL (Float), YESNO/BIT/LOGICAL/BOOLEAN
// (Boolean), DATETIME/DATE (DateTime), TEXT/VARCHAR/CHAR (WideString), MEMO/LONGTEXT
// (WideMemo), LONGBINARY/OLEOBJECT/BLOB/BINARY/IMAGE (Blob), CURRENCY/MONEY (BCD).
// An empty declared type (an expression column) is Unknown.
FieldKind ClassifyColumn(const QString &declaredType, bool isIntegerPrimaryKey);

// "ftAutoInc", "ftSmallint", ...
QString FieldKindName(FieldKind kind);

// True when the name is one of the data-access layer's field kind names ("ftString",
// "ftWord", "ftCurrency", ... as well as the names FieldKindName gives).
bool IsKnownFieldKindName(const QString &name);
// The name as an upgrade script means it: a known name as it stands, anything else
// "ftUnknown".
QString NormalizedFieldKindName(const QString &name);

// Memo and blob columns are large: datasets fetch them only when a field asks for them.
bool IsLargeKind(FieldKind kind);

// The largest text a column holds, from its declared type ("TEXT(128)" gives 128); 0 when the
// type sets none.
int DeclaredTextLength(const QString &declaredType);

// Refuses a value that the column cannot hold as it is: a text longer than the declared size,
// or an integer outside 16 bits (short) or 32 bits (long, counter). Throws Error with a French
// message naming the column; NULL and values of other kinds pass. Every writer of a declared
// column goes through it, so nothing is stored cut or wrapped.
void CheckFitsColumn(const QString &column, const QString &declaredType, FieldKind kind, const QVariant &value);

} // namespace vivrelo
