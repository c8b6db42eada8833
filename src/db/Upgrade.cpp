// The upgrade interpreter.
//
// A script is a text file read whole into lines; each line is one unit:
// - "//text" is a comment: "text" goes to the log ("//" alone writes an empty line);
// - any other line is searched, case-sensitively and anywhere in the line, for the command
//   words of CommandWords() in their order; the first word found decides what the line does,
//   so a statement that mentions TableEmpty is a TableEmpty guard;
// - a guard that finds its change already present logs "*** Mise à jour déjà effectuée ***"
//   and skips to the first following line whose first three characters, upper-cased, are
//   "END"; blocks do not nest;
// - arguments are cut at the first occurrence of each punctuation and at 255 characters.

#include "db/Upgrade.h"

#include "base/AppValues.h"
#include "base/DataFiles.h"
#include "base/Error.h"
#include "base/LangText.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "base/TextEncoding.h"
#include "db/Compaction.h"
#include "db/Connection.h"
#include "db/ConnectionConfig.h"
#include "db/Conversions.h"
#include "db/DataSet.h"
#include "db/DataSetRoutines.h"
#include "db/FieldKind.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace vivrelo {

namespace {

const QString kVersionTable = QStringLiteral("OBJECT_VAL_STR");
const QString kVersionColumn = QStringLiteral("VALUE");
const QString kAlreadyDone = QStringLiteral("*** Mise à jour déjà effectuée ***");
const QString kEndBanner = QStringLiteral("********************* MISE A JOUR TERMINE *********************");

std::function<void(const QString &)> &logEcho()
{
    static std::function<void(const QString &)> echo;
    return echo;
}

// "[name]" for the version statements; a name that would break out of its brackets is refused.
QString bracketed(const QString &name)
{
    if (name.contains(u']') || name.contains(u'['))
        fail(QStringLiteral("Nom de table ou de colonne invalide : %1").arg(name));
    return u'[' + name + u']';
}

QString versionWhere()
{
    return QStringLiteral(" WHERE [ID_CLASS]=? AND [ID_ATTRIBUTE]=? AND [USERID]=?");
}

const QVariantList &versionKeys()
{
    static const QVariantList keys{-99, -99, -99};
    return keys;
}

} // namespace

QString GetBDVersion(Connection &connection, const QString &table, const QString &column)
{
    try {
        DataSet query(&connection); // "GetBDVersion"
        query.setSqlText(QStringLiteral("SELECT ") + bracketed(column) + QStringLiteral(" FROM ") + bracketed(table)
            + versionWhere());
        query.setParameters(versionKeys());
        query.open();
        const QString version = IsDataSetEmpty(query) ? QStringLiteral("0") : query.field(0).asString();
        query.close();
        return version.left(kMaxScriptArgument);
    } catch (const Error &) {
        return QStringLiteral("0");
    }
}

void SetBDVersion(Connection &connection, const QString &table, const QString &column, const QString &version)
{
    DataSet query(&connection); // "SetBDVersion"
    query.setSqlText(QStringLiteral("SELECT ") + bracketed(column)
        + QStringLiteral(", [ID_CLASS], [ID_ATTRIBUTE], [USERID] FROM ") + bracketed(table) + versionWhere());
    query.setParameters(versionKeys());
    query.open();
    if (IsDataSetEmpty(query))
        query.append();
    else
        query.edit();
    query.field(0).setValue(version);
    for (int key = 1; key <= 3; ++key)
        query.field(key).setValue(-99);
    query.post();
    query.close();
}

int VersionNumber(const QString &version)
{
    QString digits = version;
    const qsizetype point = digits.indexOf(u'.');
    if (point >= 0)
        digits.remove(point, 1);
    bool ok = false;
    const int number = digits.toInt(&ok, 10);
    return ok ? number : 0;
}

bool AppendLogLine(const QString &logPath, const QString &text)
{
    QString line;
    if (!text.isEmpty()) {
        const QDateTime now = CurrentDateTime();
        line = ShortDate(now.date()) + u'-' + LongTime(now.time()) + QStringLiteral(" : ") + text;
    }
    // Appended and flushed: a line costs the same whatever the log already holds, and a crash
    // between two lines leaves every earlier line as it was. A line cut short by a crash is
    // closed before the next one, so that one starts whole.
    QFile log(logPath);
    bool written = log.open(QIODevice::ReadWrite | QIODevice::Append);
    if (written) {
        QByteArray bytes;
        if (log.size() > 0) {
            char last = '\n';
            written = log.seek(log.size() - 1) && log.getChar(&last);
            if (last != '\n')
                bytes = "\r\n";
        }
        bytes += line.toUtf8() + "\r\n";
        written = written && log.seek(log.size()) && log.write(bytes) == bytes.size() && log.flush();
        log.close();
    }
    if (logEcho())
        logEcho()(line);
    return written;
}

void SetUpgradeLogEcho(std::function<void(const QString &)> echo)
{
    logEcho() = std::move(echo);
}

QString UpgradeLogPath()
{
    return App().dataDir + QStringLiteral("Maj.Log");
}

QString UpgradeErrorText(const QString &message)
{
    return QStringLiteral(" (error : ") + message + u')';
}

QStringList ReadScriptLines(const QString &path)
{
    QFile file(path);
    if (!FileExists(path) || !file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Impossible de lire le fichier « %1 ».").arg(path));
    return SplitScriptText(file.readAll());
}

QStringList SplitScriptText(const QByteArray &bytes)
{
    // A script written by the Windows program is in its 8-bit code page.
    QString text = DecodeWindowsText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(u'\r', u'\n');
    QStringList lines = text.split(u'\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast(); // the break that ends the last line starts no line
    return lines;
}

// ---------------------------------------------------------------------------------------------
// Access SQL

namespace {

// Splits a column list at the commas outside parentheses, brackets and quotes.
// Visits each character of an Access text with whether it stands outside quotes: '...', "..."
// and [...] are inside, their delimiters included.
template <typename Visit>
void forEachQuoted(const QString &text, Visit visit)
{
    QChar quote;
    for (const QChar c : text) {
        bool outside = false;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'[') {
            quote = QChar(u']');
        } else {
            outside = true;
        }
        visit(c, outside);
    }
}

QStringList splitTopLevel(const QString &list)
{
    QStringList parts;
    QString current;
    int depth = 0;
    forEachQuoted(list, [&](QChar c, bool outside) {
        if (outside) {
            if (c == u'(') {
                ++depth;
            } else if (c == u')') {
                --depth;
            } else if (c == u',' && depth == 0) {
                parts << current;
                current.clear();
                return;
            }
        }
        current += c;
    });
    parts << current;
    return parts;
}

// One column definition "Name TYPE[(n)] rest" with the type made ours. `counter` is set when
// the column became the table's auto-increment key.
QString translateColumn(const QString &definition, bool &counter)
{
    static const QRegularExpression shape(
        QStringLiteral(
            R"(^(\s*(?:\[[^\]]*\]|"[^"]*"|`[^`]*`|[^\s(\[]+)\s+)([A-Za-z_][A-Za-z0-9_]*)(\s*\(\s*\d+\s*(?:,\s*\d+\s*)?\))?(.*)$)"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = shape.match(definition);
    if (!m.hasMatch())
        return definition;
    const QString name = m.captured(1);
    const QString type = m.captured(2).toUpper();
    const QString size = m.captured(3);
    QString rest = m.captured(4);
    const bool hasCollation = rest.contains(QStringLiteral("COLLATE"), Qt::CaseInsensitive);
    const QString nocase = hasCollation ? QString() : QStringLiteral(" COLLATE NOCASE");

    static const QStringList counters{
        QStringLiteral("COUNTER"), QStringLiteral("AUTOINCREMENT"), QStringLiteral("IDENTITY")};
    if (counters.contains(type)) {
        static const QRegularExpression key(QStringLiteral(R"((CONSTRAINT\s+\S+\s+)?PRIMARY\s+KEY|NOT\s+NULL)"),
            QRegularExpression::CaseInsensitiveOption);
        rest = rest.remove(key).trimmed();
        counter = true;
        return name + QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT") + (rest.isEmpty() ? QString() : u' ' + rest);
    }
    const auto is = [&type](std::initializer_list<const char *> words) {
        for (const char *w : words)
            if (type == QLatin1String(w))
                return true;
        return false;
    };
    QString ours;
    if (is({"SHORT", "SMALLINT", "INTEGER2", "BYTE", "TINYINT"}))
        ours = QStringLiteral("SMALLINT");
    else if (is({"LONG", "INTEGER", "INT", "INTEGER4"}))
        // A long key is a plain long integer, as in Access: "INTEGER PRIMARY KEY" would make it
        // the engine's row number, numbered by itself like a counter.
        ours = rest.contains(QRegularExpression(
                   QStringLiteral(R"(\bPRIMARY\s+KEY\b)"), QRegularExpression::CaseInsensitiveOption))
            ? QStringLiteral("INT")
            : QStringLiteral("INTEGER");
    else if (is({"DOUBLE", "FLOAT", "FLOAT8", "FLOAT4", "SINGLE", "REAL", "NUMBER", "NUMERIC"}))
        ours = QStringLiteral("DOUBLE");
    else if (is({"YESNO", "BIT", "LOGICAL", "LOGICAL1", "BOOLEAN"}))
        ours = QStringLiteral("YESNO");
    else if (is({"DATETIME", "DATE", "TIME", "TIMESTAMP"}))
        ours = QStringLiteral("DATETIME");
    else if (is({"TEXT", "VARCHAR", "CHAR", "NVARCHAR", "NCHAR", "STRING", "ALPHANUMERIC"}))
        ours = QStringLiteral("TEXT") + (size.isEmpty() ? QStringLiteral("(255)") : size.simplified().remove(u' '))
            + nocase; // Access gives a text without size 255 characters
    else if (is({"MEMO", "LONGTEXT", "LONGCHAR", "NOTE", "NTEXT"}))
        ours = QStringLiteral("LONGTEXT") + nocase;
    else if (is({"LONGBINARY", "OLEOBJECT", "GENERAL", "IMAGE", "BLOB", "BINARY", "VARBINARY"}))
        ours = QStringLiteral("BLOB");
    else if (is({"CURRENCY", "MONEY"}))
        ours = QStringLiteral("CURRENCY");
    else
        return definition;
    return name + ours + rest;
}

bool isTableConstraint(const QString &item)
{
    static const QRegularExpression constraint(
        QStringLiteral(R"(^\s*(CONSTRAINT|PRIMARY\s+KEY|UNIQUE|FOREIGN\s+KEY|CHECK)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    return constraint.match(item).hasMatch();
}

bool isPrimaryKeyConstraint(const QString &item)
{
    static const QRegularExpression pk(
        QStringLiteral(R"(^\s*(CONSTRAINT\s+\S+\s+)?PRIMARY\s+KEY\b)"), QRegularExpression::CaseInsensitiveOption);
    return pk.match(item).hasMatch();
}

// An indexed column with the binary comparison unless it names its own: an index must never
// use our French comparison, which other SQLite tools do not have (their integrity check would
// find the index out of order). "Title DESC" becomes "Title COLLATE BINARY DESC".
QString binaryIndexedColumn(const QString &item)
{
    if (item.contains(QStringLiteral("COLLATE"), Qt::CaseInsensitive))
        return item;
    static const QRegularExpression name(QStringLiteral(R"(^(\s*(?:\[[^\]]*\]|"[^"]*"|`[^`]*`|[^\s\[]+)))"));
    const QRegularExpressionMatch m = name.match(item);
    if (!m.hasMatch())
        return item;
    return m.captured(1) + QStringLiteral(" COLLATE BINARY") + item.mid(m.capturedEnd(1));
}

// "UNIQUE (A, B)" or "CONSTRAINT K PRIMARY KEY (A)" with every column compared in binary.
QString binaryKeyConstraint(const QString &constraint)
{
    static const QRegularExpression keyList(
        QStringLiteral(R"(^(\s*(?:CONSTRAINT\s+\S+\s+)?(?:UNIQUE|PRIMARY\s+KEY)\s*)\((.*)\)(\s*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch m = keyList.match(constraint);
    if (!m.hasMatch())
        return constraint;
    QStringList columns;
    for (const QString &c : splitTopLevel(m.captured(2)))
        columns << binaryIndexedColumn(c);
    return m.captured(1) + u'(' + columns.join(u',') + u')' + m.captured(3);
}

// A text column declared UNIQUE or PRIMARY KEY gets its key as a table constraint compared in
// binary: the word leaves the column, the constraint is added to `constraints`.
QString keyOfTextColumnApart(const QString &column, QStringList &constraints)
{
    static const QRegularExpression text(
        QStringLiteral(R"(^(\s*(?:\[[^\]]*\]|"[^"]*"|`[^`]*`|[^\s(\[]+))\s+(?:TEXT|LONGTEXT)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression key(QStringLiteral(R"(\s*(?:CONSTRAINT\s+\S+\s+)?(UNIQUE|PRIMARY\s+KEY)\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch t = text.match(column);
    if (!t.hasMatch())
        return column;
    QString result = column;
    QRegularExpressionMatch k;
    while ((k = key.match(result)).hasMatch()) {
        constraints << k.captured(1).simplified().toUpper() + QStringLiteral(" (") + t.captured(1).trimmed()
                + QStringLiteral(" COLLATE BINARY)");
        result.remove(k.capturedStart(0), k.capturedLength(0));
    }
    return result;
}

// Access joins texts with "&"; outside quotes it becomes the engine's "||".
QString jetConcatenation(const QString &statement)
{
    QString out;
    out.reserve(statement.size() + 8);
    forEachQuoted(statement, [&out](QChar c, bool outside) {
        if (outside && c == u'&')
            out += QStringLiteral("||");
        else
            out += c;
    });
    return out;
}

} // namespace

QString TranslateJetSql(const QString &jetStatement)
{
    const QString statement = jetConcatenation(jetStatement);
    static const QRegularExpression create(
        QStringLiteral(R"(^(\s*CREATE\s+TABLE\s+(?:\[[^\]]*\]|"[^"]*"|[^\s(]+)\s*)\((.*)\)(\s*;?\s*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression index(
        QStringLiteral(
            R"(^(\s*CREATE\s+(?:UNIQUE\s+)?INDEX\s+.*?\bON\s+(?:\[[^\]]*\]|"[^"]*"|[^\s(]+)\s*)\((.*)\)(\s*(?:WITH\b.*)?;?\s*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression alter(
        QStringLiteral(R"(^(\s*ALTER\s+TABLE\s+(?:\[[^\]]*\]|"[^"]*"|\S+)\s+ADD)\s+(?:COLUMN\s+)?(.*?)(\s*;?\s*)$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);

    if (const QRegularExpressionMatch m = create.match(statement); m.hasMatch()) {
        bool counter = false;
        QStringList columns;
        QStringList constraints;
        for (const QString &item : splitTopLevel(m.captured(2))) {
            if (isTableConstraint(item))
                constraints << binaryKeyConstraint(item);
            else
                columns << keyOfTextColumnApart(translateColumn(item, counter), constraints);
        }
        // The counter is the table's key already: a second primary key would be refused.
        for (const QString &c : constraints)
            if (!(counter && isPrimaryKeyConstraint(c)))
                columns << c;
        return m.captured(1) + u'(' + columns.join(u',') + u')' + m.captured(3);
    }
    if (const QRegularExpressionMatch m = index.match(statement); m.hasMatch()) {
        QStringList columns;
        for (const QString &c : splitTopLevel(m.captured(2)))
            columns << binaryIndexedColumn(c);
        return m.captured(1) + u'(' + columns.join(u',') + u')' + m.captured(3);
    }
    if (const QRegularExpressionMatch m = alter.match(statement); m.hasMatch()) {
        if (isTableConstraint(m.captured(2)))
            return statement;
        // A counter becomes a key column, which the engine refuses to add with its own message
        // rather than adding a plain column named as a counter.
        bool counter = false;
        const QString column = translateColumn(QStringLiteral(" ") + m.captured(2), counter);
        return m.captured(1) + QStringLiteral(" COLUMN") + column + m.captured(3);
    }
    return statement;
}

// ---------------------------------------------------------------------------------------------
// Scripts

namespace {

struct CommandWord {
    QString word;
    ScriptCommand command;
};

// Every command word, in the order a line is searched for them.
const std::vector<CommandWord> &CommandWords()
{
    static const std::vector<CommandWord> words = [] {
        std::vector<CommandWord> w{
            {QStringLiteral("NotFieldType"), ScriptCommand::NotFieldType},
            {QStringLiteral("NotFieldExists"), ScriptCommand::NotFieldExists},
            {QStringLiteral("FieldExists"), ScriptCommand::FieldExists},
            {QStringLiteral("NotTableExists"), ScriptCommand::NotTableExists},
            {QStringLiteral("TableExists"), ScriptCommand::TableExists},
            {QStringLiteral("TableEmpty"), ScriptCommand::TableEmpty},
        };
        for (const QString &c : ConversionWords())
            w.push_back({c, ScriptCommand::Conversion});
        w.push_back({QStringLiteral("CompactDataBase"), ScriptCommand::CompactDataBase});
        w.push_back({QStringLiteral("SqlExe"), ScriptCommand::SqlExe});
        return w;
    }();
    return words;
}

// The text between the first `open` and the first `close` of the line, at most 255 characters.
QString argumentBetween(const QString &line, QChar open, QChar close)
{
    const qsizetype from = line.indexOf(open);
    const qsizetype to = line.indexOf(close);
    if (from < 0 || to < 0 || to < from)
        fail(QStringLiteral("Ligne de commande illisible : il manque « %1 » ou « %2 » :\r%3").arg(open, close, line));
    return line.mid(from + 1, to - from - 1).left(kMaxScriptArgument);
}

// The delimiters of each argument of a command, in order.
QStringList argumentsOf(ScriptCommand command, const QString &line)
{
    switch (command) {
    case ScriptCommand::NotFieldType:
        return {
            argumentBetween(line, u'(', u'.'), argumentBetween(line, u'.', u','), argumentBetween(line, u',', u')')};
    case ScriptCommand::NotFieldExists:
    case ScriptCommand::FieldExists:
        return {argumentBetween(line, u'(', u'.'), argumentBetween(line, u'.', u')')};
    case ScriptCommand::NotTableExists:
    case ScriptCommand::TableExists:
    case ScriptCommand::TableEmpty:
    case ScriptCommand::CompactDataBase:
        return {argumentBetween(line, u'(', u')')};
    case ScriptCommand::SqlExe:
        return {argumentBetween(line, u'{', u'}')};
    default:
        return {};
    }
}

} // namespace

ScriptLine ParseScriptLine(const QString &line)
{
    ScriptLine parsed;
    if (line.startsWith(QStringLiteral("//"))) {
        parsed.command = ScriptCommand::Comment;
        return parsed;
    }
    for (const CommandWord &c : CommandWords()) {
        if (line.contains(c.word, Qt::CaseSensitive)) {
            parsed.command = c.command;
            parsed.word = c.word;
            break;
        }
    }
    try {
        parsed.arguments = argumentsOf(parsed.command, line);
    } catch (const Error &e) {
        parsed.error = e.message();
    }
    return parsed;
}

namespace {

QString errorSuffix(const Error &e)
{
    return UpgradeErrorText(e.message());
}

void setStatus(ProgressSink *status, const LangTextRef &text)
{
    if (status) {
        status->setTask(GetLangText(text));
        status->pump();
    }
}

// The database directory of the connection's file: the folder that holds the OLE DB file
// name of the configuration ("…/Data/" for "…/Data/Access/VIVRELO.MDB").
QString databaseDirOf(const Connection &connection)
{
    const QString path = connection.path();
    const QString relative = NativePath(DbConfig().oledbFileName);
    if (!path.isEmpty() && !relative.isEmpty() && path.endsWith(u'/' + relative))
        return path.left(path.size() - relative.size());
    if (!DbConfig().databaseDir.isEmpty())
        return DbConfig().databaseDir;
    return IncludeBackslash(QFileInfo(path).absolutePath());
}

// Hides the progress window however the run ends.
struct ProgressWindow {
    explicit ProgressWindow(ProgressSink &sink)
        : sink(sink)
    {
        sink.show();
    }
    ~ProgressWindow() { sink.hide(); }
    ProgressSink &sink;
};

class ScriptRun
{
public:
    ScriptRun(Connection &connection, Prompter &prompter, ProgressSink *status, ProgressSink &progress)
        : m_conn(connection)
        , m_prompter(prompter)
        , m_status(status)
        , m_progress(progress)
        , m_query(&connection)
        , m_log(UpgradeLogPath())
        , m_context{m_query, m_log, App().programDir, databaseDirOf(connection), progress}
    { }

    void backup();
    // Runs the lines; a guarded block without END ends the run at the last line.
    void run(const QStringList &lines, const QString &scriptPath);
    void log(const QString &text) { AppendLogLine(m_log, text); }

private:
    bool guardDone(const ScriptLine &line);
    void sqlExe(const ScriptLine &line);
    void compactDataBase(const ScriptLine &line);
    QStringList columnNames(const QString &table, DataSet &result);
    void reopen(const QString &path);

    Connection &m_conn;
    Prompter &m_prompter;
    ProgressSink *m_status;
    ProgressSink &m_progress;
    DataSet m_query; // "AQuery"
    QString m_log;
    ConversionContext m_context;
};

void ScriptRun::backup()
{
    const QString dataDir = App().dataDir;
    for (const QString &folder : {dataDir + QStringLiteral("Backup"), dataDir + QStringLiteral("Backup/Maj")})
        if (!CreateDirectoryLevel(folder))
            fail(QStringLiteral("Impossible de créer le répertoire :\r%1").arg(folder));
    const QString source = m_conn.path();
    if (source.isEmpty())
        fail(QStringLiteral(
            "La sauvegarde avant la mise à jour est impossible : la base de données n'est pas ouverte."));
    QString name = QFileInfo(source).fileName();
    name.chop(4);
    const QDateTime now = CurrentDateTime();
    const QString stem = dataDir + QStringLiteral("Backup/Maj/") + name.toUpper()
        + QStringLiteral("_ACCESS_BACKUP_MAJ_") + now.toString(QStringLiteral("ddMMyyyyhhmmss"));
    // Two scripts run within one second must not replace the copy made before the first.
    QString target = stem + QStringLiteral(".bkp");
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = stem + u'_' + QString::number(n) + QStringLiteral(".bkp");

    m_progress.setTask(GetLangText(lang::UpgradeBackupTask));
    m_conn.close();
    m_progress.setTask(source);
    m_progress.pump();
    try {
        CompactDatabaseFile(source, target);
    } catch (...) {
        m_conn.open(source);
        throw;
    }
    m_conn.open(source);
}

QStringList ScriptRun::columnNames(const QString &table, DataSet &result)
{
    result.close();
    result.setParameters({});
    result.setSqlText(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 0"));
    result.open();
    QStringList names;
    for (const FieldDef &f : result.fields())
        names << f.name;
    return names;
}

bool ScriptRun::guardDone(const ScriptLine &line)
{
    setStatus(m_status, lang::UpgradeTesting);
    if (!line.error.isEmpty())
        fail(line.error);
    const ScriptCommand kind = line.command;
    switch (kind) {
    case ScriptCommand::NotFieldType: {
        const QString &table = line.arguments[0];
        const QString &column = line.arguments[1];
        const QString &type = line.arguments[2];
        columnNames(table, m_query);
        const int index = m_query.findField(column);
        if (index < 0) {
            m_query.close();
            fail(QStringLiteral("Le champ « %1 » n'existe pas dans la table « %2 ».").arg(column, table));
        }
        const bool same = FieldKindName(m_query.fields()[size_t(index)].kind) == NormalizedFieldKindName(type);
        m_query.close();
        return same;
    }
    case ScriptCommand::NotFieldExists:
    case ScriptCommand::FieldExists: {
        const QString &table = line.arguments[0];
        const QString column = line.arguments[1].toUpper();
        bool found = false;
        for (const QString &name : columnNames(table, m_query))
            found = found || name.toUpper() == column;
        m_query.close();
        return kind == ScriptCommand::NotFieldExists ? found : !found;
    }
    case ScriptCommand::NotTableExists:
    case ScriptCommand::TableExists: {
        const QString table = line.arguments[0].toUpper();
        bool found = false;
        for (const QString &name : m_conn.tableNames())
            found = found || name.toUpper() == table;
        return kind == ScriptCommand::NotTableExists ? found : !found;
    }
    case ScriptCommand::TableEmpty: {
        const QString &table = line.arguments[0];
        m_query.close();
        m_query.setParameters({});
        m_query.setSqlText(QStringLiteral("SELECT id FROM ") + table + QStringLiteral(" LIMIT 1"));
        m_query.open();
        const bool hasRow = !IsDataSetEmpty(m_query);
        m_query.close();
        return hasRow;
    }
    default:
        return false;
    }
}

void ScriptRun::sqlExe(const ScriptLine &line)
{
    setStatus(m_status, lang::UpgradeChanging);
    QString text = QStringLiteral("SQL:");
    try {
        if (!line.error.isEmpty())
            fail(line.error);
        const QString &statement = line.arguments[0];
        text += statement;
        // One line, one statement, as Access ran it: a blank or a second statement is an error.
        m_query.close();
        m_conn.execOne(TranslateJetSql(statement));
        text += QStringLiteral(" (Ok)");
    } catch (const Error &e) {
        text += errorSuffix(e);
    }
    log(text);
}

void ScriptRun::reopen(const QString &path)
{
    if (!path.isEmpty() && !m_conn.isOpen())
        m_conn.open(path);
}

void ScriptRun::compactDataBase(const ScriptLine &line)
{
    QString text = GetLangText(lang::UpgradeCompacting);
    const QString reopenPath = m_conn.path();
    try {
        if (!line.error.isEmpty())
            fail(line.error);
        const QString file = NativePath(line.arguments[0].trimmed());
        QString workName = file;
        const qsizetype dot = workName.indexOf(u'.');
        workName.insert(dot < 0 ? 0 : dot, u'~');
        const QString folder = m_context.databaseDir + QStringLiteral("Access/");
        const QString target = folder + file;
        const QString work = folder + workName;

        m_query.close();
        m_conn.close();
        if (!FileExists(target))
            fail(QStringLiteral("La base de données « %1 » est introuvable.").arg(target));
        // A work file left by an interrupted compaction may be the only whole copy: it is
        // never replaced, and the database is left as it is. The database keeps its name
        // throughout: the compacted copy takes it in one step once whole.
        if (QFileInfo::exists(work))
            fail(QStringLiteral("Le fichier de travail « %1 » existe déjà (compactage interrompu ?) : "
                                "la base de données n'a pas été modifiée.")
                     .arg(work));
        CompactDatabaseKeepingName(target, work);
        reopen(reopenPath);
        text += QStringLiteral(" (Ok)");
    } catch (const Error &e) {
        text += errorSuffix(e);
        try {
            reopen(reopenPath);
        } catch (const Error &again) {
            text += errorSuffix(again);
        }
    }
    log(text);
}

// Index of the first line after `from` that closes a guarded block, or -1.
int findEnd(const QStringList &lines, int from)
{
    for (int j = from; j < lines.size(); ++j)
        if (lines[j].left(3).toUpper() == QLatin1String("END"))
            return j;
    return -1;
}

void ScriptRun::run(const QStringList &lines, const QString &scriptPath)
{
    const int count = int(lines.size());
    const int maximum = std::max(count - 1, 1);
    m_progress.setTask(GetLangText(lang::UpgradeDatabaseTask));
    m_progress.setMaximum(maximum);
    m_progress.setPosition(1);
    setStatus(m_status, lang::UpgradePreparing);

    for (int i = 0; i < count; ++i) {
        m_progress.setPosition(std::min(i + 1, maximum));
        m_progress.pump();
        const ScriptLine line = ParseScriptLine(lines[i]);
        switch (line.command) {
        case ScriptCommand::None:
            break;
        case ScriptCommand::Comment:
            log(lines[i].mid(2));
            break;
        case ScriptCommand::Conversion:
            setStatus(m_status, lang::UpgradeChanging);
            RunConversion(m_context, line.word, lines[i]);
            break;
        case ScriptCommand::CompactDataBase:
            compactDataBase(line);
            break;
        case ScriptCommand::SqlExe:
            sqlExe(line);
            break;
        default: {
            bool done = false;
            try {
                done = guardDone(line);
            } catch (const Error &e) {
                // The run stops here: the message says where, so that the script can be mended.
                fail(QStringLiteral("La mise à jour de la base de données s'est arrêtée au script :\r%1\r"
                                    "ligne %2 : %3\r\r%4")
                         .arg(scriptPath)
                         .arg(i + 1)
                         .arg(lines[i].trimmed(), e.message()));
            }
            if (done) {
                log(kAlreadyDone);
                const int end = findEnd(lines, i + 1);
                if (end < 0) {
                    log(QStringLiteral("*** Bloc sans ligne END à la ligne %1 : la fin du script est ignorée ***")
                            .arg(i + 1));
                    i = count;
                } else {
                    i = end;
                }
            }
            break;
        }
        }
    }
}

} // namespace

namespace {

// Why a script is not run, or an empty text.
QString ScriptRefusal(const QStringList &lines)
{
    bool command = false;
    for (const QString &line : lines) {
        // Text of the code page holds no control characters but the tab and the page break;
        // a UTF-16 file read byte by byte shows its mark and the zero half of each character.
        if (line.startsWith(QStringLiteral("\u00FF\u00FE")) || line.startsWith(QStringLiteral("\u00FE\u00FF")))
            return QStringLiteral("il est écrit en UTF-16 et non dans le jeu de caractères attendu");
        for (const QChar c : line)
            if (c.unicode() < 0x20 && c != u'\t' && c != u'\f')
                return QStringLiteral("ce n'est pas un fichier texte");
        if (!command) {
            const ScriptCommand kind = ParseScriptLine(line).command;
            command = kind != ScriptCommand::None && kind != ScriptCommand::Comment;
        }
    }
    return command ? QString() : QStringLiteral("il ne contient aucune commande");
}

} // namespace

bool RunUpgradeScript(Connection &connection, const QString &directory, const QString &fileName, bool backupFlag,
    Prompter &prompter, ProgressSink *statusLabel, ProgressSink &progressWindow)
{
    const QString scriptPath = IncludeBackslash(directory) + fileName;
    const QStringList lines = ReadScriptLines(scriptPath);
    if (const QString refusal = ScriptRefusal(lines); !refusal.isEmpty()) {
        // Nothing is run, the file stays for whoever wrote it, and the version stays as it is.
        AppendLogLine(UpgradeLogPath(),
            QStringLiteral("*** Script « %1 » refusé : %2. Il n'a pas été exécuté et il est gardé ***")
                .arg(scriptPath, refusal));
        AppendLogLine(UpgradeLogPath(), QString());
        return false;
    }
    ProgressWindow window(progressWindow);
    ScriptRun run(connection, prompter, statusLabel, progressWindow);

    if (backupFlag
        && prompter.confirm(
            QStringLiteral("Souhaitez-vous effectuer une sauvegarde de la base de données avant la mise à jour ?")))
        run.backup();
    run.run(lines, scriptPath);
    run.log(kEndBanner);
    run.log(QString());
    // Deleting the script is what makes it run once.
    if (backupFlag && !QFile::remove(scriptPath) && QFileInfo::exists(scriptPath))
        run.log(
            QStringLiteral("*** Le script « %1 » n'a pas pu être supprimé : il sera relancé au prochain démarrage ***")
                .arg(scriptPath));
    return true;
}

void UpgradeTemplateDatabase(const QString &oleDbFileName, Prompter &prompter, ProgressSink &progressWindow)
{
    const QString path = App().programDir + QStringLiteral("Data/") + NativePath(oleDbFileName);
    if (!FileExists(path))
        return;
    const QString script = App().programDir + QStringLiteral("Maj/") + App().upgradeScriptName;
    const QFileInfo info(path);
    if (!info.isWritable() || !QFileInfo(info.absolutePath()).isWritable()) {
        AppendLogLine(
            UpgradeLogPath(), QStringLiteral("Base de données modèle en lecture seule, non mise à jour : ") + path);
        return;
    }
    // The database beside the program may be an older installation's Access file: it is
    // read by the first-run transfer and never changed here.
    if (DetectDatabaseFile(path) != DatabaseFileKind::SQLite) {
        AppendLogLine(UpgradeLogPath(),
            QStringLiteral("Base de données à côté du programme d'un autre format, non mise à jour : ") + path);
        return;
    }
    Connection connection; // closed with everything below, whatever happens
    connection.open(path);
    QString column = kVersionColumn;
    try {
        DataSet probe(&connection); // "IsVersionInBD"
        probe.setSqlText(QStringLiteral("SELECT * FROM OBJECT_VAL_STR LIMIT 0"));
        probe.open();
        if (probe.findField(QStringLiteral("VAL")) >= 0)
            column = QStringLiteral("VAL");
    } catch (const Error &) {
        // No version table: the version reads "0" and the script creates the table.
    }
    const int product = VersionNumber(App().productVersion);
    if (VersionNumber(GetBDVersion(connection, kVersionTable, column)) < product && FileExists(script)
        && RunUpgradeScript(connection, App().programDir + QStringLiteral("Maj/"), App().upgradeScriptName, false,
            prompter, nullptr, progressWindow))
        SetBDVersion(connection, kVersionTable, column, App().productVersion);
}

void UpgradeDatabaseSchema(Connection &connection, const ConnectionConfig &config, Prompter &prompter,
    ProgressSink *statusLabel, ProgressSink &progressWindow)
{
    const QString product = App().productVersion;
    if (FileExists(DevelopmentMarkerPath()))
        SetBDVersion(connection, kVersionTable, kVersionColumn, product);
    if (VersionNumber(GetBDVersion(connection, kVersionTable, kVersionColumn)) < VersionNumber(product))
        FetchDataFile(App().upgradeScriptName);
    const QStringList scripts = ListFiles(App().dataDir, QStringLiteral("*.maj"));
    bool allRan = true;
    for (const QString &name : scripts)
        allRan =
            RunUpgradeScript(connection, App().dataDir, name, true, prompter, statusLabel, progressWindow) && allRan;
    // A refused script leaves the version as it was, so that the upgrade is tried again.
    if (!scripts.isEmpty() && allRan)
        SetBDVersion(connection, kVersionTable, kVersionColumn, product);
    UpgradeTemplateDatabase(config.oledbFileName, prompter, progressWindow);
}

void UpgradeRestoredDatabase(
    Connection &connection, Prompter &prompter, ProgressSink *statusLabel, ProgressSink &progressWindow)
{
    const QString dir = App().programDir + QStringLiteral("Maj/");
    if (VersionNumber(GetBDVersion(connection, kVersionTable, kVersionColumn)) >= VersionNumber(App().productVersion)
        || !FileExists(dir + App().upgradeScriptName))
        return;
    if (RunUpgradeScript(connection, dir, App().upgradeScriptName, false, prompter, statusLabel, progressWindow))
        SetBDVersion(connection, kVersionTable, kVersionColumn, App().productVersion);
}

} // namespace vivrelo
