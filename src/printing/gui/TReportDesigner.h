#pragma once

#include "base/Prompter.h"
#include "printing/ReportModule.h"

#include <QDialog>

#include <functional>
#include <memory>

class QLineEdit;
class QTreeWidgetItem;

namespace Ui {
class TReportDesigner;
}

namespace vivrelo {

// The report designer: the bands and their objects in a tree. Texts, fields (a text showing
// one field or variable), lines, frames and pictures are added to the band chosen and
// removed; the object chosen gets its text, field or variable, position, size, font, style,
// colours, alignment, wrapping and number format; the band chosen its height and whether it
// grows with its texts. The layout is edited as a copy until it is saved: "Enregistrer"
// writes the user's copy (atomically, read back and checked) and closes; "Revenir au modèle
// d'origine" sets the user's copy aside and takes the layout installed with the program.
class TReportDesigner : public QDialog
{
    Q_OBJECT
public:
    // `fields`: the fields of the report's data set, offered with the variables.
    TReportDesigner(const ReportLayout &layout, const QString &path, const QStringList &fields, Prompter &prompter,
        QWidget *parent = nullptr);
    ~TReportDesigner() override;

    // Opens the designer on a run's layout; true when the run's layout changed (saved, or
    // the installed one taken back): it is then the run's layout and layoutPath its file.
    static bool edit(ReportRun &run, Prompter &prompter, QWidget *parent);

    // The installed layout's file; without it the way back is not offered.
    void setShippedPath(const QString &path);
    // Chooses a colour for the colour edits; by default the window system's colour dialog.
    // An invalid colour is a cancelled choice.
    void setColourDialog(std::function<QColor(const QColor &initial)> dialog) { m_colourDialog = std::move(dialog); }

    const ReportLayout &layout() const { return m_layout; }
    // The file the layout was last saved to or taken from.
    const QString &path() const { return m_path; }
    // The object chosen in the tree, or null.
    ReportObject *currentObject();
    // The band of the item chosen in the tree (an object's band for an object), or null.
    ReportBand *currentBand();

    // The variables a text can show besides the fields.
    static QStringList variableNames();

private:
    void fillTree(int band = -1, int object = -1);
    void drawPreview();
    void showObject();
    void applyFields();
    void addObject(ObjectKind kind, bool field);
    void Btn_DeleteClick();
    void Btn_InsertFieldClick();
    void chooseColour(QLineEdit *edit);
    void Btn_SaveClick();
    void Btn_ShippedClick();

    std::unique_ptr<Ui::TReportDesigner> ui;
    ReportLayout m_layout;
    QString m_path;
    QString m_shippedPath;
    QStringList m_fields;
    Prompter &m_prompter;
    std::function<QColor(const QColor &)> m_colourDialog;
    bool m_loading = false;
};

} // namespace vivrelo
