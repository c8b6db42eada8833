#include "app/gui/ProgramMain.h"

#include "app/AppValues.h"
#include "app/Error.h"
#include "app/Paths.h"
#include "app/Settings.h"
#include "app/Startup.h"
#include "db/ConnectionConfig.h"
#include "db/ObjectStore.h"
#include "lists/DataModule.h"
#include "lists/gui/TMainForm.h"
#include "ui/MessageBoxPrompter.h"
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
    static void show(const QString &text)
    {
        MessageBoxPrompter(QApplication::activeWindow()).error(text);
    }
};

} // namespace

int ProgramMain(int argc, char **argv)
{
    Application app(argc, argv);
    InstallFrenchTranslations(app);
    MessageBoxPrompter prompter;

    std::unique_ptr<TDataModule1> dataModule;
    std::unique_ptr<TDataModuleObject> objects;

    StartupConfig config;
    config.programDir = IncludeBackslash(QDir::currentPath());
    config.hooks.readConnectionConfig = [](const QString &dataDir) {
        const ConnectionConfig &c = ReadConnectionConfig(dataDir, dataDir);
        return DatabaseLocation{c.databaseDir, c.activeFileName, c.oledbFileName};
    };
    config.hooks.createDataModules = [&](Prompter &p) {
        dataModule = std::make_unique<TDataModule1>();
        if (!dataModule->DataModuleCreate(p))
            return false;
        objects = std::make_unique<TDataModuleObject>(dataModule->ADOConnection1);
        return true;
    };

    StartupState state;
    {
        TWait wait;
        state = StartEnvironment(config, prompter, wait);
    }
    if (state.stop)
        return 1;

    auto splash = std::make_unique<TSplash>();
    if (AppSettings().splash)
        splash->show();
    splash->setMaximum(8);
    splash->setPosition(1);
    splash->setTask(QStringLiteral("Chargement du logiciel ..."));
    splash->pump();
    splash->setPosition(4);

    if (!StartData(config, state, prompter))
        return 1;

    splash->setPosition(5);
    splash->setTask(QStringLiteral("Chargement du logiciel ..."));
    splash->pump();
    splash->setPosition(6);
    splash->setPosition(7);
    TMainForm mainForm(*dataModule, *objects, state.settingsPath);
    splash->setPosition(8);
    splash.reset();
    mainForm.show();
    mainForm.activateWindow();
    return app.exec();
}

} // namespace vivrelo
