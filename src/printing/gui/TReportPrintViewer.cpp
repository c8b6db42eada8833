#include "printing/gui/TReportPrintViewer.h"

#include "base/Error.h"
#include "lists/DataModule.h"
#include "printing/gui/PrinterSurface.h"
#include "printing/gui/ReportPreview.h"
#include "printing/gui/TReportDesigner.h"
#include "ui/MessageBoxPrompter.h"
#include "ui/ShellPictures.h"
#include "ui/WaitCursor.h"
#include "ui/WindowChrome.h"

#include "ui_TReportPrintViewer.h"

#include <QApplication>
#include <QPrintDialog>

#include <optional>

namespace vivrelo {

namespace {

bool RunPrintDialog(QPrinter &printer, PrintChoice &choice, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintSelection
        | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(choice.minPage, choice.maxPage);
    dialog.setFromTo(choice.fromPage, choice.toPage);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice.selection = dialog.printRange() == QAbstractPrintDialog::Selection;
    if (dialog.printRange() == QAbstractPrintDialog::PageRange) {
        choice.fromPage = dialog.fromPage();
        choice.toPage = dialog.toPage();
    }
    // The copies are drawn by the job itself, once each.
    choice.copies = std::max(1, printer.copyCount());
    printer.setCopyCount(1);
    return true;
}

bool RunPrintJob(QPrinter &printer, const PreparedReport &report, const QString &range, int copies)
{
    printer.setDocName(report.title);
    PrinterSurface surface(printer);
    // The pages are laid out from the sheet's corner; the printer draws from the corner of
    // its printable area.
    const QPointF corner = printer.pageLayout().paintRect(QPageLayout::Millimeter).topLeft() * 10;
    const QPoint offset(qRound(corner.x()), qRound(corner.y()));
    if (offset.isNull())
        return PrintReportRange(report, surface, range, copies);
    PreparedReport shifted = report;
    for (PreparedPage &page : shifted.pages)
        for (PreparedItem &item : page.items)
            item.box.translate(-offset);
    return PrintReportRange(shifted, surface, range, copies);
}

} // namespace

TReportPrintViewer::TReportPrintViewer(ReportRun &run, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TReportPrintViewer>())
    , m_run(run)
    , m_prompter(prompter)
{
    ui->setupUi(this);
    ui->Exit->setPixmap(ShellPicture(QStringLiteral("close")));
    ui->SysMaxiBtn->setPixmap(ShellPicture(QStringLiteral("maximise")));
    ui->RezisePad->setPixmap(ShellPicture(QStringLiteral("grip")));
    m_outputDialogs =
        SystemPrintListDialogs(QStringLiteral("Imprimer le rapport ou l'enregistrer dans un fichier PDF ?"));
    m_printDialog = [this](QPrinter &printer, PrintChoice &choice) { return RunPrintDialog(printer, choice, this); };
    m_printJob = RunPrintJob;
    m_designer = [this](ReportRun &r, QWidget *owner) { return TReportDesigner::edit(r, m_prompter, owner); };

    ui->frPreview->setReport(&m_run.prepared);
    connect(ui->frPreview, &ReportPreview::pageChanged, this, &TReportPrintViewer::updatePageText);
    connect(ui->spbPreviewFirst, &QToolButton::clicked, ui->frPreview, &ReportPreview::first);
    connect(ui->spbPreviewPrior, &QToolButton::clicked, ui->frPreview, &ReportPreview::prior);
    connect(ui->spbPreviewNext, &QToolButton::clicked, ui->frPreview, &ReportPreview::next);
    connect(ui->spbPreviewLast, &QToolButton::clicked, ui->frPreview, &ReportPreview::last);
    connect(
        ui->Btn_Size_OnePage, &QToolButton::clicked, this, [this] { ui->frPreview->setZoom(PreviewZoom::OnePage); });
    connect(ui->Btn_Size_PageWidth, &QToolButton::clicked, this,
        [this] { ui->frPreview->setZoom(PreviewZoom::PageWidth); });
    connect(ui->Btn_Size_Full, &QToolButton::clicked, this, [this] { ui->frPreview->setZoom(PreviewZoom::Full); });
    connect(ui->spbPreviewPrint, &QToolButton::clicked, this, &TReportPrintViewer::spbPreviewPrintClick);
    connect(ui->Btn_Close, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TReportPrintViewer::BitBtn1Click);
    updatePageText();
    WindowChrome::prepare(this, ChromeOptions{QSize(400, 300), {}});
}

TReportPrintViewer::~TReportPrintViewer() = default;

ReportPreview *TReportPrintViewer::preview() const
{
    return ui->frPreview;
}

void TReportPrintViewer::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui->frPreview->setZoom(PreviewZoom::PageWidth);
    placeKeyControls();
}

void TReportPrintViewer::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    placeKeyControls();
}

// The access edit and its button lie under the preview: reachable with the keyboard only.
void TReportPrintViewer::placeKeyControls()
{
    const QPoint at = ui->frPreview->geometry().topLeft() + QPoint(4, 4);
    ui->Ed_Key->move(at);
    ui->BitBtn1->move(at + QPoint(ui->Ed_Key->width() + 4, 0));
    ui->Ed_Key->lower();
    ui->BitBtn1->lower();
}

void TReportPrintViewer::updatePageText()
{
    const int count = ui->frPreview->pageCount();
    ui->Lab_Page->setText(count > 0 ? QStringLiteral("Page %1 / %2").arg(ui->frPreview->page()).arg(count) : QString());
}

void TReportPrintViewer::spbPreviewPrintClick()
{
    const int count = ui->frPreview->pageCount();
    const PrintedDocument document{m_run.prepared.title.isEmpty() ? m_run.name : m_run.prepared.title,
        QStringLiteral("le rapport n'a pas été imprimé."), QStringLiteral("le rapport n'a pas été enregistré.")};
    const OutputTarget target =
        count > 0 ? ChooseOutputTarget(this, m_prompter, m_outputDialogs, document) : OutputTarget{};
    if (target.output == ListOutput::Pdf) {
        try {
            WriteReportPdf(m_run.prepared, target.pdfPath);
        } catch (const Error &e) {
            m_prompter.error(e.message());
        }
    } else if (target.output == ListOutput::Printer) {
        PrintChoice choice;
        choice.minPage = 1;
        choice.maxPage = count;
        choice.fromPage = 1;
        choice.toPage = count;
        if (m_printDialog(m_printer, choice)) {
            int first = choice.fromPage;
            int last = choice.toPage;
            if (choice.selection)
                first = last = ui->frPreview->page();
            first = std::clamp(first, 1, count);
            last = std::clamp(last, first, count);
            if (!m_printJob(m_printer, m_run.prepared, PageRangeText(first, last), std::max(1, choice.copies)))
                m_prompter.error(QStringLiteral("L'impression du rapport a échoué : rien n'a été imprimé."));
        }
    }
    reject();
}

void TReportPrintViewer::BitBtn1Click()
{
    if (ui->Ed_Key->text() != kDesignerAccessWord)
        return;
    ui->Ed_Key->clear();
    if (!m_designer || !m_designer(m_run, this))
        return;
    try {
        m_run.prepared = m_run.prepare(m_run.layout);
    } catch (const Error &e) {
        m_prompter.error(e.message());
    }
    ui->frPreview->setReport(&m_run.prepared);
}

void ShowReportPreview(ReportRun &run, Prompter &prompter, QWidget *parent, WaitCursor *wait)
{
    std::optional<WaitCursor> making(std::in_place);
    TReportPrintViewer viewer(run, prompter, parent ? parent : QApplication::activeWindow());
    making.reset();
    if (wait)
        wait->release();
    viewer.exec();
}

namespace {

// Messages go out without the hourglass.
class CursorReleasingPrompter : public Prompter
{
public:
    CursorReleasingPrompter(Prompter &inner, WaitCursor &wait)
        : m_inner(inner)
        , m_wait(wait)
    { }
    Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        m_wait.release();
        return m_inner.ask(kind, text, buttons);
    }

private:
    Prompter &m_inner;
    WaitCursor &m_wait;
};

} // namespace

void RunItemsListReport(
    const QString &sortField, Prompter &prompter, const std::function<void(ReportRun &run, WaitCursor &wait)> &show)
{
    // The report data module is made on the running data module the first time.
    static std::unique_ptr<TDataModuleReport> own;
    WaitCursor wait;
    TDataModule1 *dm = DataModule1();
    if (!dm)
        fail(QStringLiteral("Les données du programme ne sont pas ouvertes."));
    TDataModuleReport *module = DataModuleReport();
    if (!module || &module->dataModule() != dm) {
        own.reset();
        own = std::make_unique<TDataModuleReport>(*dm);
        module = own.get();
    }
    CursorReleasingPrompter messages(prompter, wait);
    RunItemsListReport(*module, sortField, messages, [&](ReportRun &run) { show(run, wait); });
}

void RunItemsListReport(const QString &sortField, QWidget *parent)
{
    MessageBoxPrompter prompter(parent);
    RunItemsListReport(sortField, prompter,
        [&](ReportRun &run, WaitCursor &wait) { ShowReportPreview(run, prompter, parent, &wait); });
}

} // namespace vivrelo
