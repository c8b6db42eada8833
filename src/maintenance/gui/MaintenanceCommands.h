#pragma once

#include "maintenance/DataModuleHost.h"

#include <QString>

#include <functional>

class QWidget;

namespace vivrelo {

class Prompter;

// What a file dialog of the maintenance commands is asked to show.
struct FileDialogRequest {
    QString objectName; // SaveDlg_Backup, OpenDlg_Backup
    bool save = false; // a save dialog (no question before replacing a file), else an open one
    QString title;
    QString filter; // "Sauvegarde base de donnée (*bkp)"
    QString defaultSuffix; // "bkp"
    QString directory; // initial folder
    QString fileName; // proposed file (save dialog), a full path; empty for none
};
// Shows the dialog and returns the chosen file, or an empty text when the user cancels. The
// commands use Qt's file dialog unless one is given (tests give their own).
using FileChooser = std::function<QString(QWidget *parent, const FileDialogRequest &request)>;

// The file dialogs of the backup and of the restore, as the commands open them.
FileDialogRequest BackupSaveRequest(const MaintenancePlaces &places, const QDate &today);
FileDialogRequest RestoreOpenRequest(const MaintenancePlaces &places);

// The main window's maintenance commands, over the running data module (DataModule1()), the
// connection configuration and the data directory. `window` is what the main window does
// around them (disable and enable itself, rebuild its list view); what it leaves empty is
// done here: the main window disabled and enabled, the hourglass. The wait window is centred
// on the main window. Each returns true
// when the operation ran to its end; the outcome and any error have been told through the
// prompter.

// "Sauvegarde": the save dialog, then the backup into the chosen archive.
bool RunBackupCommand(
    QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window, const FileChooser &choose = {});
// "Restauration": the open dialog, then the restore of the chosen archive (no question).
bool RunRestoreCommand(
    QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window, const FileChooser &choose = {});
// "Compacter/Réparer": the question, then the compaction in place.
bool RunCompactCommand(QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window);
// "Historique": the history window, modal.
void RunHistoryWindow(QWidget *mainWindow, Prompter &prompter);

} // namespace vivrelo
