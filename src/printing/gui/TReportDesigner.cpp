#include "printing/gui/TReportDesigner.h"

#include "base/Error.h"
#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"

#include "ui_TReportDesigner.h"

namespace vivrelo {

namespace {

constexpr int kBandRole = Qt::UserRole;
constexpr int kObjectRole = Qt::UserRole + 1;

QString BandCaption(BandKind kind)
{
    switch (kind) {
    case BandKind::Title:
        return QStringLiteral("Titre du rapport");
    case BandKind::PageHeader:
        return QStringLiteral("En-tête de page");
    case BandKind::MasterData:
        return QStringLiteral("Données");
    case BandKind::PageFooter:
        return QStringLiteral("Pied de page");
    case BandKind::Summary:
        return QStringLiteral("Résumé");
    }
    return {};
}

QString ObjectCaption(const ReportObject &o)
{
    switch (o.kind) {
    case ObjectKind::Text:
        return QStringLiteral("Texte « %1 »").arg(o.text);
    case ObjectKind::Line:
        return QStringLiteral("Trait");
    case ObjectKind::Rect:
        return QStringLiteral("Cadre");
    case ObjectKind::Picture:
        return QStringLiteral("Image [%1]").arg(o.field);
    }
    return {};
}

} // namespace

TReportDesigner::TReportDesigner(const ReportLayout &layout, const QString &path, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TReportDesigner>())
    , m_layout(layout)
    , m_path(path)
    , m_prompter(prompter)
{
    ui->setupUi(this);
    ui->Exit->setPixmap(ShellPicture(QStringLiteral("close")));
    fillTree();
    connect(ui->Tree_Objects, &QTreeWidget::currentItemChanged, this, &TReportDesigner::showObject);
    connect(ui->Ed_Text, &QLineEdit::textEdited, this, &TReportDesigner::applyFields);
    for (QDoubleSpinBox *spin : {ui->Spin_X, ui->Spin_Y, ui->Spin_Width, ui->Spin_Height, ui->Spin_FontSize})
        connect(spin, &QDoubleSpinBox::valueChanged, this, &TReportDesigner::applyFields);
    connect(ui->Combo_Align, &QComboBox::currentIndexChanged, this, &TReportDesigner::applyFields);
    connect(ui->Btn_Save, &QPushButton::clicked, this, &TReportDesigner::Btn_SaveClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    showObject();
    WindowChrome::prepare(this);
}

TReportDesigner::~TReportDesigner() = default;

bool TReportDesigner::edit(ReportRun &run, Prompter &prompter, QWidget *parent)
{
    TReportDesigner designer(run.layout, run.layoutPath, prompter, parent);
    if (designer.exec() != QDialog::Accepted)
        return false;
    run.layout = designer.layout();
    return true;
}

void TReportDesigner::fillTree()
{
    ui->Tree_Objects->clear();
    for (int b = 0; b < int(m_layout.bands.size()); ++b) {
        const ReportBand &band = m_layout.bands[size_t(b)];
        auto *bandItem = new QTreeWidgetItem(ui->Tree_Objects, {BandCaption(band.kind)});
        bandItem->setData(0, kBandRole, b);
        bandItem->setData(0, kObjectRole, -1);
        for (int o = 0; o < int(band.objects.size()); ++o) {
            auto *item = new QTreeWidgetItem(bandItem, {ObjectCaption(band.objects[size_t(o)])});
            item->setData(0, kBandRole, b);
            item->setData(0, kObjectRole, o);
        }
    }
    ui->Tree_Objects->expandAll();
}

ReportObject *TReportDesigner::currentObject()
{
    const QTreeWidgetItem *item = ui->Tree_Objects->currentItem();
    if (!item || item->data(0, kObjectRole).toInt() < 0)
        return nullptr;
    return &m_layout.bands[size_t(item->data(0, kBandRole).toInt())]
                .objects[size_t(item->data(0, kObjectRole).toInt())];
}

void TReportDesigner::showObject()
{
    const ReportObject *o = currentObject();
    const bool isText = o && o->kind == ObjectKind::Text;
    m_loading = true;
    ui->Ed_Text->setText(isText ? o->text : QString());
    ui->Spin_X->setValue(o ? o->x / 10.0 : 0);
    ui->Spin_Y->setValue(o ? o->y / 10.0 : 0);
    ui->Spin_Width->setValue(o ? o->width / 10.0 : 0);
    ui->Spin_Height->setValue(o ? o->height / 10.0 : 0);
    ui->Spin_FontSize->setValue(isText ? o->fontSize : 10);
    ui->Combo_Align->setCurrentIndex(isText ? int(o->align) : 0);
    m_loading = false;
    for (QWidget *w : {static_cast<QWidget *>(ui->Spin_X), static_cast<QWidget *>(ui->Spin_Y),
             static_cast<QWidget *>(ui->Spin_Width), static_cast<QWidget *>(ui->Spin_Height)})
        w->setEnabled(o != nullptr);
    for (QWidget *w : {static_cast<QWidget *>(ui->Ed_Text), static_cast<QWidget *>(ui->Spin_FontSize),
             static_cast<QWidget *>(ui->Combo_Align)})
        w->setEnabled(isText);
}

void TReportDesigner::applyFields()
{
    ReportObject *o = currentObject();
    if (m_loading || !o)
        return;
    o->x = qRound(ui->Spin_X->value() * 10);
    o->y = qRound(ui->Spin_Y->value() * 10);
    o->width = qRound(ui->Spin_Width->value() * 10);
    o->height = qRound(ui->Spin_Height->value() * 10);
    if (o->kind == ObjectKind::Text) {
        o->fontSize = ui->Spin_FontSize->value();
        o->align = TextAlign(ui->Combo_Align->currentIndex());
        QString error;
        std::vector<TextPiece> pieces;
        if (ParseTextTemplate(ui->Ed_Text->text(), pieces, error)) {
            o->text = ui->Ed_Text->text();
            o->pieces = std::move(pieces);
            ui->Lab_Error->clear();
        } else {
            ui->Lab_Error->setText(error);
        }
        ui->Tree_Objects->currentItem()->setText(0, ObjectCaption(*o));
    }
    ui->Btn_Save->setEnabled(ui->Lab_Error->text().isEmpty());
}

void TReportDesigner::Btn_SaveClick()
{
    try {
        // What is saved must read back: the file is checked before it replaces the old one.
        ParseReportLayout(WriteReportLayout(m_layout), m_layout.fileName);
        SaveReportLayout(m_layout, m_path);
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return;
    }
    accept();
}

} // namespace vivrelo
