#pragma once

#include "base/DataFiles.h"
#include "base/Paths.h"
#include "base/Progress.h"
#include "base/Prompter.h"

#include <QString>

#include <functional>

namespace vivrelo {

// Where the database lies, as the connection configuration gives it: the database directory
// (native, with its separator), the file name tested and copied on a first run (the active
// file name) and the file the program opens (the OLE DB file name). File names are stored
// texts ("Access\VIVRELO.MDB") relative to the database directory.
struct DatabaseLocation {
    QString databaseDir;
    QString activeFileName;
    QString oleDbFileName;
};

// The file the program opens: database directory + OLE DB file name.
QString DatabaseFilePath(const DatabaseLocation &location);

// The location with the stock configuration: "Data/" under the data directory and
// "Access\VIVRELO.MDB" for both names.
DatabaseLocation DefaultDatabaseLocation(const QString &dataDir);

// The user's own directories.ini: $XDG_CONFIG_HOME/vivrelo/directories.ini (~/.config when the
// variable is unset). Its AppDataDir wins over the program directory's.
QString UserDirectoriesIniPath();

// Chooses the data directory (directories.ini, development marker, removable medium, else
// the documents folder), creates it with its warning file and its subfolders, and stores it
// in App().dataDir. Throws Error naming the folder when a folder cannot be created.
// `isRemovable` tells whether a folder lies on a removable medium.
void SetupDataDirectory(const std::function<bool(const QString &)> &isRemovable = IsOnRemovableMedium);

// The first-run installation: when the database file is missing, copies the template
// database (or an older installation's database kept beside the program) with its pictures
// and files, reporting the steps to `wait`; then fetches "SortList.def" and the settings
// file. False when the start cannot go on; the message has been shown.
bool InstallDatabase(
    const QString &settingsFileName, const DatabaseLocation &location, Prompter &prompter, ProgressSink &wait);

} // namespace vivrelo
