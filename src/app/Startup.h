#pragma once

#include "app/DataDirectory.h"
#include "app/SingleInstance.h"
#include "base/Progress.h"
#include "base/Prompter.h"

#include <QString>

#include <functional>
#include <memory>

namespace vivrelo {

// The parts of the start that belong to the database layer and the data modules; the
// program plugs them in. An empty hook is skipped.
struct StartupHooks {
    // Reads the connection configuration of the data directory and gives the database's
    // location. Empty: the stock location under the data directory.
    std::function<DatabaseLocation(const QString &dataDir)> readConnectionConfig;
    // Creates the data modules, opening the connection; false when it did not open (the
    // hook has shown the engine's message).
    std::function<bool(Prompter &)> createDataModules;
    // Brings the database's schema up to date; run only when the database file exists.
    std::function<void(Prompter &)> upgradeSchema;
};

struct StartupConfig {
    QString programDir; // the current directory at start
    QString settingsFileName; // empty: SettingsFileName()
    QString lockDir; // empty: the user's runtime folder
    // A start that changes nothing (a reading verb): no single-instance lock, a shared lock on
    // the data directory (it runs beside the open window), no first-run installation, no
    // write-rights test and no schema upgrade. A missing database, or one still in the Access
    // format (which only a start that may change the data converts), stops it.
    bool readOnly = false;
    std::function<bool(const QString &)> isRemovable; // empty: IsOnRemovableMedium
    StartupHooks hooks;
};

struct StartupState {
    bool stop = true; // the process must end now
    std::unique_ptr<SingleInstance> instance; // keep alive for the life of the process
    std::unique_ptr<DataDirectoryLock> dataLock; // likewise: the data directory's own lock
    DatabaseLocation database;
    QString settingsPath;
    // The data steps stopped on a database the engine finds damaged (its message named the
    // way out: repair or restore).
    bool databaseDamaged = false;
};

// From the application values to the settings: values, directories and formats, the
// single-instance lock, the data directory and its lock, the connection configuration, the first-run
// installation, the write-rights test, the settings and the standard-frame switch. Each
// failure has shown its one message when `stop` is set.
StartupState StartEnvironment(const StartupConfig &config, Prompter &prompter, ProgressSink &wait);

// The data modules and the schema, once the windowing side is up: checks the database
// engine, creates the data modules, reports a failed connection, and upgrades the schema
// when the database file exists. False when the process must end now.
bool StartData(const StartupConfig &config, StartupState &state, Prompter &prompter);

// "EXECUTION IMPOSSIBLE !!" ... with the support address: the connection could not open.
QString ConnectionFailureMessage();
// The database could not be opened because it is damaged: what happened and the ways out.
QString DamagedDatabaseMessage(const QString &database, const QString &engineText);
// That message when the engine finds the database at `location` damaged; empty otherwise (a
// sound database, a missing one, or a file of another kind).
QString DamagedDatabaseReport(const DatabaseLocation &location);

} // namespace vivrelo
