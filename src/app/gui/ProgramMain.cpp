#include "app/gui/ProgramMain.h"

#include "app/gui/ProgramCommands.h"
#include "app/gui/TMdacMsg.h"

#include "app/DataStart.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "db/ConnectionConfig.h"
#include "db/ObjectStore.h"
#include "lists/DataModule.h"
#include "lists/gui/TMainForm.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ShellPictures.h"
#include "ui/TNewGauge.h"
#include "ui/TSplash.h"
#include "ui/TWait.h"

#include <QApplication>
#include <QDir>

#include <memory>

namespace vivrelo {

namespace {

// The top-level error display: an error that leaves an event handler is shown in a box and
// the program goes on.
class Application : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const Error &e) {
            show(e.message());
        } catch (const std::exception &e) {
            show(QString::fromLocal8Bit(e.what()));
        }
        return false;
    }

private:
    static void show(const QString &text) { MessageBoxPrompter(QApplication::activeWindow()).error(text); }
};

} // namespace

int ProgramMain(int argc, char **argv)
{
    Application app(argc, argv);
    InitShellResources();
    InstallFrenchTranslations(app);
    MessageBoxPrompter prompter;

    // The windows of the start: the wait window of a first-run transfer or an Access
    // conversion, the splash (its line shows the upgrade's status texts) and the progress
    // window of the upgrade scripts.
    TWait wait;
    TSplash splash;
    TNewGauge gauge;

    StartupConfig config;
    config.programDir = IncludeBackslash(QDir::currentPath());
    config.hooks = StandardStartupHooks(wait, &splash, gauge);

    StartupState state = StartEnvironment(config, prompter, wait);
    wait.QWidget::hide();
    if (state.stop)
        return 1;

    ShowDataAccessInfoIfNeeded(nullptr);

    if (AppSettings().splash)
        splash.show();
    splash.setMaximum(8);
    splash.setPosition(1);
    splash.setTask(QStringLiteral("Chargement du logiciel ..."));
    splash.pump();
    splash.setPosition(4);

    const bool started = StartData(config, state, prompter);
    wait.QWidget::hide();
    gauge.QWidget::hide();
    if (!started) {
        CloseDataModules();
        return 1;
    }

    splash.setPosition(5);
    splash.setTask(QStringLiteral("Chargement du logiciel ..."));
    splash.pump();
    splash.setPosition(6);
    splash.setPosition(7);
    int status = 0;
    {
        DataModules &modules = RunningDataModules();
        std::unique_ptr<TMainForm> mainForm;
        try {
            mainForm = std::make_unique<TMainForm>(
                *modules.main, *modules.objects, state.settingsPath, ProgramCommands(*modules.main, *modules.objects));
        } catch (const Error &e) {
            // The catalogue does not open: a damaged database is told with its ways out.
            splash.QWidget::hide();
            const QString damaged = DamagedDatabaseReport(state.database);
            prompter.error(damaged.isEmpty() ? e.message() : damaged);
            CloseDataModules();
            return 1;
        }
        splash.setPosition(8);
        splash.QWidget::hide();
        mainForm->show();
        mainForm->activateWindow();
        status = app.exec();
    }
    CloseDataModules();
    return status;
}

} // namespace vivrelo
