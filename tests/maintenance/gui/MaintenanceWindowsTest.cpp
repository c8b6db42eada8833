#include "maintenance/gui/MaintenanceCommands.h"
#include "maintenance/gui/TBackupList.h"

#include "base/AppValues.h"
#include "base/Progress.h"
#include "base/Prompter.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "db/ObjectStore.h"
#include "lists/DataModule.h"
#include "lists/gui/TMainForm.h"
#include "maintenance/Cabinet.h"
#include "support/TestDirs.h"
#include "ui/ShellGeometry.h"
#include "ui/TWait.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vivrelo;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os)
{
    *os << '"' << s.toStdString() << '"';
}
QT_END_NAMESPACE

namespace {

// The running program's data module on a copy of the template database, in a data directory
// of its own.
class MaintenanceWindows : public ::testing::Test
{
protected:
    void SetUp() override
    {
        App().dataDir = dataDir;
        ReadConnectionConfig(dataDir, dataDir);
        places = MaintenancePlacesOf(DbConfig(), dataDir);
        QDir().mkpath(places.databaseDir + QStringLiteral("Access"));
        QDir().mkpath(places.databaseDir + QStringLiteral("Images"));
        const QString db = DatabaseFilePath(places);
        ASSERT_TRUE(QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), db));
        QFile(db).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        ASSERT_TRUE(dm.DataModuleCreate(prompter));
        dm.ItemsList.open();
        SetClockForTests(QDateTime(QDate(2008, 3, 5), QTime(14, 7)));
    }
    void TearDown() override { SetClockForTests({}); }

    QStringList history()
    {
        QStringList rows;
        dm.Backup.open();
        for (dm.Backup.first(); !dm.Backup.eof(); dm.Backup.next())
            rows << dm.Backup.field(QStringLiteral("Description")).asString() + QLatin1Char('|')
                    + dm.Backup.field(QStringLiteral("Path")).asString();
        dm.Backup.close();
        return rows;
    }
    QString cell(QTableView *grid, int row, int column) { return grid->model()->index(row, column).data().toString(); }

    test::TestDirs dirs;
    QString dataDir = dirs.root() + QStringLiteral("data/");
    MaintenancePlaces places;
    ScriptedPrompter prompter;
    TDataModule1 dm;
};

template <class W>
W *child(QWidget *window, const char *name)
{
    W *w = window->findChild<W *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST_F(MaintenanceWindows, HistoryShowsEveryOperationInTheGridColours)
{
    AddHistoryRow(dm.Backup, QStringLiteral("Sauvagarde de la base de données"), QStringLiteral("a.bkp"));
    SetClockForTests(QDateTime(QDate(2008, 3, 6), QTime(9, 30)));
    AddHistoryRow(dm.Backup, QStringLiteral("Compactage de la base de données"), QStringLiteral("b.mdb"));

    TBackupList window(dm, prompter);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.size(), QSize(626, 298));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Historique des sauvegardes"));
    auto *grid = child<QTableView>(&window, "BFSDBGridColor2");
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"Date", "Heure", "Description", "Fichier de sauvegarde"}));
    // Widths follow the characters each column is given: 10, 10, 30, 128.
    EXPECT_EQ(grid->columnWidth(0), grid->columnWidth(1));
    EXPECT_GT(grid->columnWidth(2), 2 * grid->columnWidth(0));
    EXPECT_GT(grid->columnWidth(3), 4 * grid->columnWidth(2));

    ASSERT_EQ(grid->model()->rowCount(), 2);
    EXPECT_EQ(cell(grid, 0, 0), QStringLiteral("05/03/2008"));
    EXPECT_EQ(cell(grid, 0, 1), QStringLiteral("14:07"));
    EXPECT_EQ(cell(grid, 0, 2), QStringLiteral("Sauvagarde de la base de données"));
    EXPECT_EQ(cell(grid, 0, 3), QStringLiteral("a.bkp"));
    EXPECT_EQ(cell(grid, 1, 0), QStringLiteral("06/03/2008"));
    EXPECT_EQ(cell(grid, 1, 1), QStringLiteral("09:30"));
    EXPECT_TRUE(child<QPushButton>(&window, "Btn_Delete")->isEnabled());
    EXPECT_FALSE(grid->editTriggers() & QAbstractItemView::AllEditTriggers);

    // Rows alternate by place, the first line pale blue; a clicked row takes the whole line.
    grid->clearSelection();
    const int x = grid->columnViewportPosition(3) + grid->columnWidth(0); // beyond the short path
    const auto ground = [&](int row) {
        return grid->viewport()->grab().toImage().pixelColor(x, grid->rowViewportPosition(row) + 2);
    };
    EXPECT_EQ(ground(0), QColor(232, 243, 255));
    EXPECT_EQ(ground(1), QColor(Qt::white));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, grid->rowViewportPosition(1) + 3));
    EXPECT_EQ(ground(1), QColor(49, 106, 197));
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);

    QTest::mouseClick(child<QPushButton>(&window, "Btn_Close"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(dm.Backup.isActive());
}

TEST_F(MaintenanceWindows, PurgeEmptiesTheHistoryOnlyAfterYes)
{
    AddHistoryRow(dm.Backup, QStringLiteral("Sauvagarde de la base de données"), QStringLiteral("a.bkp"));
    const QString archive = dirs.writeFile(dataDir + QStringLiteral("Backup/a.bkp"), "archive");
    TBackupList window(dm, prompter);
    window.show();
    auto *grid = child<QTableView>(&window, "BFSDBGridColor2");
    auto *purge = child<QPushButton>(&window, "Btn_Delete");

    prompter.setConfirmations(Answer::No);
    QTest::mouseClick(purge, Qt::LeftButton);
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Désirez-vous purger l'historique des sauvegardes ?"));
    EXPECT_EQ(grid->model()->rowCount(), 1);
    EXPECT_TRUE(purge->isEnabled());

    prompter.setConfirmations(Answer::Yes);
    QTest::mouseClick(purge, Qt::LeftButton);
    EXPECT_EQ(grid->model()->rowCount(), 0);
    EXPECT_FALSE(purge->isEnabled());
    EXPECT_TRUE(dm.Backup.isActive());
    window.reject();
    EXPECT_TRUE(history().isEmpty());
    EXPECT_TRUE(QFile::exists(archive));
}

TEST_F(MaintenanceWindows, TheCheckButtonReadsTheSelectedArchiveWithoutRestoringIt)
{
    const QString good = dataDir + QStringLiteral("Backup/bonne.bkp");
    QDir().mkpath(dataDir + QStringLiteral("Backup"));
    const QString photo = dirs.writeFile(dirs.root() + QStringLiteral("p.jpg"), "photo");
    WriteCabinet(good, {{QStringLiteral("VIVRELO.MDB"), DatabaseFilePath(places)}, {QStringLiteral("p.jpg"), photo}},
        noProgress());
    AddHistoryRow(dm.Backup, QStringLiteral("Sauvagarde de la base de données"), good);
    AddHistoryRow(
        dm.Backup, QStringLiteral("Sauvagarde de la base de données"), dataDir + QStringLiteral("perdue.bkp"));
    const QByteArray before = [&] {
        QFile f(DatabaseFilePath(places));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();

    TBackupList window(dm, prompter);
    window.show();
    auto *grid = child<QTableView>(&window, "BFSDBGridColor2");
    auto *check = child<QPushButton>(&window, "Btn_Check");
    grid->setCurrentIndex(QModelIndex());
    EXPECT_FALSE(check->isEnabled());

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, grid->rowViewportPosition(0) + 3));
    ASSERT_TRUE(check->isEnabled());
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(prompter.asked().back().kind, MessageKind::Information);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("une restauration réussirait")))
        << prompter.lastText().toStdString();
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("Images : 1")));

    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, QPoint(10, grid->rowViewportPosition(1) + 3));
    QTest::mouseClick(check, Qt::LeftButton);
    EXPECT_EQ(prompter.asked().back().kind, MessageKind::Error);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("perdue.bkp"))) << prompter.lastText().toStdString();

    QFile f(DatabaseFilePath(places));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(MaintenanceWindows, EmptyHistoryLeavesNothingToPurge)
{
    TBackupList window(dm, prompter);
    window.show();
    EXPECT_EQ(child<QTableView>(&window, "BFSDBGridColor2")->model()->rowCount(), 0);
    EXPECT_FALSE(child<QPushButton>(&window, "Btn_Delete")->isEnabled());
}

TEST_F(MaintenanceWindows, BackupAndRestoreFromTheMainWindow)
{
    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 800, 600);
    mainWindow.show();
    std::vector<FileDialogRequest> asked;
    QString answer;
    const FileChooser choose = [&](QWidget *, const FileDialogRequest &r) {
        asked.push_back(r);
        return answer;
    };
    QStringList calls;
    QPoint waitAt;
    DataModuleHost::Window callbacks;
    callbacks.setEnabled = [&](bool on) {
        calls << (on ? "enable" : "disable");
        mainWindow.setEnabled(on);
        for (QWidget *w : QApplication::topLevelWidgets())
            if (qobject_cast<TWait *>(w) && w->isVisible())
                waitAt = w->pos();
    };
    callbacks.rebuildListView = [&] { calls << "rebuild"; };
    dm.ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'Beurre')"));

    // Cancelling the dialog does nothing.
    EXPECT_FALSE(RunBackupCommand(&mainWindow, prompter, callbacks, choose));
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].directory, dataDir + QStringLiteral("Backup"));
    EXPECT_EQ(asked[0].fileName, dataDir + QStringLiteral("Backup/VIVRELO_ACCESS_BACKUP_05_03_2008.bkp"));
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_TRUE(history().isEmpty());

    answer = asked[0].fileName;
    ASSERT_TRUE(RunBackupCommand(&mainWindow, prompter, callbacks, choose)) << prompter.lastText().toStdString();
    EXPECT_EQ(prompter.lastText(), QStringLiteral("Sauvegarde effectuée."));
    EXPECT_EQ(calls, (QStringList{"disable", "enable", "rebuild"}));
    EXPECT_EQ(waitAt, CentredOnWindow(QSize(277, 65), mainWindow.frameGeometry()));
    EXPECT_TRUE(mainWindow.isEnabled());
    EXPECT_EQ(ReadCabinet(answer).size(), 1u);
    EXPECT_EQ(history(), QStringList{QStringLiteral("Sauvagarde de la base de données|") + answer});
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<TWait *>(w) && w->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The database is lost and cannot be opened any more: the restore is the way back.
    dm.ItemsList.close();
    dm.ADOConnection1.close();
    dirs.writeFile(DatabaseFilePath(places), "abîmée");
    asked.clear();
    calls.clear();
    ASSERT_TRUE(RunRestoreCommand(&mainWindow, prompter, callbacks, choose)) << prompter.lastText().toStdString();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].objectName, QStringLiteral("OpenDlg_Backup"));
    EXPECT_EQ(asked[0].directory, dataDir + QStringLiteral("Backup/"));
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("Sauvegarde restaurée.")));
    EXPECT_EQ(calls, (QStringList{"disable", "enable", "rebuild"}));
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT Title FROM ITEMS")).toString(), QStringLiteral("Beurre"));
    EXPECT_EQ(history(),
        (QStringList{QStringLiteral("Sauvagarde de la base de données|") + answer,
            QStringLiteral("Restauration de la base de données|") + answer}));
}

TEST_F(MaintenanceWindows, TheSaveDialogProposesTheDaysArchiveWithoutAskingToReplace)
{
    QString shown;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        shown = dialog->objectName() + QLatin1Char('|') + dialog->windowTitle() + QLatin1Char('|')
            + dialog->nameFilters().join(QLatin1Char(';')) + QLatin1Char('|') + dialog->defaultSuffix()
            + QLatin1Char('|') + QFileInfo(dialog->selectedFiles().value(0)).fileName();
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        dialog->reject();
    });
    EXPECT_FALSE(RunBackupCommand(nullptr, prompter, {}));
    EXPECT_EQ(shown,
        QStringLiteral("SaveDlg_Backup|Localisation de la sauvegarde|Sauvegarde base de donnée (*bkp)|bkp|"
                       "VIVRELO_ACCESS_BACKUP_05_03_2008.bkp"));
    EXPECT_TRUE(history().isEmpty());
}

} // namespace

TEST_F(MaintenanceWindows, ARestoreWithTheCatalogueGridOpenShowsTheRestoredRows)
{
    dm.ADOConnection1.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Title) VALUES (-1, 'Beurre'), (-1, 'Café')"));
    const QString archive = dataDir + QStringLiteral("Backup/soir.bkp");
    const FileChooser choose = [&](QWidget *, const FileDialogRequest &) { return archive; };
    DataModuleHost::Window around;
    MainCommands commands;
    commands.restore = [&](QWidget *owner) { RunRestoreCommand(owner, prompter, around, choose); };
    TDataModuleObject objects(dm.ADOConnection1);
    TMainForm form(dm, objects, dataDir + QStringLiteral("vivrelo.ini"), commands);
    around.rebuildListView = [&] { form.BuildListView(); };
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    ASSERT_TRUE(RunBackupCommand(&form, prompter, around, choose)) << prompter.lastText().toStdString();

    // After the backup, Beurre's row becomes Lait: the open grid shows Café and Lait.
    dm.ADOConnection1.exec(QStringLiteral("UPDATE ITEMS SET Title = 'Lait' WHERE Title = 'Beurre'"));
    RefreshKeepingId(dm.ItemsList);
    auto *grid = child<QTableView>(&form, "Grid_ItemsList");
    const int title = 1;
    ASSERT_EQ(cell(grid, 1, title), QStringLiteral("Lait"));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(0, title)).center());
    ASSERT_EQ(dm.ItemsList.field(QStringLiteral("Title")).asString(), QStringLiteral("Café"));

    form.findChild<QAction *>(QStringLiteral("Popup_Tools_DataBase_restore"))->trigger();
    EXPECT_TRUE(prompter.lastText().startsWith(QStringLiteral("Sauvegarde restaurée.")))
        << prompter.lastText().toStdString();
    EXPECT_EQ(cell(grid, 0, title), QStringLiteral("Beurre"));
    EXPECT_EQ(cell(grid, 1, title), QStringLiteral("Café"));
    EXPECT_EQ(dm.ItemsList.field(QStringLiteral("Title")).asString(), QStringLiteral("Café")); // the same product

    // A double click on Beurre ticks Beurre, in the restored database.
    const QPoint beurre = grid->visualRect(grid->model()->index(0, title)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, beurre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, beurre);
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT group_concat(Title) FROM ITEMS WHERE Sel")).toString(),
        QStringLiteral("Beurre"));
    EXPECT_EQ(form.ListLines().size(), 1);
    form.close();
}
