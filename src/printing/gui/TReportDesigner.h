#pragma once

#include "base/Prompter.h"
#include "printing/ReportModule.h"

#include <QDialog>

#include <memory>

class QTreeWidgetItem;

namespace Ui {
class TReportDesigner;
}

namespace vivrelo {

// A plain layout designer: the bands and their objects in a tree; the object chosen gets its
// text, position, size, font size and alignment changed; "Enregistrer" writes the layout
// file (atomically) and closes. The layout is edited as a copy until it is saved.
class TReportDesigner : public QDialog
{
    Q_OBJECT
public:
    TReportDesigner(const ReportLayout &layout, const QString &path, Prompter &prompter, QWidget *parent = nullptr);
    ~TReportDesigner() override;

    // Opens the designer on a run's layout; true when a changed layout was saved (it is then
    // the run's layout).
    static bool edit(ReportRun &run, Prompter &prompter, QWidget *parent);

    const ReportLayout &layout() const { return m_layout; }
    // The object chosen in the tree, or null.
    ReportObject *currentObject();

private:
    void fillTree();
    void showObject();
    void applyFields();
    void Btn_SaveClick();

    std::unique_ptr<Ui::TReportDesigner> ui;
    ReportLayout m_layout;
    QString m_path;
    Prompter &m_prompter;
    bool m_loading = false;
};

} // namespace vivrelo
