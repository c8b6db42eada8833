// Shows every piece of the window shell once and saves a picture of each into a folder, to
// look at them as a user would. Not part of the build:
//   g++ -std=c++20 -fPIC -I../../../src -I../../../build/src/vivrelo_gui_autogen/include \
//     ShellSample.cpp ../../../build/src/libvivrelo_gui.a ../../../build/src/libvivrelo_core.a \
//     $(pkg-config --cflags --libs Qt6Widgets) -o /tmp/shell-sample
//   xvfb-run -a -s "-screen 0 1280x1024x24" /tmp/shell-sample /tmp/shots
#include "base/AppValues.h"
#include "ui/DecorClock.h"
#include "ui/DecorNotebook.h"
#include "ui/DecorPanels.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ShellPictures.h"
#include "ui/TAbout.h"
#include "ui/TNewGauge.h"
#include "ui/TPopupMenuMod.h"
#include "ui/TSplash.h"
#include "ui/TStrList.h"
#include "ui/TWait.h"
#include "ui/WindowChrome.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>

using namespace vivrelo;

static QString g_dir;

static void Shot(QWidget *w, const char *name)
{
    QApplication::processEvents();
    w->grab().save(g_dir + QLatin1String(name) + QStringLiteral(".png"));
}

static QLabel *Picture(QWidget *parent, const char *name, const char *picture, QRect r)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setPixmap(ShellPicture(QLatin1String(picture)));
    l->setGeometry(r);
    return l;
}

// A main-window-like frame: title bar, command bar, notebook, status bar.
static void BuildMainFrame(QWidget &main)
{
    main.setObjectName(QStringLiteral("MainForm"));
    main.resize(801, 600);
    auto *bar = new QWidget(&main);
    bar->setObjectName(QStringLiteral("TitleBar"));
    bar->setGeometry(0, 0, 801, 18);
    auto *title = new QLabel(QStringLiteral(" Talvane Vivrelo 1.83"), bar);
    title->setObjectName(QStringLiteral("Title"));
    title->setGeometry(0, 0, 740, 18);
    QFont tf(QStringLiteral("Arial"));
    tf.setPixelSize(12);
    tf.setBold(true);
    title->setFont(tf);
    Picture(bar, "SysMiniBtn", "minimise", QRect(747, 1, 16, 16));
    Picture(bar, "SysMaxiBtn", "maximise", QRect(765, 1, 16, 16))->hide();
    Picture(bar, "SysExitBtn", "close", QRect(783, 1, 16, 16));
    auto *left = new GradientPanel(QColor(51, 152, 255), QColor(0, 67, 179), Qt::Horizontal, &main);
    left->setObjectName(QStringLiteral("BarreLeft"));
    left->setGeometry(0, 39, 50, 546);
    auto *cal = new MiniCalendar(left);
    cal->setObjectName(QStringLiteral("MiniCalendar"));
    cal->setGeometry(3, 6, 44, 48);
    cal->setEnabled(false);
    auto *clock = new DigitalTimeLabel(left);
    clock->setObjectName(QStringLiteral("DigitalTime"));
    clock->setGeometry(2, 62, 46, 20);
    clock->setText(QStringLiteral("14:05"));
    const char *captions[] = {"Produits", "Imprimer", "Valider"};
    for (int i = 0; i < 3; ++i) {
        auto *b = new ShapedButton(QLatin1String(captions[i]), ShellPicture(QStringLiteral("tick")), left);
        b->setGeometry(0, 91 + i * 65, 50, 65);
        b->setEnabled(i == 0);
    }
    auto *book = new TabNoteBook(&main);
    book->setObjectName(QStringLiteral("TabNoteBook1"));
    book->setGeometry(50, 39, 751, 546);
    auto *listHead = new QLabel(QStringLiteral("Ma liste"), book->page());
    listHead->setGeometry(6, 7, 295, 26);
    auto *alarm = Picture(book->page(), "Img_Alarm", "alarm", QRect(380, 14, 10, 10));
    Q_UNUSED(alarm);
    Picture(book->page(), "Img_Price01", "cheapest", QRect(7, 445, 20, 18));
    Picture(book->page(), "Img_Price02", "between", QRect(107, 445, 20, 18));
    Picture(book->page(), "Img_Price03", "dearest", QRect(207, 445, 20, 18));
    auto *status = new GradientPanel(QColor(240, 240, 240), QColor(210, 210, 210), Qt::Vertical, &main);
    status->setGeometry(0, 585, 801, 15);
    Picture(status, "Image1", "grip", QRect(788, 2, 12, 12));
}

// The font picker, a popup menu with every kind of entry, and a message box.
static void ShootPopups(QWidget &main)
{
    QLineEdit edit(QStringLiteral("Arial"), &main);
    edit.setGeometry(400, 100, 150, 21);
    edit.show();
    TStrList *picker = TStrList::open(&edit,
        {QStringLiteral("Arial"), QStringLiteral("Courier New"), QStringLiteral("Times New Roman"),
            QStringLiteral("Verdana")});
    Shot(picker, "picker");
    picker->close();

    TPopupMenuMod menu;
    menu.addAction(ShellPicture(QStringLiteral("tick")), QStringLiteral("&Propriétés"));
    menu.addAction(QStringLiteral("Paramétrage de la &liste"));
    QAction *dis = menu.addAction(ShellPicture(QStringLiteral("dearest")), QStringLiteral("Désactivé"));
    dis->setEnabled(false);
    QAction *checked = menu.addAction(QStringLiteral("Coché"));
    checked->setCheckable(true);
    checked->setChecked(true);
    TPopupMenuMod *db = menu.addMenu(QStringLiteral("&Base de données"));
    db->addAction(QStringLiteral("&Sauvegarde"));
    menu.addSeparator();
    QAction *quit = menu.addAction(QStringLiteral("&Quitter"));
    menu.popup(QPoint(100, 100));
    menu.setActiveAction(quit);
    Shot(&menu, "menu");
    menu.close();

    auto box = MakeMessageBox(MessageKind::Confirmation,
        QStringLiteral("Désirez-vous purger l'historique des sauvegardes ?\rCette opération est définitive."),
        MessageButtons::YesNo, &main);
    box->show();
    Shot(box.get(), "message");
    box->hide();
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    InstallFrenchTranslations(app);
    InitApplicationValues(QDir::currentPath());
    g_dir = QString::fromLocal8Bit(argc > 1 ? argv[1] : "/tmp/shots") + QLatin1Char('/');
    QDir().mkpath(g_dir);

    QWidget main(nullptr, Qt::FramelessWindowHint);
    BuildMainFrame(main);
    WindowChrome::prepare(&main, {QSize(640, 480), {}});
    main.move(40, 40);
    main.show();
    main.activateWindow();
    QTimer::singleShot(0, [] {});
    for (int i = 0; i < 20; ++i)
        QApplication::processEvents();
    Shot(&main, "main");

    TWait wait(&main);
    wait.setTask(QStringLiteral("Sauvegarde de la base"));
    wait.setMessage(QStringLiteral("Quelques instants, SVP ..."));
    wait.setMaximum(3);
    wait.setPosition(2);
    wait.showBar(true);
    wait.placeOn(&main);
    wait.show();
    Shot(&wait, "wait");

    TNewGauge gauge;
    gauge.setTask(QStringLiteral("Mise à jour de la base de données ..."));
    gauge.setMaximum(10);
    gauge.setPosition(6);
    gauge.show();
    Shot(&gauge, "gauge");

    TSplash splash;
    splash.setMaximum(8);
    splash.setPosition(4);
    splash.setTask(QStringLiteral("Chargement du logiciel ..."));
    splash.show();
    Shot(&splash, "splash");

    TAbout about(QStringLiteral("TALVANE_VIVRELO"), &main);
    about.show();
    Shot(&about, "about");
    about.hide();

    ShootPopups(main);

    // The whole screen, for the placement of the windows.
    wait.show();
    gauge.show();
    QApplication::processEvents();
    QGuiApplication::primaryScreen()->grabWindow(0).save(g_dir + QStringLiteral("screen.png"));
    return 0;
}
