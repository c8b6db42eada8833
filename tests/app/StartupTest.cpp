#include "app/Startup.h"
#include "app/Settings.h"
#include "base/AppValues.h"

#include "support/TestDirs.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace vivrelo;

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

// Every entry under a folder with its size and modification time.
QStringList Snapshot(const QString &dir)
{
    QStringList entries;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        entries << info.filePath() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ')
                + QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

struct RecordingSink : ProgressSink {
    QStringList events;
    void setTask(const QString &t) override { events << QStringLiteral("task ") + t; }
    void setMessage(const QString &t) override { events << QStringLiteral("msg ") + t; }
    void setMaximum(int n) override { events << QStringLiteral("max %1").arg(n); }
    void setPosition(int n) override { events << QStringLiteral("pos %1").arg(n); }
    void show() override { events << QStringLiteral("show"); }
    void hide() override { events << QStringLiteral("hide"); }
};

class Startup : public ::testing::Test
{
protected:
    test::TestDirs dirs;
    ScriptedPrompter prompter;
    RecordingSink wait;
    StartupConfig config;

    void SetUp() override
    {
        config.programDir = dirs.programDir();
        config.settingsFileName = QStringLiteral("vivrelo.ini");
        config.lockDir = dirs.root() + QStringLiteral("run");
        config.isRemovable = [](const QString &) { return false; };
        QDir().mkpath(config.lockDir);
    }
    QString template_() const { return dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"); }
    QString data() const { return dirs.defaultDataDir(); }
    StartupState start() { return StartEnvironment(config, prompter, wait); }
};

TEST_F(Startup, FirstRunBuildsTheDataDirectoryAndCopiesTheTemplate)
{
    dirs.writeFile(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Images/p1.jpg"), "jpeg");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Files/a.f"), "file");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Ressources/DB/vivrelo.ini"), "[Properties]\r\nSplash=0\r\n");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Maj/SortList.def"), "sort");

    const StartupState state = start();
    ASSERT_FALSE(state.stop) << prompter.lastText().toStdString();
    EXPECT_TRUE(prompter.asked().empty());
    EXPECT_EQ(App().dataDir, data());
    for (const char *sub : {"Export", "Html", "Backup", "Data/Access", "Data/Images", "Data/Files"})
        EXPECT_TRUE(QFileInfo(data() + QString::fromLatin1(sub)).isDir()) << sub;

    const QString parentWarning = QString::fromUtf8(
        readAll(dirs.documentsDir() + QStringLiteral("Orbelin Software Development/Avertissement.txt")));
    EXPECT_TRUE(parentWarning.startsWith(QStringLiteral("ATTENTION : NE SUPPRIMEZ PAS CE REPERTOIRE \r\n\r\n"
                                                        "Ce répertoire contient les données des logiciels édités")));
    EXPECT_TRUE(parentWarning.contains(
        QStringLiteral("\r\nSite web : ") + QString::fromUtf16(kWebSiteAddress) + QStringLiteral("\r\n")));
    EXPECT_TRUE(QString::fromUtf8(readAll(data() + QStringLiteral("Avertissement.txt")))
                    .contains(QStringLiteral("données du logiciels Talvane Vivrelo édités par")));

    EXPECT_EQ(readAll(data() + QStringLiteral("Data/Access/VIVRELO.MDB")), readAll(template_()));
    EXPECT_EQ(readAll(data() + QStringLiteral("Data/Images/p1.jpg")), "jpeg");
    EXPECT_EQ(readAll(data() + QStringLiteral("Data/Files/a.f")), "file");
    EXPECT_EQ(readAll(data() + QStringLiteral("SortList.def")), "sort");
    EXPECT_FALSE(QFile::exists(data() + QStringLiteral("write.tmp")));
    EXPECT_FALSE(AppSettings().splash);
    EXPECT_EQ(state.settingsPath, data() + QStringLiteral("vivrelo.ini"));

    // A plain installation reports its steps without showing the wait window.
    EXPECT_EQ(wait.events,
        QStringList({"task TRANSFERT DES DONNEES", "msg Quelques instants, SVP ...", "max 3", "pos 0",
            "msg Copie de la base de données", "pos 1", "msg Copie des images", "pos 2", "msg Copie des fichiers",
            "pos 3", "hide"}));
}

TEST_F(Startup, ASecondRunKeepsTheDatabaseAndStillFetchesMissingDataFiles)
{
    ASSERT_FALSE(start().stop);
    const QString db = data() + QStringLiteral("Data/Access/VIVRELO.MDB");
    dirs.writeFile(db, "the user's own data");
    QFile::remove(data() + QStringLiteral("Avertissement.txt"));
    dirs.writeFile(dirs.programDir() + QStringLiteral("SortList.def"), "sort");
    wait.events.clear();

    ASSERT_FALSE(start().stop);
    EXPECT_EQ(readAll(db), "the user's own data");
    EXPECT_TRUE(wait.events.isEmpty());
    EXPECT_EQ(readAll(data() + QStringLiteral("SortList.def")), "sort");
    // The warning file is written only when its folder is created.
    EXPECT_FALSE(QFile::exists(data() + QStringLiteral("Avertissement.txt")));
}

TEST_F(Startup, AnOlderInstallationBesideTheProgramIsTransferredAndKept)
{
    dirs.writeFile(dirs.programDir() + QStringLiteral("Data/Access/VIVRELO.MDB"), "old base");
    dirs.writeFile(dirs.programDir() + QStringLiteral("Data/Images/x.jpg"), "pic");
    dirs.writeFile(dirs.programDir() + QStringLiteral("db.ini"), "[DataBase]\r\n");

    ASSERT_FALSE(start().stop);
    EXPECT_EQ(readAll(data() + QStringLiteral("Data/Access/VIVRELO.MDB")), "old base");
    EXPECT_EQ(readAll(data() + QStringLiteral("Data/Images/x.jpg")), "pic");
    EXPECT_EQ(readAll(dirs.programDir() + QStringLiteral("Data/Access/VIVRELO.MDB")), "old base");
    EXPECT_TRUE(wait.events.contains(QStringLiteral("show")));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Warning);
    EXPECT_EQ(prompter.lastText(),
        QStringLiteral("IMPORTANT !!\r\rLa base de données a été transférée dans le réperoire :\r") + data()
            + QStringLiteral("Data/\r\rNE SUPPRIMEZ PAS CE REPERTOIRE"));
}

TEST_F(Startup, AMissingTemplateStopsTheStartAfterFetchingTheDataFiles)
{
    QFile::remove(template_());
    dirs.writeFile(dirs.programDir() + QStringLiteral("vivrelo.ini"), "[Properties]\r\n");
    const StartupState state = start();
    EXPECT_TRUE(state.stop);
    EXPECT_FALSE(App().ready);
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Warning);
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("EXECUTION IMPOSSIBLE !!\r\rCertains composants")));
    EXPECT_TRUE(QFile::exists(data() + QStringLiteral("vivrelo.ini")));
    EXPECT_FALSE(QFile::exists(data() + QStringLiteral("Data/Access/VIVRELO.MDB")));
}

TEST_F(Startup, DirectoriesIniChoosesTheDataDirectory)
{
    const QString ini = dirs.programDir() + QStringLiteral("directories.ini");
    // The value is a plain prefix: without its separator, the product name is glued to it.
    const QString base = dirs.root() + QStringLiteral("Stock");
    const struct {
        QByteArray value;
        QString expected;
    } cases[] = {
        {"appexe", dirs.programDir()},
        {(base + QStringLiteral("\\")).toUtf8(), base + QStringLiteral("/Talvane Vivrelo/")},
        {base.toUtf8(), base + QStringLiteral("Talvane Vivrelo/")},
        {"", data()},
    };
    for (const auto &c : cases) {
        dirs.writeFile(ini, "[Path]\r\nAppDataDir=" + c.value + "\r\n");
        ASSERT_FALSE(start().stop) << c.value.constData() << prompter.lastText().toStdString();
        EXPECT_EQ(App().dataDir, c.expected) << c.value.constData();
        EXPECT_TRUE(QFileInfo(c.expected + QStringLiteral("Data/Files")).isDir());
    }
    // The parent folder created for the prefix with a separator got its warning inside it; the
    // prefix without one wrote none beside it.
    EXPECT_TRUE(QFile::exists(base + QStringLiteral("/Avertissement.txt")));
    EXPECT_FALSE(QFile::exists(base + QStringLiteral("Avertissement.txt")));
}

TEST_F(Startup, ADevelopmentCopyOrARemovableMediumKeepsItsDataBesideTheProgram)
{
    dirs.writeFile(dirs.programDir() + AppBaseName() + QStringLiteral(".dpr"), "");
    ASSERT_FALSE(start().stop);
    EXPECT_EQ(App().dataDir, dirs.programDir());
    QFile::remove(dirs.programDir() + AppBaseName() + QStringLiteral(".dpr"));

    config.isRemovable = [&](const QString &dir) { return dir == dirs.programDir(); };
    ASSERT_FALSE(start().stop);
    EXPECT_EQ(App().dataDir, dirs.programDir());
    EXPECT_FALSE(QDir(dirs.documentsDir() + QStringLiteral("Orbelin Software Development")).exists());
}

TEST_F(Startup, AFolderThatCannotBeCreatedStopsTheStartNamingIt)
{
    // The parent of the data directory is a plain file.
    const QString blocker = dirs.writeFile(dirs.root() + QStringLiteral("blocker"), "x");
    dirs.writeFile(dirs.programDir() + QStringLiteral("directories.ini"),
        "[Path]\r\nAppDataDir=" + blocker.toUtf8() + "/inner/\r\n");
    EXPECT_TRUE(start().stop);
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.lastText().contains(blocker + QStringLiteral("/inner/")));
}

TEST_F(Startup, AnUnwritableDataDirectoryStopsTheStartNamingIt)
{
    ASSERT_FALSE(start().stop);
    // Permissions do not bind the superuser: there, a folder squatting the test file's name
    // makes the write fail instead.
    const bool root = geteuid() == 0;
    if (root)
        QDir().mkdir(data() + QStringLiteral("write.tmp"));
    else
        ASSERT_EQ(::chmod(QFile::encodeName(data()).constData(), 0555), 0);
    const StartupState state = start();
    if (!root)
        ::chmod(QFile::encodeName(data()).constData(), 0755);
    EXPECT_TRUE(state.stop);
    EXPECT_EQ(prompter.asked().back().kind, MessageKind::Error);
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("TALVANE VIVRELO 1.83 : EXECUTION IMPOSSIBLE")));
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("le répertoire : ") + data() + QStringLiteral("\r\r")));
    if (!root) {
        EXPECT_FALSE(QFile::exists(data() + QStringLiteral("write.tmp")));
    }
}

TEST_F(Startup, ADatabaseThatCouldNotBeCopiedStopsTheStart)
{
    App().dataDir = dirs.root();
    // The database directory lies under a plain file: no folder, no copy.
    const QString blocker = dirs.writeFile(dirs.root() + QStringLiteral("blocker"), "x");
    const DatabaseLocation location{blocker + QStringLiteral("/Data/"), QStringLiteral("Access\\VIVRELO.MDB"),
        QStringLiteral("Access\\VIVRELO.MDB")};
    EXPECT_FALSE(InstallDatabase(QStringLiteral("vivrelo.ini"), location, prompter, wait));
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Error);
    EXPECT_TRUE(prompter.lastText().contains(blocker + QStringLiteral("/Data/")));
    EXPECT_EQ(readAll(blocker), "x");
}

TEST_F(Startup, ASecondCopyIsRefusedAndTouchesNoFile)
{
    const StartupState first = start();
    ASSERT_FALSE(first.stop);
    const QStringList before = Snapshot(dirs.root());

    const StartupState second = start();
    EXPECT_TRUE(second.stop);
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_EQ(prompter.asked()[0].kind, MessageKind::Information);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Talvane Vivrelo est déjà en exécution."));
    EXPECT_EQ(Snapshot(dirs.root()), before);

    // Another runtime folder (another login, a scheduled job): the data directory's own lock
    // refuses it all the same.
    config.lockDir = dirs.root() + QStringLiteral("run2");
    QDir().mkpath(config.lockDir);
    const QStringList withSecondFolder = Snapshot(data());
    const StartupState third = start();
    EXPECT_TRUE(third.stop);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Talvane Vivrelo est déjà en exécution."));
    EXPECT_EQ(Snapshot(data()).join(u'\n'), withSecondFolder.join(u'\n'));

    // A reading start runs beside it, and changes nothing either.
    config.readOnly = true;
    const StartupState reader = start();
    EXPECT_FALSE(reader.stop) << prompter.lastText().toStdString();
    EXPECT_EQ(Snapshot(data()).join(u'\n'), withSecondFolder.join(u'\n'));
}

TEST_F(Startup, TheLockGoesWithTheProcessThatHeldIt)
{
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstance held(config.lockDir);
        _exit(held.state() == SingleInstance::State::Acquired ? 0 : 1); // ends without releasing
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(SingleInstance(config.lockDir).state(), SingleInstance::State::Acquired);
}

TEST_F(Startup, TheStandardFrameFollowsStyleAndTheDataStepsStopOnAFailedConnection)
{
    dirs.writeFile(dirs.programDir() + QStringLiteral("vivrelo.ini"), "[Windows]\r\nStyle=1\r\n");
    StartupState state = start();
    ASSERT_FALSE(state.stop);
    EXPECT_TRUE(App().standardFrame);

    int upgrades = 0;
    config.hooks.upgradeSchema = [&](Prompter &) { ++upgrades; };
    config.hooks.createDataModules = [](Prompter &p) {
        p.plain(QStringLiteral("no such table"));
        return false;
    };
    EXPECT_FALSE(StartData(config, state, prompter));
    EXPECT_EQ(prompter.lastText(), ConnectionFailureMessage());
    EXPECT_EQ(upgrades, 0);

    App().ready = true;
    config.hooks.createDataModules = [](Prompter &) { return true; };
    EXPECT_TRUE(StartData(config, state, prompter));
    EXPECT_EQ(upgrades, 1);
    // Without a database file the schema steps are skipped and the start goes on.
    QFile::remove(DatabaseFilePath(state.database));
    EXPECT_TRUE(StartData(config, state, prompter));
    EXPECT_EQ(upgrades, 1);
}

} // namespace
