#pragma once

#include "base/Prompter.h"
#include "printing/PrintLayout.h"
#include "printing/gui/PrintOutput.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

namespace Ui {
class TListFormat;
}

namespace vivrelo {

class TDataModule1;

// The layout preview " Paramétrage de la liste": one A4 sheet drawn at a zoom of 40 to 500 %,
// the test print and the way into the layout editor. It works on the print layout row of
// the current list file through the data module's FormatList: opened when the window is
// made (a list file without its row gets the default one), put into edit mode for the
// editor, posted when the editor returns OK and cancelled otherwise, closed with the window.
class TListFormat : public QDialog
{
    Q_OBJECT
public:
    using TestPrint = std::function<bool(const PrintLayout &)>;

    // Throws an Error when the print layout cannot be opened.
    TListFormat(TDataModule1 &dm, Prompter &prompter, QWidget *parent = nullptr);
    ~TListFormat() override;

    // Runs the test print; by default on the system's default printer or into a PDF file, as
    // the user chooses in the output dialogs.
    void setTestPrint(TestPrint print) { m_testPrint = std::move(print); }
    void setOutputDialogs(PrintListDialogs dialogs) { m_outputDialogs = std::move(dialogs); }

    // The layout as the row holds it now.
    PrintLayout layout();
    int zoom() const;
    const QImage &sheet() const { return m_sheet; }

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void DrawPreview();
    void DebutBtnHClick();
    void DebutBtnBClick();
    void FiltreBtnClick();
    void ImprimerBtnClick();
    void LMDShapeButton3Click();
    void closeLayout();

    std::unique_ptr<Ui::TListFormat> ui;
    TDataModule1 &m_dm;
    Prompter &m_prompter;
    TestPrint m_testPrint;
    PrintListDialogs m_outputDialogs;
    QImage m_sheet;
    bool m_layoutOpen = false; // this window opened FormatList and closes it
};

// The file menu's "Paramétrage de la liste": the layout preview over the running data
// module, shown modally and freed. A failure to open the layout is shown and nothing opens.
void ShowListFormat(QWidget *owner, Prompter &prompter);

} // namespace vivrelo
