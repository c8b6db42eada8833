#pragma once

#include "base/Prompter.h"
#include "printing/PrintLayout.h"

#include <QDialog>
#include <QStringList>

#include <memory>
#include <vector>

class QLineEdit;
class QToolButton;

namespace Ui {
class TEnterListFormat;
}

namespace vivrelo {

// The print layout editor "  Format du bordereau". It fills its edits from the layout when shown and writes them
// back into it only when OK is pressed with every measure readable; the caller stores the
// layout on OK and forgets the edits otherwise. A measure that cannot be read is named in a
// message, and the edit keeps its last readable value.
class TEnterListFormat : public QDialog
{
    Q_OBJECT
public:
    TEnterListFormat(PrintLayout &layout, Prompter &prompter, QWidget *parent = nullptr);
    ~TEnterListFormat() override;

    // The typefaces the font picker offers; by default every installed family, in the
    // order the font system gives them.
    void setFontFamilies(const QStringList &families) { m_families = families; }

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Measure {
        QLineEdit *edit;
        double PrintLayout::*column;
        QString caption;
        QString lastGood;
    };
    void FormShow();
    void stepMeasure(Measure &m, int steps);
    void Btn_FontNameClick();
    void Btn_OkClick();

    std::unique_ptr<Ui::TEnterListFormat> ui;
    PrintLayout &m_layout;
    Prompter &m_prompter;
    std::vector<Measure> m_measures;
    QStringList m_families;
};

} // namespace vivrelo
