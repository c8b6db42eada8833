#include "app/DataDirectory.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace vivrelo {

namespace {

const QString kWarningFile = QStringLiteral("Avertissement.txt");

QString WarningHead()
{
    return QStringLiteral("ATTENTION : NE SUPPRIMEZ PAS CE REPERTOIRE \r\r");
}

QString WarningTail()
{
    return QStringLiteral("\rContact : ") + QString::fromUtf16(kContactAddress) + QStringLiteral("\rSite web : ")
        + QString::fromUtf16(kWebSiteAddress) + QStringLiteral("\r");
}

QString ParentWarningText()
{
    return WarningHead()
        + QStringLiteral("Ce répertoire contient les données des logiciels édités par Orbelin Software Developpement")
        + WarningTail();
}

QString DataWarningText()
{
    return WarningHead() + QStringLiteral("Ce répertoire contient les données du logiciels ") + App().productName
        + QStringLiteral(" édités par Orbelin Software Developpement") + WarningTail();
}

[[noreturn]] void FailFolder(const QString &folder)
{
    fail(QStringLiteral("Impossible de créer le répertoire :\r%1\r\r"
                        "Le logiciel ne peut pas démarrer sans son répertoire de données.")
             .arg(folder));
}

void CreateFolder(const QString &folder)
{
    if (!CreateDirectoryLevel(folder))
        FailFolder(folder);
}

// Creates the folder when it is missing and, only then, writes its warning file.
void CreateFolderWithWarning(const QString &folder, const QString &warning)
{
    if (DirectoryExists(folder))
        return;
    CreateFolder(folder);
    SaveTextFile(IncludeBackslash(folder) + kWarningFile, warning);
}

// The folder that holds `dir` (a directory value ending with its separator).
QString ContainingFolder(const QString &dir)
{
    QString path = dir;
    path.chop(1);
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : path.left(slash + 1);
}

bool IsDevelopmentCopy()
{
    return FileExists(DevelopmentMarkerPath());
}

// "~" or "~/..." at the start of a configured folder is the user's home folder.
QString ExpandHome(const QString &value)
{
    if (value == QLatin1String("~") || value.startsWith(QLatin1String("~/")) || value.startsWith(QLatin1String("~\\")))
        return QDir::homePath() + value.mid(1);
    return value;
}

// AppDataDir of the user's own directories.ini when it gives one, else of the program
// directory's: an installed program directory is not the user's to write.
QString ConfiguredAppDataDir()
{
    const QString section = QStringLiteral("Path"), key = QStringLiteral("AppDataDir");
    const QString own = IniFile(UserDirectoriesIniPath()).readString(section, key, {});
    if (!own.isEmpty())
        return ExpandHome(own);
    return ExpandHome(IniFile(App().programDir + QStringLiteral("directories.ini")).readString(section, key, {}));
}

} // namespace

QString UserDirectoriesIniPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return IncludeBackslash(config) + QStringLiteral("vivrelo/directories.ini");
}

DatabaseLocation DefaultDatabaseLocation(const QString &dataDir)
{
    const QString file = QStringLiteral("Access\\VIVRELO.MDB");
    return {IncludeBackslash(dataDir) + QStringLiteral("Data/"), file, file};
}

QString DatabaseFilePath(const DatabaseLocation &location)
{
    return IncludeBackslash(NativePath(location.databaseDir)) + NativePath(location.oleDbFileName);
}

void SetupDataDirectory(const std::function<bool(const QString &)> &isRemovable)
{
    const QString programDir = App().programDir;
    const QString appDataDir = ConfiguredAppDataDir();

    QString dataDir;
    if (appDataDir == QStringLiteral("appexe") || IsDevelopmentCopy()
        || (isRemovable(programDir) && !programDir.contains(ProgramFilesDir()))) {
        dataDir = programDir;
    } else {
        // AppDataDir is a plain prefix: "D:\Data" without its separator gives "D:\DataTalvane Vivrelo\".
        const QString prefix = appDataDir.isEmpty() ? MyDocumentsDir() + QStringLiteral("Orbelin Software Development/")
                                                    : NativePath(appDataDir);
        dataDir = prefix + FoldAccents(App().productName) + QLatin1Char('/');
        // The parent is the folder that really holds the data directory, so that its warning
        // file lands inside it whatever the prefix ends with.
        const QString parent = ContainingFolder(dataDir);
        if (!parent.isEmpty())
            CreateFolderWithWarning(parent, ParentWarningText());
        CreateFolderWithWarning(dataDir, DataWarningText());
    }

    for (const char *sub : {"Export", "Html", "Backup", "Data", "Data/Access", "Data/Images", "Data/Files"})
        CreateFolder(dataDir + QString::fromLatin1(sub));
    App().dataDir = dataDir;
}

bool InstallDatabase(
    const QString &settingsFileName, const DatabaseLocation &location, Prompter &prompter, ProgressSink &wait)
{
    bool ok = true;
    const QString dbDir = IncludeBackslash(NativePath(location.databaseDir));
    const QString active = NativePath(location.activeFileName);

    if (!FileExists(dbDir + active)) {
        CreateDirectoryLevel(dbDir);
        for (const char *sub : {"Access", "Images", "Files"})
            CreateDirectoryLevel(dbDir + QString::fromLatin1(sub));

        const QString programDir = App().programDir;
        const QString oldData = programDir + QStringLiteral("Data/");
        const bool transfer = FileExists(oldData + active)
            && (FileExists(programDir + QStringLiteral("dsn.ini"))
                || FileExists(programDir + QStringLiteral("db.ini")));
        const QString source = transfer ? oldData : programDir + QStringLiteral("Ressources/DB/Data/");

        if (FileExists(source + active)) {
            wait.setTask(QStringLiteral("TRANSFERT DES DONNEES"));
            wait.setMessage(QStringLiteral("Quelques instants, SVP ..."));
            wait.setMaximum(3);
            wait.setPosition(0);
            wait.showBar(true);
            if (transfer)
                wait.show();
            wait.pump();

            wait.setMessage(QStringLiteral("Copie de la base de données"));
            wait.setPosition(1);
            const QString target = DatabaseFilePath(location);
            CopyFileNoReplace(source + active, target);
            const bool databaseCopied = FileExists(target);
            wait.pump();

            wait.setMessage(QStringLiteral("Copie des images"));
            wait.setPosition(2);
            bool othersCopied = CopyFiles(
                source + QStringLiteral("Images/"), dbDir + QStringLiteral("Images/"), QStringLiteral("*.jpg"), wait);
            wait.pump();

            wait.setMessage(QStringLiteral("Copie des fichiers"));
            wait.setPosition(3);
            othersCopied = CopyFiles(source + QStringLiteral("Files/"), dbDir + QStringLiteral("Files/"),
                               QStringLiteral("*.f"), wait)
                && othersCopied;
            wait.pump();
            wait.hide();

            if (!databaseCopied) {
                // Going on would open the program on a database that is not there.
                prompter.error(QStringLiteral("EXECUTION IMPOSSIBLE !!\r\r"
                                              "La base de données n'a pas pu être copiée dans le répertoire :\r%1\r\r"
                                              "Vérifiez l'espace libre et les droits d'écriture sur ce répertoire.")
                                   .arg(dbDir));
                ok = false;
            } else {
                if (!othersCopied)
                    prompter.warn(QStringLiteral("Certaines images ou certains fichiers n'ont pas pu être copiés "
                                                 "dans le répertoire :\r%1\rLes originaux restent dans :\r%2")
                                      .arg(dbDir, source));
                if (transfer)
                    prompter.warn(
                        QStringLiteral("IMPORTANT !!\r\rLa base de données a été transférée dans le réperoire :\r")
                        + dbDir + QStringLiteral("\r\rNE SUPPRIMEZ PAS CE REPERTOIRE"));
            }
        } else {
            ok = false;
            prompter.warn(QStringLiteral(
                "EXECUTION IMPOSSIBLE !!\r\r"
                "Certains composants nécessaires au bon fonctionnement de cette application sont introuvables.\r"
                "Effectuez une nouvelle installation de l'application afin de résoudre ce problème."));
        }
    }

    FetchDataFile(QStringLiteral("SortList.def"));
    FetchDataFile(settingsFileName);
    return ok;
}

} // namespace vivrelo
