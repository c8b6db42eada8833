#include "lists/gui/TMainForm.h"

#include "ui_TMainForm.h"

#include "app/Environment.h"
#include "app/Settings.h"
#include "base/AppValues.h"
#include "base/Error.h"
#include "base/SystemErrors.h"
#include "db/ConnectionConfig.h"
#include "db/DataSetRoutines.h"
#include "db/ObjectStore.h"
#include "lists/CatalogueEditing.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "lists/SkinTextures.h"
#include "lists/TextRoutines.h"
#include "lists/gui/ItemsListModel.h"
#include "printing/gui/PrintShoppingList.h"
#include "ui/DecorPanels.h"
#include "ui/ShellGeometry.h"
#include "ui/ShellPictures.h"
#include "ui/TAbout.h"
#include "ui/TNewGauge.h"
#include "ui/TPopupMenuMod.h"
#include "ui/VistaFonts.h"
#include "ui/WindowChrome.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTime>
#include <QTimer>

namespace vivrelo {

namespace {

const QColor kRowColour(244, 250, 255);
const QColor kAlternateRowColour(232, 243, 255);
const QColor kSelectionColour(49, 106, 197);
const QColor kSpinColour(49, 106, 197);
const QColor kSelCellColour(255, 255, 245);

constexpr int kListRowHeight = 15;
constexpr int kGridRowHeight = 18;
constexpr int kSpinWidth = 40;

// The hourglass for the length of a block.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
};

QFont ArialPixels(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// One display line drawn in its five boxes: quantity, title, three amounts.
class ListLineDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect row = option.rect;
        p->save();
        p->setPen(Qt::white);
        p->setBrush(Qt::white);
        p->drawRect(QRect(0, row.top(), option.widget ? option.widget->width() : row.width(), row.height()));
        const DisplayLineFields f = ReadDisplayLine(index.data().toString());
        p->setFont(ArialPixels(11));
        p->setPen(option.palette.color(QPalette::WindowText));
        const auto box = [&](int left, int right, Qt::Alignment align, const QString &text) {
            const QRect r(row.left() + left, row.top() + 2, right - left, 20);
            p->save();
            p->setClipRect(r.intersected(row));
            p->drawText(r, int(align | Qt::AlignTop | Qt::TextSingleLine), text);
            p->restore();
        };
        box(0, 15, Qt::AlignRight, f.quantity + QLatin1Char(' '));
        box(15, 123, Qt::AlignLeft, f.title);
        box(123, 173, Qt::AlignRight, f.amounts[0]);
        box(173, 223, Qt::AlignRight, f.amounts[1]);
        box(223, 273, Qt::AlignRight, f.amounts[2]);
        p->restore();
    }
    QSize sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const override { return {800, kListRowHeight}; }
};

// The selection cell of the catalogue grid: a pale cell with the tick and the stock alarm.
class SelCellDelegate : public QStyledItemDelegate
{
public:
    SelCellDelegate(QPixmap tick, QPixmap alarm, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_tick(std::move(tick))
        , m_alarm(std::move(alarm))
    { }
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const QRect r = option.rect;
        p->fillRect(r, kSelCellColour);
        if (index.data(ItemsListModel::SelRole).toBool())
            p->drawPixmap(r.left() + 7, r.top() + 2, m_tick);
        if (index.data(ItemsListModel::AlarmRole).toBool())
            p->drawPixmap(r.left(), r.top() + 3, m_alarm);
    }

private:
    QPixmap m_tick;
    QPixmap m_alarm;
};

// Puts new lines in the model changing only the lines that differ from the ones it holds, so
// that a view redraws what changed and keeps its place (one tick adds or removes one line).
void ReplaceLines(QStringListModel &model, const QStringList &lines)
{
    const QStringList old = model.stringList();
    qsizetype head = 0;
    while (head < old.size() && head < lines.size() && old[head] == lines[head])
        ++head;
    qsizetype tail = 0;
    while (tail < old.size() - head && tail < lines.size() - head
        && old[old.size() - 1 - tail] == lines[lines.size() - 1 - tail])
        ++tail;
    const int oldMiddle = int(old.size() - head - tail);
    const int newMiddle = int(lines.size() - head - tail);
    if (oldMiddle > newMiddle)
        model.removeRows(int(head) + newMiddle, oldMiddle - newMiddle);
    else if (newMiddle > oldMiddle)
        model.insertRows(int(head) + oldMiddle, newMiddle - oldMiddle);
    for (int k = 0; k < newMiddle; ++k)
        model.setData(model.index(int(head) + k), lines[head + k]);
}

// The header picture above the list view.
QPixmap ListHeaderPicture(const QSize &size)
{
    QPixmap pm(size);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(51, 152, 255));
    g.setColorAt(1, QColor(0, 80, 210));
    p.fillRect(pm.rect(), g);
    p.setPen(Qt::white);
    p.setFont(ArialPixels(14, true));
    p.drawText(pm.rect().adjusted(8, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Ma liste de courses"));
    return pm;
}

void PaintLabel(QLabel *label, int pixels, bool bold, const QColor &ground)
{
    StyleLabel(label, pixels, bold, Qt::black);
    QPalette pal = label->palette();
    pal.setColor(QPalette::Window, ground);
    label->setPalette(pal);
    label->setAutoFillBackground(true);
}

} // namespace

TMainForm::TMainForm(
    TDataModule1 &dm, TDataModuleObject &objects, const QString &settingsPath, MainCommands commands, QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TMainForm>())
    , m_dm(dm)
    , m_objects(objects)
    , m_settingsPath(settingsPath)
    , m_commands(std::move(commands))
    , m_prompter(this)
{
    ui->setupUi(this);
    setWindowFlags(windowFlags() | Qt::Window | Qt::FramelessWindowHint);
    if (App().vistaOrLater) {
        ApplySegoeAdjustment(*this);
        QFont f = font();
        ApplySystemFont(f);
        setFont(f);
    }
    QCoreApplication::setApplicationName(App().productName);
    // The page's elements go on the notebook's leaves.
    ui->Page1->setParent(ui->TabNoteBook1->page());
    ui->Page1->move(0, 0);
    ui->Page1->show();

    setUpControls();
    setUpMenus();
    ui->Title->setText(QLatin1Char(' ') + App().productName + QLatin1Char(' ') + App().productVersion);
    WindowChrome::prepare(this, {QSize(640, 480), {QStringLiteral("Lab_Status")}});
    setAttribute(Qt::WA_OpaquePaintEvent, false);
    connectCommands();

    m_listToken = m_dm.ItemsList.subscribe([this](const DataSet::Notification &n) {
        switch (n.event) {
        case DataSet::Event::Scrolled:
        case DataSet::Event::Opened:
        case DataSet::Event::Refreshed:
        case DataSet::Event::Posted:
            ComputeLineBounds();
            refreshEdits();
            UpdateControls();
            break;
        case DataSet::Event::FieldChanged:
            ComputeLineBounds();
            break;
        case DataSet::Event::Closed:
            UpdateControls();
            break;
        default:
            break;
        }
    });

    runCommand([this] { createWindow(); });

    m_clock = new QTimer(this);
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &TMainForm::ClockTick);
    m_clock->start();
}

TMainForm::~TMainForm()
{
    m_dm.ItemsList.unsubscribe(m_listToken);
}

void TMainForm::createWindow()
{
    m_dm.CurrentListFileId = DefaultListFileId;
    EnsureListFileRows(m_dm);
    try {
        EnsureListIndexes(m_dm.ADOConnection1);
    } catch (const Error &) {
        // Only quicker reads depend on them: without them the list is read by the list query
        // itself, and the next write that fails says why.
    }
    LoadPriceLabels();
    AppSettings().firstLaunch = false;
    m_dm.ItemsList.open();
    for (QLabel *img : {ui->Img_Price01, ui->Img_Price02, ui->Img_Price03})
        img->clear();
    LoadSkin();
    ui->Lab_Status->setText(ui->Lab_Status->text().replace(QStringLiteral("2008"), QString::number(CurrentYear())));
}

void TMainForm::setUpControls()
{
    setUpChrome();
    setUpListView();
    setUpCatalogueGrid();
    setUpSpinEditors();
}

// The title bar, the side bar, the status bar and the pictures the other controls copy.
void TMainForm::setUpChrome()
{
    ui->SysMiniBtn->setPixmap(ShellPicture(QStringLiteral("minimise")));
    ui->SysMaxiBtn->setPixmap(ShellPicture(QStringLiteral("maximise")));
    ui->SysExitBtn->setPixmap(ShellPicture(QStringLiteral("close")));
    ui->Image1->setPixmap(ShellPicture(QStringLiteral("grip")));
    ui->Image1->setCursor(Qt::SizeFDiagCursor);
    QFont titleFont = ArialPixels(12, true);
    ui->Title->setFont(titleFont);

    ui->BarreLeft->setColors(QColor(51, 152, 255), QColor(0, 67, 179));
    ui->BarreLeft->setDirection(Qt::Horizontal);
    ui->StatusBar->setColors(QColor(240, 240, 240), QColor(210, 210, 210));
    StyleLabel(ui->Lab_Status, 11, false, QColor(60, 60, 60));
    ui->Btn_List->setPicture(ShellPicture(QStringLiteral("tick")));
    ui->Btn_Report->setPicture(ShellPicture(QStringLiteral("between")));
    ui->Btn_Valid->setPicture(ShellPicture(QStringLiteral("cheapest")));
    ui->DigitalTime->setText(QStringLiteral("00:00"));

    ui->Image2->setPixmap(ListHeaderPicture(ui->Image2->size()));
    ui->Frame_ListItems->setStyleSheet(
        QStringLiteral("QFrame#Frame_ListItems { border: 1px solid silver; background: white; }"));

    // Pictures the grid and the markers copy.
    ui->Img_Check->setPixmap(ShellPicture(QStringLiteral("tick")));
    ui->Img_Alarm->setPixmap(ShellPicture(QStringLiteral("alarm")));
    ui->Img_moins->setPixmap(ShellPicture(QStringLiteral("cheapest")));
    ui->Img_egal->setPixmap(ShellPicture(QStringLiteral("between")));
    ui->Img_plus->setPixmap(ShellPicture(QStringLiteral("dearest")));

    for (QLabel *l : {ui->Lab_CustomPrice01, ui->Lab_CustomPrice02, ui->Lab_CustomPrice03})
        PaintLabel(l, 11, false, QColor(225, 225, 225));
    for (QLabel *l : {ui->Lab_Price01, ui->Lab_Price02, ui->Lab_Price03})
        PaintLabel(l, 13, true, QColor(216, 216, 216));
    for (QLabel *l : {ui->Lab_Info_Price01, ui->Lab_Info_Price02, ui->Lab_Info_Price03})
        PaintLabel(l, 9, false, Qt::white);
}

// The list view: one owner-drawn line per display line.
void TMainForm::setUpListView()
{
    auto *lines = new QStringListModel(this);
    ui->Grid_ListItems->setModel(lines);
    ui->Grid_ListItems->setItemDelegate(new ListLineDelegate(ui->Grid_ListItems));
    ui->Grid_ListItems->setUniformItemSizes(true);
    ui->Grid_ListItems->setFont(ArialPixels(11));
    ui->Grid_ListItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->Grid_ListItems->setSelectionMode(QAbstractItemView::NoSelection);
    ui->Grid_ListItems->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ui->Grid_ListItems->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

// The catalogue grid over ItemsList.
void TMainForm::setUpCatalogueGrid()
{
    m_model = new ItemsListModel(m_dm.ItemsList, this);
    QTableView *grid = ui->Grid_ItemsList;
    grid->setModel(m_model);
    grid->setItemDelegateForColumn(
        ItemsListModel::SelColumn, new SelCellDelegate(ui->Img_Check->pixmap(), ui->Img_Alarm->pixmap(), grid));
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setAlternatingRowColors(true);
    grid->setShowGrid(true);
    grid->setWordWrap(false);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setFixedHeight(kGridRowHeight + 2);
    grid->setColumnWidth(ItemsListModel::SelColumn, 24);
    grid->setColumnWidth(ItemsListModel::TitleColumn, 168);
    grid->setColumnWidth(ItemsListModel::StockColumn, 40);
    grid->setColumnWidth(ItemsListModel::QuantityColumn, 40);
    grid->setFont(ArialPixels(11));
    QPalette pal = grid->palette();
    // Rows take their colour by their place on the screen, the title row counted: the first
    // row shown has place 1 and takes the second colour (the scroll keeps it so, below).
    pal.setColor(QPalette::Base, kAlternateRowColour);
    pal.setColor(QPalette::AlternateBase, kRowColour);
    pal.setColor(QPalette::Highlight, kSelectionColour);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, kSelectionColour);
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::white);
    grid->setPalette(pal);
    grid->setStyleSheet(
        QStringLiteral("QTableView#Grid_ItemsList { border: 1px solid silver; gridline-color: rgb(200,210,225); }"
                       "QHeaderView::section { background: rgb(243,243,243); font-weight: bold; border: 0px;"
                       " border-right: 1px solid silver; border-bottom: 1px solid silver; padding-left: 2px; }"));
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->installEventFilter(this);

    // The hint over an empty catalogue, until the first product.
    auto *hint = new QLabel(ui->Page1);
    hint->setObjectName(QStringLiteral("Lab_EmptyCatalogue"));
    hint->setText(
        QStringLiteral("Le catalogue est vide.\n\nAjoutez vos produits avec le bouton «\u00a0Produits\u00a0», "
                       "à gauche,\nou reprenez ceux d'un tableur par Fichier › Importer un catalogue…"));
    hint->setWordWrap(true);
    hint->setAlignment(Qt::AlignCenter);
    hint->setMargin(12);
    hint->setFont(ArialPixels(13));
    hint->setStyleSheet(
        QStringLiteral("QLabel#Lab_EmptyCatalogue { color: rgb(40,60,110); background: rgb(244,250,255);"
                       " border: 1px solid silver; }"));
    hint->setGeometry(grid->geometry().adjusted(20, 60, -20, -220));
    hint->hide();
}

// The spin editors floating over the current row.
void TMainForm::setUpSpinEditors()
{
    struct Spin {
        QFrame *panel;
        QLineEdit *edit;
        QToolButton *up;
        QToolButton *down;
    };
    for (const Spin &s : {Spin{ui->Spin_Stock, ui->Ed_Stock, ui->Spin_Stock_Up, ui->Spin_Stock_Down},
             Spin{ui->Spin_Quantity, ui->Ed_Quantity, ui->Spin_Quantity_Up, ui->Spin_Quantity_Down}}) {
        s.panel->setAutoFillBackground(true);
        QPalette sp = s.panel->palette();
        sp.setColor(QPalette::Window, kSpinColour);
        s.panel->setPalette(sp);
        s.panel->setFrameShape(QFrame::NoFrame);
        s.edit->setMaxLength(2);
        s.edit->setFrame(false);
        s.edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        s.edit->setFont(ArialPixels(11, true));
        s.edit->setStyleSheet(QStringLiteral("QLineEdit { color: white; background: rgb(49,106,197); border: 0px; }"));
        s.edit->installEventFilter(this);
        s.up->setIcon(ShellPicture(QStringLiteral("spin_up")));
        s.down->setIcon(ShellPicture(QStringLiteral("spin_down")));
        for (QToolButton *b : {s.up, s.down}) {
            b->setIconSize(QSize(14, 9));
            b->setAutoRaise(true);
            b->setStyleSheet(QStringLiteral("QToolButton { border: 0px; padding: 0px; background: rgb(49,106,197); }"));
        }
    }
}

void TMainForm::setUpMenus()
{
    m_reportMenu = new TPopupMenuMod(this);
    m_reportMenu->setObjectName(QStringLiteral("Popup_Report"));
    for (int n = 1; n <= 3; ++n) {
        QAction *a = m_reportMenu->addAction(QStringLiteral("Liste (Prix n°%1)").arg(n));
        a->setObjectName(QStringLiteral("Popup_Report_ListPrice%1").arg(n));
        a->setEnabled(bool(m_commands.printList));
        connect(a, &QAction::triggered, this, [this, n] { runCommand([this, n] { m_commands.printList(this, n); }); });
    }
    // The fourth entry: the list split so that each product is bought where it is cheapest.
    QAction *byShop = m_reportMenu->addAction(QStringLiteral("Répartir par magasin"));
    byShop->setObjectName(QStringLiteral("Popup_Report_ByShop"));
    byShop->setEnabled(bool(m_commands.printByShop));
    connect(byShop, &QAction::triggered, this, [this] { runCommand([this] { m_commands.printByShop(this); }); });

    m_itemsListMenu = new TPopupMenuMod(this);
    m_itemsListMenu->setObjectName(QStringLiteral("Popup_ItemsList"));
    m_selectAction = m_itemsListMenu->addAction(QStringLiteral("&Sélection"));
    m_selectAction->setObjectName(QStringLiteral("Popup_ItemsList_Select"));
    m_itemsListMenu->addSeparator();
    QAction *all = m_itemsListMenu->addAction(QStringLiteral("&Sélectionner tout"));
    all->setObjectName(QStringLiteral("Popup_ItemsList_SelectAll"));
    QAction *none = m_itemsListMenu->addAction(QStringLiteral("&Désélectionner tout"));
    none->setObjectName(QStringLiteral("Popup_ItemsList_UnSelectAll"));
    connect(
        m_selectAction, &QAction::triggered, this, [this] { runCommand([this] { Popup_ItemsList_SelectClick(); }); });
    connect(all, &QAction::triggered, this, [this] { runCommand([this] { SelectAll(true); }); });
    connect(none, &QAction::triggered, this, [this] { runCommand([this] { SelectAll(false); }); });
    // The toggle entry names what it will do to the current row.
    connect(m_itemsListMenu, &QMenu::aboutToShow, this, [this] {
        const bool ticked = hasCurrentRow() && m_dm.ItemsList.field(QStringLiteral("Sel")).asBool();
        m_selectAction->setText(ticked ? QStringLiteral("&Désélection") : QStringLiteral("&Sélection"));
    });

    // The products below their minimum stock, ticked in one command.
    QAction *refill = new QAction(QStringLiteral("Cocher les produits à réapprovisionner"), ui->Menu_Tools);
    refill->setObjectName(QStringLiteral("Popup_Tools_TickLowStock"));
    ui->Menu_Tools->insertAction(ui->Menu_Tools->actions().value(0), refill);
    ui->Menu_Tools->insertSeparator(ui->Menu_Tools->actions().value(1));
    connect(refill, &QAction::triggered, this, [this] { runCommand([this] { Popup_Tools_TickLowStockClick(); }); });

    // The catalogue in and out of a spreadsheet file, before the separator of "Quitter".
    QAction *exportCatalogue = new QAction(QStringLiteral("Exporter le catalogue…"), ui->Menu_File);
    exportCatalogue->setObjectName(QStringLiteral("Popup_File_ExportCatalogue"));
    QAction *importCatalogue = new QAction(QStringLiteral("Importer un catalogue…"), ui->Menu_File);
    importCatalogue->setObjectName(QStringLiteral("Popup_File_ImportCatalogue"));
    const QList<QAction *> fileEntries = ui->Menu_File->actions();
    QAction *beforeExit = fileEntries.value(fileEntries.indexOf(ui->Popup_File_Exit) - 1);
    ui->Menu_File->insertActions(beforeExit, {exportCatalogue, importCatalogue});
    exportCatalogue->setEnabled(bool(m_commands.exportCatalogue));
    importCatalogue->setEnabled(bool(m_commands.importCatalogue));
    connect(exportCatalogue, &QAction::triggered, this, [this] {
        runCommand([this] {
            PostIfEditing(m_dm.ItemsList);
            m_commands.exportCatalogue(this);
        });
    });
    connect(importCatalogue, &QAction::triggered, this, [this] { runCommand([this] { ImportCatalogueClick(); }); });

    // Commands whose windows are not plugged in stay disabled.
    ui->Btn_List->setEnabled(bool(m_commands.catalogueEditor));
    ui->Proprits1->setEnabled(bool(m_commands.properties));
    ui->Paramtragedelaliste1->setEnabled(bool(m_commands.layoutPreview));
    ui->Popup_Tools_DataBase_Backup->setEnabled(bool(m_commands.backup));
    ui->Popup_Tools_DataBase_restore->setEnabled(bool(m_commands.restore));
    ui->Popup_Tools_DataBase_History->setEnabled(bool(m_commands.history));
    ui->Popup_Tools_DataBase_Compact->setEnabled(bool(m_commands.compact));
}

void TMainForm::connectCommands()
{
    connectCatalogueGrid();
    connectSpinEditors();
    connectButtons();
    connectMenuCommands();
}

// The grid's double click and context menu; its current row follows the dataset's.
void TMainForm::connectCatalogueGrid()
{
    QTableView *grid = ui->Grid_ItemsList;
    connect(
        grid, &QAbstractItemView::doubleClicked, this, [this] { runCommand([this] { Grid_ItemsListDblClick(); }); });
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint &at) {
        const QModelIndex index = grid->indexAt(at);
        if (index.isValid())
            grid->setCurrentIndex(index);
        m_itemsListMenu->popup(grid->viewport()->mapToGlobal(at));
    });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (m_syncing || !current.isValid() || !m_dm.ItemsList.isActive())
            return;
        if (current.row() != m_dm.ItemsList.currentIndex())
            runCommand([this, row = current.row()] { m_dm.ItemsList.moveTo(row); });
        placeSpinEditors();
    });
    connect(m_model, &ItemsListModel::currentRowChanged, this, &TMainForm::showCurrentRow);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] { showCurrentRow(m_dm.ItemsList.currentIndex()); });
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &TMainForm::placeSpinEditors);
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [grid](int topRow) {
        QPalette rows = grid->palette();
        rows.setColor(QPalette::Base, topRow % 2 == 0 ? kAlternateRowColour : kRowColour);
        rows.setColor(QPalette::AlternateBase, topRow % 2 == 0 ? kRowColour : kAlternateRowColour);
        grid->setPalette(rows);
        grid->viewport()->setPalette(rows); // the viewport fills its own background
        grid->viewport()->update();
    });
}

void TMainForm::connectSpinEditors()
{
    const auto spin = [this](QToolButton *b, bool stock, int delta) {
        connect(b, &QToolButton::clicked, this,
            [this, stock, delta] { runCommand([=, this] { SpinStep(stock, delta); }); });
    };
    spin(ui->Spin_Stock_Up, true, 1);
    spin(ui->Spin_Stock_Down, true, -1);
    spin(ui->Spin_Quantity_Up, false, 1);
    spin(ui->Spin_Quantity_Down, false, -1);
    for (QLineEdit *e : {ui->Ed_Stock, ui->Ed_Quantity}) {
        connect(e, &QLineEdit::textEdited, this, [this] {
            if (hasCurrentRow())
                runCommand([this] { EditIfNeeded(m_dm.ItemsList); });
        });
        connect(e, &QLineEdit::returnPressed, this, [this] { runCommand([this] { Ed_QuantityExit(); }); });
    }
    connect(ui->Ed_Quantity, &QLineEdit::returnPressed, this, [this] {
        if (!ui->Ed_Quantity->isModified())
            ui->Grid_ItemsList->setFocus();
    });
}

void TMainForm::connectButtons()
{
    connect(ui->Btn_Valid, &QAbstractButton::clicked, this, [this] { runCommand([this] { Btn_ValidClick(); }); });
    connect(ui->Btn_Report, &QAbstractButton::clicked, this,
        [this] { m_reportMenu->popup(PopupReportPosition(ui->Btn_Report)); });
    connect(ui->Btn_List, &QAbstractButton::clicked, this, [this] {
        if (!m_commands.catalogueEditor)
            return;
        runCommand([this] {
            m_commands.catalogueEditor(this);
            m_dm.ItemsList.disableControls();
            struct Enable {
                DataSet &ds;
                ~Enable() { ds.enableControls(); }
            } enable{m_dm.ItemsList};
            m_dm.ItemsList.close();
            m_dm.ItemsList.open();
        });
        runCommand([this] { BuildListView(); });
    });
}

// Menu entries; a command that changes the database rebuilds the list afterwards.
void TMainForm::connectMenuCommands()
{
    connect(ui->Proprits1, &QAction::triggered, this, [this] {
        if (!m_commands.properties)
            return;
        runCommand([this] {
            DataSet &labels = m_dm.CustomLabel;
            labels.open();
            bool accepted = false;
            try {
                labels.edit();
                accepted = m_commands.properties(this);
                if (accepted)
                    labels.post();
                else
                    labels.cancel();
            } catch (...) {
                labels.close();
                throw;
            }
            labels.close();
            if (accepted)
                LoadSkin();
        });
        runCommand([this] { LoadPriceLabels(); });
    });
    const auto modal = [this](QAction *a, const std::function<void(QWidget *)> &command, bool rebuild) {
        connect(a, &QAction::triggered, this, [this, command, rebuild] {
            if (!command)
                return;
            runCommand([this, command] { command(this); });
            if (rebuild)
                runCommand([this] {
                    if (!m_dm.ItemsList.isActive() && m_dm.ADOConnection1.isOpen())
                        m_dm.ItemsList.open();
                    BuildListView();
                });
        });
    };
    modal(ui->Paramtragedelaliste1, m_commands.layoutPreview, false);
    modal(ui->Popup_Tools_DataBase_Backup, m_commands.backup, true);
    modal(ui->Popup_Tools_DataBase_restore, m_commands.restore, true);
    modal(ui->Popup_Tools_DataBase_History, m_commands.history, false);
    modal(ui->Popup_Tools_DataBase_Compact, m_commands.compact, true);
    connect(ui->Popup_File_Exit, &QAction::triggered, this, &QWidget::close);
    connect(
        ui->Popup_Help_Doc, &QAction::triggered, this, [this] { runCommand([this] { ShowHelpFile(m_prompter); }); });
    connect(ui->Popup_Help_Web, &QAction::triggered, this, [this] { runCommand([this] { OpenWebSite(m_prompter); }); });
    connect(
        ui->Popup_Help_About, &QAction::triggered, this, [this] { runCommand([this] { Popup_Help_AboutClick(); }); });
}

void TMainForm::runCommand(const std::function<void()> &command)
{
    try {
        command();
        return;
    } catch (const Error &e) {
        m_prompter.error(e.message());
    } catch (const std::exception &e) {
        m_prompter.error(UnexpectedErrorText(e));
    }
    showDatabaseAsItIs();
}

void TMainForm::showDatabaseAsItIs()
{
    // After a failed command the edit that was refused is given up: the grid, the spin
    // editors, the list and its totals show what the database holds, on the same product.
    if (m_closed || m_resyncing)
        return;
    m_resyncing = true;
    const struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_resyncing};
    DataSet &ds = m_dm.ItemsList;
    for (QLineEdit *e : {ui->Ed_Stock, ui->Ed_Quantity})
        e->setModified(false);
    if (!m_dm.ADOConnection1.isOpen())
        return;
    try {
        ds.cancel();
        RefreshKeepingId(ds);
        BuildListView();
    } catch (const Error &) {
        // The database cannot be read again now (the failure was just reported): the grid
        // and the list are left empty rather than showing rows of before.
    }
}

bool TMainForm::hasCurrentRow() const
{
    const DataSet &ds = m_dm.ItemsList;
    return ds.isActive() && !IsDataSetEmpty(ds) && ds.currentIndex() >= 0;
}

void TMainForm::UpdateControls()
{
    ui->Grid_ItemsList->setEnabled(m_dm.ItemsList.isActive() && !IsDataSetEmpty(m_dm.ItemsList));
    if (auto *hint = ui->Page1->findChild<QLabel *>(QStringLiteral("Lab_EmptyCatalogue"))) {
        hint->setVisible(m_dm.ItemsList.isActive() && IsDataSetEmpty(m_dm.ItemsList));
        hint->raise();
    }
    const bool lines = !m_listLines.isEmpty();
    ui->Btn_Report->setEnabled(lines);
    ui->Btn_Valid->setEnabled(lines);
    if (!hasCurrentRow()) {
        ui->Spin_Stock->hide();
        ui->Spin_Quantity->hide();
    }
}

void TMainForm::LoadPriceLabels()
{
    const std::array<QString, 3> labels = ReadPriceLabels(m_dm);
    QLabel *captions[] = {ui->Lab_CustomPrice01, ui->Lab_CustomPrice02, ui->Lab_CustomPrice03};
    const QList<QAction *> entries = m_reportMenu->actions();
    for (int n = 0; n < 3; ++n) {
        const QString &label = labels[size_t(n)];
        m_dm.Items.display(QStringLiteral("Price%1").arg(n + 1, 2, 10, QLatin1Char('0'))).label = label;
        captions[n]->setText(label);
        entries.at(n)->setText(QStringLiteral("Liste (") + label + QLatin1Char(')'));
    }
}

void TMainForm::LoadSkin()
{
    // A default picture that cannot be read stops here, before the store is touched.
    ui->TabNoteBook1->setBackground(
        QPixmap::fromImage(ReadSkinTexture(m_objects, m_dm.CurrentListFileId, SkinTexture::Background)));
    ui->TabNoteBook1->setCover(
        QPixmap::fromImage(ReadSkinTexture(m_objects, m_dm.CurrentListFileId, SkinTexture::Cover)));
    ui->TabNoteBook1->redraw();
    ui->TabNoteBook1->show();
}

void TMainForm::BuildListView()
{
    {
        WaitCursor wait;
        try {
            m_listRead = false;
            m_listRows = ReadListQuery(m_dm);
            m_listRead = true;
        } catch (...) {
            // Nothing shown that the database may no longer hold.
            m_listRows.clear();
            m_listLines.clear();
            m_display = ListDisplay{};
            static_cast<QStringListModel *>(ui->Grid_ListItems->model())->setStringList({});
            throw;
        }
    }
    ShowList();
}

void TMainForm::UpdateListRow()
{
    DataSet &ds = m_dm.ItemsList;
    if (!m_listRead || !hasCurrentRow() || ds.state() != DataSetState::Browse) {
        BuildListView();
        return;
    }
    ListQueryRow row;
    row.id = ds.field(QStringLiteral("Id")).asInteger();
    row.sel = ds.field(QStringLiteral("Sel")).asBool();
    row.quantity = ds.field(QStringLiteral("Quantity")).value();
    row.title = ds.field(QStringLiteral("Title")).asString();
    row.mark = ds.field(QStringLiteral("Mark")).asString();
    for (int n = 0; n < 3; ++n)
        row.prices[size_t(n)] = ds.field(QStringLiteral("Price0%1").arg(n + 1)).value();
    if (!ApplyRowChange(m_listRows, row)) {
        BuildListView();
        return;
    }
    ShowList();
}

void TMainForm::ShowList()
{
    auto *lines = static_cast<QStringListModel *>(ui->Grid_ListItems->model());
    m_display = BuildListDisplay(m_listRows, m_dm.currencySymbol(), &m_lineCache);
    m_listLines = m_display.lines;
    ReplaceLines(*lines, m_listLines);
    if (!m_listLines.isEmpty())
        ui->Grid_ListItems->setCurrentIndex(lines->index(0));
    QLabel *totals[] = {ui->Lab_Price01, ui->Lab_Price02, ui->Lab_Price03};
    QLabel *pictures[] = {ui->Img_Price01, ui->Img_Price02, ui->Img_Price03};
    QLabel *words[] = {ui->Lab_Info_Price01, ui->Lab_Info_Price02, ui->Lab_Info_Price03};
    for (size_t n = 0; n < 3; ++n) {
        totals[n]->setText(MoneyText(m_display.totals[n], m_dm.currencySymbol()));
        const PriceMarker marker = m_display.markers[n];
        QLabel *source = marker == PriceMarker::Cheapest ? ui->Img_moins
            : marker == PriceMarker::InBetween           ? ui->Img_egal
            : marker == PriceMarker::Dearest             ? ui->Img_plus
                                                         : nullptr;
        if (source)
            pictures[n]->setPixmap(source->pixmap());
        else
            pictures[n]->clear();
        words[n]->setText(MarkerWord(marker));
    }
    UpdateControls();
}

void TMainForm::ComputeLineBounds()
{
    if (!hasCurrentRow())
        return;
    DataSet &ds = m_dm.ItemsList;
    m_bounds = vivrelo::ComputeLineBounds(ds.field(QStringLiteral("Sel")).asBool(),
        int(ds.field(QStringLiteral("Stock")).asInteger()), int(ds.field(QStringLiteral("Stock_Max")).asInteger()));
}

void TMainForm::ApplyLineBounds()
{
    if (!hasCurrentRow())
        return;
    DataSet &ds = m_dm.ItemsList;
    const int stock = int(ds.field(QStringLiteral("Stock")).asInteger());
    const int quantity = int(ds.field(QStringLiteral("Quantity")).asInteger());
    const StockAndQuantity bounded = vivrelo::ApplyLineBounds(stock, quantity, m_bounds);
    if (bounded.stock != stock || bounded.quantity != quantity) {
        EditIfNeeded(ds);
        if (bounded.stock != stock)
            ds.field(QStringLiteral("Stock")).setValue(bounded.stock);
        if (bounded.quantity != quantity)
            ds.field(QStringLiteral("Quantity")).setValue(bounded.quantity);
    }
    PostIfEditing(ds);
    UpdateListRow();
}

void TMainForm::Grid_ItemsListDblClick()
{
    if (!hasCurrentRow())
        return;
    DataSet &ds = m_dm.ItemsList;
    EditIfNeeded(ds);
    const bool sel = !ds.field(QStringLiteral("Sel")).asBool();
    ds.field(QStringLiteral("Sel")).setValue(sel);
    if (sel && ds.field(QStringLiteral("Quantity")).asInteger() == 0)
        ds.field(QStringLiteral("Quantity")).setValue(1);
    PostIfEditing(ds);
    UpdateListRow();
}

void TMainForm::Popup_ItemsList_SelectClick()
{
    if (!hasCurrentRow())
        return;
    DataSet &ds = m_dm.ItemsList;
    EditIfNeeded(ds);
    ds.field(QStringLiteral("Sel")).setValue(!ds.field(QStringLiteral("Sel")).asBool());
    PostIfEditing(ds);
    UpdateListRow();
}

void TMainForm::SelectAll(bool selected)
{
    PostIfEditing(m_dm.ItemsList);
    SetAllSelected(m_dm, selected);
    RefreshKeepingId(m_dm.ItemsList);
    BuildListView();
}

void TMainForm::Popup_Tools_TickLowStockClick()
{
    PostIfEditing(m_dm.ItemsList);
    int ticked = 0;
    {
        WaitCursor wait;
        ticked = TickLowStock(m_dm);
    }
    RefreshKeepingId(m_dm.ItemsList);
    BuildListView();
    m_prompter.inform(TickLowStockMessage(ticked));
}

void TMainForm::ImportCatalogueClick()
{
    PostIfEditing(m_dm.ItemsList);
    if (!m_commands.importCatalogue(this))
        return;
    // The catalogue is read again, as after the catalogue editor.
    m_dm.ItemsList.disableControls();
    {
        const struct Enable {
            DataSet &ds;
            ~Enable() { ds.enableControls(); }
        } enable{m_dm.ItemsList};
        m_dm.ItemsList.close();
        m_dm.ItemsList.open();
    }
    BuildListView();
}

void TMainForm::SpinStep(bool stock, int delta)
{
    if (!hasCurrentRow())
        return;
    if (!takePendingEdits())
        return;
    ComputeLineBounds();
    DataSet &ds = m_dm.ItemsList;
    EditIfNeeded(ds);
    const Field f = ds.field(stock ? QStringLiteral("Stock") : QStringLiteral("Quantity"));
    f.setValue(f.asInteger() + delta);
    ApplyLineBounds();
}

bool TMainForm::takePendingEdits()
{
    // A value typed in one of the edits counts first; a refused one stops the command.
    for (bool stock : {true, false})
        if ((stock ? ui->Ed_Stock : ui->Ed_Quantity)->isModified() && !takeEditText(stock))
            return false;
    return true;
}

bool TMainForm::takeEditText(bool stock)
{
    // The message box takes the focus from the edit: that leave must not check it again.
    if (m_checkingEdit)
        return false;
    m_checkingEdit = true;
    const struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_checkingEdit};
    QLineEdit *edit = stock ? ui->Ed_Stock : ui->Ed_Quantity;
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok, 10);
    if (!ok) {
        // The row stays in edit with the text as typed, for the user to correct it.
        EditIfNeeded(m_dm.ItemsList);
        edit->setFocus();
        edit->selectAll();
        m_prompter.error(QStringLiteral("« %1 » n'est pas un nombre entier valide.").arg(edit->text()));
        return false;
    }
    edit->setModified(false);
    const Field f = m_dm.ItemsList.field(stock ? QStringLiteral("Stock") : QStringLiteral("Quantity"));
    if (f.isNull() || f.asInteger() != value) {
        EditIfNeeded(m_dm.ItemsList);
        f.setValue(value);
    }
    return true;
}

void TMainForm::Ed_QuantityExit()
{
    if (!hasCurrentRow())
        return;
    if (!takePendingEdits())
        return;
    ComputeLineBounds();
    ApplyLineBounds();
}

void TMainForm::Btn_ValidClick()
{
    // A value still in one of the edits is bounded and posted first; a refused one stops here.
    if (ui->Ed_Stock->isModified() || ui->Ed_Quantity->isModified()) {
        Ed_QuantityExit();
        if (ui->Ed_Stock->isModified() || ui->Ed_Quantity->isModified())
            return;
    }
    if (!m_prompter.confirm(QStringLiteral(
            "En validant cette liste, les sélections seront annulées et les stocks seront mis-à-jour ?")))
        return;
    PostIfEditing(m_dm.ItemsList);
    {
        WaitCursor wait;
        TNewGauge gauge(this);
        ValidateList(m_dm, gauge);
    }
    RefreshKeepingId(m_dm.ItemsList);
    BuildListView();
}

void TMainForm::Popup_Help_AboutClick()
{
    static QPointer<TAbout> open;
    if (open)
        return;
    TAbout about(DbConfig().dataSourceName, this);
    open = &about;
    about.exec();
}

void TMainForm::ClockTick()
{
    QString text = LongTime(QTime::currentTime()).left(5);
    if (!m_clockToggle && text.size() >= 3)
        text[2] = QLatin1Char(' ');
    ui->DigitalTime->setText(text);
    m_clockToggle = !m_clockToggle;
    // Past midnight the calendar turns its page.
    const QDate today = CurrentDateTime().date();
    if (ui->MiniCalendar->date() != today)
        ui->MiniCalendar->setDate(today);
}

void TMainForm::showCurrentRow(int row)
{
    QTableView *grid = ui->Grid_ItemsList;
    m_syncing = true;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row, ItemsListModel::TitleColumn);
        if (grid->currentIndex().row() != row)
            grid->setCurrentIndex(index);
        grid->selectRow(row);
    }
    m_syncing = false;
    placeSpinEditors();
}

void TMainForm::refreshEdits()
{
    const bool row = hasCurrentRow();
    for (bool stock : {true, false}) {
        QLineEdit *edit = stock ? ui->Ed_Stock : ui->Ed_Quantity;
        const QString value = row
            ? m_dm.ItemsList.field(stock ? QStringLiteral("Stock") : QStringLiteral("Quantity")).asString()
            : QString();
        // Two characters are typed at most, but a stored value is shown whole: a stock of 120
        // never reads 12.
        edit->setMaxLength(qMax(2, int(value.size())));
        edit->setText(value);
        edit->setModified(false);
    }
}

void TMainForm::placeSpinEditors()
{
    QTableView *grid = ui->Grid_ItemsList;
    const int row = m_dm.ItemsList.isActive() ? m_dm.ItemsList.currentIndex() : -1;
    const QRect cell = row >= 0 && row < m_model->rowCount() ? grid->visualRect(m_model->index(row, 0)) : QRect();
    const bool visible =
        hasCurrentRow() && cell.isValid() && cell.top() >= 0 && cell.bottom() <= grid->viewport()->height();
    const int top = grid->y() + grid->viewport()->y() + cell.top();
    struct Spin {
        QFrame *panel;
        QLineEdit *edit;
        QToolButton *up;
        QToolButton *down;
        int offset;
    };
    for (const Spin &s : {Spin{ui->Spin_Stock, ui->Ed_Stock, ui->Spin_Stock_Up, ui->Spin_Stock_Down, 98},
             Spin{ui->Spin_Quantity, ui->Ed_Quantity, ui->Spin_Quantity_Up, ui->Spin_Quantity_Down, 58}}) {
        if (!visible) {
            s.panel->hide();
            continue;
        }
        s.panel->setGeometry(grid->x() + grid->width() - s.offset, top, kSpinWidth, cell.height());
        const int buttonLeft = kSpinWidth - s.down->width() + 1;
        s.down->move(buttonLeft, s.panel->height() - s.down->height());
        s.up->move(buttonLeft, 0);
        s.edit->setGeometry(0, 0, buttonLeft, s.panel->height());
        s.panel->show();
        s.panel->raise();
    }
}

bool TMainForm::gridKeyPress(const QKeyEvent &key)
{
    const QString text = key.text();
    if (key.key() == Qt::Key_Space && !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        runCommand([this] { Grid_ItemsListDblClick(); });
        return true;
    }
    if (key.key() == Qt::Key_Plus || text == QLatin1String("+")) {
        runCommand([this] { SpinStep(false, 1); });
        return true;
    }
    if (key.key() == Qt::Key_Minus || text == QLatin1String("-") || text == QStringLiteral("\u2212")) {
        runCommand([this] { SpinStep(false, -1); });
        return true;
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        // The quantity edit of the current row takes the keys; Enter there posts and comes back.
        if (hasCurrentRow()) {
            placeSpinEditors();
            ui->Ed_Quantity->setFocus();
            ui->Ed_Quantity->selectAll();
        }
        return true;
    }
    const QString prefix = m_typeAhead.add(key);
    if (prefix.isEmpty())
        return false;
    runCommand([this, &prefix] {
        const int row = FindRowByPrefix(m_dm.ItemsList, QStringLiteral("Title"), prefix, true);
        if (row >= 0)
            m_dm.ItemsList.moveTo(row);
    });
    return true;
}

bool TMainForm::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Grid_ItemsList && event->type() == QEvent::KeyPress
        && gridKeyPress(*static_cast<QKeyEvent *>(event)))
        return true;
    // Leaving an edit for another control bounds the line, also when nothing was typed: a
    // stored quantity above its maximum is brought back. Another window taking the focus (a
    // message box, a menu) is not a leave.
    if ((watched == ui->Ed_Stock || watched == ui->Ed_Quantity) && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_checkingEdit)
            runCommand([this] { Ed_QuantityExit(); });
    }
    return QWidget::eventFilter(watched, event);
}

void TMainForm::restorePlacement()
{
    const Settings &s = AppSettings();
    const SavedPlacement saved{s.left, s.top, s.width, s.height, s.state == QLatin1String("wsMaximized")};
    setGeometry(RestoredPlacement(saved, DesktopWorkArea(this), minimumSize()));
    if (saved.maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::savePlacement()
{
    Settings &s = AppSettings();
    const Qt::WindowStates state = windowState();
    if (!(state & Qt::WindowMaximized)) {
        const QRect r = geometry();
        s.left = r.x();
        s.top = r.y();
        s.width = r.width();
        s.height = r.height();
    }
    s.state = state & Qt::WindowMaximized ? QStringLiteral("wsMaximized")
        : state & Qt::WindowMinimized     ? QStringLiteral("wsMinimized")
                                          : QStringLiteral("wsNormal");
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    const int w = width();
    const int h = height();
    const int titleHeight = ui->TitleBar->isHidden() ? 0 : ui->TitleBar->height();
    ui->TitleBar->setGeometry(0, 0, w, ui->TitleBar->height());
    ui->Title->setGeometry(0, 0, w - 56, ui->TitleBar->height());
    ui->SysMiniBtn->move(w - 54, 1);
    ui->SysMaxiBtn->move(w - 36, 1);
    ui->SysExitBtn->move(w - 18, 1);
    ui->MenuBar->setGeometry(0, titleHeight, w, 21);
    const int top = titleHeight + 21;
    const int statusHeight = ui->StatusBar->height();
    ui->BarreLeft->setGeometry(0, top, ui->BarreLeft->width(), h - top - statusHeight);
    ui->TabNoteBook1->setGeometry(ui->BarreLeft->width(), top, w - ui->BarreLeft->width(), h - top - statusHeight);
    ui->StatusBar->setGeometry(0, h - statusHeight, w, statusHeight);
    ui->Image1->move(w - 13, 2);
    ui->Lab_Status->resize(qMax(0, w - 30), statusHeight);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    restorePlacement();
    runCommand([this] { BuildListView(); });
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!m_closed) {
        // A value typed in a spin editor counts as if the editor had been left (the close
        // picture of the title bar does not take the focus from it); a refused value keeps
        // the window open for the user to correct it.
        bool taken = true;
        runCommand([this, &taken] { taken = !hasCurrentRow() || takePendingEdits(); });
        if (!taken) {
            event->ignore();
            return;
        }
        m_closed = true;
        m_clock->stop();
        runCommand([this] {
            ComputeLineBounds();
            ApplyLineBounds();
        });
        savePlacement();
        runCommand([this] {
            PostIfEditing(m_dm.ItemsList);
            m_dm.ItemsList.close();
        });
        m_listLines.clear();
        if (!m_settingsPath.isEmpty()) {
            const QString failure = SaveSettings(m_settingsPath);
            if (!failure.isEmpty())
                m_prompter.error(failure);
        }
    }
    event->accept();
}

} // namespace vivrelo
