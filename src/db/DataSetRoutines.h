#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vivrelo {

class DataSet;

// True when the dataset has no row (start and end flags both set). Neither moves nor opens it.
bool IsDataSetEmpty(const DataSet &dataSet);
// Edit when the dataset is neither editing nor inserting.
void EditIfNeeded(DataSet &dataSet);
// Post when the dataset is editing or inserting.
void PostIfEditing(DataSet &dataSet);
// Closes and reopens the dataset with its notifications held, then goes back to the row with
// the same Id (the first row when it is gone or the dataset was empty).
void RefreshKeepingId(DataSet &dataSet);
// Closes the query, replaces its text, runs it as a statement and closes it.
void ExecSqlText(DataSet &query, const QString &sql);

// Index of the first line containing the keyword (upper-cased comparison, anywhere in the
// line), or -1 (also for an empty list).
int FindFromLine(const QStringList &sql);
int FindWhereLine(const QStringList &sql);
int FindHavingLine(const QStringList &sql);
int FindOrderByLine(const QStringList &sql);

// Writes a compacted copy of the database source into destination. The source is never
// changed; it must not be open. The copy is written to a work file beside the destination and
// renamed into place only when complete; an existing destination is replaced only then.
// Throws Error (engine's message for a damaged source, refusal of a file that is not ours, a
// destination that cannot be replaced).
void CompactDatabaseFile(const QString &source, const QString &destination);

// Opens the history dataset (BACKUP), appends a row (DateSav = today 00:00:00, TimeSav =
// "hh:mm" of now, Description, Path), posts and closes it.
void AddHistoryRow(DataSet &backup, const QString &description, const QString &path);
// The clock AddHistoryRow reads; an invalid value restores the system clock.
void SetClockForTests(const QDateTime &now);
QDateTime CurrentDateTime();

// Leading blanks removed (a text of blanks only keeps its last blank), then every "''" becomes
// "'".
QString CaptionFromTitle(const QString &title);

} // namespace vivrelo
