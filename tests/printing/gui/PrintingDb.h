#pragma once

#include "base/AppValues.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "lists/DataModule.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace vivrelo::test {

// A data module opened on a copy of the template database in a fresh data directory, for
// the printing windows and commands.
class PrintingDbTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dataDir = dirs.root() + QStringLiteral("data/");
        QDir().mkpath(dataDir);
        App().dataDir = dataDir;
        const ConnectionConfig &c = ReadConnectionConfig(dataDir, dataDir);
        QDir().mkpath(QFileInfo(c.databaseFile()).path());
        ASSERT_TRUE(
            QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), c.databaseFile()));
        QFile::setPermissions(c.databaseFile(), QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(dm.DataModuleCreate(prompter));
        dm.setCurrencySymbol(QStringLiteral("€"));
    }
    void addProduct(const QString &title, bool ticked, int quantity, double price01)
    {
        dm.ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Sel, Quantity, Price01) "
                                              "VALUES (-1, ?, '', ?, ?, ?)"),
            {title, ticked ? 1 : 0, quantity, price01});
    }
    QVariant stored(const char *column)
    {
        return dm.ADOConnection1.scalar(
            QStringLiteral("SELECT %1 FROM FORMATLIST WHERE Id_File=-1").arg(QString::fromLatin1(column)));
    }
    int layoutRows() { return dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM FORMATLIST")).toInt(); }

    TestDirs dirs;
    QString dataDir;
    ScriptedPrompter prompter;
    TDataModule1 dm;
};

} // namespace vivrelo::test
