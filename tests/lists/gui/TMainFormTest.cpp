#include "lists/gui/TMainForm.h"
#include "app/Environment.h"
#include "app/Settings.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "db/ObjectStore.h"
#include "lists/CatalogueCsv.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "lists/gui/CatalogueFileCommands.h"
#include "support/TestDirs.h"
#include "ui/DecorClock.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/TPopupMenuMod.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <sqlite3.h>

using namespace vivrelo;

namespace {

struct Product {
    QString title;
    int stock = 1;
    int stockMin = 1;
    int stockMax = 0;
    QVariantList prices{1.0, 1.0, 1.0};
    bool sel = false;
    int quantity = 0;
    QString mark;
};

// A main window on a copy of the template database, driven through its controls.
class MainFormTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        AppSettings() = Settings{};
        const QString data = dirs.root() + QStringLiteral("data/");
        QDir().mkpath(data);
        const ConnectionConfig &c = ReadConnectionConfig(data, data);
        QDir().mkpath(QFileInfo(c.databaseFile()).path());
        ASSERT_TRUE(
            QFile::copy(dirs.programDir() + QStringLiteral("Ressources/DB/Data/Access/VIVRELO.MDB"), c.databaseFile()));
        ASSERT_TRUE(dm.DataModuleCreate(startPrompter));
        objects = std::make_unique<TDataModuleObject>(dm.ADOConnection1);
        settingsPath = data + QStringLiteral("vivrelo.ini");
        dm.setCurrencySymbol(QStringLiteral("€"));
    }
    void TearDown() override
    {
        if (window)
            window->close();
        window.reset();
    }

    qint64 add(const Product &p)
    {
        dm.ADOConnection1.exec(
            QStringLiteral("INSERT INTO ITEMS (Id_File, Title, Mark, Stock, Stock_Min, Stock_Max, "
                           "Price01, Price02, Price03, Sel, Quantity) VALUES (-1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
            {p.title, p.mark, p.stock, p.stockMin, p.stockMax, p.prices.value(0), p.prices.value(1), p.prices.value(2),
                p.sel ? 1 : 0, p.quantity});
        return dm.ADOConnection1.lastInsertId();
    }
    QVariant column(qint64 id, const char *name)
    {
        return dm.ADOConnection1.scalar(
            QStringLiteral("SELECT %1 FROM ITEMS WHERE Id=?").arg(QLatin1String(name)), {id});
    }

    TMainForm &open(MainCommands commands = {})
    {
        window = std::make_unique<TMainForm>(dm, *objects, settingsPath, std::move(commands));
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return *window;
    }
    template <class T>
    T *child(const char *name)
    {
        T *w = window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString text(const char *label) { return child<QLabel>(label)->text(); }
    QTableView *grid() { return child<QTableView>("Grid_ItemsList"); }
    QPoint rowCentre(int row) { return grid()->visualRect(grid()->model()->index(row, 1)).center(); }
    void clickRow(int row) { QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, rowCentre(row)); }
    void doubleClickRow(int row)
    {
        clickRow(row);
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    }
    void click(const char *button) { QTest::mouseClick(child<QAbstractButton>(button), Qt::LeftButton); }

    test::TestDirs dirs;
    ScriptedPrompter startPrompter;
    TDataModule1 dm;
    std::unique_ptr<TDataModuleObject> objects;
    QString settingsPath;
    std::unique_ptr<TMainForm> window;
};

} // namespace

TEST_F(MainFormTest, OneEveningFromTickToValidation)
{
    const qint64 bread = add({QStringLiteral("Baguette"), 2, 1, 0, {1.0, 1.5, 2.0}});
    const qint64 milk = add({QStringLiteral("Lait"), 0, 1, 0, {0.5, 1.0, 0.75}, false, 4});
    const qint64 salt = add({QStringLiteral("Sel"), 3, 1, 0, {1.0, 1.0, 1.0}, false, 2});
    TMainForm &w = open();
    EXPECT_FALSE(child<QAbstractButton>("Btn_Valid")->isEnabled());

    doubleClickRow(0); // Baguette, quantity 0: ticked with 1
    EXPECT_EQ(column(bread, "Sel").toInt(), 1);
    EXPECT_EQ(column(bread, "Quantity").toInt(), 1);
    doubleClickRow(1); // Lait keeps its quantity 4
    EXPECT_EQ(column(milk, "Sel").toInt(), 1);
    EXPECT_EQ(column(milk, "Quantity").toInt(), 4);
    ASSERT_EQ(w.ListLines().size(), 2);
    EXPECT_EQ(ReadDisplayLine(w.ListLines().at(1)).title, QStringLiteral("Lait"));
    EXPECT_EQ(text("Lab_Price01"), QStringLiteral("3.00 €"));
    EXPECT_EQ(text("Lab_Price02"), QStringLiteral("5.50 €"));
    EXPECT_EQ(text("Lab_Price03"), QStringLiteral("5.00 €"));
    EXPECT_EQ(text("Lab_Info_Price01"), QStringLiteral("le moins cher "));
    EXPECT_EQ(text("Lab_Info_Price02"), QStringLiteral("le plus cher "));
    EXPECT_EQ(text("Lab_Info_Price03"), QStringLiteral("intermédiaire "));
    EXPECT_FALSE(child<QLabel>("Img_Price01")->pixmap().isNull());
    EXPECT_TRUE(child<QAbstractButton>("Btn_Valid")->isEnabled());
    EXPECT_TRUE(child<QAbstractButton>("Btn_Report")->isEnabled());

    // Ticking and unticking the salt keeps its quantity.
    doubleClickRow(2);
    doubleClickRow(2);
    EXPECT_EQ(column(salt, "Sel").toInt(), 0);
    EXPECT_EQ(column(salt, "Quantity").toInt(), 2);
    // The view holds the list's lines, changed line by line.
    auto *view = child<QAbstractItemView>("Grid_ListItems");
    auto shown = [view] {
        QStringList lines;
        for (int r = 0; r < view->model()->rowCount(); ++r)
            lines << view->model()->index(r, 0).data().toString();
        return lines;
    };
    EXPECT_EQ(shown(), w.ListLines());
    doubleClickRow(2);
    EXPECT_EQ(shown(), w.ListLines());
    doubleClickRow(0);
    EXPECT_EQ(shown(), w.ListLines());
    doubleClickRow(0);
    doubleClickRow(2);
    ASSERT_EQ(shown(), w.ListLines());
    ASSERT_EQ(w.ListLines().size(), 2);
    // Lines changed one at a time are the lines the list query gives.
    EXPECT_EQ(w.ListLines(), BuildListDisplay(ReadListQuery(dm), dm.currencySymbol()).lines);

    clickRow(1);
    w.prompter().answerNext(Answer::Yes);
    click("Btn_Valid");
    ASSERT_FALSE(w.prompter().shown().empty());
    EXPECT_EQ(w.prompter().shown().back().kind, MessageKind::Confirmation);
    EXPECT_EQ(w.prompter().shown().back().text,
        QStringLiteral("En validant cette liste, les sélections seront annulées et les stocks seront mis-à-jour ?"));
    EXPECT_EQ(column(bread, "Stock").toInt(), 3);
    EXPECT_EQ(column(milk, "Stock").toInt(), 4);
    EXPECT_EQ(column(bread, "Quantity").toInt(), 0);
    EXPECT_EQ(column(milk, "Sel").toInt(), 0);
    EXPECT_EQ(column(salt, "Stock").toInt(), 3);
    EXPECT_EQ(column(salt, "Quantity").toInt(), 2);
    EXPECT_TRUE(w.ListLines().isEmpty());
    EXPECT_EQ(text("Lab_Price01"), QStringLiteral("0.00 €"));
    EXPECT_TRUE(child<QLabel>("Lab_Info_Price01")->text().isEmpty());
    EXPECT_FALSE(child<QAbstractButton>("Btn_Valid")->isEnabled());
    // The catalogue stays on the product that was current.
    EXPECT_EQ(dm.ItemsList.field(QStringLiteral("Id")).asInteger(), milk);
}

TEST_F(MainFormTest, AnsweringNoToTheValidationChangesNothing)
{
    const qint64 id = add({QStringLiteral("Beurre"), 2, 1, 0, {2.0, 2.0, 2.0}, true, 3});
    TMainForm &w = open();
    w.prompter().answerNext(Answer::No);
    click("Btn_Valid");
    EXPECT_EQ(column(id, "Sel").toInt(), 1);
    EXPECT_EQ(column(id, "Stock").toInt(), 2);
    EXPECT_EQ(column(id, "Quantity").toInt(), 3);
    EXPECT_EQ(w.ListLines().size(), 1);
}

TEST_F(MainFormTest, MarkersFollowTheTotalsAndAZeroTotalShowsNone)
{
    // 2 × (1.25, empty, 3): the empty column totals 0 and is the cheapest before losing its
    // marker, which leaves column 1 in between.
    add({QStringLiteral("Café"), 1, 1, 0, {1.25, QVariant(), 3.0}, true, 2, QStringLiteral("Arabica")});
    TMainForm &w = open();
    ASSERT_EQ(w.ListLines().size(), 1);
    const DisplayLineFields f = ReadDisplayLine(w.ListLines().first());
    EXPECT_EQ(f.title, QStringLiteral("Café"));
    EXPECT_EQ(f.amounts[0], QStringLiteral("2.50 €"));
    EXPECT_EQ(f.amounts[1], QStringLiteral("0.00 €"));
    EXPECT_EQ(text("Lab_Info_Price01"), QStringLiteral("intermédiaire "));
    EXPECT_EQ(text("Lab_Info_Price02"), QString());
    EXPECT_TRUE(child<QLabel>("Img_Price02")->pixmap().isNull());
    EXPECT_EQ(text("Lab_Info_Price03"), QStringLiteral("le plus cher "));
    // The grid shows the brand, the list does not.
    EXPECT_EQ(grid()->model()->index(0, 1).data().toString(), QStringLiteral("Café (Arabica)"));
}

TEST_F(MainFormTest, TheCatalogueGridDrawsTicksAlarmsAndItsRowColours)
{
    add({QStringLiteral("A"), 1, 1});
    add({QStringLiteral("B"), 0, 1, 0, {1.0, 1.0, 1.0}, true, 1}); // ticked, in stock alarm
    add({QStringLiteral("C"), 1, 1});
    for (int i = 0; i < 30; ++i)
        add({QStringLiteral("Z%1").arg(i, 2, 10, QLatin1Char('0')), 1, 1});
    open();
    const QImage shot = grid()->viewport()->grab().toImage();
    const auto cell = [&](int row, int column) { return grid()->visualRect(grid()->model()->index(row, column)); };
    const auto colourAt = [&](const QPoint &p) { return shot.pixelColor(p * shot.devicePixelRatio()); };
    // The current row takes the selection colour, the others alternate by their place on the
    // screen, the title row being place 0: odd places take the second colour.
    EXPECT_EQ(colourAt(cell(0, 1).topRight() + QPoint(-3, 3)), QColor(49, 106, 197));
    EXPECT_EQ(colourAt(cell(1, 1).topRight() + QPoint(-3, 3)), QColor(244, 250, 255));
    EXPECT_EQ(colourAt(cell(2, 1).topRight() + QPoint(-3, 3)), QColor(232, 243, 255));
    // The selection cell: pale, with the tick at left + 7 and the alarm at the left edge.
    const QRect sel = cell(1, 0);
    EXPECT_EQ(colourAt(sel.topRight() + QPoint(-1, 1)), QColor(255, 255, 245));
    const auto drawnIn = [&](const QRect &r) {
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (colourAt(QPoint(x, y)) != QColor(255, 255, 245))
                    return true;
        return false;
    };
    EXPECT_TRUE(drawnIn(QRect(sel.left() + 7, sel.top() + 2, 14, 14)));
    EXPECT_TRUE(drawnIn(QRect(sel.left(), sel.top() + 3, 6, 10)));
    const QRect plain = cell(2, 0);
    EXPECT_FALSE(drawnIn(QRect(plain.left(), plain.top() + 2, 21, 14)));

    // Scrolled by one row, each place on the screen keeps its colour.
    grid()->verticalScrollBar()->setValue(1);
    const QImage scrolled = grid()->viewport()->grab().toImage();
    const auto scrolledAt = [&](int row) {
        return scrolled.pixelColor((cell(row, 1).topRight() + QPoint(-3, 3)) * scrolled.devicePixelRatio());
    };
    EXPECT_EQ(scrolledAt(1), QColor(232, 243, 255));
    EXPECT_EQ(scrolledAt(2), QColor(244, 250, 255));
    EXPECT_EQ(scrolledAt(3), QColor(232, 243, 255));
}

TEST_F(MainFormTest, SpinButtonsKeepQuantityAndStockInsideTheLineBounds)
{
    const qint64 capped = add({QStringLiteral("A"), 4, 1, 10, {1.0, 1.0, 1.0}, true, 5});
    const qint64 empty = add({QStringLiteral("B"), 0, 1, 0, {1.0, 1.0, 1.0}, true, 1});
    const qint64 over = add({QStringLiteral("C"), 7, 1, 5, {1.0, 1.0, 1.0}, true, 1});
    open();
    clickRow(0);
    ASSERT_TRUE(child<QWidget>("Spin_Quantity")->isVisible());
    click("Spin_Quantity_Up");
    click("Spin_Quantity_Up");
    EXPECT_EQ(column(capped, "Quantity").toInt(), 6); // Stock_Max 10 − Stock 4
    EXPECT_EQ(child<QLineEdit>("Ed_Quantity")->text(), QStringLiteral("6"));

    clickRow(1);
    click("Spin_Quantity_Down"); // ticked: at least 1
    click("Spin_Stock_Down"); // never below 0
    EXPECT_EQ(column(empty, "Quantity").toInt(), 1);
    EXPECT_EQ(column(empty, "Stock").toInt(), 0);
    click("Spin_Stock_Up");
    EXPECT_EQ(column(empty, "Stock").toInt(), 1);

    // A stock already above its maximum leaves nothing to buy, never a negative quantity.
    clickRow(2);
    click("Spin_Quantity_Up");
    EXPECT_EQ(column(over, "Quantity").toInt(), 0);

    // A stock past two digits is shown whole.
    const qint64 many = add({QStringLiteral("D"), 99, 1, 0});
    RefreshKeepingId(dm.ItemsList);
    clickRow(3);
    click("Spin_Stock_Up");
    EXPECT_EQ(column(many, "Stock").toInt(), 100);
    EXPECT_EQ(child<QLineEdit>("Ed_Stock")->text(), QStringLiteral("100"));

    // Leaving the quantity edit, nothing typed, brings a stored quantity back to its maximum.
    const qint64 above = add({QStringLiteral("E"), 2, 1, 5, {1.0, 1.0, 1.0}, true, 9});
    RefreshKeepingId(dm.ItemsList);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    clickRow(4);
    child<QLineEdit>("Ed_Quantity")->setFocus();
    grid()->setFocus();
    EXPECT_EQ(column(above, "Quantity").toInt(), 3);
}

TEST_F(MainFormTest, TickAllAndUntickAllKeepTheQuantities)
{
    for (int i = 0; i < 50; ++i)
        add({QStringLiteral("Produit %1").arg(i, 2, 10, QLatin1Char('0')), 1, 1, 0, {1.0, 1.0, 1.0}, false, i % 3});
    TMainForm &w = open();
    clickRow(7);
    QAction *all = w.itemsListMenu()->findChild<QAction *>(QStringLiteral("Popup_ItemsList_SelectAll"));
    ASSERT_NE(all, nullptr);
    all->trigger();
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS WHERE Sel=1")).toInt(), 50);
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT SUM(Quantity) FROM ITEMS")).toInt(), 49);
    EXPECT_EQ(w.ListLines().size(), 50);
    EXPECT_EQ(ReadDisplayLine(w.ListLines().at(0)).quantity, QStringLiteral("0"));
    EXPECT_EQ(dm.ItemsList.currentIndex(), 7);

    // The toggle entry names what it does to the current row.
    Q_EMIT w.itemsListMenu()->aboutToShow();
    QAction *toggle = w.itemsListMenu()->findChild<QAction *>(QStringLiteral("Popup_ItemsList_Select"));
    EXPECT_EQ(toggle->text(), QStringLiteral("&Désélection"));
    toggle->trigger();
    EXPECT_EQ(w.ListLines().size(), 49);

    w.itemsListMenu()->findChild<QAction *>(QStringLiteral("Popup_ItemsList_UnSelectAll"))->trigger();
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM ITEMS WHERE Sel=1")).toInt(), 0);
    EXPECT_TRUE(w.ListLines().isEmpty());
}

TEST_F(MainFormTest, ControlsFollowTheCatalogueAndTheList)
{
    open();
    EXPECT_FALSE(grid()->isEnabled());
    EXPECT_FALSE(child<QAbstractButton>("Btn_Report")->isEnabled());
    EXPECT_FALSE(child<QAbstractButton>("Btn_Valid")->isEnabled());
    // Commands whose windows are not plugged in are disabled.
    EXPECT_FALSE(child<QAbstractButton>("Btn_List")->isEnabled());
    EXPECT_FALSE(child<QAction>("Proprits1")->isEnabled());
    EXPECT_FALSE(child<QAction>("Popup_Tools_DataBase_Compact")->isEnabled());
    EXPECT_TRUE(child<QAction>("Popup_Help_About")->isEnabled());
    EXPECT_TRUE(text("Lab_Status").contains(QString::number(QDate::currentDate().year())));
    EXPECT_FALSE(text("Lab_Status").contains(QStringLiteral("2008")));
    window->close();
    window.reset();

    add({QStringLiteral("Pâtes")});
    bool edited = false;
    MainCommands commands;
    commands.compact = [](QWidget *) { throw Error(QStringLiteral("Compactage impossible : fichier verrouillé.")); };
    commands.catalogueEditor = [&](QWidget *) {
        edited = true;
        add({QStringLiteral("Riz")});
    };
    open(commands);
    EXPECT_TRUE(grid()->isEnabled());
    EXPECT_FALSE(child<QAbstractButton>("Btn_Valid")->isEnabled());
    ASSERT_TRUE(child<QAbstractButton>("Btn_List")->isEnabled());
    click("Btn_List");
    EXPECT_TRUE(edited);
    EXPECT_EQ(grid()->model()->rowCount(), 2); // the catalogue is read again
    doubleClickRow(0);
    EXPECT_TRUE(child<QAbstractButton>("Btn_Valid")->isEnabled());
    EXPECT_TRUE(child<QAbstractButton>("Btn_Report")->isEnabled());

    // An error thrown by a command is shown and the window goes on.
    window->prompter().answerNext(Answer::Ok);
    child<QAction>("Popup_Tools_DataBase_Compact")->trigger();
    EXPECT_EQ(window->prompter().shown().back().text, QStringLiteral("Compactage impossible : fichier verrouillé."));
    doubleClickRow(0);
    EXPECT_FALSE(child<QAbstractButton>("Btn_Valid")->isEnabled());

    // The help entry hands the web site to the desktop.
    QUrl opened;
    const UrlOpener previous = SetUrlOpener([&](const QUrl &url) {
        opened = url;
        return true;
    });
    child<QAction>("Popup_Help_Web")->trigger();
    SetUrlOpener(previous);
    EXPECT_TRUE(opened.toString().startsWith(QStringLiteral("http")));
}

TEST_F(MainFormTest, TheClockBlinksItsSeparatorStartingWithABlank)
{
    TMainForm &w = open();
    auto *clock = child<DigitalTimeLabel>("DigitalTime");
    w.ClockTick();
    EXPECT_EQ(clock->text().size(), 5);
    EXPECT_EQ(clock->text().at(2), QLatin1Char(' '));
    w.ClockTick();
    EXPECT_EQ(clock->text().at(2), QLatin1Char(':'));

    // The calendar follows the date past midnight.
    SetClockForTests(QDateTime(QDate(2031, 1, 2), QTime(0, 0, 1)));
    w.ClockTick();
    SetClockForTests(QDateTime());
    EXPECT_EQ(child<MiniCalendar>("MiniCalendar")->date(), QDate(2031, 1, 2));
}

TEST_F(MainFormTest, PriceLabelsNameTheTotalsAndThePrintMenu)
{
    TMainForm &w = open();
    EXPECT_EQ(text("Lab_CustomPrice01"), QStringLiteral("Prix n°1"));
    EXPECT_EQ(text("Lab_CustomPrice03"), QStringLiteral("Prix n°3"));
    QAction *second = w.reportMenu()->findChild<QAction *>(QStringLiteral("Popup_Report_ListPrice2"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->text(), QStringLiteral("Liste (Prix n°2)"));
    const QVariant layout =
        dm.ADOConnection1.scalar(QStringLiteral("SELECT PageWidth || ' ' || PageHeight || ' ' || LeftPrice || ' ' || "
                                                "InterLines || ' ' || FontName || ' ' || FontSize "
                                                "FROM FORMATLIST WHERE Id_File=-1"));
    EXPECT_EQ(layout.toString(), QStringLiteral("14.9 21.0 11.0 0.7 Arial 20"));
    window->close();
    window.reset();

    // A second start finds both rows, creates none and shows the stored names.
    dm.ADOConnection1.exec(QStringLiteral("UPDATE CUSTOMLAB SET Price02='Marché' WHERE Id_File=-1"));
    TMainForm &again = open();
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM CUSTOMLAB")).toInt(), 1);
    EXPECT_EQ(dm.ADOConnection1.scalar(QStringLiteral("SELECT COUNT(*) FROM FORMATLIST")).toInt(), 1);
    EXPECT_EQ(text("Lab_CustomPrice02"), QStringLiteral("Marché"));
    EXPECT_EQ(again.reportMenu()->findChild<QAction *>(QStringLiteral("Popup_Report_ListPrice2"))->text(),
        QStringLiteral("Liste (Marché)"));
    EXPECT_EQ(dm.Items.display(QStringLiteral("Price02")).label, QStringLiteral("Marché"));
}

TEST_F(MainFormTest, PlacementTravelsThroughTheSettingsFile)
{
    Settings &s = AppSettings();
    s.left = 20;
    s.top = 30;
    s.width = 700;
    s.height = 520;
    open();
    EXPECT_EQ(window->geometry(), QRect(20, 30, 700, 520));
    window->move(40, 10);
    window->close();
    EXPECT_FALSE(AppSettings().firstLaunch);
    {
        QSettings file(settingsPath, QSettings::IniFormat);
        EXPECT_EQ(file.value(QStringLiteral("Windows/Left")).toInt(), 40);
        EXPECT_EQ(file.value(QStringLiteral("Windows/Top")).toInt(), 10);
        EXPECT_EQ(file.value(QStringLiteral("Windows/Width")).toInt(), 700);
        EXPECT_EQ(file.value(QStringLiteral("Windows/State")).toString(), QStringLiteral("wsNormal"));
        EXPECT_EQ(file.value(QStringLiteral("Properties/FirstLaunch")).toInt(), 0);
    }
    window.reset();

    // A placement that no longer fits the screen opens at 800 × 600, centred.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    AppSettings() = Settings{};
    AppSettings().left = screen.right();
    AppSettings().top = 0;
    AppSettings().width = 700;
    AppSettings().height = 500;
    open();
    EXPECT_EQ(window->size(), QSize(800, 600));
    EXPECT_EQ(window->x(), qMax(screen.x(), screen.x() + (screen.width() - 800) / 2));
    window->close();
    window.reset();

    // A window maximised at exit keeps the rectangle it was given.
    AppSettings() = Settings{};
    AppSettings().left = 5;
    AppSettings().width = 640;
    AppSettings().height = 480;
    AppSettings().top = 6;
    AppSettings().state = QStringLiteral("wsMaximized");
    open();
    EXPECT_TRUE(window->isMaximized());
    window->close();
    window.reset();
    EXPECT_EQ(AppSettings().state, QStringLiteral("wsMaximized"));
    EXPECT_EQ(AppSettings().left, 5);
    EXPECT_EQ(AppSettings().width, 640);

    // A settings file that cannot be written is named in a message.
    settingsPath = dirs.writeFile(dirs.root() + QStringLiteral("blocker"), "x") + QStringLiteral("/vivrelo.ini");
    open().prompter().answerNext(Answer::Ok);
    window->close();
    ASSERT_FALSE(window->prompter().shown().empty());
    EXPECT_EQ(window->prompter().shown().back().text, QStringLiteral("Impossible d'écrire dans ") + settingsPath);
}

TEST_F(MainFormTest, ARefusedQuantityIsShownAndTheRowStaysInEdit)
{
    const qint64 id = add({QStringLiteral("Oeufs"), 2, 1, 0, {1.0, 1.0, 1.0}, true, 1});
    TMainForm &w = open();
    clickRow(0);
    auto *edit = child<QLineEdit>("Ed_Quantity");
    edit->setFocus();
    edit->selectAll();
    // The box is shown and closed as a user would: it takes the focus from the edit, which
    // must not bring a second box.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    closer.start(50);
    QTest::keyClicks(edit, QStringLiteral("x2"));
    QTest::keyClick(edit, Qt::Key_Return);
    closer.stop();
    ASSERT_EQ(w.prompter().shown().size(), 1u);
    EXPECT_EQ(w.prompter().shown().back().kind, MessageKind::Error);
    EXPECT_TRUE(w.prompter().shown().back().text.contains(QStringLiteral("x2")));
    EXPECT_EQ(dm.ItemsList.state(), DataSetState::Edit);
    EXPECT_EQ(column(id, "Quantity").toInt(), 1);

    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("12"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(column(id, "Quantity").toInt(), 12);
    EXPECT_EQ(dm.ItemsList.state(), DataSetState::Browse);
    EXPECT_EQ(ReadDisplayLine(w.ListLines().first()).quantity, QStringLiteral("12"));
}

TEST_F(MainFormTest, AMissingSkinFileIsReportedAndLeavesTheStoreAlone)
{
    QFile::remove(App().programDir + QStringLiteral("Image/Skin/DefaultCover.bmp"));
    // The creation's message box is answered as a user would.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
            box->accept();
    });
    closer.start(20);
    TMainForm &w = open();
    closer.stop();
    ASSERT_FALSE(w.prompter().shown().empty());
    EXPECT_TRUE(w.prompter().shown().front().text.contains(QStringLiteral("DefaultCover.bmp")));
    EXPECT_EQ(dm.ADOConnection1
                  .scalar(QStringLiteral("SELECT COUNT(*) FROM OBJECT_VAL_OLE v JOIN OBJECT_CLASS c ON c.Id = "
                                         "v.Id_Class WHERE c.Name = 'CoverBmp'"))
                  .toInt(),
        0);
    // The window still works.
    add({QStringLiteral("Thé")});
    w.SelectAll(true);
    EXPECT_EQ(w.ListLines().size(), 1);
}

TEST_F(MainFormTest, NoEditIsLostByTheClosePictureNorShownWhenTheDatabaseRefusedIt)
{
    const qint64 id = add({QStringLiteral("Oeufs"), 2, 1, 0, {1.5, 1.0, 1.0}, true, 1});
    const qint64 other = add({QStringLiteral("Pain"), 2, 1, 0, {1.0, 1.0, 1.0}, false, 0});
    TMainForm &w = open();

    // Another program holds the database: the tick is refused, and the screen shows the
    // database as it is, on the same product.
    sqlite3 *locker = nullptr;
    ASSERT_EQ(sqlite3_open_v2(dm.ADOConnection1.path().toUtf8().constData(), &locker, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(locker, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    dm.ADOConnection1.setBusyTimeout(20);
    w.prompter().answerNext(Answer::Ok);
    doubleClickRow(1);
    sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(locker);
    ASSERT_EQ(w.prompter().shown().size(), 1u);
    EXPECT_EQ(w.prompter().shown().back().text,
        QStringLiteral("La base de données est utilisée par un autre programme ; rien n'a été modifié."));
    EXPECT_EQ(dm.ItemsList.state(), DataSetState::Browse);
    EXPECT_FALSE(dm.ItemsList.field(QStringLiteral("Sel")).asBool());
    EXPECT_EQ(dm.ItemsList.field(QStringLiteral("Id")).asInteger(), other);
    EXPECT_EQ(w.ListLines().size(), 1);
    EXPECT_EQ(text("Lab_Price01"), QStringLiteral("1.50 €"));

    // A quantity typed and never left: the title bar's close picture keeps it.
    clickRow(0);
    auto *edit = child<QLineEdit>("Ed_Quantity");
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("4"));
    QTest::mouseClick(child<QWidget>("SysExitBtn"), Qt::LeftButton);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(column(id, "Quantity").toInt(), 4);
}

TEST_F(MainFormTest, RefillEntryTicksTheProductsInAlarmAndSaysHowMany)
{
    const qint64 rice = add({QStringLiteral("Riz"), 1, 2, 6});
    const qint64 milk = add({QStringLiteral("Lait"), 3, 2, 6});
    TMainForm &w = open();
    w.prompter().answerNext(Answer::Ok);
    child<QAction>("Popup_Tools_TickLowStock")->trigger();
    ASSERT_FALSE(w.prompter().shown().empty());
    EXPECT_EQ(w.prompter().shown().back().text, QStringLiteral("1 produit à réapprovisionner a été coché."));
    EXPECT_EQ(column(rice, "Sel").toInt(), 1);
    EXPECT_EQ(column(rice, "Quantity").toInt(), 5);
    EXPECT_EQ(column(milk, "Sel").toInt(), 0);
    ASSERT_EQ(w.ListLines().size(), 1); // the list is rebuilt
    EXPECT_TRUE(child<QAbstractButton>("Btn_Valid")->isEnabled());
}

TEST_F(MainFormTest, CatalogueFileEntriesAndTheHintOfAnEmptyCatalogue)
{
    App().dataDir = dirs.root() + QStringLiteral("data/");
    ScriptedPrompter told;
    CatalogueFileDialogs dialogs;
    const QString file = dirs.root() + QStringLiteral("catalogue.csv");
    dialogs.exportFile = [&](QWidget *, const QString &) { return file; };
    dialogs.importFile = [&](QWidget *, const QString &) { return file; };
    dialogs.importMode = [](QWidget *, const QString &) { return CatalogueImportMode::Complete; };
    MainCommands commands;
    commands.exportCatalogue = [&](QWidget *owner) { ExportCatalogueCommand(owner, dm, told, dialogs); };
    commands.importCatalogue = [&](QWidget *owner) { return ImportCatalogueCommand(owner, dm, told, dialogs); };
    open(std::move(commands));
    auto *hint = child<QLabel>("Lab_EmptyCatalogue");
    EXPECT_TRUE(hint->isVisible());
    EXPECT_TRUE(hint->text().contains(QStringLiteral("Importer un catalogue")));

    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Produit;Stock;Prix 1\r\nFarine;x;1,00\r\n");
    }
    child<QAction>("Popup_File_ImportCatalogue")->trigger();
    ASSERT_FALSE(told.asked().empty());
    EXPECT_EQ(told.asked().back().kind, MessageKind::Error);
    EXPECT_TRUE(told.lastText().contains(QStringLiteral("Ligne 2 : Stock : « x » n'est pas un nombre entier.")));
    EXPECT_TRUE(hint->isVisible());

    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Produit;Stock;Prix 1\r\nFarine;2;1,00\r\n");
    }
    child<QAction>("Popup_File_ImportCatalogue")->trigger();
    EXPECT_EQ(told.lastText(), QStringLiteral("Catalogue importé : 1 produit(s) ajouté(s), 0 mis à jour."));
    EXPECT_EQ(grid()->model()->rowCount(), 1); // the catalogue is read again
    EXPECT_FALSE(hint->isVisible());

    QFile::remove(file);
    child<QAction>("Popup_File_ExportCatalogue")->trigger();
    EXPECT_TRUE(told.lastText().startsWith(QStringLiteral("Catalogue exporté : 1 produit dans")));
    EXPECT_TRUE(QFile::exists(file));
}

TEST_F(MainFormTest, ScreenshotOfTheImportReportAndTheEmptyCatalogue)
{
    const QString folder = qEnvironmentVariable("VIVRELO_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VIVRELO_SCREENSHOTS not set";
    QDir().mkpath(folder);
    ASSERT_TRUE(open().grab().save(folder + QStringLiteral("/catalogue-vide.png")));
    std::vector<CsvProblem> problems;
    for (int line = 2; line <= 27; ++line)
        problems.push_back({line,
            line % 2 ? QStringLiteral("Prix 1 : « 1.5 » n'est pas un prix (exemple : 12,50).")
                     : QStringLiteral("Stock : « deux » n'est pas un nombre entier.")});
    const auto box = MakeMessageBox(MessageKind::Error,
        ImportProblemsMessage(QStringLiteral("/home/marie/Export/courses.csv"), problems), MessageButtons::Ok,
        window.get());
    box->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(box.get()));
    ASSERT_TRUE(box->grab().save(folder + QStringLiteral("/import-erreurs.png")));
}

TEST_F(MainFormTest, TheFourthPrintEntrySplitsTheListByShop)
{
    add({QStringLiteral("Lait"), 1, 1, 0, {1.0, 0.9, 1.0}, true, 2});
    int runs = 0;
    MainCommands commands;
    commands.printList = [](QWidget *, int) {};
    commands.printByShop = [&runs](QWidget *) { ++runs; };
    TMainForm &w = open(std::move(commands));
    const QList<QAction *> entries = w.reportMenu()->actions();
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[3]->objectName(), QStringLiteral("Popup_Report_ByShop"));
    EXPECT_EQ(entries[3]->text(), QStringLiteral("Répartir par magasin"));
    entries[3]->trigger();
    EXPECT_EQ(runs, 1);
}

namespace {

// Not a check: with VIVRELO_SCREENSHOTS set to a folder, saves the main window as a user sees
// it, on a catalogue of twenty products, six of them ticked and one below its minimum stock.
TEST_F(MainFormTest, Screenshot)
{
    const QString folder = qEnvironmentVariable("VIVRELO_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VIVRELO_SCREENSHOTS not set";
    const struct {
        const char *title, *mark;
        double p1, p2, p3;
        int stock, quantity;
    } products[] = {{"Baguette", "", 0.95, 1.10, 1.00, 0, 2}, {"Beurre doux", "Président", 2.35, 2.60, 2.49, 1, 1},
        {"Café moulu", "Carte Noire", 4.20, 4.65, 3.99, 2, 0}, {"Chocolat noir", "Lindt", 2.10, 2.30, 1.95, 3, 0},
        {"Confiture de fraises", "Bonne Maman", 2.80, 3.05, 2.70, 1, 0},
        {"Eau minérale", "Evian", 0.55, 0.62, 0.50, 2, 6}, {"Farine", "", 0.90, 1.05, 0.85, 1, 0},
        {"Jambon blanc", "Herta", 3.15, 3.40, 2.99, 0, 1}, {"Lait demi-écrémé", "Lactel", 0.99, 1.09, 0.95, 4, 4},
        {"Lessive", "Ariel", 9.90, 10.50, 9.45, 1, 0}, {"Oeufs (x12)", "", 3.20, 3.45, 3.10, 1, 0},
        {"Pâtes", "Panzani", 1.15, 1.29, 1.09, 3, 0}, {"Pommes", "", 2.50, 2.90, 2.35, 6, 0},
        {"Riz basmati", "Taureau Ailé", 2.45, 2.70, 2.39, 1, 0},
        {"Savon", "Le Petit Marseillais", 1.80, 1.95, 1.70, 2, 0}, {"Sucre", "Béghin Say", 1.25, 1.35, 1.19, 1, 0},
        {"Thé vert", "Lipton", 2.60, 2.85, 2.45, 1, 0}, {"Tomates", "", 2.99, 3.20, 2.79, 0, 1},
        {"Yaourts nature", "Danone", 1.90, 2.10, 1.85, 4, 0}, {"Jus d'orange", "Tropicana", 2.95, 3.25, 2.89, 1, 0}};
    for (const auto &p : products) {
        Product row;
        row.title = QString::fromUtf8(p.title);
        row.mark = QString::fromUtf8(p.mark);
        row.prices = {p.p1, p.p2, p.p3};
        row.stock = p.stock;
        row.stockMax = 8;
        row.sel = p.quantity > 0;
        row.quantity = p.quantity;
        add(row);
    }
    TMainForm &w = open();
    w.resize(960, 640);
    QTest::qWait(200);
    QDir().mkpath(folder);
    ASSERT_TRUE(w.grab().save(folder + QStringLiteral("/main-window.png")));
}

} // namespace

// The catalogue grid without the mouse: letters find a product by the start of its title
// (accents and case ignored), Space ticks, "+" and "−" step the quantity, Enter opens the
// quantity edit and Enter there writes it; the typed prefix starts again after a pause.
TEST_F(MainFormTest, TheCatalogueGridAnswersTheKeyboard)
{
    add({QStringLiteral("Baguette")});
    const qint64 sponge = add({QStringLiteral("Éponge"), 1, 1, 0});
    add({QStringLiteral("Epinard")});
    const qint64 milk = add({QStringLiteral("Lait")});
    TMainForm &w = open();
    QTableView *g = grid();
    g->setFocus();

    QTest::keyClicks(g, QStringLiteral("EPO"));
    EXPECT_EQ(dm.ItemsList.field(QStringLiteral("Id")).asInteger(), sponge);
    QTest::keyClick(g, Qt::Key_Space);
    EXPECT_EQ(column(sponge, "Sel").toInt(), 1);
    EXPECT_EQ(column(sponge, "Quantity").toInt(), 1);
    QTest::keyClick(g, Qt::Key_Plus);
    QTest::keyClick(g, '+');
    EXPECT_EQ(column(sponge, "Quantity").toInt(), 3);
    QTest::keyClick(g, Qt::Key_Minus);
    EXPECT_EQ(column(sponge, "Quantity").toInt(), 2);
    ASSERT_EQ(w.ListLines().size(), 1);
    EXPECT_EQ(ReadDisplayLine(w.ListLines().at(0)).quantity, QStringLiteral("2"));

    QTest::keyClick(g, Qt::Key_Return);
    auto *edit = child<QLineEdit>("Ed_Quantity");
    EXPECT_EQ(w.focusWidget(), edit);
    QTest::keyClicks(edit, QStringLiteral("7"));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(column(sponge, "Quantity").toInt(), 7);
    EXPECT_EQ(w.focusWidget(), g);
    QTest::keyClick(g, Qt::Key_Space); // unticked, the quantity kept
    EXPECT_EQ(column(sponge, "Sel").toInt(), 0);
    EXPECT_EQ(column(sponge, "Quantity").toInt(), 7);

    QTest::qWait(QApplication::keyboardInputInterval() + 100);
    QTest::keyClicks(g, QStringLiteral("la"));
    EXPECT_EQ(dm.ItemsList.field(QStringLiteral("Id")).asInteger(), milk);
    QTest::keyClicks(g, QStringLiteral("x")); // "lax" finds nothing: the row stays
    EXPECT_EQ(dm.ItemsList.field(QStringLiteral("Id")).asInteger(), milk);
}
