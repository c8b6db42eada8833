#include "UpgradeFixture.h"

#include "app/DataDirectory.h"
#include "base/Error.h"
#include "db/DataSet.h"
#include "db/FieldKind.h"

#include <QDirIterator>
#include <QFileInfo>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

TEST(VersionNumber, RemovesTheFirstPointOnly)
{
    EXPECT_EQ(VersionNumber(QStringLiteral("1.83")), 183);
    EXPECT_EQ(VersionNumber(QStringLiteral("0")), 0);
    EXPECT_EQ(VersionNumber(QStringLiteral("1.830")), 1830); // above the product's 183
    EXPECT_EQ(VersionNumber(QStringLiteral("1.9")), 19); // older than 1.83
    EXPECT_EQ(VersionNumber(QStringLiteral("1.8.3")), 0);
    EXPECT_EQ(VersionNumber(QStringLiteral("version")), 0);
    EXPECT_EQ(VersionNumber(QString()), 0);
}

TEST_F(UpgradeTest, AMissingVersionRowReadsZeroAndIsInsertedOnce)
{
    conn.exec(QStringLiteral("DELETE FROM OBJECT_VAL_STR"));
    EXPECT_EQ(GetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")), QStringLiteral("0"));
    SetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE"), QStringLiteral("1.83"));
    SetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE"), QStringLiteral("1.90"));
    EXPECT_EQ(rows(QStringLiteral("SELECT ID_CLASS, ID_ATTRIBUTE, USERID, VALUE FROM OBJECT_VAL_STR")),
        QStringList{"-99|-99|-99|1.90"});
    EXPECT_EQ(GetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR]; DROP TABLE ITEMS; --"), QStringLiteral("VALUE")),
        QStringLiteral("0"));
    EXPECT_TRUE(conn.tableNames().contains(QStringLiteral("ITEMS")));
}

TEST_F(UpgradeTest, LogLinesAreDatedAndAnEmptyTextIsABareLine)
{
    const QString path = dataDir + QStringLiteral("Maj.Log");
    dirs.writeFile(path, "ancienne ligne"); // a log cut short keeps its text
    EXPECT_TRUE(AppendLogLine(path, QStringLiteral("SQL:é (Ok)")));
    EXPECT_TRUE(AppendLogLine(path, QString()));
    EXPECT_EQ(ReadFile(path), "ancienne ligne\r\n05/03/2008-14:07:33 : SQL:\xC3\xA9 (Ok)\r\n\r\n");
}

// Access DDL runs here with the declared types our type checks classify.
TEST_F(UpgradeTest, AccessTypesBecomeOursAndCountersTheKey)
{
    conn.exec(TranslateJetSql(QStringLiteral(
        "CREATE TABLE T ([Id] COUNTER CONSTRAINT PK PRIMARY KEY, A SHORT, B LONG, C DOUBLE, D YESNO, E DATETIME, "
        "F TEXT(50), G MEMO, H LONGBINARY, I CURRENCY, J TEXT)")));
    conn.exec(TranslateJetSql(QStringLiteral("ALTER TABLE T ADD K VARCHAR(20)")));
    conn.exec(TranslateJetSql(QStringLiteral("ALTER TABLE T ADD COLUMN L BIT")));
    conn.exec(TranslateJetSql(QStringLiteral("CREATE TABLE U (Id AUTOINCREMENT, N INT, PRIMARY KEY (Id))")));
    EXPECT_THROW(conn.exec(TranslateJetSql(QStringLiteral("ALTER TABLE U ADD COLUMN C COUNTER"))), Error);
    DataSet t(&conn);
    t.setSqlText(QStringLiteral("SELECT * FROM T"));
    t.open();
    QStringList kinds;
    for (const FieldDef &f : t.fields())
        kinds << FieldKindName(f.kind);
    EXPECT_EQ(kinds.join(u' '),
        QStringLiteral("ftAutoInc ftSmallint ftInteger ftFloat ftBoolean ftDateTime "
                       "ftWideString ftWideMemo ftBlob ftBCD ftWideString ftWideString ftBoolean"));
    // A long key stays a long integer: it is neither a counter nor numbered by the engine.
    conn.exec(TranslateJetSql(QStringLiteral("CREATE TABLE V (Code LONG PRIMARY KEY, N LONG)")));
    DataSet v(&conn);
    v.setSqlText(QStringLiteral("SELECT * FROM V"));
    v.open();
    EXPECT_EQ(FieldKindName(v.fields()[0].kind), QStringLiteral("ftInteger"));
    EXPECT_THROW(conn.exec(QStringLiteral("INSERT INTO V (Code) VALUES (7); INSERT INTO V (Code) VALUES (7)")), Error);
    EXPECT_EQ(rows(QStringLiteral("SELECT type FROM pragma_table_info('T') WHERE name IN ('F','J')")),
        (QStringList{"TEXT(50)", "TEXT(255)"}));
    conn.exec(QStringLiteral("INSERT INTO T (F) VALUES ('Éclair')"));
    EXPECT_EQ(rows(QStringLiteral("SELECT Id FROM T WHERE F = 'éclair'")), QStringList{"1"}); // NOCASE
}

// The sqlite3 tool knows only its own NOCASE: an index built with ours would be out of order for
// it. A script's index or key on a text column compares in binary, like the template's own.
TEST_F(UpgradeTest, IndexesOfAScriptOnTextColumnsPassTheToolsIntegrityCheck)
{
    const QStringList lines =
        run(QStringLiteral("SqlExe{CREATE INDEX ITEMS_Title ON ITEMS (Title DESC, Stock)}\r\n"
                           "SqlExe{CREATE TABLE W (Id COUNTER PRIMARY KEY, Code TEXT(10) UNIQUE, Name TEXT(50), "
                           "CONSTRAINT U UNIQUE ([Name]))}\r\n"
                           "SqlExe{CREATE UNIQUE INDEX W_Code ON W (Code ASC)}\r\n"));
    ASSERT_EQ(lines.size(), 5);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(lines[i].endsWith(QStringLiteral(" (Ok)"))) << lines[i].toStdString();
    for (const char *word : {"éclair", "Zèbre", "apple", "École", "eclair", "Œuf"}) {
        conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, ?)"), {QString::fromUtf8(word)});
        conn.exec(QStringLiteral("INSERT INTO W (Code, Name) VALUES (?, ?)"),
            {QString::fromUtf8(word), QString::fromUtf8(word)});
    }
    sqlite3 *tool = nullptr;
    ASSERT_EQ(sqlite3_open_v2(conn.path().toUtf8().constData(), &tool, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *check = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(tool, "PRAGMA integrity_check", -1, &check, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(check), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)), "ok");
    sqlite3_finalize(check);
    sqlite3_close(tool);
}

// The first command word of the table decides; blocks close on "END", "end", "ENDING",
// never on " END".
TEST_F(UpgradeTest, CommandWordsAreFoundInTheirOrderAndBlocksCloseOnTheirEnd)
{
    const QStringList lines = run(QStringLiteral("SqlExe{DELETE FROM ITEMS} TableEmpty(OBJECT_VAL_STR)\r\n"
                                                 "SqlExe{UPDATE OBJECT_VAL_STR SET VALUE = 'a'}\r\n"
                                                 "end\r\n"
                                                 "FieldExists(ITEMS.Quantity)\r\n"
                                                 "NotFieldExists(ITEMS.quantity)\r\n"
                                                 " END\r\n"
                                                 "SqlExe{UPDATE OBJECT_VAL_STR SET VALUE = 'b'}\r\n"
                                                 "ENDING\r\n"
                                                 "NotFieldType(ITEMS.Sel,ftBoolean)\r\n"
                                                 "SqlExe{UPDATE OBJECT_VAL_STR SET VALUE = 'c'}\r\n"
                                                 "END\r\n"
                                                 "NotFieldType(ITEMS.Sel,ftNoSuchKind)\r\n"
                                                 "SqlExe{UPDATE OBJECT_VAL_STR SET VALUE = 'd'}\r\n"
                                                 "END\r\n"));
    // TableEmpty guard (rows present): the DELETE never ran. FieldExists ran its block, whose
    // NotFieldExists skipped past " END" to "ENDING". The Boolean Sel skipped; an unknown kind
    // name is ftUnknown, so that block ran.
    EXPECT_EQ(lines,
        (QStringList{Stamp + AlreadyDone, Stamp + AlreadyDone, Stamp + AlreadyDone,
            Stamp + QStringLiteral("SQL:UPDATE OBJECT_VAL_STR SET VALUE = 'd' (Ok)"), Stamp + Banner, QString()}));
    EXPECT_EQ(window.maximum, 13); // lines - 1
    EXPECT_TRUE(status.texts.contains(QStringLiteral("Test de la mise à jour ...")));
}

TEST_F(UpgradeTest, StatementsAreCutAt255CharactersAndErrorsLoggedWithoutStopping)
{
    const QString head = QStringLiteral("UPDATE ITEMS SET Title = 'coupé'");
    const QString statement = head.leftJustified(255, u' ') + QStringLiteral("; DROP TABLE ITEMS");
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'x')"));
    const QStringList lines = run(QStringLiteral("//Étape 1\r\n//\r\nSqlExe{") + statement
        + QStringLiteral("}\r\nSqlExe{INSERT INTO NOTHING VALUES (1)}\r\nSqlExe{UPDATE ITEMS SET Stock = 7}\r\n"));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], Stamp + QStringLiteral("Étape 1"));
    EXPECT_EQ(lines[1], QString());
    EXPECT_EQ(lines[2], Stamp + QStringLiteral("SQL:") + statement.left(255) + QStringLiteral(" (Ok)"));
    EXPECT_TRUE(lines[3].startsWith(Stamp + QStringLiteral("SQL:INSERT INTO NOTHING VALUES (1) (error : ")));
    EXPECT_TRUE(lines[3].contains(QStringLiteral("NOTHING")));
    EXPECT_EQ(rows(QStringLiteral("SELECT Title, Stock FROM ITEMS")), QStringList{"coupé|7"});

    // One line runs one statement: a blank or a second one is an error, and nothing runs.
    // Access's "&" joins texts; inside quotes it stays itself.
    QFile::remove(dataDir + QStringLiteral("Maj.Log"));
    const QStringList more =
        run(QStringLiteral("SqlExe{ }\r\nSqlExe{UPDATE ITEMS SET Stock = 8; UPDATE ITEMS SET "
                           "Stock = 9}\r\nSqlExe{UPDATE ITEMS SET Title = Title & ' & ' & 'b'}\r\n"));
    ASSERT_EQ(more.size(), 5);
    EXPECT_TRUE(more[0].startsWith(Stamp + QStringLiteral("SQL:  (error : ")));
    EXPECT_TRUE(more[1].contains(QStringLiteral(" (error : ")));
    EXPECT_TRUE(more[2].endsWith(QStringLiteral(" (Ok)")));
    EXPECT_EQ(rows(QStringLiteral("SELECT Title, Stock FROM ITEMS")), QStringList{"coupé & b|7"});
}

TEST_F(UpgradeTest, BackupAnsweredYesIsACompactedCopyAndNoSkipsIt)
{
    const QString backupDir = dataDir + QStringLiteral("Backup/Maj/");
    run(QStringLiteral("SqlExe{UPDATE ITEMS SET Stock = 1}\r\n"), true);
    EXPECT_EQ(prompter.lastText(),
        QStringLiteral("Souhaitez-vous effectuer une sauvegarde de la base de données avant la mise à jour ?"));
    EXPECT_FALSE(QFileInfo::exists(backupDir));
    EXPECT_FALSE(QFileInfo::exists(dataDir + QStringLiteral("test.maj")));

    prompter.setConfirmations(Answer::Yes);
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'avant')"));
    run(QStringLiteral("SqlExe{DELETE FROM ITEMS}\r\n"), true);
    run(QStringLiteral("SqlExe{DELETE FROM BACKUP}\r\n"), true); // the same second
    EXPECT_EQ(QDir(backupDir).entryList(QDir::Files, QDir::Name),
        (QStringList{
            "VIVRELO_ACCESS_BACKUP_MAJ_05032008140733.bkp", "VIVRELO_ACCESS_BACKUP_MAJ_05032008140733_2.bkp"}));
    Connection copy;
    copy.open(backupDir + QStringLiteral("VIVRELO_ACCESS_BACKUP_MAJ_05032008140733.bkp"));
    EXPECT_EQ(Rows(copy, QStringLiteral("SELECT Title FROM ITEMS")), QStringList{"avant"});
    EXPECT_TRUE(conn.isOpen());
    EXPECT_TRUE(rows(QStringLiteral("SELECT Title FROM ITEMS")).isEmpty());
    EXPECT_TRUE(window.texts.contains(QStringLiteral("MISE A JOUR (Sauvegarde)")));
}

TEST_F(UpgradeTest, AFailingGuardEndsTheRunAndKeepsTheScript)
{
    writeScript(QStringLiteral("SqlExe{UPDATE ITEMS SET Stock = 1}\r\nTableEmpty(NO_TABLE)\r\nEND\r\n"));
    try {
        RunUpgradeScript(conn, dataDir, QStringLiteral("test.maj"), true, prompter, nullptr, window);
        ADD_FAILURE() << "the failing guard did not stop the run";
    } catch (const Error &e) {
        // The message names the script and the line, so that the script can be mended.
        EXPECT_TRUE(e.message().contains(dataDir + QStringLiteral("test.maj"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("ligne 2 : TableEmpty(NO_TABLE)")));
    }
    EXPECT_TRUE(QFileInfo::exists(dataDir + QStringLiteral("test.maj")));
    const QStringList lines = log();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" (Ok)")));
    EXPECT_EQ(window.shown, window.hidden);

    EXPECT_THROW(RunUpgradeScript(conn, dataDir, QStringLiteral("absent.maj"), true, prompter, nullptr, window), Error);
}

TEST_F(UpgradeTest, AnEmptyScriptOrABlockWithoutEndStopsAtTheLastLine)
{
    QStringList lines = run(QString(), true);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(QStringLiteral("aucune commande"))) << lines[0].toStdString();
    EXPECT_TRUE(prompter.asked().empty()); // nothing to back up
    EXPECT_TRUE(QFileInfo::exists(dataDir + QStringLiteral("test.maj")));
    QFile::remove(dataDir + QStringLiteral("Maj.Log"));
    lines = run(QStringLiteral("NotTableExists(ITEMS)\r\nSqlExe{DELETE FROM ITEMS}"));
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], Stamp + AlreadyDone);
    EXPECT_TRUE(lines[1].contains(QStringLiteral("sans ligne END")));
    EXPECT_EQ(lines[2], Stamp + Banner);

    // A script written by the Windows program is read in its code page, 1252.
    dirs.writeFile(dataDir + QStringLiteral("latin.maj"), "//\xC9t\xE9 \x80 \x9C \x92\r\nSqlExe{UPDATE ITEMS SET Stock = 1}");
    RunUpgradeScript(conn, dataDir, QStringLiteral("latin.maj"), false, prompter, nullptr, window);
    EXPECT_EQ(log()[4], Stamp + QString::fromUtf8("Été € œ ’"));
}

TEST_F(UpgradeTest, CompactionInPlaceNeverTouchesTheDatabaseWhenAWorkFileIsLeft)
{
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'gardé')"));
    const QString work = dataDir + QStringLiteral("Data/Access/VIVRELO~.MDB");
    dirs.writeFile(work, "reste d'un compactage interrompu");
    conn.close();
    const QByteArray before = ReadFile(dbPath);
    conn.open(dbPath);

    QStringList lines = run(QStringLiteral("CompactDataBase(VIVRELO.MDB)\r\n"));
    EXPECT_TRUE(lines[0].startsWith(Stamp + QStringLiteral("Compactage de la base de données (error : ")));
    EXPECT_EQ(ReadFile(work), "reste d'un compactage interrompu");
    conn.close();
    EXPECT_EQ(ReadFile(dbPath), before);
    conn.open(dbPath);

    QFile::remove(work);
    QFile::remove(dataDir + QStringLiteral("Maj.Log"));
    lines = run(QStringLiteral("CompactDataBase(VIVRELO.MDB)\r\n"));
    EXPECT_EQ(lines[0], Stamp + QStringLiteral("Compactage de la base de données (Ok)"));
    EXPECT_FALSE(QFileInfo::exists(work));
    ASSERT_TRUE(conn.isOpen());
    EXPECT_EQ(rows(QStringLiteral("SELECT Title FROM ITEMS")), QStringList{"gardé"});
}

TEST_F(UpgradeTest, TemplateWithAValColumnIsUpgradedAndStampedThere)
{
    const QString templ = dirs.programDir() + QStringLiteral("Data/Access/VIVRELO.MDB");
    QDir().mkpath(QFileInfo(templ).path());
    CreateDatabase(templ,
        "CREATE TABLE OBJECT_VAL_STR (Id INTEGER PRIMARY KEY AUTOINCREMENT, ID_CLASS INTEGER, "
        "ID_ATTRIBUTE INTEGER, USERID INTEGER, VAL TEXT(255));"
        "INSERT INTO OBJECT_VAL_STR (ID_CLASS, ID_ATTRIBUTE, USERID, VAL) VALUES (-99,-99,-99,'1.2');");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Maj/BD_183.maj"),
        "NotTableExists(BACKUP)\r\nSqlExe{CREATE TABLE BACKUP (Path TEXT(255))}\r\nEND\r\n");
    UpgradeTemplateDatabase(QStringLiteral("Access\\VIVRELO.MDB"), prompter, window);
    Connection t;
    t.open(templ);
    EXPECT_EQ(Rows(t, QStringLiteral("SELECT VAL FROM OBJECT_VAL_STR")), QStringList{"1.83"});
    EXPECT_TRUE(t.tableNames().contains(QStringLiteral("BACKUP")));
    EXPECT_TRUE(QFileInfo::exists(dirs.programDir() + QStringLiteral("Maj/BD_183.maj")));
    EXPECT_TRUE(prompter.asked().empty());
}

// Each column of each table: name, declared type, collation, default and key.
QStringList SchemaOf(Connection &c)
{
    QStringList out;
    for (const QString &table : c.tableNames()) {
        if (table == QLatin1String("sqlite_sequence"))
            continue;
        for (const QString &row :
            Rows(c, QStringLiteral("SELECT name, type, dflt_value, pk FROM pragma_table_info('%1')").arg(table))) {
            const QString column = row.section(u'|', 0, 0);
            const char *type = nullptr, *collation = nullptr;
            int notNull = 0, pk = 0, autoInc = 0;
            sqlite3_table_column_metadata(c.handle(), "main", table.toUtf8().constData(), column.toUtf8().constData(),
                &type, &collation, &notNull, &pk, &autoInc);
            out << table + u'.' + row + u'|' + QString::fromUtf8(collation) + u'|' + QString::number(autoInc);
        }
    }
    out.sort();
    return out;
}

TEST_F(UpgradeTest, AnOlderDatabaseIsBroughtToTheTemplateSchemaAtStart)
{
    Connection templ;
    templ.open(TemplatePath());
    const QStringList expected = SchemaOf(templ);
    templ.close();

    conn.close();
    QFile::remove(dbPath);
    const QByteArray old = ReadFile(SourceDir() + QStringLiteral("tests/data/schema-1.50.sql"));
    CreateDatabase(dbPath, old.constData());
    conn.open(dbPath);
    EXPECT_EQ(GetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")), QStringLiteral("1.50"));

    UpgradeDatabaseSchema(conn, DbConfig(), prompter, &status, window);

    EXPECT_EQ(SchemaOf(conn), expected);
    EXPECT_EQ(rows(QStringLiteral("SELECT Title, Sel, Quantity, Stock FROM ITEMS ORDER BY Id")),
        (QStringList{"Café moulu|1|1|2", "Pâtes|0|0|6", "Lessive|0|0|0"}));
    EXPECT_EQ(rows(QStringLiteral("SELECT Price01, Price04 FROM CUSTOMLAB")), QStringList{"Marché|"});
    EXPECT_EQ(
        rows(QStringLiteral("SELECT name FROM sqlite_master WHERE type='index' AND name='ITEMS_List'")).size(), 1);
    EXPECT_EQ(GetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")), QStringLiteral("1.83"));
    EXPECT_FALSE(QFileInfo::exists(dataDir + QStringLiteral("BD_183.maj"))); // ran once
    for (const QString &line : log())
        EXPECT_FALSE(line.contains(QStringLiteral("(error"))) << line.toStdString();

    // On a current database the shipped script changes nothing.
    const QStringList now = SchemaOf(conn);
    const QStringList items = rows(QStringLiteral("SELECT * FROM ITEMS"));
    RunUpgradeScript(conn, dirs.programDir() + QStringLiteral("Maj/"), QStringLiteral("BD_183.maj"), false, prompter,
        nullptr, window);
    EXPECT_EQ(SchemaOf(conn), now);
    EXPECT_EQ(rows(QStringLiteral("SELECT * FROM ITEMS")), items);
}

TEST_F(UpgradeTest, AScriptThatIsNotTextOrHoldsNoCommandIsRefusedKeptAndNotStamped)
{
    conn.exec(QStringLiteral("UPDATE OBJECT_VAL_STR SET VALUE = '1.830'"));
    const QString command = QStringLiteral("SqlExe{DELETE FROM ITEMS}\r\n");
    QByteArray utf16("\xFF\xFE");
    for (const QChar c : command)
        utf16 += char(c.unicode()), utf16 += '\0';
    dirs.writeFile(dataDir + QStringLiteral("a.maj"), utf16);
    dirs.writeFile(dataDir + QStringLiteral("b.maj"), QByteArray("SqlExe{DELETE FROM ITEMS}\x01\x02\x90", 28));
    dirs.writeFile(dataDir + QStringLiteral("c.maj"), "// rien que des notes\r\nEND\r\n");
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'Lait')"));

    UpgradeDatabaseSchema(conn, DbConfig(), prompter, &status, window);
    const QStringList lines = log().filter(QStringLiteral("refusé"));
    ASSERT_EQ(lines.size(), 3) << log().join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("a.maj » refusé : il est écrit en UTF-16")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("b.maj » refusé : ce n'est pas un fichier texte")).size(), 1);
    EXPECT_EQ(lines.filter(QStringLiteral("c.maj » refusé : il ne contient aucune commande")).size(), 1);
    for (const char *name : {"a.maj", "b.maj", "c.maj"})
        EXPECT_TRUE(QFileInfo::exists(dataDir + QLatin1String(name))) << name;
    EXPECT_EQ(rows(QStringLiteral("SELECT Title FROM ITEMS")), QStringList{"Lait"});
    EXPECT_EQ(GetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")), QStringLiteral("1.830"));
    EXPECT_TRUE(prompter.asked().empty());
}

TEST_F(UpgradeTest, ACurrentDatabaseWithoutScriptsIsNotStamped)
{
    conn.exec(QStringLiteral("UPDATE OBJECT_VAL_STR SET VALUE = '1.830'"));
    UpgradeDatabaseSchema(conn, DbConfig(), prompter, &status, window);
    EXPECT_EQ(GetBDVersion(conn, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")), QStringLiteral("1.830"));
    EXPECT_FALSE(QFileInfo::exists(dataDir + QStringLiteral("Maj.Log")));
}

} // namespace
