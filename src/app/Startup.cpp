#include "app/Startup.h"

#include "app/Environment.h"
#include "app/Settings.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "db/Compaction.h"
#include "db/Connection.h"
#include "maintenance/Recovery.h"

namespace vivrelo {

QString ConnectionFailureMessage()
{
    return QStringLiteral("EXECUTION IMPOSSIBLE !!\r\r"
                          "Ce logiciel a rencontré un problème lors de la connexion à la base de données.\r"
                          "Contactez le support par email pour tenter de trouver une solution : ")
        + QString::fromUtf16(kSupportAddress);
}

QString DamagedDatabaseMessage(const QString &database, const QString &engineText)
{
    return QStringLiteral("La base de données %1 est endommagée : le programme ne peut pas l'ouvrir.\r(%2)\r\r"
                          "Pour en sortir :\r"
                          "  - la réparer : « vivrelo-cli compact » recopie ce qui peut encore être lu dans une "
                          "nouvelle base et garde la base endommagée dans le dossier Backup ;\r"
                          "  - ou revenir à une sauvegarde : « vivrelo-cli restore FICHIER ».")
        .arg(database, engineText);
}

QString DamagedDatabaseReport(const DatabaseLocation &location)
{
    const QString db = DatabaseFilePath(location);
    // A file of another kind (an Access file that could not be converted) is not "damaged".
    const QString damage = DetectDatabaseFile(db) == DatabaseFileKind::SQLite ? DatabaseDamage(db) : QString();
    return damage.isEmpty() ? QString() : DamagedDatabaseMessage(db, damage);
}

StartupState StartEnvironment(const StartupConfig &config, Prompter &prompter, ProgressSink &wait)
{
    StartupState state;

    // Identity, directories, title colours and switches. The date and time formats are
    // those of ShortDate, LongTime and ParseShortDate, whatever the process locale.
    InitApplicationValues(config.programDir);

    if (!config.readOnly) {
        state.instance = std::make_unique<SingleInstance>(config.lockDir);
        switch (state.instance->state()) {
        case SingleInstance::State::Acquired:
            break;
        case SingleInstance::State::HeldByOther:
            prompter.inform(AlreadyRunningMessage());
            return state;
        case SingleInstance::State::Failed:
            prompter.error(
                QStringLiteral("Impossible de vérifier qu'une seule copie du logiciel est en exécution :\r%1\r%2")
                    .arg(state.instance->lockFilePath(), state.instance->failure()));
            return state;
        }
    }

    try {
        SetupDataDirectory(config.isRemovable ? config.isRemovable : IsOnRemovableMedium);
    } catch (const Error &e) {
        prompter.error(e.message());
        return state;
    }

    // The lock of the data directory itself: the runtime folder's lock does not see a copy
    // started from another login or a scheduled job. Taken before anything in the data
    // directory is created or changed.
    state.dataLock = std::make_unique<DataDirectoryLock>(
        App().dataDir, config.readOnly ? DataDirectoryLock::Mode::ReadOnly : DataDirectoryLock::Mode::Change);
    switch (state.dataLock->state()) {
    case DataDirectoryLock::State::Acquired:
        break;
    case DataDirectoryLock::State::HeldByOther:
        if (config.readOnly)
            prompter.error(state.dataLock->refusal());
        else
            prompter.inform(AlreadyRunningMessage());
        return state;
    case DataDirectoryLock::State::Failed:
        // A data directory that refuses writing is told by the write-rights test's own message.
        if (config.readOnly
            || CheckWriteRights(App().productName + QLatin1Char(' ') + App().productVersion,
                App().dataDir + QStringLiteral("write.tmp"), prompter))
            prompter.error(state.dataLock->refusal());
        return state;
    }

    try {
        state.database = config.hooks.readConnectionConfig ? config.hooks.readConnectionConfig(App().dataDir)
                                                           : DefaultDatabaseLocation(App().dataDir);
    } catch (const Error &e) {
        prompter.error(e.message());
        return state;
    }

    const QString settingsName = config.settingsFileName.isEmpty() ? SettingsFileName() : config.settingsFileName;
    if (!config.readOnly) {
        // What an interrupted compaction, backup or restore left is put right first: the
        // first-run installation must never put the template over a recoverable catalogue.
        const MaintenancePlaces places{App().dataDir, state.database.databaseDir, {},
            App().programDir + QStringLiteral("Ressources/DB/Data/") + state.database.activeFileName};
        const QStringList told = RecoverInterruptedWork(places, places.templateDatabase);
        if (!told.isEmpty())
            prompter.inform(told.join(QLatin1Char('\r')));
    }
    if (config.readOnly) {
        if (!FileExists(DatabaseFilePath(state.database))) {
            prompter.error(QStringLiteral("La base de données %1 est introuvable ; rien n'a été lu.")
                               .arg(DatabaseFilePath(state.database)));
            return state;
        }
        // An Access database is converted by a start that may change the data, never by a reader.
        if (DetectDatabaseFile(DatabaseFilePath(state.database)) == DatabaseFileKind::Jet) {
            prompter.error(QStringLiteral("La base de données %1 est encore au format Access : lancez le programme "
                                          "une fois pour la convertir. Rien n'a été lu.")
                               .arg(DatabaseFilePath(state.database)));
            return state;
        }
    } else {
        App().ready = InstallDatabase(settingsName, state.database, prompter, wait);
        if (!App().ready)
            return state;

        if (!CheckWriteRights(App().productName + QLatin1Char(' ') + App().productVersion,
                App().dataDir + QStringLiteral("write.tmp"), prompter))
            return state;
    }

    state.settingsPath = App().dataDir + settingsName;
    LoadSettings(state.settingsPath);
    App().standardFrame = App().vistaOrLater || AppSettings().style;

    state.stop = false;
    return state;
}

bool StartData(const StartupConfig &config, StartupState &state, Prompter &prompter)
{
    try {
        if (!DataAccessAvailable(prompter))
            App().ready = false;
        else if (config.hooks.createDataModules && !config.hooks.createDataModules(prompter))
            App().ready = false;
    } catch (const Error &e) {
        prompter.plain(e.message());
        App().ready = false;
    }
    // A damaged database is not a dead end: the message names the ways out.
    const auto damaged = [&state] {
        const QString text = DamagedDatabaseReport(state.database);
        state.databaseDamaged = !text.isEmpty();
        return text;
    };
    if (!App().ready) {
        const QString text = damaged();
        prompter.error(text.isEmpty() ? ConnectionFailureMessage() : text);
        return false;
    }

    if (!config.readOnly && config.hooks.upgradeSchema && FileExists(DatabaseFilePath(state.database))) {
        try {
            config.hooks.upgradeSchema(prompter);
        } catch (const Error &e) {
            const QString text = damaged();
            prompter.error(text.isEmpty() ? e.message() : text);
            return false;
        }
    }
    return true;
}

} // namespace vivrelo
