#include "app/DataStart.h"

#include "app/DataDirectory.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "db/ConnectionConfig.h"
#include "db/JetImport.h"
#include "db/Upgrade.h"

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

namespace {

// Converts an Access database lying where the connection is about to open one. False, with
// the reason shown, when it could not be converted.
bool ConvertAccessDatabase(Prompter &prompter, ProgressSink &progress)
{
    const ConnectionConfig &config = DbConfig();
    QStringList files{config.databaseFile()};
    if (!files.contains(config.activeFile()))
        files << config.activeFile();
    for (const QString &file : files) {
        if (file.isEmpty())
            continue;
        try {
            EnsureOurDatabase(file, progress);
        } catch (const Error &e) {
            prompter.error(e.message());
            return false;
        }
    }
    return true;
}

} // namespace

StartupHooks StandardStartupHooks(ProgressSink &conversion, ProgressSink *status, ProgressSink &upgradeWindow)
{
    StartupHooks hooks;
    hooks.readConnectionConfig = [](const QString &dataDir) {
        const ConnectionConfig &config =
            ReadConnectionConfig(dataDir, dataDir, {}, [](const QString &name) { FetchDataFile(name); });
        DatabaseLocation location;
        location.databaseDir = config.databaseDir;
        location.activeFileName = NativePath(config.activeFileName);
        location.oleDbFileName = NativePath(config.oledbFileName);
        return location;
    };
    hooks.createDataModules = [&conversion](Prompter &prompter) {
        if (!ConvertAccessDatabase(prompter, conversion)) {
            App().ready = false;
            return false;
        }
        DataModules &m = RunningDataModules();
        CloseDataModules();
        // In this order: the main module opens the shared connection the others use.
        m.main = std::make_unique<TDataModule1>();
        m.main->DataModuleCreate(prompter);
        m.objects = std::make_unique<TDataModuleObject>(m.main->ADOConnection1);
        m.report = std::make_unique<TDataModuleReport>(*m.main);
        return App().ready;
    };
    hooks.upgradeSchema = [status, &upgradeWindow](Prompter &prompter) {
        UpgradeDatabaseSchema(RunningDataModules().main->ADOConnection1, DbConfig(), prompter, status, upgradeWindow);
    };
    return hooks;
}

} // namespace vivrelo
