#include "printing/gui/TListFormat.h"

#include "app/Error.h"
#include "printing/ListPrinting.h"
#include "printing/gui/ListPicker.h"
#include "printing/gui/PrinterSurface.h"
#include "printing/gui/TEnterListFormat.h"

#include "ui_TListFormat.h"

#include <QPixmap>

namespace vivrelo {

TListFormat::TListFormat(const PrintLayout &layout, const QString &currencySymbol, Prompter &prompter, Store store,
                         QWidget *parent)
    : QDialog(parent), ui(std::make_unique<Ui::TListFormat>()), m_layout(layout), m_currency(currencySymbol),
      m_prompter(prompter), m_store(std::move(store))
{
    ui->setupUi(this);
    ui->zoom->setText(QString::number(kDefaultZoom));
    m_testPrint = [this](const PrintLayout &l) {
        return PrintOnDefaultPrinter(m_prompter, QStringLiteral("Impression test"),
                                     [&](DrawingSurface &s) { return PrintTestPage(s, l, m_currency); });
    };
    connect(ui->DebutBtnH, &QToolButton::clicked, this, &TListFormat::DebutBtnHClick);
    connect(ui->DebutBtnB, &QToolButton::clicked, this, &TListFormat::DebutBtnBClick);
    connect(ui->FiltreBtn, &QToolButton::clicked, this, &TListFormat::FiltreBtnClick);
    connect(ui->ImprimerBtn, &QToolButton::clicked, this, &TListFormat::ImprimerBtnClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    // The layout type changes nothing in the drawing; it only redraws.
    auto pickType = [this] {
        PickFromList(ui->Type_, {QStringLiteral("Bordereau standard"), QStringLiteral("Bordereau personnalisé")});
    };
    connect(ui->LMDShapeButton3, &QToolButton::clicked, this, pickType);
    connect(ui->Type_, &QLineEdit::returnPressed, this, pickType);
    connect(ui->Type_, &QLineEdit::textChanged, this, &TListFormat::DrawPreview);
}

TListFormat::~TListFormat() = default;

int TListFormat::zoom() const
{
    return ui->zoom->text().toInt();
}

void TListFormat::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DrawPreview();
}

void TListFormat::DrawPreview()
{
    m_sheet = RenderLayoutPreview(m_layout, zoom(), logicalDpiX(), m_currency);
    ui->fond->setPixmap(QPixmap::fromImage(m_sheet));
    ui->fond->resize(m_sheet.size());
}

void TListFormat::DebutBtnHClick()
{
    ui->zoom->setText(QString::number(ZoomIn(zoom())));
    ui->zoom->setFocus();
    DrawPreview();
}

void TListFormat::DebutBtnBClick()
{
    ui->zoom->setText(QString::number(ZoomOut(zoom())));
    ui->zoom->setFocus();
    DrawPreview();
}

void TListFormat::FiltreBtnClick()
{
    PrintLayout edited = m_layout;
    TEnterListFormat editor(edited, m_prompter, this);
    if (editor.exec() == QDialog::Accepted) {
        try {
            if (m_store)
                m_store(edited);
            m_layout = edited;
        } catch (const Error &e) {
            m_prompter.error(e.message());
        }
    }
    DrawPreview();
}

void TListFormat::ImprimerBtnClick()
{
    try {
        m_testPrint(m_layout);
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
}

} // namespace vivrelo
