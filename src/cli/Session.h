#pragma once

#include "app/Startup.h"
#include "cli/Terminal.h"

#include <QString>

namespace vivrelo::cli {

// The program directory of the companion: $VIVRELO_PROGRAM_DIR when set; else the folder of
// the executable when it holds the program's files (a build, or a copy beside the program);
// else <prefix>/share/vivrelo for an installed copy; else the current directory, as for the
// windowed program.
QString LocateProgramDir();

// The start of the windowed program without its windows: the same data directory,
// configuration, settings file ("vivrelo.ini"), single-instance lock and data directory lock.
// `stop` is set when the start failed (its message is already on the terminal) or another
// copy runs. `readOnly`: a verb that changes nothing runs beside the open window, on a
// shared lock, without installation, write-rights test or schema upgrade (see
// StartupConfig::readOnly); it must not write to the database.
StartupState StartSession(
    Prompter &prompter, ProgressSink &progress, const StartupHooks &hooks = {}, bool readOnly = false);

} // namespace vivrelo::cli
