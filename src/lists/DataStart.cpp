#include "lists/DataStart.h"

#include "app/AppValues.h"
#include "app/DataDirectory.h"
#include "app/Paths.h"
#include "db/ConnectionConfig.h"

namespace vivrelo {

DataModules &RunningDataModules()
{
    static DataModules modules;
    return modules;
}

void CloseDataModules()
{
    DataModules &m = RunningDataModules();
    m.report.reset();
    m.objects.reset();
    m.main.reset();
}

StartupHooks StandardStartupHooks()
{
    StartupHooks hooks;
    hooks.readConnectionConfig = [](const QString &dataDir) {
        const ConnectionConfig &config = ReadConnectionConfig(dataDir, dataDir, {},
            [](const QString &name) { FetchDataFile(name); });
        DatabaseLocation location;
        location.databaseDir = config.databaseDir;
        location.activeFileName = NativePath(config.activeFileName);
        location.oleDbFileName = NativePath(config.oledbFileName);
        return location;
    };
    hooks.createDataModules = [](Prompter &prompter) {
        DataModules &m = RunningDataModules();
        CloseDataModules();
        // In this order: the main module opens the shared connection the others use.
        m.main = std::make_unique<TDataModule1>();
        m.main->DataModuleCreate(prompter);
        m.objects = std::make_unique<TDataModuleObject>(m.main->ADOConnection1);
        m.report = std::make_unique<TDataModuleReport>(*m.main);
        return App().ready;
    };
    return hooks;
}

} // namespace vivrelo
