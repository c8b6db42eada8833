#include "base/AppValues.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "db/DbFixture.h"
#include "db/Upgrade.h"
#include "db/UpgradeFixture.h"
#include "lists/DataModule.h"
#include "maintenance/Cabinet.h"
#include "maintenance/DataModuleHost.h"
#include "maintenance/Maintenance.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace vivrelo;

// An archive made by an older program holds a database of an older schema: the restore puts it
// in place and brings it up to date with the program's own script, then writes its history.
TEST(RestoreUpgrade, AnArchiveOfAnOlderSchemaIsUpgradedAndStamped)
{
    test::TestDirs dirs;
    const QString dataDir = dirs.root() + QStringLiteral("data/");
    App().dataDir = dataDir;
    const MaintenancePlaces places = MaintenancePlacesOf(ReadConnectionConfig(dataDir, dataDir), dataDir);
    const QString db = DatabaseFilePath(places);
    QDir().mkpath(places.databaseDir + QStringLiteral("Access"));
    QDir().mkpath(places.databaseDir + QStringLiteral("Images"));
    QDir().mkpath(BackupDir(places));
    ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), db));
    QFile(db).setPermissions(QFile::ReadOwner | QFile::WriteOwner);

    QDir().mkpath(dirs.root() + QStringLiteral("old"));
    const QString old = test::CreateDatabase(dirs.root() + QStringLiteral("old/VIVRELO.MDB"),
        test::ReadFile(test::SourceDir() + QStringLiteral("tests/data/schema-1.50.sql")).constData());
    const QString archive = dirs.root() + QStringLiteral("ancienne.bkp");
    WriteCabinet(archive, {{QStringLiteral("VIVRELO.MDB"), old}}, noProgress());

    ScriptedPrompter prompter;
    TDataModule1 dm;
    ASSERT_TRUE(dm.DataModuleCreate(prompter));
    // The upgrade shows its status on the wait window and its own progress window, as at start.
    test::RecordingProgress status, progressWindow;
    DataModuleHost::Window window;
    window.upgradeStatus = &status;
    window.upgradeProgress = &progressWindow;
    DataModuleHost host(dm, window);
    MaintenanceContext ctx{host, prompter, noProgress(), places};
    ASSERT_TRUE(RestoreCommand(ctx, archive)) << prompter.lastText().toStdString();

    Connection &c = dm.ADOConnection1;
    EXPECT_EQ(GetBDVersion(c, QStringLiteral("OBJECT_VAL_STR"), QStringLiteral("VALUE")), QStringLiteral("1.83"));
    EXPECT_TRUE(c.tableNames().contains(QStringLiteral("BACKUP"), Qt::CaseInsensitive));
    Connection original;
    original.open(old);
    const int products = original.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).toInt();
    EXPECT_GT(products, 0);
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS")).toInt(), products);
    EXPECT_EQ(c.scalar(QStringLiteral("SELECT Description FROM BACKUP")).toString(),
        QStringLiteral("Restauration de la base de données"));
    EXPECT_TRUE(status.texts.contains(QStringLiteral("Mise à jour (préparation) ...")));
    EXPECT_TRUE(progressWindow.texts.contains(QStringLiteral("MISE A JOUR (Base de données)")));
    EXPECT_EQ(progressWindow.shown, 1);
    EXPECT_EQ(progressWindow.hidden, 1);
}
