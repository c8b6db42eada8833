// Faults injected into the maintenance operations of the command-line companion: kills at
// swept points, a second process, a database locked by another program, read-only and full
// folders. Every case must end with the catalogue, the pictures and the archives whole, the
// right exit status and a French message.
//
// VIVRELO_FAULT_CLI runs the suite against another build of the companion; VIVRELO_FAULT_REPORT
// names a file that receives the table of outcomes.
#include "app/SingleInstance.h"
#include "base/DataLock.h"
#include "base/Error.h"
#include "db/Compaction.h"
#include "db/Connection.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "maintenance/Cabinet.h"
#include "support/CliProcess.h"
#include "support/TestDirs.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vivrelo {
namespace {

// The outcome of every case, gathered into one table.
struct Tally {
    int cases = 0, lost = 0, nearLoss = 0, falseSuccess = 0, notFrench = 0;
};
std::map<std::string, Tally> &Table()
{
    static std::map<std::string, Tally> table;
    return table;
}

class TableWriter : public ::testing::Environment
{
public:
    void TearDown() override
    {
        QString text =
            QStringLiteral("opération | cas | données perdues | quasi-pertes | faux succès | messages non français\n");
        for (const auto &[name, t] : Table())
            text += QStringLiteral("%1 | %2 | %3 | %4 | %5 | %6\n")
                        .arg(QString::fromStdString(name))
                        .arg(t.cases)
                        .arg(t.lost)
                        .arg(t.nearLoss)
                        .arg(t.falseSuccess)
                        .arg(t.notFrench);
        const QString path = qEnvironmentVariable("VIVRELO_FAULT_REPORT");
        if (path.isEmpty())
            return;
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(text.toUtf8());
    }
};
const auto *const registered = ::testing::AddGlobalTestEnvironment(new TableWriter);

QString CliPath()
{
    const QString other = qEnvironmentVariable("VIVRELO_FAULT_CLI");
    return other.isEmpty() ? QStringLiteral(VIVRELO_CLI_PATH) : other;
}

// A message for the user is French when it says something in French, whatever engine text
// follows it.
bool IsFrench(const QString &text)
{
    static const QStringList words{QStringLiteral(" la "), QStringLiteral(" le "), QStringLiteral(" de "),
        QStringLiteral("n'a"), QStringLiteral("é"), QStringLiteral(" est "), QStringLiteral("rien")};
    for (const QString &w : words)
        if (text.contains(w, Qt::CaseInsensitive))
            return true;
    return false;
}

QByteArray FileDigest(const QString &path)
{
    QFile f(path);
    QCryptographicHash h(QCryptographicHash::Sha256);
    if (!f.open(QIODevice::ReadOnly) || !h.addData(&f))
        return {};
    return h.result();
}

struct Catalogue {
    qint64 products = -1;
    QByteArray digest;
    bool operator==(const Catalogue &) const = default;
};

class FaultInjection : public ::testing::Test
{
protected:
    test::TestDirs dirs;
    QString runtime = dirs.root() + QStringLiteral("run");
    std::vector<QString> mounts;

    void SetUp() override
    {
        QDir().mkpath(runtime);
        ASSERT_EQ(run({QStringLiteral("history")}).status, 0);
        Connection c;
        c.open(database());
        c.exec(QStringLiteral("WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n WHERE x < 12000) "
                              "INSERT INTO ITEMS (Id_File, Title, Reference, Stock, Comment1) "
                              "SELECT -1, 'Produit ' || x, 'R' || x, x % 40, hex(randomblob(120)) FROM n"));
        c.exec(QStringLiteral("DELETE FROM ITEMS WHERE Id % 3 = 0")); // room for the compaction to win
        c.close();
        QDir().mkpath(images());
        for (int i = 0; i < 12; ++i) {
            QByteArray bytes(96 * 1024, '\0');
            for (int k = 0; k < bytes.size(); ++k)
                bytes[k] = char((k * 31 + i * 7) ^ (k >> 5));
            dirs.writeFile(images() + QStringLiteral("p%1.jpg").arg(i), bytes);
        }
        original = catalogue();
        originalPictures = pictures();
    }
    void TearDown() override
    {
        for (const QString &m : mounts)
            umount2(QFile::encodeName(m).constData(), MNT_DETACH);
    }

    QString dataDir() const { return dirs.defaultDataDir(); }
    QString database() const { return dataDir() + QStringLiteral("Data/Access/VIVRELO.MDB"); }
    QString images() const { return dataDir() + QStringLiteral("Data/Images/"); }
    QString backupDir() const { return dataDir() + QStringLiteral("Backup/"); }

    QProcessEnvironment environment(const QString &runtimeDir) const { return test::CliEnvironment(dirs, runtimeDir); }
    struct Outcome {
        int status = -1;
        QString out, err;
    };
    Outcome run(const QStringList &args, const QString &runtimeDir = {}, int fileSizeLimit = 0)
    {
        QProcess p;
        p.setProcessEnvironment(environment(runtimeDir.isEmpty() ? runtime : runtimeDir));
        if (fileSizeLimit > 0)
            p.setChildProcessModifier([fileSizeLimit] {
                std::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
                setrlimit(RLIMIT_FSIZE, &limit);
            });
        p.start(CliPath(), args);
        Outcome o;
        if (!p.waitForFinished(60000))
            return o;
        o.out = QString::fromUtf8(p.readAllStandardOutput());
        o.err = QString::fromUtf8(p.readAllStandardError());
        o.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        return o;
    }

    Catalogue catalogue(const QString &path = {}) const
    {
        Catalogue c;
        try {
            Connection db;
            db.open(path.isEmpty() ? database() : path);
            QCryptographicHash h(QCryptographicHash::Sha256);
            c.products = 0;
            db.forEachRow(QStringLiteral("SELECT quote(Id) || quote(Title) || quote(Reference) || quote(Stock) || "
                                         "quote(Comment1) FROM ITEMS ORDER BY Id"),
                {}, [&](const Connection::RowView &row) {
                    h.addData(row.value(0).toString().toUtf8());
                    ++c.products;
                });
            c.digest = h.result();
        } catch (const Error &) {
            c.products = -1;
        }
        return c;
    }
    std::map<QString, QByteArray> pictures() const
    {
        std::map<QString, QByteArray> m;
        for (const QString &name : QDir(images()).entryList({QStringLiteral("*.jpg")}, QDir::Files))
            m[name] = FileDigest(images() + name);
        return m;
    }
    // Whether a catalogue equal to `wanted` lies in any database file of the data directory
    // other than the database itself: a near-loss when the database lost it.
    bool foundElsewhere(const Catalogue &wanted) const
    {
        QDirIterator it(dataDir(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (path != database() && DetectDatabaseFile(path) == DatabaseFileKind::SQLite && catalogue(path) == wanted)
                return true;
        }
        return false;
    }
    // Every picture of `wanted` lies in Images/ or in a kept folder of Backup/.
    bool picturesKept(const std::map<QString, QByteArray> &wanted) const
    {
        std::set<QByteArray> present;
        QDirIterator it(dataDir(), {QStringLiteral("*.jpg")}, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            present.insert(FileDigest(it.next()));
        for (const auto &[name, digest] : wanted)
            if (!present.count(digest))
                return false;
        return true;
    }

    // Counts one case: `lost` when the catalogue is not one of `acceptable`, a near-loss when
    // it is gone from the database but lies in another file.
    void account(const std::string &operation, const std::vector<Catalogue> &acceptable, bool falseSuccess,
        const QString &message, bool messageExpected)
    {
        Tally &t = Table()[operation];
        ++t.cases;
        const Catalogue now = catalogue();
        const bool kept = std::find(acceptable.begin(), acceptable.end(), now) != acceptable.end();
        if (!kept) {
            bool elsewhere = false;
            for (const Catalogue &c : acceptable)
                elsewhere = elsewhere || foundElsewhere(c);
            (elsewhere ? t.nearLoss : t.lost)++;
        }
        if (falseSuccess)
            ++t.falseSuccess;
        const bool french = !messageExpected || IsFrench(message);
        if (!french)
            ++t.notFrench;
        EXPECT_TRUE(kept) << operation << ": catalogue " << now.products << " products";
        EXPECT_FALSE(falseSuccess) << operation;
        EXPECT_TRUE(french) << operation << ": " << message.toStdString();
    }

    // Runs `args` once to measure it, then again `points` times, killed at moments spread over
    // that duration; after each kill the program starts (history) and `check` judges the state.
    template <typename Prepare, typename Check>
    void sweepKills(const QStringList &args, int points, Prepare prepare, Check check)
    {
        prepare();
        QElapsedTimer timer;
        timer.start();
        const Outcome whole = run(args);
        const qint64 duration = std::max<qint64>(timer.elapsed(), 50);
        ASSERT_EQ(whole.status, 0) << whole.err.toStdString();
        for (int i = 1; i <= points; ++i) {
            prepare();
            QProcess p;
            p.setProcessEnvironment(environment(runtime));
            p.start(CliPath(), args);
            ASSERT_TRUE(p.waitForStarted());
            QThread::msleep(ulong(duration * i / (points + 1)));
            ::kill(pid_t(p.processId()), SIGKILL);
            p.waitForFinished(30000);
            const Outcome start = run({QStringLiteral("history")});
            check(start);
        }
    }

    // A kernel folder of `kilobytes`, mounted over `dir` with what it held copied in; read-only
    // when asked. False when mounting is not allowed here.
    bool mountSmallFolder(const QString &dir, int kilobytes, bool readOnly)
    {
        if (geteuid() != 0)
            return false;
        const QString saved = dirs.root() + QStringLiteral("saved-") + QString::number(mounts.size());
        QDir().rename(dir, saved);
        QDir().mkpath(dir);
        const QByteArray options = "size=" + QByteArray::number(kilobytes) + "k";
        if (mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", 0, options.constData()) != 0)
            return false;
        mounts.push_back(dir);
        for (const QString &name : QDir(saved).entryList(QDir::Files))
            QFile::copy(saved + QLatin1Char('/') + name, dir + name);
        if (readOnly)
            mount("tmpfs", QFile::encodeName(dir).constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, options.constData());
        return true;
    }

    Catalogue original;
    std::map<QString, QByteArray> originalPictures;
};

TEST_F(FaultInjection, KilledCompactionLosesNothing)
{
    sweepKills(
        {QStringLiteral("compact")}, 8, [] {},
        [&](const Outcome &start) {
            account("compact (tué)", {original}, false, start.err, false);
            EXPECT_EQ(start.status, 0) << start.err.toStdString();
            EXPECT_FALSE(QFileInfo::exists(dataDir() + QStringLiteral("Data/Access/VIVRELO~.MDB")));
        });
}

TEST_F(FaultInjection, KilledUpgradeCompactionLosesNothing)
{
    const auto script = [&] {
        dirs.writeFile(dataDir() + QStringLiteral("zz.maj"), "CompactDataBase(VIVRELO.MDB)\r\n");
    };
    sweepKills({QStringLiteral("history")}, 6, script, [&](const Outcome &start) {
        account("mise à jour CompactDataBase (tuée)", {original}, false, start.err, false);
        EXPECT_EQ(start.status, 0) << start.err.toStdString();
    });
}

TEST_F(FaultInjection, KilledBackupKeepsTheOlderArchive)
{
    const QString archive = backupDir() + QStringLiteral("soir.bkp");
    ASSERT_EQ(run({QStringLiteral("backup"), archive}).status, 0);
    const QByteArray older = FileDigest(archive);
    // An older companion replaces an archive without being asked.
    QStringList args{QStringLiteral("backup"), archive, QStringLiteral("--replace")};
    if (!qEnvironmentVariableIsEmpty("VIVRELO_FAULT_CLI"))
        args.removeLast();
    sweepKills(
        args, 8, [] {},
        [&](const Outcome &start) {
            // The archive at its name is the older one or a new one that reads back whole.
            bool whole = FileDigest(archive) == older;
            if (!whole) {
                try {
                    whole = !ReadBackCabinet(archive, backupDir()).empty();
                } catch (const Error &) { }
            }
            account("sauvegarde (tuée)", {original}, false, start.err, false);
            EXPECT_TRUE(whole);
            if (!whole)
                ++Table()["sauvegarde (tuée)"].lost;
            EXPECT_EQ(start.status, 0) << start.err.toStdString();
        });
    EXPECT_TRUE(picturesKept(originalPictures));
}

TEST_F(FaultInjection, KilledRestoreLeavesOneWholeCatalogueAndNothingInTheWay)
{
    const QString archive = dirs.root() + QStringLiteral("matin.bkp");
    ASSERT_EQ(run({QStringLiteral("backup"), archive}).status, 0);
    const Catalogue before = catalogue();
    {
        Connection c;
        c.open(database());
        c.exec(QStringLiteral("DELETE FROM ITEMS WHERE Id % 2 = 0"));
    }
    const Catalogue changed = catalogue();
    const QByteArray archiveBytes = FileDigest(archive);
    sweepKills(
        {QStringLiteral("restore"), archive}, 8, [] {},
        [&](const Outcome &start) {
            account("restauration (tuée)", {before, changed}, false, start.err, false);
            EXPECT_EQ(start.status, 0) << start.err.toStdString();
            EXPECT_EQ(FileDigest(archive), archiveBytes);
        });
    EXPECT_TRUE(picturesKept(originalPictures));
    // Nothing left over blocks the next restore.
    const Outcome again = run({QStringLiteral("restore"), archive});
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(catalogue(), before);
}

TEST_F(FaultInjection, ACatalogueLeftUnderTheWorkNameIsPutBackNeverReplacedByTheTemplate)
{
    // As an older run killed mid-compaction left it: the database only under the work name.
    const QString work = dataDir() + QStringLiteral("Data/Access/VIVRELO~.MDB");
    ASSERT_TRUE(QFile::rename(database(), work));
    Outcome start = run({QStringLiteral("history")});
    account("compactage interrompu d'une version antérieure", {original}, false, start.out, true);
    EXPECT_EQ(start.status, 0) << start.err.toStdString();
    EXPECT_TRUE(start.out.contains(QStringLiteral("remise en place"))) << start.out.toStdString();
    EXPECT_FALSE(QFileInfo::exists(work));

    // The template installed in its place by such a start: the catalogue is put back all the
    // same, and the template is kept aside.
    ASSERT_TRUE(QFile::rename(database(), work));
    ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), database()));
    start = run({QStringLiteral("history")});
    account("compactage interrompu d'une version antérieure", {original}, false, start.out, true);
    EXPECT_EQ(start.status, 0) << start.err.toStdString();
    EXPECT_EQ(QDir(backupDir()).entryList({QStringLiteral("VIVRELO_REMPLACEE_*")}).size(), 1);
}

TEST_F(FaultInjection, ADamagedDatabaseIsNeverADeadEnd)
{
    const QString archive = dirs.root() + QStringLiteral("a.bkp");
    ASSERT_EQ(run({QStringLiteral("backup"), archive}).status, 0);
    // A page of the catalogue overwritten in the middle of the file.
    {
        QFile f(database());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek((f.size() / 2) / 4096 * 4096);
        f.write(QByteArray(4096, '\x5a'));
    }
    // The backup takes it away as it is, with a warning; the repair saves what can be read.
    Outcome o = run({QStringLiteral("backup"), dirs.root() + QStringLiteral("abime.bkp")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QStringLiteral("telle quelle"))) << o.err.toStdString();
    o = run({QStringLiteral("compact")});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(QStringLiteral("ITEMS : "))) << o.err.toStdString();
    EXPECT_EQ(QDir(backupDir()).entryList({QStringLiteral("VIVRELO_ENDOMMAGEE_*")}).size(), 1);
    const Catalogue rescued = catalogue();
    EXPECT_GT(rescued.products, original.products * 9 / 10);
    EXPECT_EQ(DatabaseDamage(database()), QString());

    // A header the engine cannot read: the start says so and names the ways out; the restore
    // works in that state.
    {
        QFile f(database());
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.seek(16);
        f.write(QByteArray(84, '\xff'));
    }
    o = run({QStringLiteral("history")});
    EXPECT_NE(o.status, 0);
    EXPECT_TRUE(o.err.contains(QStringLiteral("restore"))) << o.err.toStdString();
    o = run({QStringLiteral("restore"), archive});
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_EQ(catalogue(), original);
}

TEST_F(FaultInjection, ASecondProcessFromAnotherRuntimeFolderChangesNothing)
{
    const QString other = dirs.root() + QStringLiteral("run2");
    QDir().mkpath(other);
    // A compaction runs; a backup, a restore and a compaction start beside it from another
    // login's runtime folder.
    const QString archive = dirs.root() + QStringLiteral("a.bkp");
    ASSERT_EQ(run({QStringLiteral("backup"), archive}).status, 0);
    for (const QStringList &args : {QStringList{QStringLiteral("backup"), dirs.root() + QStringLiteral("b.bkp")},
             {QStringLiteral("restore"), archive}, {QStringLiteral("compact")}}) {
        QProcess first;
        first.setProcessEnvironment(environment(runtime));
        first.start(CliPath(), {QStringLiteral("compact")});
        ASSERT_TRUE(first.waitForStarted());
        // Caught while it holds the data (stopped there), or, for a companion without the data
        // directory's lock, a moment into its run.
        bool caught = false;
        for (int i = 0; i < 200 && !caught && first.state() == QProcess::Running; ++i) {
            caught = DataDirectoryLock(dataDir(), DataDirectoryLock::Mode::Change).state()
                == DataDirectoryLock::State::HeldByOther;
            if (caught)
                ::kill(pid_t(first.processId()), SIGSTOP);
            else
                QThread::msleep(10);
        }
        const Outcome second = run(args, other);
        if (caught)
            ::kill(pid_t(first.processId()), SIGCONT);
        first.waitForFinished(60000);
        const bool refused = second.status != 0;
        account("second processus", {original}, !refused && first.exitCode() == 0 && false, second.err + second.out,
            refused);
        if (!refused)
            ++Table()["second processus"].nearLoss; // ran beside the first: nothing protected the data
        EXPECT_TRUE(refused) << args.first().toStdString();
    }
}

TEST_F(FaultInjection, ALockedDatabaseStopsEachOperationCleanly)
{
    const QString archive = dirs.root() + QStringLiteral("a.bkp");
    ASSERT_EQ(run({QStringLiteral("backup"), archive}).status, 0);
    const auto foreignWrite = [&](Connection &other) {
        other.open(database());
        other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        other.exec(QStringLiteral("UPDATE ITEMS SET Stock = 777 WHERE Id = 1"));
    };
    for (const QStringList &args : {QStringList{QStringLiteral("backup"), dirs.root() + QStringLiteral("b.bkp")},
             {QStringLiteral("compact")}, {QStringLiteral("restore"), archive}}) {
        const Catalogue before = catalogue();
        Connection other;
        foreignWrite(other);
        const Outcome o = run(args);
        // The other program's change must still reach the database.
        bool committed = true;
        try {
            other.exec(QStringLiteral("COMMIT"));
        } catch (const Error &) {
            committed = false;
        }
        other.close();
        Connection check;
        check.open(database());
        const bool foreignKept =
            committed && check.scalar(QStringLiteral("SELECT Stock FROM ITEMS WHERE Id = 1")).toInt() == 777;
        check.exec(QStringLiteral("UPDATE ITEMS SET Stock = 1 WHERE Id = 1"));
        check.close();
        account("base verrouillée : " + args.first().toStdString(), {before}, o.status == 0 && !foreignKept,
            o.err + o.out, o.status != 0);
        if (!foreignKept)
            ++Table()["base verrouillée : " + args.first().toStdString()].lost;
        EXPECT_TRUE(foreignKept) << args.first().toStdString();
    }

    // A tick through the list routine while another program writes.
    Connection other;
    foreignWrite(other);
    QString message;
    {
        TDataModule1 dm;
        dm.ADOConnection1.open(database());
        dm.ADOConnection1.setBusyTimeout(200);
        try {
            SetAllSelected(dm, true);
        } catch (const Error &e) {
            message = e.message();
        }
    }
    other.exec(QStringLiteral("COMMIT"));
    other.close();
    Connection check;
    check.open(database());
    // The French sentence for the engine's "locked" comes from the data-access layer's
    // translation of engine errors, not from the list routine.
    ++Table()["base verrouillée : coche"].cases;
    if (!IsFrench(message))
        ++Table()["base verrouillée : coche"].notFrench;
    EXPECT_TRUE(IsFrench(message)) << message.toStdString();
    EXPECT_EQ(check.scalar(QStringLiteral("SELECT count(*) FROM ITEMS WHERE Sel <> 0")).toInt(), 0);
}

TEST_F(FaultInjection, ReadOnlyAndFullFolders)
{
    // A full Backup folder: the backup fails, says so, and leaves no partial archive.
    const bool mounted = mountSmallFolder(backupDir(), 256, false);
    Outcome o = mounted ? run({QStringLiteral("backup")})
                        : run({QStringLiteral("backup")}, {}, 200 * 1024); // no mount: a file size limit
    account(mounted ? "dossier plein (tmpfs)" : "dossier plein (RLIMIT_FSIZE)", {original}, o.status == 0,
        o.err + o.out, true);
    EXPECT_NE(o.status, 0);
    EXPECT_TRUE(QDir(backupDir()).entryList({QStringLiteral("*.bkp")}, QDir::Files).isEmpty());
    if (mounted) {
        umount2(QFile::encodeName(backupDir()).constData(), MNT_DETACH);
        mounts.clear();
    }

    // A read-only pictures folder: the restore refuses before it replaces the database.
    const QString archive = dirs.root() + QStringLiteral("a.bkp");
    ASSERT_EQ(run({QStringLiteral("backup"), archive}).status, 0);
    Connection c;
    c.open(database());
    c.exec(QStringLiteral("DELETE FROM ITEMS WHERE Id < 100"));
    c.close();
    const Catalogue current = catalogue();
    if (mountSmallFolder(images(), 4096, true)) {
        o = run({QStringLiteral("restore"), archive});
        account("dossier en lecture seule (images)", {current}, o.status == 0, o.err + o.out, true);
        EXPECT_NE(o.status, 0);
    }
}

} // namespace
} // namespace vivrelo
