#pragma once

#include "app/Startup.h"
#include "base/Progress.h"
#include "db/ObjectStore.h"
#include "lists/DataModule.h"
#include "printing/ReportModule.h"

#include <memory>

namespace vivrelo {

// The data modules of the running program, created by the start and kept until it ends.
struct DataModules {
    std::unique_ptr<TDataModule1> main;
    std::unique_ptr<TDataModuleObject> objects;
    std::unique_ptr<TDataModuleReport> report;
};
DataModules &RunningDataModules();

// The start's hooks for the connection configuration and the data modules, shared by the
// windowed program and the command line: db.ini is read (and fetched from the program
// directory when missing), and the data modules are created, which opens the connection.
// An Access database found at the database's place is converted first (see
// EnsureOurDatabase), reporting to `conversion`, which must outlive the hooks; when it cannot
// be, the start stops with the reason and the file stays as it was. Then the schema is
// brought up to date by the upgrade scripts, showing its status texts on `status` (the
// splash's line; none when null) and the script's progress on `upgradeWindow`.
// Every sink must outlive the hooks.
StartupHooks StandardStartupHooks(ProgressSink &conversion = noProgress(), ProgressSink *status = nullptr,
    ProgressSink &upgradeWindow = noProgress());

// Frees the data modules (the connection closes with them).
void CloseDataModules();

} // namespace vivrelo
