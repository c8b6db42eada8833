#include "maintenance/Cabinet.h"

#include "base/Error.h"
#include "base/Progress.h"
#include "support/TestDirs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray md5Of(const QString &path)
{
    return QCryptographicHash::hash(readAll(path), QCryptographicHash::Md5).toHex();
}

QByteArray randomBytes(int size, quint32 seed)
{
    QRandomGenerator gen(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes)
        c = char(gen.generate() & 0xff);
    return bytes;
}

// Runs a tool; returns its exit code, with its output in `output`.
int run(const QString &program, const QStringList &args, QString *output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForFinished(60000))
        return -1;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

quint16 le16(const QByteArray &b, int at)
{
    return quint16(uchar(b[at]) | (uchar(b[at + 1]) << 8));
}
quint32 le32(const QByteArray &b, int at)
{
    return le16(b, at) | (quint32(le16(b, at + 2)) << 16);
}

// Offsets of the data block headers of a cabinet without reserved areas.
std::vector<int> blockOffsets(const QByteArray &cab)
{
    std::vector<int> offsets;
    const int folders = le16(cab, 26);
    for (int f = 0; f < folders; ++f) {
        int at = int(le32(cab, 36 + 8 * f));
        for (int n = le16(cab, 36 + 8 * f + 4); n > 0; --n) {
            offsets.push_back(at);
            at += 8 + le16(cab, at + 4);
        }
    }
    return offsets;
}

QString messageOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

struct CabinetFixture : ::testing::Test {
    test::TestDirs dirs;
    QString src = dirs.root() + QStringLiteral("src/");
    QString out = dirs.root() + QStringLiteral("out/");
    void SetUp() override { QDir().mkpath(out); }
    QString source(const QString &name, const QByteArray &bytes) { return dirs.writeFile(src + name, bytes); }
    QStringList outFiles() const { return QDir(out).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

} // namespace

TEST_F(CabinetFixture, RoundTripIsReadBackByUsAndByOtherTools)
{
    const QByteArray random = randomBytes(100 * 1024, 7);
    const QByteArray text = QByteArray("Liste de courses\r\n").repeated(2000);
    const std::vector<CabinetSource> entries = {
        {QStringLiteral("VIVRELO.MDB"), source(QStringLiteral("db"), text)},
        {QStringLiteral("vide.jpg"), source(QStringLiteral("vide.jpg"), {})},
        {QStringLiteral("photo.jpg"), source(QStringLiteral("photo.jpg"), random)},
        {QStringLiteral("pâté.jpg"), source(QStringLiteral("pâté.jpg"), "terrine")},
    };
    const QString cab = dirs.root() + QStringLiteral("a.bkp");
    WriteCabinet(cab, entries, noProgress());

    const auto read = ReadCabinet(cab);
    ASSERT_EQ(read.size(), 4u);
    const qint64 sizes[] = {text.size(), 0, random.size(), 7};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(read[i].name, entries[i].name);
        EXPECT_EQ(read[i].size, sizes[i]);
    }

    // One folder, MSZIP, set id 0.
    const QByteArray bytes = readAll(cab);
    EXPECT_EQ(le16(bytes, 26), 1);
    EXPECT_EQ(le16(bytes, 32), 0);
    EXPECT_EQ(le16(bytes, 36 + 6) & 0xf, 1);

    const ExtractionResult result = ExtractCabinet(cab, out);
    EXPECT_TRUE(result.skipped.empty());
    EXPECT_EQ(readAll(out + QStringLiteral("VIVRELO.MDB")), text);
    EXPECT_EQ(readAll(out + QStringLiteral("photo.jpg")), random);
    EXPECT_TRUE(QFile::exists(out + QStringLiteral("vide.jpg")));
    EXPECT_EQ(readAll(out + QStringLiteral("pâté.jpg")), QByteArray("terrine"));
    EXPECT_EQ(outFiles().size(), 4);

    // Read back whole: the same entries, sizes and digests as the files packed; a packed file
    // that differs is named.
    std::vector<CabinetEntryDigest> packed;
    for (const CabinetSource &e : entries)
        packed.push_back(DigestFile(e.name, e.path));
    EXPECT_NO_THROW(CheckCabinetReadsBack(cab, packed, dirs.root()));
    packed[2].sha256[0] = char(packed[2].sha256[0] ^ 1);
    EXPECT_TRUE(
        messageOf([&] { CheckCabinetReadsBack(cab, packed, dirs.root()); }).contains(QStringLiteral("photo.jpg")));
    packed.pop_back();
    EXPECT_FALSE(messageOf([&] { CheckCabinetReadsBack(cab, packed, dirs.root()); }).isEmpty());
    EXPECT_TRUE(QDir(dirs.root()).entryList({QStringLiteral("~verification-*")}, QDir::Files).isEmpty());

    QString listing;
    EXPECT_EQ(run(QStringLiteral("cabextract"), {QStringLiteral("-t"), cab}, &listing), 0) << listing.toStdString();
    EXPECT_EQ(run(QStringLiteral("cabextract"), {QStringLiteral("-l"), cab}, &listing), 0);
    EXPECT_TRUE(listing.contains(QStringLiteral("photo.jpg")) && listing.contains(QStringLiteral("pâté.jpg")))
        << listing.toStdString();
    EXPECT_EQ(run(QStringLiteral("gcab"), {QStringLiteral("-t"), cab}, &listing), 0);
    EXPECT_TRUE(listing.contains(QStringLiteral("VIVRELO.MDB")));
}

TEST_F(CabinetFixture, WritingRefusesWhatOneArchiveCannotHoldAndKeepsTheOldFile)
{
    // A sparse file just over the limit costs no disk space.
    const QString big = src + QStringLiteral("big.mdb");
    source(QStringLiteral("big.mdb"), {});
    QFile f(big);
    ASSERT_TRUE(f.resize(MaxCabinetDataBytes + 1));
    const QString cab = dirs.writeFile(dirs.root() + QStringLiteral("old.bkp"), "ancienne");
    const QString msg = messageOf([&] { WriteCabinet(cab, {{QStringLiteral("VIVRELO.MDB"), big}}, noProgress()); });
    EXPECT_TRUE(msg.contains(QStringLiteral("2 Go"))) << msg.toStdString();
    EXPECT_EQ(readAll(cab), QByteArray("ancienne"));
}

TEST_F(CabinetFixture, ReadsMakecabArchivesByTheLastComponentOfTheirNames)
{
    const QString stored = test::TestDataDir() + QStringLiteral("cab/makecab-stored.cab");
    const auto entries = ReadCabinet(stored);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].name, QStringLiteral("dir1\\file1"));
    EXPECT_EQ(entries[1].size, 60);

    const struct {
        const char *name;
        const char *md5;
    } expected[] = {
        {"empty", "d41d8cd98f00b204e9800998ecf8427e"},
        {"file1", "9f348626c6a84b91537327656c98e113"},
        {"file2", "cc38402d8b50f75cdb7279e90ee33b39"},
        {"zero", "d7ea97d313b83e91efbb901cc558bea4"},
    };
    ExtractCabinet(stored, out);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(md5Of(out + QLatin1String(expected[i].name)), expected[i].md5) << expected[i].name;

    for (const char *name : {"makecab-mszip.cab", "makecab-lzx.cab"}) {
        const QString target = dirs.root() + QLatin1String(name) + QLatin1Char('/');
        QDir().mkpath(target);
        QString msg = messageOf([&] {
            const auto result =
                ExtractCabinet(test::TestDataDir() + QStringLiteral("cab/") + QLatin1String(name), target);
            EXPECT_EQ(result.extracted.size(), 4u);
        });
        EXPECT_TRUE(msg.isEmpty()) << name << ": " << msg.toStdString();
        for (const auto &e : expected)
            EXPECT_EQ(md5Of(target + QLatin1String(e.name)), e.md5) << name << " " << e.name;
    }
}

TEST_F(CabinetFixture, HostileNamesLandInsideTheTargetUnderTheirBareNameOrAreSkipped)
{
    const std::vector<CabinetSource> entries = {
        {QStringLiteral("..\\..\\evil"), source(QStringLiteral("1"), "un")},
        {QStringLiteral("/abs/path"), source(QStringLiteral("2"), "deux")},
        {QStringLiteral("\\"), source(QStringLiteral("3"), "trois")},
        {QStringLiteral("C:drive.jpg"), source(QStringLiteral("4"), "quatre")},
        {QStringLiteral("dir1/sub\\ok.jpg"), source(QStringLiteral("5"), "cinq")},
        {QStringLiteral(".."), source(QStringLiteral("6"), "six")},
        {QStringLiteral("Z"), source(QStringLiteral("7"), "sept")},
    };
    const QString cab = dirs.root() + QStringLiteral("hostile.bkp");
    WriteCabinet(cab, entries, noProgress());
    // The last entry's name becomes empty: the byte after it is never read as a name.
    QByteArray bytes = readAll(cab);
    const int z = int(bytes.indexOf(QByteArray("Z\0", 2), int(le32(bytes, 16))));
    ASSERT_GT(z, 0);
    bytes[z] = '\0';
    dirs.writeFile(cab, bytes);

    std::vector<QString> seen;
    const ExtractionResult result = ExtractCabinet(cab, out, [&](int, int count, const QString &name) {
        seen.push_back(name);
        EXPECT_EQ(count, 7);
    });
    EXPECT_EQ(outFiles(),
        QStringList(
            {QStringLiteral("drive.jpg"), QStringLiteral("evil"), QStringLiteral("ok.jpg"), QStringLiteral("path")}));
    EXPECT_EQ(readAll(out + QStringLiteral("evil")), QByteArray("un"));
    EXPECT_EQ(readAll(out + QStringLiteral("ok.jpg")), QByteArray("cinq"));
    ASSERT_EQ(result.skipped.size(), 3u);
    EXPECT_EQ(result.skipped[0].storedName, QStringLiteral("\\"));
    EXPECT_EQ(result.skipped[2].storedName, QString());
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_FALSE(QFile::exists(dirs.root() + QStringLiteral("evil")));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/abs/path")));
}

TEST_F(CabinetFixture, DamagedArchivesFailClearlyAndLeaveNoFileUnderARealName)
{
    const QByteArray random = randomBytes(80 * 1024, 3);
    const QString cab = dirs.root() + QStringLiteral("good.bkp");
    WriteCabinet(cab,
        {{QStringLiteral("VIVRELO.MDB"), source(QStringLiteral("db"), random)},
            {QStringLiteral("a.jpg"), source(QStringLiteral("a.jpg"), "image")}},
        noProgress());
    const QByteArray good = readAll(cab);
    dirs.writeFile(out + QStringLiteral("VIVRELO.MDB"), "existing");
    const QString bad = dirs.root() + QStringLiteral("bad.bkp");

    auto expectFailure = [&](const QByteArray &bytes, const QString &word) {
        dirs.writeFile(bad, bytes);
        const QString read = messageOf([&] { ReadCabinet(bad); });
        const QString extract = messageOf([&] { ExtractCabinet(bad, out); });
        EXPECT_TRUE(read.contains(word)) << read.toStdString();
        EXPECT_TRUE(extract.contains(word)) << extract.toStdString();
        EXPECT_EQ(outFiles(), QStringList(QStringLiteral("VIVRELO.MDB")));
        EXPECT_EQ(readAll(out + QStringLiteral("VIVRELO.MDB")), QByteArray("existing"));
    };
    for (int size : {20, 40, 70, int(good.size()) / 2, int(good.size()) - 1})
        expectFailure(
            good.left(size), size < 36 ? QStringLiteral("n'est pas une archive") : QStringLiteral("incomplète"));
    expectFailure("Ceci est un texte.\r\n", QStringLiteral("n'est pas une archive de sauvegarde"));
    expectFailure({}, QStringLiteral("n'est pas une archive de sauvegarde"));

    // A flipped byte in the data fails the block's checksum at extraction.
    QByteArray flipped = good;
    flipped[blockOffsets(good)[1] + 20] = char(flipped[blockOffsets(good)[1] + 20] ^ 0x55);
    dirs.writeFile(bad, flipped);
    EXPECT_FALSE(messageOf([&] { ExtractCabinet(bad, out); }).isEmpty());
    EXPECT_FALSE(messageOf([&] { ReadBackCabinet(bad, dirs.root()); }).isEmpty());
    EXPECT_EQ(outFiles(), QStringList(QStringLiteral("VIVRELO.MDB")));
    EXPECT_EQ(readAll(out + QStringLiteral("VIVRELO.MDB")), QByteArray("existing"));
}

TEST_F(CabinetFixture, BlocksWithoutChecksumStillExtract)
{
    const QByteArray random = randomBytes(100 * 1024, 11);
    const QString cab = dirs.root() + QStringLiteral("nosum.bkp");
    WriteCabinet(cab,
        {{QStringLiteral("VIVRELO.MDB"), source(QStringLiteral("db"), random)},
            {QStringLiteral("b.jpg"), source(QStringLiteral("b.jpg"), "photo")}},
        noProgress());
    QByteArray bytes = readAll(cab);
    for (int at : blockOffsets(bytes))
        bytes.replace(at, 4, QByteArray(4, '\0'));
    dirs.writeFile(cab, bytes);

    const ExtractionResult result = ExtractCabinet(cab, out);
    EXPECT_EQ(result.extracted.size(), 2u);
    EXPECT_EQ(readAll(out + QStringLiteral("VIVRELO.MDB")), random);
    EXPECT_EQ(readAll(out + QStringLiteral("b.jpg")), QByteArray("photo"));
    EXPECT_EQ(outFiles().size(), 2);
    EXPECT_EQ(readAll(cab), bytes); // the chosen file is left as it was
}
