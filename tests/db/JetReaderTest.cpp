#include "db/JetReader.h"

#include "base/Error.h"
#include "support/TestDirs.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vivrelo {
namespace {

QString jetFile(const char *name)
{
    return test::TestDataDir() + QStringLiteral("jet/") + QLatin1String(name);
}

const JetTable &tableNamed(const std::vector<JetTable> &tables, const QString &name)
{
    for (const JetTable &t : tables)
        if (t.name == name)
            return t;
    ADD_FAILURE() << "no table " << name.toStdString();
    static JetTable none;
    return none;
}

QVariant cell(const JetTable &t, int row, const char *column)
{
    const int c = t.columnIndex(QLatin1String(column));
    EXPECT_GE(c, 0) << column;
    return c < 0 ? QVariant() : t.rows.at(row).at(c);
}

// Copies a test file into a writable folder and cuts it to `size` bytes.
QString truncatedCopy(const QTemporaryDir &dir, const char *name, qint64 size)
{
    const QString path = dir.filePath(QStringLiteral("cut.mdb"));
    QFile::remove(path);
    EXPECT_TRUE(QFile::copy(jetFile(name), path));
    QFile f(path);
    EXPECT_TRUE(f.setPermissions(QFile::ReadOwner | QFile::WriteOwner));
    EXPECT_TRUE(f.resize(size));
    return path;
}

class JetReaderEveryType : public ::testing::TestWithParam<const char *>
{ };

TEST_P(JetReaderEveryType, ReadsTypesAndValuesAsStored)
{
    const auto tables = ReadJetDatabase(jetFile(GetParam()));
    std::vector<QString> names;
    for (const JetTable &t : tables)
        names.push_back(t.name);
    EXPECT_EQ(names,
        (std::vector<QString>{
            QStringLiteral("Table1"), QStringLiteral("Table2"), QStringLiteral("Table3"), QStringLiteral("Table4")}));

    const JetTable &t = tableNamed(tables, QStringLiteral("Table1"));
    ASSERT_EQ(t.rows.size(), 2u);
    const std::vector<std::pair<const char *, JetType>> types = {{"A", JetType::Text}, {"C", JetType::Short},
        {"D", JetType::Short}, {"E", JetType::Long}, {"F", JetType::Double}, {"G", JetType::Date},
        {"H", JetType::Currency}, {"I", JetType::YesNo}};
    for (const auto &[column, type] : types)
        EXPECT_EQ(t.columns.at(t.columnIndex(QLatin1String(column))).type, type) << column;
    EXPECT_EQ(t.columns.at(t.columnIndex(QStringLiteral("B"))).size, 100);

    EXPECT_EQ(cell(t, 0, "A").toString(), QStringLiteral("abcdefg"));
    EXPECT_EQ(cell(t, 0, "C").toInt(), 2);
    EXPECT_EQ(cell(t, 0, "D").toInt(), 222);
    EXPECT_EQ(cell(t, 0, "E").toInt(), 333333333);
    EXPECT_EQ(cell(t, 0, "F").toDouble(), 444.555); // the stored double, not a printed one
    EXPECT_EQ(cell(t, 0, "G").toDateTime(), QDateTime(QDate(1974, 9, 21), QTime(0, 0), Qt::UTC));
    EXPECT_EQ(cell(t, 0, "H").toDouble(), 3.5);
    EXPECT_EQ(cell(t, 0, "I"), QVariant(true));
    EXPECT_EQ(cell(t, 1, "I"), QVariant(false));
    EXPECT_EQ(cell(t, 1, "E").toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(Access2000And2003, JetReaderEveryType, ::testing::Values("testV2000.mdb", "testV2003.mdb"));

TEST(JetReader, ReadsLongValuesWhole)
{
    const auto tables = ReadJetDatabase(jetFile("test2V2000.mdb"));
    const JetTable &t = tableNamed(tables, QStringLiteral("MSP_PROJECTS"));
    ASSERT_EQ(t.rows.size(), 1u);

    const QString memo = cell(t, 0, "PROJ_PROP_AUTHOR").toString();
    EXPECT_EQ(memo.size(), 348);
    EXPECT_TRUE(memo.startsWith(QStringLiteral("Jon Iles this is a a vawesrasoih")));
    EXPECT_EQ(t.columns.at(t.columnIndex(QStringLiteral("PROJ_PROP_AUTHOR"))).type, JetType::Memo);

    const QByteArray ole = cell(t, 0, "RESERVED_BINARY_DATA").toByteArray();
    EXPECT_EQ(ole.size(), 22970);
    EXPECT_EQ(
        QCryptographicHash::hash(ole, QCryptographicHash::Md5).toHex(), QByteArray("c90c305ecaa92bf90c02839a41c77615"));
    EXPECT_EQ(t.columns.at(t.columnIndex(QStringLiteral("RESERVED_BINARY_DATA"))).type, JetType::Blob);

    EXPECT_EQ(cell(t, 0, "PROJ_OPT_CURRENCY_SYMBOL").toString(), QStringLiteral("£"));
    EXPECT_TRUE(cell(t, 0, "PROJ_INFO_STATUS_DATE").isNull());
}

TEST(JetReader, DecodesCompressedUnicodeText)
{
    const auto tables = ReadJetDatabase(jetFile("testUnicodeCompV2003.mdb"));
    const JetTable &t = tableNamed(tables, QStringLiteral("Table"));
    ASSERT_EQ(t.rows.size(), 8u);
    EXPECT_EQ(cell(t, 0, "Unicode").toString(), QStringLiteral("only ascii chars"));
    EXPECT_EQ(cell(t, 1, "Unicode").toString(), QStringLiteral("ääkkösiä"));
    EXPECT_EQ(cell(t, 2, "Unicode").toString(), QStringLiteral("Мир"));
    EXPECT_EQ(cell(t, 4, "Unicode").toString(), QStringLiteral("漢字仮名交じり文"));
    EXPECT_EQ(cell(t, 6, "Unicode").toString(), QStringLiteral("ümlaut"));
}

TEST(JetReader, RefusesCutOrForeignFilesWithAMessage)
{
    QTemporaryDir dir;
    const QString what = QStringLiteral("tronquée ou endommagée");
    for (const qint64 size : {qint64(100000), qint64(40 * 4096), qint64(20 * 4096), qint64(8 * 4096), qint64(4096)}) {
        const QString cut = truncatedCopy(dir, "testV2003.mdb", size);
        try {
            ReadJetDatabase(cut);
            ADD_FAILURE() << "a copy cut at " << size << " bytes was read";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(what)) << e.message().toStdString();
        }
    }
    // A long value whose pages are gone is refused, not shortened.
    const QString cutOle = truncatedCopy(dir, "test2V2000.mdb", 32 * 4096);
    EXPECT_THROW(ReadJetDatabase(cutOle), Error);

    const QString text = dir.filePath(QStringLiteral("notes.mdb"));
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    try {
        ReadJetDatabase(text);
        ADD_FAILURE() << "a text file was read";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("n'est pas une base de données Access")));
    }
    EXPECT_THROW(ReadJetDatabase(dir.filePath(QStringLiteral("absent.mdb"))), Error);
}

TEST(JetReader, TellsAccessVersionsApartByContent)
{
    QTemporaryDir dir;
    const QString ace = dir.filePath(QStringLiteral("new.mdb"));
    QFile f(ace);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray("\0\x01\0\0Standard ACE DB\0", 20));
    f.close();
    EXPECT_EQ(DetectDatabaseFormat(ace), DatabaseFormat::Ace);
    EXPECT_EQ(DetectDatabaseFormat(jetFile("testV2000.mdb")), DatabaseFormat::Jet);
    EXPECT_EQ(DetectDatabaseFormat(dir.filePath(QStringLiteral("absent.mdb"))), DatabaseFormat::Missing);
}

TEST(JetReader, ConvertsDayCountsIncludingDatesBefore1900)
{
    const auto at = [](int y, int m, int d, int h = 0, int min = 0, int s = 0) {
        return QDateTime(QDate(y, m, d), QTime(h, min, s), Qt::UTC);
    };
    EXPECT_EQ(JetDateToDateTime(2.75), at(1900, 1, 1, 18));
    // Before the epoch the integral part counts days back and the fraction is still the
    // time of day: -1.25 is the 29th at six in the morning, not the 28th at six at night.
    EXPECT_EQ(JetDateToDateTime(-1.25), at(1899, 12, 29, 6));
    EXPECT_EQ(JetDateToDateTime(-0.5), at(1899, 12, 30, 12));
    EXPECT_EQ(JetDateToDateTime(double(QDate(1899, 12, 30).daysTo(QDate(1789, 7, 14)))), at(1789, 7, 14));
    EXPECT_EQ(JetDateToDateTime(1.0 - 1e-9), at(1899, 12, 31)); // rounds up to midnight
    EXPECT_FALSE(JetDateToDateTime(1e12).isValid());
    EXPECT_FALSE(JetDateToDateTime(std::nan("")).isValid());
}

} // namespace
} // namespace vivrelo
