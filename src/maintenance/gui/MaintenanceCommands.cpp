#include "maintenance/gui/MaintenanceCommands.h"

#include "base/AppValues.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "lists/DataModule.h"
#include "maintenance/gui/TBackupList.h"
#include "ui/TNewGauge.h"
#include "ui/TWait.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPointer>

namespace vivrelo {

namespace {

const QString BackupFilter = QStringLiteral("Sauvegarde base de donnée (*bkp)");

QString ChooseWithQtDialog(QWidget *parent, const FileDialogRequest &r)
{
    QFileDialog dialog(parent, r.title, r.directory, r.filter);
    dialog.setObjectName(r.objectName);
    dialog.setDefaultSuffix(r.defaultSuffix);
    if (r.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!r.fileName.isEmpty())
        dialog.selectFile(r.fileName);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles().value(0);
}

// The hourglass, pushed once and taken back once, whatever the operation asks.
struct BusyCursor {
    bool on = false;
    void set(bool busy)
    {
        if (busy == on)
            return;
        on = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
    ~BusyCursor() { set(false); }
};

// The operation is over when it has something to tell: the wait window goes before the
// message (success or error) is shown.
class WaitClosingPrompter : public Prompter
{
public:
    WaitClosingPrompter(Prompter &inner, QWidget &wait)
        : m_inner(inner)
        , m_wait(wait)
    { }
    Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        if (kind != MessageKind::Confirmation)
            m_wait.hide();
        return m_inner.ask(kind, text, buttons);
    }

private:
    Prompter &m_inner;
    QWidget &m_wait;
};

// One maintenance operation run from the main window: the host over the data module with the
// window's callbacks, and the wait window centred on the main window.
struct WindowOperation {
    BusyCursor busy;
    DataModuleHost host;
    TWait wait;
    TNewGauge gauge; // the upgrade of a restored database
    WaitClosingPrompter prompter;
    MaintenanceContext ctx;

    WindowOperation(TDataModule1 &dataModule, QWidget *mainWindow, Prompter &shown, DataModuleHost::Window window)
        : host(dataModule, completed(std::move(window), mainWindow))
        , wait(nullptr)
        , prompter(shown, wait)
        , ctx{host, prompter, wait, MaintenancePlacesOf(DbConfig(), App().dataDir)}
    {
        if (mainWindow)
            wait.placeOn(mainWindow);
    }

private:
    // The main window is disabled and enabled itself when it gives no callback for it, and the
    // hourglass is ours when it gives none.
    DataModuleHost::Window completed(DataModuleHost::Window window, QWidget *mainWindow)
    {
        if (!window.setEnabled && mainWindow)
            window.setEnabled = [w = QPointer<QWidget>(mainWindow)](bool on) {
                if (w)
                    w->setEnabled(on);
            };
        if (!window.setBusy)
            window.setBusy = [this](bool on) { busy.set(on); };
        if (!window.upgradeStatus)
            window.upgradeStatus = &wait;
        if (!window.upgradeProgress)
            window.upgradeProgress = &gauge;
        return window;
    }
};

// The data module the commands work on. Its connection may be closed (a database that could
// not be reopened): a restore is then the way back, and the other commands report the error.
TDataModule1 *RunningDataModule(Prompter &prompter)
{
    TDataModule1 *dm = DataModule1();
    if (!dm)
        prompter.error(QStringLiteral("Les données du logiciel ne sont pas chargées : l'opération est impossible."));
    return dm;
}

QString Choose(QWidget *parent, const FileChooser &choose, const FileDialogRequest &request)
{
    QDir().mkpath(request.directory);
    return choose ? choose(parent, request) : ChooseWithQtDialog(parent, request);
}

} // namespace

FileDialogRequest BackupSaveRequest(const MaintenancePlaces &places, const QDate &today)
{
    FileDialogRequest r;
    r.objectName = QStringLiteral("SaveDlg_Backup");
    r.save = true;
    r.title = QStringLiteral("Localisation de la sauvegarde");
    r.filter = BackupFilter;
    r.defaultSuffix = QStringLiteral("bkp");
    r.directory = places.dataDir + QStringLiteral("Backup");
    r.fileName = DefaultBackupPath(places, today);
    return r;
}

FileDialogRequest RestoreOpenRequest(const MaintenancePlaces &places)
{
    FileDialogRequest r;
    r.objectName = QStringLiteral("OpenDlg_Backup");
    r.title = QStringLiteral("Sélectionnez la base de données à restaurer");
    r.filter = BackupFilter;
    r.defaultSuffix = QStringLiteral("bkp");
    r.directory = BackupDir(places);
    return r;
}

namespace {

// A command on a file chosen in a dialog: nothing happens when the user cancels.
bool RunOnChosenFile(QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window,
    const FileChooser &choose, FileDialogRequest (*request)(const MaintenancePlaces &),
    bool (*command)(MaintenanceContext &, const QString &))
{
    TDataModule1 *dm = RunningDataModule(prompter);
    if (!dm)
        return false;
    const QString path = Choose(mainWindow, choose, request(MaintenancePlacesOf(DbConfig(), App().dataDir)));
    if (path.isEmpty())
        return false;
    WindowOperation op(*dm, mainWindow, prompter, window);
    return command(op.ctx, QDir::cleanPath(path));
}

FileDialogRequest TodaysBackupRequest(const MaintenancePlaces &places)
{
    return BackupSaveRequest(places, CurrentDateTime().date());
}

} // namespace

bool RunBackupCommand(
    QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window, const FileChooser &choose)
{
    return RunOnChosenFile(mainWindow, prompter, window, choose, TodaysBackupRequest, BackupCommand);
}

bool RunRestoreCommand(
    QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window, const FileChooser &choose)
{
    return RunOnChosenFile(mainWindow, prompter, window, choose, RestoreOpenRequest, RestoreCommand);
}

bool RunCompactCommand(QWidget *mainWindow, Prompter &prompter, const DataModuleHost::Window &window)
{
    TDataModule1 *dm = RunningDataModule(prompter);
    if (!dm)
        return false;
    WindowOperation op(*dm, mainWindow, prompter, window);
    return CompactCommand(op.ctx);
}

void RunHistoryWindow(QWidget *mainWindow, Prompter &prompter)
{
    TDataModule1 *dm = RunningDataModule(prompter);
    if (!dm)
        return;
    TBackupList window(*dm, prompter, mainWindow);
    window.exec();
}

} // namespace vivrelo
