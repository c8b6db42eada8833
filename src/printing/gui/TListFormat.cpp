#include "printing/gui/TListFormat.h"

#include "base/Error.h"
#include "db/DataSetRoutines.h"
#include "lists/DataModule.h"
#include "printing/ListPrinting.h"
#include "printing/PainterSurface.h"
#include "printing/PrintedListData.h"
#include "printing/gui/PrinterSurface.h"
#include "printing/gui/PrintingChrome.h"
#include "printing/gui/TEnterListFormat.h"
#include "ui/TStrList.h"

#include "ui_TListFormat.h"

#include <QPixmap>

namespace vivrelo {

TListFormat::TListFormat(TDataModule1 &dm, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TListFormat>())
    , m_dm(dm)
    , m_prompter(prompter)
{
    ui->setupUi(this);
    ui->zoom->setText(QString::number(kDefaultZoom));
    m_outputDialogs =
        SystemPrintListDialogs(QStringLiteral("Imprimer la page d'essai ou l'enregistrer dans un fichier PDF ?"));
    m_testPrint = [this](const PrintLayout &l) {
        const PrintedDocument document{QStringLiteral("Impression test"),
            QStringLiteral("la page d'essai n'a pas été imprimée."),
            QStringLiteral("la page d'essai n'a pas été enregistrée.")};
        const auto draw = [&](DrawingSurface &s) { return PrintTestPage(s, l, m_dm.currencySymbol()); };
        const OutputTarget target = ChooseOutputTarget(this, m_prompter, m_outputDialogs, document);
        if (target.output == ListOutput::Printer)
            return PrintOnDefaultPrinter(m_prompter, document.name, draw);
        if (target.output == ListOutput::Pdf) {
            WritePdfFile(
                target.pdfPath, document.name, QStringLiteral("La page d'essai n'a pas été enregistrée."), draw);
            return true;
        }
        return false;
    };
    connect(ui->DebutBtnH, &QToolButton::clicked, this, &TListFormat::DebutBtnHClick);
    connect(ui->DebutBtnB, &QToolButton::clicked, this, &TListFormat::DebutBtnBClick);
    connect(ui->FiltreBtn, &QToolButton::clicked, this, &TListFormat::FiltreBtnClick);
    connect(ui->ImprimerBtn, &QToolButton::clicked, this, &TListFormat::ImprimerBtnClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    // The layout type changes nothing in the drawing; it only redraws.
    connect(ui->LMDShapeButton3, &QToolButton::clicked, this, &TListFormat::LMDShapeButton3Click);
    ui->Type_->installEventFilter(this);
    connect(ui->Type_, &QLineEdit::textChanged, this, [this] {
        if (isVisible())
            DrawPreview();
    });
    PrepareSkinnedDialog(this, {QStringLiteral("Lab_Zoom")});
    OpenPrintLayout(m_dm);
    m_layoutOpen = true;
}

TListFormat::~TListFormat()
{
    closeLayout();
}

void TListFormat::done(int result)
{
    closeLayout();
    QDialog::done(result);
}

void TListFormat::closeLayout()
{
    if (m_layoutOpen)
        m_dm.FormatList.close();
    m_layoutOpen = false;
}

PrintLayout TListFormat::layout()
{
    return LoadPrintLayout(m_dm);
}

int TListFormat::zoom() const
{
    return ui->zoom->text().toInt();
}

void TListFormat::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    DrawPreview();
}

bool TListFormat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Type_ && IsEnterPress(event)) {
        LMDShapeButton3Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TListFormat::DrawPreview()
{
    m_sheet = RenderLayoutPreview(layout(), zoom(), logicalDpiX(), m_dm.currencySymbol());
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
    DataSet &f = m_dm.FormatList;
    try {
        if (!f.isActive()) {
            OpenPrintLayout(m_dm);
            m_layoutOpen = true;
        }
        EditIfNeeded(f);
        PrintLayout edited = ReadPrintLayout(f);
        bool ok = false;
        {
            TEnterListFormat editor(edited, m_prompter, this);
            ok = editor.exec() == QDialog::Accepted;
        }
        if (ok) {
            WritePrintLayout(f, edited);
            f.post();
        } else {
            f.cancel();
        }
    } catch (const Error &e) {
        // A row that could not be written keeps what it held.
        f.cancel();
        m_prompter.error(e.message());
    }
    DrawPreview();
}

void TListFormat::ImprimerBtnClick()
{
    try {
        m_testPrint(layout());
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
}

void TListFormat::LMDShapeButton3Click()
{
    TStrList::open(ui->Type_, {QStringLiteral("Bordereau standard"), QStringLiteral("Bordereau personnalisé")});
}

void ShowListFormat(QWidget *owner, Prompter &prompter)
{
    TDataModule1 *dm = DataModule1();
    if (!dm) {
        prompter.error(
            QStringLiteral("La base de données n'est pas ouverte : le paramétrage de la liste est impossible."));
        return;
    }
    try {
        TListFormat window(*dm, prompter, owner);
        window.exec();
    } catch (const Error &e) {
        prompter.error(e.message());
    }
}

} // namespace vivrelo
