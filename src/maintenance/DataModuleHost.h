#pragma once

#include "maintenance/Maintenance.h"

#include <functional>

namespace vivrelo {

class TDataModule1;
struct ConnectionConfig;

// The places of the maintenance operations for a connection configuration.
MaintenancePlaces MaintenancePlacesOf(const ConnectionConfig &config, const QString &dataDir);

// The maintenance host over the program's data module: the connection and the catalogue of
// TDataModule1, the history dataset Backup, and what the main window adds through callbacks
// (each optional).
class DataModuleHost : public MaintenanceHost
{
public:
    struct Window {
        std::function<void(bool)> setEnabled; // the main window
        std::function<void()> rebuildListView;
        std::function<void(bool)> setBusy; // hourglass cursor
        // Empty: the restored database is upgraded with the status line and the progress window
        // below, as the start upgrades it.
        std::function<void()> upgradeRestoredDatabase;
        ProgressSink *upgradeStatus = nullptr; // the wait window's task line
        ProgressSink *upgradeProgress = nullptr; // the upgrade's progress window
    };
    explicit DataModuleHost(TDataModule1 &dataModule);
    DataModuleHost(TDataModule1 &dataModule, Window window);

    // Posts a pending catalogue edit, closes the catalogue and the connection.
    void releaseDatabase() override;
    void reopenConnection() override;
    // Reopens the connection and the catalogue, on the product that was current when it still
    // exists; the window is enabled again even when they cannot be opened, and the open error
    // is thrown after that.
    void reopenDatabase() override;
    void addHistoryRow(const QString &description, const QString &path) override;
    void upgradeRestoredDatabase() override;
    void setBusy(bool busy) override;

private:
    TDataModule1 &m_dm;
    Window m_window;
    qint64 m_currentId = -1; // the catalogue's current product when the database was released
};

} // namespace vivrelo
