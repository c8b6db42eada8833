#pragma once

// Schema version of a database and the upgrade scripts that bring an older database up to the
// program's schema, with their log "Maj.Log" in the data directory.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

namespace vivrelo {

class Connection;
class Prompter;
class ProgressSink;
struct ConnectionConfig;

// The version text of the database: the value column of the row of `table` whose ID_CLASS,
// ID_ATTRIBUTE and USERID are all -99. "0" when there is no such row or it cannot be read;
// never fails. Names are bracketed as they stand (a name holding "]" reads as "0").
QString GetBDVersion(Connection &connection, const QString &table, const QString &column);
// Stores the version text in that row, inserting the row when missing. Throws Error.
void SetBDVersion(Connection &connection, const QString &table, const QString &column, const QString &version);

// The version as an integer: the text with its first "." removed, read as a decimal integer
// ("1.83" -> 183, "1.830" -> 1830, "1.9" -> 19); anything that is not an integer gives 0.
int VersionNumber(const QString &version);

// Adds one line to the log file: "dd/mm/yyyy-hh:mm:ss : text" at the moment of
// CurrentDateTime(), or an empty line for an empty text. The line is appended to the file
// (UTF-8, CR LF) and flushed, so its cost does not grow with the log and the lines written
// before a failure stay whole; a last line cut short is closed first. Returns false when the
// log cannot be written. The line also goes to the echo, when one is set.
bool AppendLogLine(const QString &logPath, const QString &text);
// The lines of a text file (UTF-8, or the old 8-bit code page when it is not valid UTF-8),
// split at CR LF, LF or CR. Throws Error when the file cannot be read.
QStringList ReadScriptLines(const QString &path);
// The same for bytes already read.
QStringList SplitScriptText(const QByteArray &bytes);

// Where the command line echoes the log as it grows; empty to stop.
void SetUpgradeLogEcho(std::function<void(const QString &line)> echo);

// The log of the data directory: App().dataDir + "Maj.Log".
QString UpgradeLogPath();

// What a logged step that failed ends with: " (error : message)".
QString UpgradeErrorText(const QString &message);
// The longest argument a script line gives a command; longer ones are cut.
inline constexpr qsizetype kMaxScriptArgument = 255;

// What one script line asks for: a comment ("//" at its start, logged), the command named by
// the first command word found in it, or nothing. A guard's line holds its arguments between
// "(" "." "," ")" (NotFieldType(TABLE.Column,Type), FieldExists(TABLE.Column),
// TableExists(TABLE), TableEmpty(TABLE)); SqlExe holds its statement between "{" and "}";
// CompactDataBase its file between "(" and ")"; a conversion reads its own line.
enum class ScriptCommand {
    None,
    Comment,
    NotFieldType,
    NotFieldExists,
    FieldExists,
    NotTableExists,
    TableExists,
    TableEmpty,
    Conversion,
    CompactDataBase,
    SqlExe
};
struct ScriptLine {
    ScriptCommand command = ScriptCommand::None;
    QString word; // the command word found
    QStringList arguments; // in the order above, each at most kMaxScriptArgument long
    QString error; // a French message when the arguments cannot be read (arguments empty)
};
ScriptLine ParseScriptLine(const QString &line);

// A statement written for the Access engine, as SQLite runs it with the schema's declared
// types: a COUNTER or AUTOINCREMENT column of CREATE TABLE becomes the table's
// INTEGER PRIMARY KEY AUTOINCREMENT (a separate primary key on it is dropped), the Access type
// names of CREATE TABLE and ALTER TABLE ... ADD [COLUMN] become ours (TEXT(n) and memos with
// the NOCASE collation), and ADD gets its COLUMN. Any other statement is left as it is.
QString TranslateJetSql(const QString &statement);

// Runs the script directory + fileName against the connection (see the script format in
// Upgrade.cpp). With backupFlag, the user is first offered a compacted copy of the database in
// data directory + "Backup/Maj/", and the script is deleted once it has run to its end.
// Status texts go to statusLabel->setTask() when a label is given (the splash's text, the
// wait window's task line); the progress window shows its label (setTask) and the lines done.
// Statement, compaction and conversion errors are logged and the run goes on; the errors of
// a guard's test and of the backup end the run (Error thrown, no end banner, script kept).
// A script file that cannot be read throws before anything is done. A script that is not text
// of the expected code page (UTF-16, binary) or holds no command is refused: the refusal is
// logged, nothing runs, the file is kept and false is returned (the caller then leaves the
// version unstamped). Returns true once the script has run.
bool RunUpgradeScript(Connection &connection, const QString &directory, const QString &fileName, bool backupFlag,
    Prompter &prompter, ProgressSink *statusLabel, ProgressSink &progressWindow);

// Brings the template database, program directory + "Data/" + OLE DB file name, to the
// product version with program directory + "Maj/" + the current upgrade script (no backup, the
// script kept). Its version is read from OBJECT_VAL_STR's column "VAL" when the table has one,
// else "VALUE". Nothing happens when the file is missing; a template that cannot be written
// is left as it is and noted in the log.
void UpgradeTemplateDatabase(const QString &oleDbFileName, Prompter &prompter, ProgressSink &progressWindow);

// The schema step of the start on the shared connection: the development marker stamps the
// product version; an older database fetches the current upgrade script into the data
// directory; every "*.maj" of the data directory runs once, in the order the directory lists
// them, followed by the stamp when there was one; then the template database. Throws Error
// when a script's run ended early (the script is kept for the next start).
void UpgradeDatabaseSchema(Connection &connection, const ConnectionConfig &config, Prompter &prompter,
    ProgressSink *statusLabel, ProgressSink &progressWindow);

// After a restore: a database older than the product is brought up to date with the current
// upgrade script of the program directory's "Maj/" folder (kept there: no backup, no
// deletion), then stamped with the product version. Throws Error when the run ended early.
void UpgradeRestoredDatabase(
    Connection &connection, Prompter &prompter, ProgressSink *statusLabel, ProgressSink &progressWindow);

} // namespace vivrelo
