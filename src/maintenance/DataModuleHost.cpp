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

DataModuleHost::DataModuleHost(TDataModule1 &dataModule)
    : DataModuleHost(dataModule, Window())
{ }

DataModuleHost::DataModuleHost(TDataModule1 &dataModule, Window window)
    : m_dm(dataModule)
    , m_window(std::move(window))
{ }

void DataModuleHost::releaseDatabase()
{
    DataSet &items = m_dm.ItemsList;
    if (m_window.setEnabled)
        m_window.setEnabled(false);
    items.disableControls();
    // A pending edit goes into the file before it is saved, compacted or replaced; the
    // current product is found again in the database as it is afterwards.
    if (m_dm.ADOConnection1.isOpen())
        PostIfEditing(items);
    m_currentId = -1;
    if (items.isActive() && !IsDataSetEmpty(items))
        m_currentId = items.field(QStringLiteral("Id")).asInteger();
    // The rows and their ids belong to this opening of the file: none of them is shown or
    // written to after it.
    items.close();
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
        if (m_currentId >= 0)
            m_dm.ItemsList.locate(QStringLiteral("Id"), QVariant(m_currentId));
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
    UpgradeRestoredDatabase(m_dm.ADOConnection1, silent, m_window.upgradeStatus,
        m_window.upgradeProgress ? *m_window.upgradeProgress : noProgress());
}

void DataModuleHost::setBusy(bool busy)
{
    if (m_window.setBusy)
        m_window.setBusy(busy);
}

} // namespace vivrelo
