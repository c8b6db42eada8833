#include "DbFixture.h"

#include "base/Error.h"
#include "db/DataSet.h"
#include "db/FieldKind.h"
#include "db/SqliteErrors.h"

#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>

using namespace vivrelo;
using vivrelo::test::DbTest;
using namespace Qt::StringLiterals;

TEST(Connection, RefusesFilesThatAreNotOurDatabasesAndLeavesThemUntouched)
{
    test::TestDirs dirs;
    const QByteArray jet = QByteArray("\0\x01\0\0Standard Jet DB\0", 20) + QByteArray(2000, 'x');
    const QString jetPath = dirs.writeFile(dirs.root() + QStringLiteral("VIVRELO.MDB"), jet);
    const QString textPath = dirs.writeFile(dirs.root() + QStringLiteral("notes.txt"), "bonjour");
    const QString emptyPath = dirs.writeFile(dirs.root() + QStringLiteral("empty.db"), "");
    Connection c;
    try {
        c.open(jetPath);
        FAIL() << "a Jet file was opened";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Access/Jet"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("converti"))) << e.what();
    }
    for (const QString &p : {textPath, emptyPath}) {
        try {
            c.open(p);
            FAIL() << "opened " << p.toStdString();
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("n'est pas une base de données"))) << e.what();
        }
    }
    EXPECT_EQ(test::ReadFile(jetPath), jet);
    EXPECT_EQ(QFileInfo(emptyPath).size(), 0);
    const QString missing = dirs.root() + QStringLiteral("absent.db");
    EXPECT_THROW(c.open(missing), Error);
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(c.isOpen());
}

TEST(Connection, DataSourceOfAConnectionString)
{
    EXPECT_EQ(DataSourceFromConnectionString(QStringLiteral(
                  "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=/d/Access/VIVRELO.MDB;Persist Security Info=True")),
        QStringLiteral("/d/Access/VIVRELO.MDB"));
    EXPECT_EQ(DataSourceFromConnectionString(QStringLiteral("provider=x; data source = \"/a;b/c.db\" ;Mode=ReadWrite")),
        QStringLiteral("/a;b/c.db"));
    EXPECT_EQ(DataSourceFromConnectionString(QStringLiteral("Provider=x;DSN=Vivrelo")), QString());

    test::TestDirs dirs;
    const QString path = test::CreateDatabase(dirs.root() + QStringLiteral("x.db"));
    Connection c;
    c.openConnectionString(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path + QStringLiteral(";Mode=ReadWrite"));
    EXPECT_EQ(c.tableNames(), (QStringList{"ITEMS", "BACKUP", "CUSTOMLAB"}));
    EXPECT_THROW(c.openConnectionString(QStringLiteral("Provider=x")), Error);
}

TEST_F(DbTest, EngineErrorsAreToldInFrenchWithTheEngineTextAfter)
{
    auto messageOf = [&](const QString &sql) -> std::pair<QString, int> {
        try {
            conn.exec(sql);
        } catch (const DatabaseError &e) {
            return {e.message(), e.code()};
        }
        ADD_FAILURE() << "no error for " << sql.toStdString();
        return {};
    };
    EXPECT_EQ(messageOf(QStringLiteral("UPDATE NOSUCH SET A=1")).first,
        QStringLiteral("La table « NOSUCH » manque dans la base de données ; rien n'a été modifié. "
                       "(no such table: NOSUCH)"));
    EXPECT_TRUE(messageOf(QStringLiteral("SELECT Couleur FROM ITEMS"))
                    .first.startsWith(QStringLiteral("La colonne « Couleur » manque dans la base de données ; ")));
    EXPECT_TRUE(
        messageOf(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('a'); INSERT INTO ITEMS (Couleur) VALUES (1)"))
            .first.startsWith(QStringLiteral("La colonne « Couleur » manque dans la table « ITEMS » ; les "
                                             "instructions qui la précèdent restent faites.")));

    // Another program holds a write transaction: the statement waits, then gives up cleanly.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(conn.path().toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    conn.setBusyTimeout(50);
    const auto [busy, code] = messageOf(QStringLiteral("UPDATE ITEMS SET Stock=1"));
    EXPECT_EQ(busy, QStringLiteral("La base de données est utilisée par un autre programme ; rien n'a été modifié."));
    EXPECT_EQ(code & 0xff, SQLITE_BUSY);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
}

TEST(EngineErrors, CodesWithoutAnEasyWayToProvokeThemStillGetAFrenchCause)
{
    EXPECT_EQ(SqliteErrorText(SQLITE_FULL, QStringLiteral("database or disk is full")),
        QStringLiteral("Le disque est plein : la base de données ne peut plus grandir ; rien n'a été modifié."));
    EXPECT_EQ(SqliteErrorText(SQLITE_READONLY, QStringLiteral("attempt to write a readonly database"), {}),
        QStringLiteral("La base de données ne peut pas être modifiée : elle est en lecture seule."));
    EXPECT_TRUE(SqliteErrorText(SQLITE_CORRUPT, QStringLiteral("database disk image is malformed"))
                    .startsWith(QStringLiteral("La base de données est endommagée ; rien n'a été modifié. (")));
    // An input/output failure names its system cause.
    EXPECT_TRUE(SqliteErrorText(SQLITE_IOERR_WRITE, QStringLiteral("disk I/O error"), NothingChanged(), ENOSPC)
                    .startsWith(QStringLiteral("Le disque est plein")));
    EXPECT_TRUE(
        SqliteErrorText(SQLITE_CANTOPEN, QStringLiteral("unable to open database file"), NothingChanged(), EACCES)
            .startsWith(QStringLiteral("La base de données ne peut pas être ouverte : l'accès")));
}

TEST_F(DbTest, AStatementWithParametersRunsWhollyOrNotAtAll)
{
    conn.exec(QStringLiteral("INSERT INTO ITEMS (Title, Stock) VALUES ('a', 1)"));
    // A second statement would be dropped silently: the text is refused before anything runs.
    EXPECT_THROW(conn.exec(QStringLiteral("UPDATE ITEMS SET Stock = ?; DELETE FROM ITEMS"), {5}), Error);
    // Too few or too many values would store NULL or drop one.
    EXPECT_THROW(conn.exec(QStringLiteral("UPDATE ITEMS SET Stock = ?, Title = ?"), {6}), Error);
    EXPECT_THROW(conn.exec(QStringLiteral("UPDATE ITEMS SET Stock = ?"), {6, 7}), Error);
    EXPECT_EQ(conn.scalar(QStringLiteral("SELECT Stock FROM ITEMS")).toInt(), 1);
    conn.exec(QStringLiteral("UPDATE ITEMS SET Stock = ? -- the last word"), {4});
    EXPECT_EQ(conn.scalar(QStringLiteral("SELECT Stock FROM ITEMS")).toInt(), 4);
    EXPECT_THROW(conn.execOne(QStringLiteral("  -- nothing")), Error);
}

TEST(NoCaseCollation, SortsAndComparesAsAFrenchReaderExpects)
{
    EXPECT_LT(CompareNoCase(u"Epinard", u"Éponge"), 0);
    EXPECT_LT(CompareNoCase(u"Éponge", u"Eponges"), 0);
    EXPECT_EQ(CompareNoCase(u"crème", u"CRÈME"), 0);
    EXPECT_NE(CompareNoCase(u"crème", u"creme"), 0);
    EXPECT_EQ(CompareNoCase(u"Lait", u"LAIT"), 0);
    EXPECT_LT(CompareNoCase(u"abc", u"ABD"), 0);
    EXPECT_LT(CompareNoCase(u"Œuf", u"Oignon"), 0); // œ counts as "oe"
    // The ASCII shortcut and the full comparison agree on mixed texts.
    const char *pairs[][2] = {{"zeta", "\xC3\xA9t\xC3\xA9"}, {"Cafe", "Caf\xC3\xA9s"}, {"abc", "ab"},
        {"ABC", "abc\xCC\x81"}, {"e", "\xC3\x89"}};
    for (const auto &p : pairs) {
        const int fast = CompareNoCaseUtf8(p[0], int(strlen(p[0])), p[1], int(strlen(p[1])));
        const int full = CompareNoCase(QString::fromUtf8(p[0]), QString::fromUtf8(p[1]));
        EXPECT_EQ(fast < 0, full < 0) << p[0] << " / " << p[1];
        EXPECT_EQ(fast == 0, full == 0) << p[0] << " / " << p[1];
    }
}

// Random triples of French-looking texts (accents, ligatures, case, combining marks, a
// Greek letter, an emoji): the quick comparisons give the full comparison's answer on every
// pair, and the order they make is a true order (antisymmetric, transitive).
TEST(NoCaseCollation, QuickComparisonsFollowTheFullOneOnRandomTriples)
{
    const QStringList letters = {u"a"_s, u"A"_s, u"e"_s, u"é"_s, u"É"_s, u"è"_s, u"ê"_s, u"c"_s, u"ç"_s, u"o"_s, u"œ"_s,
        u"Œ"_s, u"æ"_s, u"ß"_s, u"s"_s, u"z"_s, u" "_s, u"-"_s, u"1"_s, u"e\u0301"_s, u"\u0301"_s, u"ω"_s,
        u"\U0001F600"_s};
    QRandomGenerator rng(18);
    const auto text = [&] {
        QString t;
        for (int n = int(rng.bounded(6)); n-- > 0;)
            t += letters[rng.bounded(int(letters.size()))];
        return t;
    };
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (int i = 0; i < 5000; ++i) {
        const QString t[3] = {text(), text(), text()};
        int c[3][3];
        for (int x = 0; x < 3; ++x)
            for (int y = 0; y < 3; ++y) {
                c[x][y] = sign(CompareNoCaseFull(t[x], t[y]));
                const QByteArray ux = t[x].toUtf8();
                const QByteArray uy = t[y].toUtf8();
                ASSERT_EQ(sign(CompareNoCase(t[x], t[y])), c[x][y]) << qPrintable(t[x] + u'|' + t[y]);
                ASSERT_EQ(
                    sign(CompareNoCaseUtf8(ux.constData(), int(ux.size()), uy.constData(), int(uy.size()))), c[x][y])
                    << qPrintable(t[x] + u'|' + t[y]);
            }
        for (int x = 0; x < 3; ++x)
            for (int y = 0; y < 3; ++y)
                for (int z = 0; z < 3; ++z)
                    if (c[x][y] != -c[y][x] || (c[x][y] <= 0 && c[y][z] <= 0)) {
                        ASSERT_EQ(c[x][y], -c[y][x]) << qPrintable(t[x] + u'|' + t[y]);
                        ASSERT_LE(c[x][z], 0) << qPrintable(t[x] + u'|' + t[y] + u'|' + t[z]);
                    }
    }
}

TEST_F(DbTest, NoCaseColumnsOrderAndMatchWithTheFrenchCollation)
{
    for (const char *t : {"Eponges", "épinard", "Éponge", "Zeste", "Crème", "Epinard", "creme"})
        conn.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES (?)"), {QString::fromUtf8(t)});
    DataSet ds(&conn);
    ds.setSql({QStringLiteral("SELECT Title FROM ITEMS"), QStringLiteral("ORDER BY TITLE")});
    ds.open();
    QStringList order;
    for (; !ds.eof(); ds.next())
        order << ds.field(QStringLiteral("title")).asString();
    EXPECT_EQ(order, (QStringList{"creme", "Crème", "Epinard", "épinard", "Éponge", "Eponges", "Zeste"}));
    EXPECT_EQ(conn.scalar(QStringLiteral("SELECT count(*) FROM ITEMS WHERE Title='CRÈME'")).toInt(), 1);

    // The sqlite3 tool's own NOCASE sees a sound database after our writes.
    sqlite3 *raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt *st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "PRAGMA integrity_check", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)), "ok");
    sqlite3_finalize(st);
    sqlite3_close(raw);
}

TEST_F(DbTest, DeclaredTypesKeepStoredValuesAsWritten)
{
    conn.exec(QStringLiteral("CREATE TABLE T (A TEXT(10) COLLATE NOCASE, M LONGTEXT COLLATE NOCASE, "
                             "D DATETIME, B BLOB, Y YESNO, C CURRENCY)"));
    conn.exec(QStringLiteral("INSERT INTO T VALUES (?, ?, ?, ?, ?, ?)"),
        {QStringLiteral("0012"), QStringLiteral("123"), QStringLiteral("2024-01-02 00:00:00"), QByteArray("12"), true,
            12.5});
    EXPECT_EQ(
        conn.scalar(QStringLiteral("SELECT typeof(A)||typeof(M)||typeof(D)||typeof(B)||typeof(Y) FROM T")).toString(),
        QStringLiteral("texttexttextblobinteger"));
    EXPECT_EQ(conn.scalar(QStringLiteral("SELECT A||'/'||M FROM T")).toString(), QStringLiteral("0012/123"));
}

TEST(FieldKinds, JetAndSchemaTypeWordsAreClassifiedAsJetWould)
{
    const std::pair<const char *, const char *> cases[] = {{"COUNTER", "ftAutoInc"}, {"AUTOINCREMENT", "ftAutoInc"},
        {"SHORT", "ftSmallint"}, {"SMALLINT", "ftSmallint"}, {"LONG", "ftInteger"}, {"INTEGER", "ftInteger"},
        {"int", "ftInteger"}, {"DOUBLE", "ftFloat"}, {"FLOAT", "ftFloat"}, {"YESNO", "ftBoolean"}, {"BIT", "ftBoolean"},
        {"LOGICAL", "ftBoolean"}, {"DATETIME", "ftDateTime"}, {"DATE", "ftDateTime"},
        {"TEXT(128) COLLATE NOCASE", "ftWideString"}, {"VARCHAR(50)", "ftWideString"}, {"MEMO", "ftWideMemo"},
        {"LONGTEXT COLLATE NOCASE", "ftWideMemo"}, {"LONGBINARY", "ftBlob"}, {"OLEOBJECT", "ftBlob"},
        {"BLOB", "ftBlob"}, {"CURRENCY", "ftBCD"}, {"", "ftUnknown"}, {"GEOMETRY", "ftUnknown"}};
    for (const auto &[type, kind] : cases)
        EXPECT_EQ(FieldKindName(ClassifyColumn(QString::fromLatin1(type), false)), QLatin1StringView(kind)) << type;
    EXPECT_EQ(ClassifyColumn(QStringLiteral("INTEGER"), true), FieldKind::AutoInc);
    EXPECT_EQ(NormalizedFieldKindName(QStringLiteral("ftGuid")), QStringLiteral("ftGuid"));
    EXPECT_EQ(NormalizedFieldKindName(QStringLiteral("ftinteger")), QStringLiteral("ftUnknown"));
}

TEST_F(DbTest, FieldsOfADataSetCarryTheirKindsAndOrigins)
{
    DataSet ds(&conn);
    ds.setSqlText(QStringLiteral("SELECT Id, Id_File, Sel, Price01, Title, Misc11, Img1, Comment1 as[Color], "
                                 "Stock*2 AS Twice FROM ITEMS"));
    ds.open();
    QStringList kinds;
    for (const FieldDef &f : ds.fields())
        kinds << FieldKindName(f.kind);
    EXPECT_EQ(kinds,
        (QStringList{"ftAutoInc", "ftSmallint", "ftBoolean", "ftFloat", "ftWideString", "ftWideMemo", "ftBlob",
            "ftWideString", "ftUnknown"}));
    const FieldDef &color = ds.fields()[7];
    EXPECT_EQ(color.name, QStringLiteral("Color"));
    EXPECT_EQ(color.column, QStringLiteral("Comment1"));
    EXPECT_FALSE(color.readOnly);
    EXPECT_TRUE(ds.fields()[8].readOnly);
    EXPECT_TRUE(ds.fields()[0].readOnly); // the counter is the database's
}
