#include "maintenance/DataModuleHost.h"

#include "base/AppValues.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "db/Upgrade.h"
#include "lists/DataModule.h"

#include <exception>

namespace vivrelo {

MaintenancePlaces MaintenancePlacesOf(const ConnectionConfig &config, const QString &dataDir)
{
    return {dataDir, config.databaseDir, config.databaseFile(),
        App().programDir + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB")};
}

DataModuleHost::DataModuleHost(TDataModule1 &dataModule, Window window)
    : m_dm(dataModule)
    , m_window(std::move(window))
{ }

void DataModuleHost::releaseDatabase()
{
    if (m_window.setEnabled)
        m_window.setEnabled(false);
    m_dm.ItemsList.disableControls();
    m_dm.ADOConnection1.close();
}

void DataModuleHost::reopenConnection()
{
    if (!m_dm.ADOConnection1.isOpen())
        m_dm.reopenConnection();
}

void DataModuleHost::reopenDatabase()
{
    std::exception_ptr failure;
    try {
        reopenConnection();
        m_dm.ItemsList.open();
    } catch (...) {
        failure = std::current_exception();
    }
    if (m_window.setEnabled)
        m_window.setEnabled(true);
    m_dm.ItemsList.enableControls();
    if (failure)
        std::rethrow_exception(failure);
    if (m_window.rebuildListView)
        m_window.rebuildListView();
}

void DataModuleHost::addHistoryRow(const QString &description, const QString &path)
{
    AddHistoryRow(m_dm.Backup, description, path);
}

void DataModuleHost::upgradeRestoredDatabase()
{
    if (m_window.upgradeRestoredDatabase) {
        m_window.upgradeRestoredDatabase();
        return;
    }
    // The restore's upgrade asks nothing: it makes no upgrade backup.
    ScriptedPrompter silent(Answer::No);
    UpgradeRestoredDatabase(m_dm.ADOConnection1, silent, nullptr, noProgress());
}

void DataModuleHost::setBusy(bool busy)
{
    if (m_window.setBusy)
        m_window.setBusy(busy);
}

} // namespace vivrelo
