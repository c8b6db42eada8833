#pragma once

#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "db/ObjectStore.h"
#include "lists/DataModule.h"
#include "support/TestDirs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <memory>

namespace vivrelo::test {

// Temporary directories with a copy of the template database in the default place of a
// data directory, and the data modules opened on it. reopen() frees the data modules and
// creates them again on the same file, as a new run of the program would.
class TestDatabase
{
public:
    TestDatabase()
    {
        const QString data = dirs.root() + QStringLiteral("data/");
        QDir().mkpath(data);
        const ConnectionConfig &c = ReadConnectionConfig(data, data);
        QDir().mkpath(QFileInfo(c.databaseFile()).path());
        EXPECT_TRUE(
            QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), c.databaseFile()));
        reopen();
    }
    void reopen()
    {
        objects.reset();
        dm.reset();
        dm = std::make_unique<TDataModule1>();
        EXPECT_TRUE(dm->DataModuleCreate(prompter)) << prompter.lastText().toStdString();
        objects = std::make_unique<TDataModuleObject>(dm->ADOConnection1);
    }
    void addProduct(const QString &title, const QString &mark = {}, double price = 0)
    {
        dm->ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Stock, Price01) "
                                               "VALUES (-1, ?, ?, 1, ?)"),
            {title, mark, price});
    }
    QVariant scalar(const QString &sql, const QVariantList &parameters = {})
    {
        return dm->ADOConnection1.scalar(sql, parameters);
    }

    TestDirs dirs;
    ScriptedPrompter prompter;
    std::unique_ptr<TDataModule1> dm;
    std::unique_ptr<TDataModuleObject> objects;
};

} // namespace vivrelo::test
