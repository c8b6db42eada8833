#pragma once

#include "base/Prompter.h"
#include "printing/ReportModule.h"
#include "printing/gui/PrintOutput.h"

#include <QDialog>
#include <QPrinter>

#include <functional>
#include <memory>

namespace Ui {
class TReportPrintViewer;
}

namespace vivrelo {

class ReportPreview;

// What the print dialog is prepared with and what the user chose in it.
struct PrintChoice {
    int minPage = 1;
    int maxPage = 1;
    int fromPage = 1;
    int toPage = 1;
    bool selection = false; // "selection": the page on screen
    int copies = 1;
};

// The report viewer: the prepared pages with page navigation, three zoom modes, printing
// through the print dialog and, for the one who knows the access word, the layout designer.
class TReportPrintViewer : public QDialog
{
    Q_OBJECT
public:
    // The word that opens the designer from the hidden edit under the preview.
    static inline const QString kDesignerAccessWord = QStringLiteral("plan");

    // Shows the dialog; false when the user cancelled.
    using PrintDialog = std::function<bool(QPrinter &printer, PrintChoice &choice)>;
    // Prints a range text ("2-4") of the report with a number of copies; false on failure.
    using PrintJob =
        std::function<bool(QPrinter &printer, const PreparedReport &report, const QString &range, int copies)>;
    // Opens the designer on the layout; true when it saved a changed layout.
    using Designer = std::function<bool(ReportRun &run, QWidget *parent)>;

    TReportPrintViewer(ReportRun &run, Prompter &prompter, QWidget *parent = nullptr);
    ~TReportPrintViewer() override;

    // Where the print button sends the report: the printer (then the print dialog) or a PDF
    // file, as the printed list offers.
    void setOutputDialogs(PrintListDialogs dialogs) { m_outputDialogs = std::move(dialogs); }
    void setPrintDialog(PrintDialog dialog) { m_printDialog = std::move(dialog); }
    void setPrintJob(PrintJob job) { m_printJob = std::move(job); }
    void setDesigner(Designer designer) { m_designer = std::move(designer); }

    ReportPreview *preview() const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void spbPreviewPrintClick();
    void BitBtn1Click();
    void updatePageText();
    void placeKeyControls();

    std::unique_ptr<Ui::TReportPrintViewer> ui;
    ReportRun &m_run;
    Prompter &m_prompter;
    QPrinter m_printer;
    PrintListDialogs m_outputDialogs;
    PrintDialog m_printDialog;
    PrintJob m_printJob;
    Designer m_designer;
};

class WaitCursor;

// Shows a prepared report in the viewer, modally, over the active window. The viewer is made
// under the hourglass; `wait`, the caller's hourglass, is released before the viewer shows.
void ShowReportPreview(ReportRun &run, Prompter &prompter, QWidget *parent = nullptr, WaitCursor *wait = nullptr);

// The catalogue editor's print button: the product list ordered by the sort column, shown in
// the viewer, messages in message boxes. The hourglass stands from the start of the query
// until the viewer is up or a message is shown. Errors pass to the caller.
void RunItemsListReport(const QString &sortField, QWidget *parent = nullptr);
// The same with its messages and its showing of the prepared report given: `show` is called
// under the hourglass, which it releases once its window is ready.
void RunItemsListReport(
    const QString &sortField, Prompter &prompter, const std::function<void(ReportRun &run, WaitCursor &wait)> &show);

} // namespace vivrelo
