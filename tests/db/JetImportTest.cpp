#include "db/JetImport.h"

#include "base/Error.h"
#include "base/Progress.h"
#include "db/Connection.h"
#include "support/TestDirs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

QDateTime at(int y, int m, int d, int h = 0, int min = 0)
{
    return QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC);
}

JetColumn col(const char *name, JetType type, int size = 0)
{
    return {QLatin1String(name), type, size};
}

// The tables an older installation's database gives: ITEMS without Quantity and Stock but
// with a column of its own, the price labels, the version table and a table we do not have.
std::vector<JetTable> olderInstallation()
{
    JetTable items{QStringLiteral("Items"),
        {col("Id", JetType::Counter), col("ID_FILE", JetType::Short), col("Title", JetType::Text, 128),
            col("Price01", JetType::Double), col("Img1", JetType::Blob), col("Misc11", JetType::Memo),
            col("Sel", JetType::YesNo), col("Added", JetType::Date)},
        {}};
    items.rows.push_back({7, -1, QStringLiteral("Pâtes"), 1.15, QByteArray("\x00\xff\x00JFIF", 7),
        QStringLiteral("long ") + QString(5000, QLatin1Char('x')), true, at(1850, 3, 1, 10, 30)});
    items.rows.push_back({12, -1, QStringLiteral("Café"), 0.1 + 0.2, QVariant(), QVariant(), false, at(1974, 9, 21)});
    items.rows.push_back({40, -1, QVariant(), QVariant(), QVariant(), QVariant(), false, QVariant()});

    JetTable labels{QStringLiteral("CUSTOMLAB"),
        {col("Id_File", JetType::Short), col("Price01", JetType::Text, 128), col("Price02", JetType::Text, 128)},
        {{-1, QStringLiteral("Marché"), QStringLiteral("Épicerie")}}};
    JetTable values{QStringLiteral("OBJECT_VAL_STR"),
        {col("Id", JetType::Counter), col("ID_CLASS", JetType::Long), col("ID_ATTRIBUTE", JetType::Long),
            col("USERID", JetType::Long), col("VALUE", JetType::Text, 255)},
        {{3, -99, -99, -99, QStringLiteral("1.50")}, {4, 1, 2, -1, QStringLiteral("bleu")}}};
    JetTable notes{QStringLiteral("NOTES"),
        {col("Id", JetType::Counter), col("Body", JetType::Memo), col("Amount", JetType::Currency),
            col("Done", JetType::YesNo), col("Code", JetType::Text, 12), col("Count", JetType::Short)},
        {{1, QStringLiteral("à faire"), 12.3456, true, QStringLiteral("A1"), 3}}};
    return {items, labels, values, notes};
}

class JetImportTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // A template shaped like ours, with rows of its own that the user's must replace.
        templatePath = dirs.root() + QStringLiteral("template.db");
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(templatePath.toUtf8().constData(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                      "CREATE TABLE ITEMS (Id INTEGER PRIMARY KEY AUTOINCREMENT, Id_File SMALLINT,"
                      " Sel YESNO DEFAULT 0, Quantity INTEGER DEFAULT 0, Stock INTEGER DEFAULT 5,"
                      " Title TEXT(128) COLLATE NOCASE, Price01 DOUBLE, Misc11 LONGTEXT COLLATE NOCASE,"
                      " Img1 BLOB);"
                      "CREATE TABLE CUSTOMLAB (Id_File SMALLINT, Price01 TEXT(128) COLLATE NOCASE,"
                      " Price02 TEXT(128) COLLATE NOCASE, Price03 TEXT(128) COLLATE NOCASE);"
                      "INSERT INTO CUSTOMLAB VALUES (-1, 'Prix n°1', 'Prix n°2', 'Prix n°3');"
                      "CREATE TABLE OBJECT_VAL_STR (Id INTEGER PRIMARY KEY AUTOINCREMENT, ID_CLASS INTEGER,"
                      " ID_ATTRIBUTE INTEGER, USERID INTEGER, \"VALUE\" TEXT(255) COLLATE NOCASE);"
                      "INSERT INTO OBJECT_VAL_STR VALUES (1, -99, -99, -99, '1.83');",
                      nullptr, nullptr, nullptr),
            SQLITE_OK);
        sqlite3_close(db);
        QDir().mkpath(dirs.root() + QStringLiteral("data"));
        target = dirs.root() + QStringLiteral("data/VIVRELO.MDB");
    }

    QStringList leftovers() const
    {
        return QDir(dirs.root() + QStringLiteral("data")).entryList(QDir::Files | QDir::Hidden);
    }

    test::TestDirs dirs;
    QString templatePath;
    QString target;
};

TEST_F(JetImportTest, ConvertsTablesShapedLikeOurs)
{
    ConvertJetTables(olderInstallation(), templatePath, target, noProgress());
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("VIVRELO.MDB")});

    Connection db;
    db.open(target);
    const auto items = [&](const char *column, int id) {
        return db.scalar(QStringLiteral("SELECT %1 FROM ITEMS WHERE Id=?").arg(QLatin1String(column)), {id});
    };
    // Counter keys keep their values, gaps included; new rows number on after them.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(Id) FROM ITEMS")).toString(), QStringLiteral("7,12,40"));
    db.exec(QStringLiteral("INSERT INTO ITEMS (Title) VALUES ('nouveau')"));
    EXPECT_EQ(db.lastInsertId(), 41);

    EXPECT_EQ(items("Title", 7).toString(), QStringLiteral("Pâtes"));
    EXPECT_EQ(items("Price01", 12).toDouble(), 0.1 + 0.2);
    EXPECT_EQ(items("Img1", 7).toByteArray(), QByteArray("\x00\xff\x00JFIF", 7));
    EXPECT_EQ(items("Misc11", 7).toString().size(), 5005);
    EXPECT_EQ(items("Sel", 7).toInt(), 1);
    EXPECT_EQ(items("Sel", 12).toInt(), 0);
    // Columns the source lacks take our defaults; its own column is added with our type.
    EXPECT_EQ(items("Quantity", 12).toInt(), 0);
    EXPECT_EQ(items("Stock", 40).toInt(), 5);
    EXPECT_EQ(items("Added", 7).toString(), QStringLiteral("1850-03-01 10:30:00"));
    EXPECT_EQ(items("Added", 12).toString(), QStringLiteral("1974-09-21 00:00:00"));
    EXPECT_TRUE(items("Added", 40).isNull());
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT type FROM pragma_table_info('ITEMS') WHERE name='Added'")).toString(),
        QStringLiteral("DATETIME"));

    // The user's labels and version replace the template's rows.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CUSTOMLAB")).toInt(), 1);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Price02 FROM CUSTOMLAB")).toString(), QStringLiteral("Épicerie"));
    EXPECT_TRUE(db.scalar(QStringLiteral("SELECT Price03 FROM CUSTOMLAB")).isNull());
    EXPECT_EQ(db.scalar(QStringLiteral(
                            "SELECT VALUE FROM OBJECT_VAL_STR WHERE ID_CLASS=-99 AND ID_ATTRIBUTE=-99 AND USERID=-99"))
                  .toString(),
        QStringLiteral("1.50"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM OBJECT_VAL_STR")).toInt(), 2);

    // A table we do not have is created with our declared types.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT group_concat(type, ' ') FROM pragma_table_info('NOTES')")).toString(),
        QStringLiteral("INTEGER LONGTEXT CURRENCY YESNO TEXT(12) SMALLINT"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT Amount FROM NOTES")).toDouble(), 12.3456);
    EXPECT_EQ(
        db.scalar(QStringLiteral("SELECT Body FROM NOTES WHERE Body='À FAIRE'")).toString(), QStringLiteral("à faire"));
    db.exec(QStringLiteral("INSERT INTO NOTES (Body) VALUES ('x')"));
    EXPECT_EQ(db.lastInsertId(), 2);
}

TEST_F(JetImportTest, ASourceWithoutVersionTableGetsNoVersion)
{
    std::vector<JetTable> tables = olderInstallation();
    tables.erase(tables.begin() + 2); // OBJECT_VAL_STR
    ConvertJetTables(tables, templatePath, target, noProgress());
    Connection db;
    db.open(target);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM OBJECT_VAL_STR WHERE ID_CLASS=-99")).toInt(), 0);
}

TEST_F(JetImportTest, RefusesWhatIsNotOurDatabaseAndLeavesTheTargetAlone)
{
    const QByteArray previous("the database in place");
    dirs.writeFile(target, previous);

    std::vector<JetTable> noItems = olderInstallation();
    noItems.erase(noItems.begin());
    try {
        ConvertJetTables(noItems, templatePath, target, noProgress());
        ADD_FAILURE() << "tables without ITEMS were converted";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("pas de table ITEMS"))) << e.message().toStdString();
    }
    // A value the engine refuses (two rows with one key) fails the whole conversion.
    std::vector<JetTable> twoKeys = olderInstallation();
    twoKeys[0].rows[1][0] = 7;
    EXPECT_THROW(ConvertJetTables(twoKeys, templatePath, target, noProgress()), Error);

    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), previous);
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("VIVRELO.MDB")});

    // A folder that cannot hold the database (a plain file stands where the folder should).
    const QString blocked = dirs.writeFile(dirs.root() + QStringLiteral("blocked"), "x");
    try {
        ConvertJetTables(olderInstallation(), templatePath, blocked + QStringLiteral("/VIVRELO.MDB"), noProgress());
        ADD_FAILURE() << "a database was written into a file";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Impossible d'écrire"))) << e.message().toStdString();
    }
}

QByteArray md5Of(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5);
}

TEST_F(JetImportTest, AFailedImportLeavesTheAccessFileWhereAndAsItWas)
{
    // A genuine Access file that is not ours, then the same file cut short, converted where
    // they lie as an older installation's database would be.
    const QString genuine = test::TestDataDir() + QStringLiteral("jet/testV2003.mdb");
    ASSERT_TRUE(QFile::copy(genuine, target));
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    for (const char *reason : {"pas de table ITEMS", "tronquée"}) {
        const QByteArray before = md5Of(target);
        try {
            ImportJetDatabase(target, target, false, noProgress());
            ADD_FAILURE() << "imported although " << reason;
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(reason))) << e.message().toStdString();
        }
        EXPECT_EQ(md5Of(target), before);
        EXPECT_EQ(leftovers(), QStringList{QStringLiteral("VIVRELO.MDB")});
        QFile(target).resize(30 * 4096 + 100);
    }
    // Our own database is not converted; an existing database is replaced only on request.
    EXPECT_THROW(ImportJetDatabase(templatePath, target, true, noProgress()), Error);
    EXPECT_THROW(ImportJetDatabase(genuine, target, false, noProgress()), Error);
    EXPECT_EQ(QFileInfo(target).size(), 30 * 4096 + 100);
}

TEST_F(JetImportTest, GenuineAccessValuesArriveExactly)
{
    std::vector<JetTable> tables = ReadJetDatabase(test::TestDataDir() + QStringLiteral("jet/test2V2000.mdb"));
    std::vector<JetTable> more = ReadJetDatabase(test::TestDataDir() + QStringLiteral("jet/testV2003.mdb"));
    tables.insert(tables.end(), more.begin(), more.end());
    tables.push_back({QStringLiteral("ITEMS"), {col("Id", JetType::Counter)}, {}});
    ConvertJetTables(tables, TemplateDatabasePath(), target, noProgress());

    Connection db;
    db.open(target);
    const auto value = [&](const char *sql) { return db.scalar(QString::fromUtf8(sql)); };
    EXPECT_EQ(value("SELECT F FROM Table1 WHERE A='abcdefg'").toDouble(), 444.555);
    EXPECT_EQ(value("SELECT G FROM Table1 WHERE A='abcdefg'").toString(), QStringLiteral("1974-09-21 00:00:00"));
    EXPECT_EQ(value("SELECT H FROM Table1 WHERE A='abcdefg'").toDouble(), 3.5);
    EXPECT_EQ(value("SELECT group_concat(I) FROM Table1").toString(), QStringLiteral("1,0"));
    EXPECT_EQ(value("SELECT length(RESERVED_BINARY_DATA) FROM MSP_PROJECTS").toInt(), 22970);
    EXPECT_EQ(value("SELECT length(PROJ_PROP_AUTHOR) FROM MSP_PROJECTS").toInt(), 348);
}

// An Access file as an older installation leaves it; its tables come from the reader given.
QByteArray accessBytes()
{
    return QByteArray("\0\x01\0\0Standard Jet DB\0", 20) + QByteArray(8192 - 20, '\x07');
}

TEST_F(JetImportTest, ConvertsInPlaceAndKeepsTheAccessFileBeside)
{
    dirs.writeFile(target, accessBytes());
    const auto read = [](const QString &, ProgressSink &) { return olderInstallation(); };
    const JetImportResult result = ImportJetDatabase(target, target, false, noProgress(), read);

    EXPECT_EQ(result.database, target);
    EXPECT_EQ(result.keptOriginal, target + QStringLiteral(".jet-origine"));
    EXPECT_EQ(result.items, 3);
    EXPECT_EQ(md5Of(result.keptOriginal), QCryptographicHash::hash(accessBytes(), QCryptographicHash::Md5));
    ASSERT_EQ(DetectDatabaseFormat(target), DatabaseFormat::Sqlite);
    Connection db;
    db.open(target);
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).toInt(), 3);
    db.close();
    EXPECT_EQ(leftovers(), (QStringList{QStringLiteral("VIVRELO.MDB"), QStringLiteral("VIVRELO.MDB.jet-origine")}));

    // A second Access file converted onto another database never overwrites the kept copy.
    const QString other = dirs.writeFile(dirs.root() + QStringLiteral("old/VIVRELO.MDB"), accessBytes());
    const JetImportResult again = ImportJetDatabase(other, target, true, noProgress(), read);
    EXPECT_EQ(again.keptOriginal, target + QStringLiteral(".jet-origine-2"));
    EXPECT_EQ(md5Of(other), QCryptographicHash::hash(accessBytes(), QCryptographicHash::Md5));
}

TEST_F(JetImportTest, AConversionThatFailsKeepsNoCopyAndChangesNothing)
{
    dirs.writeFile(target, accessBytes());
    const auto duplicateKeys = [](const QString &, ProgressSink &) {
        std::vector<JetTable> tables = olderInstallation();
        tables[0].rows[2][0] = 12;
        return tables;
    };
    EXPECT_THROW(ImportJetDatabase(target, target, false, noProgress(), duplicateKeys), Error);
    EXPECT_EQ(md5Of(target), QCryptographicHash::hash(accessBytes(), QCryptographicHash::Md5));
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("VIVRELO.MDB")});
}

} // namespace
} // namespace vivrelo
