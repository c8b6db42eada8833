#include "lists/gui/TEnterItems.h"

#include "app/Environment.h"
#include "base/Error.h"
#include "base/LangText.h"
#include "db/DataSetRoutines.h"
#include "lists/CatalogueEditing.h"
#include "lists/DataModule.h"
#include "lists/ListFile.h"
#include "lists/gui/DataSetGrid.h"
#include "ui/DialogBody.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"

#include "ui_TEnterItems.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

namespace vivrelo {

namespace {

enum class Glyph { Add, Delete, Printer };

// The small pictures of the bottom bar's buttons.
QIcon GlyphIcon(Glyph glyph)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case Glyph::Add:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 150, 60));
        p.drawRoundedRect(QRectF(6.5, 2, 3, 12), 1, 1);
        p.drawRoundedRect(QRectF(2, 6.5, 12, 3), 1, 1);
        break;
    case Glyph::Delete:
        p.setPen(QPen(QColor(200, 40, 40), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case Glyph::Printer:
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(120, 120, 130));
        p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 10.5, 7, 4));
        break;
    }
    p.end();
    QIcon icon(pm);
    return icon;
}

} // namespace

QString InstabilityMessage()
{
    return QStringLiteral("INSTABILITE DETECTEE !!\r\rL'exécutable de ce logiciel ne semble pas être compatible. "
                          "Installer une mise à jour peut résoudre ce problème.\rTéléchargez et installez la mise "
                          "à jour gratuite de ce logiciel sur le site ")
        + GetLangText(lang::WebSite) + QStringLiteral(" (rubrique : MISES A JOUR)");
}

TEnterItems::TEnterItems(TDataModule1 &dm, Prompter *prompter, ProductReport report, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TEnterItems>())
    , m_dm(dm)
    , m_ownPrompter(prompter ? nullptr : std::make_unique<MessageBoxPrompter>(this))
    , m_prompter(prompter ? *prompter : *m_ownPrompter)
    , m_report(std::move(report))
{
    ui->setupUi(this);
    DressDialogBody(this);
    ui->Image1->setPixmap(ShellPicture(QStringLiteral("grip")));
    ui->Btn_Add->setIcon(GlyphIcon(Glyph::Add));
    ui->Btn_Delete->setIcon(GlyphIcon(Glyph::Delete));
    ui->Btn_Printer->setIcon(GlyphIcon(Glyph::Printer));
    ui->Btn_Printer->setEnabled(false);
    ChromeOptions chrome;
    chrome.minimumSize = QSize(400, 200);
    WindowChrome::prepare(this, chrome);

    const std::array<QString, 3> labels = ReadPriceLabels(m_dm);
    for (int n = 0; n < 3; ++n)
        if (!labels[size_t(n)].isEmpty())
            m_dm.Items.display(QStringLiteral("Price%1").arg(n + 1, 2, 10, QLatin1Char('0'))).label = labels[size_t(n)];
    ui->Grid_Items->setDataSet(m_dm.Items, m_prompter);
    m_token = m_dm.Items.subscribe([this](const DataSet::Notification &) { UpdateState(); });

    connect(ui->Btn_Add, &QToolButton::clicked, this, &TEnterItems::Btn_AddClick);
    connect(ui->Btn_Delete, &QToolButton::clicked, this, &TEnterItems::Btn_DeleteClick);
    connect(ui->Btn_Printer, &QToolButton::clicked, this, &TEnterItems::Btn_PrinterClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::accept);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("Ed_Search"));
    m_search->setPlaceholderText(QStringLiteral("Rechercher"));
    m_search->setToolTip(QStringLiteral("Rechercher par référence, produit ou marque"));
    m_search->setClearButtonEnabled(true);
    m_search->setFixedWidth(200);
    ui->Layout_Bottom->insertWidget(ui->Layout_Bottom->indexOf(ui->Btn_Printer) + 1, m_search);
    connect(m_search, &QLineEdit::textChanged, this, &TEnterItems::Ed_SearchChange);
    ui->Grid_Items->installEventFilter(this);
    connect(ui->Grid_Items->horizontalHeader(), &QHeaderView::sectionClicked, this,
        [this](int column) { SortBy(ui->Grid_Items->dataSetModel()->fieldName(column)); });

    if (!parent)
        move(screen()->availableGeometry().center() - rect().center());
    m_dm.Items.setRowFilter({});
    SortBy(m_sortField);
    UpdateState();
}

TEnterItems::~TEnterItems()
{
    m_dm.Items.unsubscribe(m_token);
}

int TEnterItems::productCount() const
{
    const DataSet &items = m_dm.Items;
    if (!items.isActive())
        return 0;
    return items.recordCount() + (items.state() == DataSetState::Insert ? 1 : 0);
}

void TEnterItems::SortBy(const QString &fieldName)
{
    if (!ui->Grid_Items->commitPendingEdit())
        return;
    try {
        m_sortField = SortCatalogue(m_dm.Items, fieldName);
    } catch (const Error &) {
        m_prompter.warn(InstabilityMessage());
        OpenWebSite(m_prompter);
    }
    ui->Grid_Items->setShadedField(m_sortField);
    UpdateState();
}

void TEnterItems::UpdateState()
{
    const int count = productCount();
    ui->Btn_Delete->setEnabled(count > 0);
    ui->Btn_Printer->setEnabled(count > 0 && m_report != nullptr);
    if (m_dm.Items.isActive() && m_dm.Items.isFiltered()) {
        const int total = m_dm.Items.storedCount() + (m_dm.Items.state() == DataSetState::Insert ? 1 : 0);
        ui->Title->setText(QStringLiteral("Liste des produits (%1 sur %2 articles)").arg(count).arg(total));
    } else {
        ui->Title->setText(QStringLiteral("Liste des produits (%1 articles)").arg(count));
    }
    if (WindowChrome *chrome = WindowChrome::of(this))
        chrome->applyCaption();
}

void TEnterItems::Btn_AddClick()
{
    if (!ui->Grid_Items->commitPendingEdit())
        return;
    try {
        m_dm.Items.insert();
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
    ui->Grid_Items->setFocus();
    ui->Grid_Items->viewport()->update();
}

void TEnterItems::Ed_SearchChange(const QString &text)
{
    if (!ui->Grid_Items->commitPendingEdit())
        return;
    try {
        FilterCatalogue(m_dm.Items, text);
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
    UpdateState();
}

void TEnterItems::AppendProduct()
{
    if (!ui->Grid_Items->commitPendingEdit())
        return;
    try {
        m_dm.Items.append();
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return;
    }
    DataSetGrid *grid = ui->Grid_Items;
    grid->setFocus();
    const QModelIndex cell = grid->model()->index(
        grid->dataSetModel()->currentRow(), std::max(0, grid->dataSetModel()->columnOf(QStringLiteral("Reference"))));
    grid->setCurrentIndex(cell);
    grid->scrollTo(cell);
    grid->edit(cell);
}

bool TEnterItems::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != ui->Grid_Items || event->type() != QEvent::KeyPress || ui->Grid_Items->gridDelegate()->editor())
        return QDialog::eventFilter(watched, event);
    const auto &key = *static_cast<QKeyEvent *>(event);
    if (key.key() == Qt::Key_Insert || (key.key() == Qt::Key_N && key.modifiers() == Qt::ControlModifier)) {
        AppendProduct();
        return true;
    }
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && ui->Grid_Items->currentIndex().isValid()) {
        ui->Grid_Items->edit(ui->Grid_Items->currentIndex());
        return true;
    }
    const QString prefix = m_typeAhead.add(key);
    if (prefix.isEmpty())
        return QDialog::eventFilter(watched, event);
    try {
        const int row =
            FindRowByPrefix(m_dm.Items, QStringLiteral("Title"), prefix, m_sortField == QLatin1String("Title"));
        if (row >= 0 && m_dm.Items.state() == DataSetState::Browse)
            m_dm.Items.moveTo(row);
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
    return true;
}

void TEnterItems::Btn_DeleteClick()
{
    if (productCount() == 0)
        return;
    if (!m_prompter.confirm(QStringLiteral("Désirez-vous supprimer ce produit ?")))
        return;
    ui->Grid_Items->discardPendingEdit();
    try {
        m_dm.Items.deleteCurrent();
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
}

void TEnterItems::Btn_PrinterClick()
{
    if (!m_report || !ui->Grid_Items->commitPendingEdit())
        return;
    try {
        PostIfEditing(m_dm.Items);
        m_report(m_sortField);
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
}

void TEnterItems::done(int result)
{
    if (!ui->Grid_Items->commitPendingEdit())
        return;
    try {
        PostIfEditing(m_dm.Items);
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return;
    }
    m_dm.Items.close();
    m_dm.Items.setRowFilter({});
    QDialog::done(result);
}

void TEnterItems::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui->Grid_Items->setFocus();
}

void TEnterItems::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange)
        ui->Grid_Items->viewport()->update();
    QDialog::changeEvent(event);
}

void RunCatalogueEditor(QWidget *owner, TDataModule1 &dm, ProductReport report)
{
    try {
        TEnterItems editor(dm, nullptr, std::move(report), owner);
        editor.exec();
    } catch (const Error &e) {
        MessageBoxPrompter(owner).error(e.message());
    }
}

} // namespace vivrelo
