#pragma once

#include "base/Prompter.h"

#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace vivrelo {

// Where a printed document goes.
enum class ListOutput { Printer, Pdf, Cancel };

// The dialogs of a print command; the defaults are the window system's. Tests put their own
// answers in.
struct PrintListDialogs {
    // Whether the machine has a printer at all; without one the document goes to a PDF file.
    std::function<bool()> hasPrinter;
    // "Imprimer" or "Enregistrer en PDF".
    std::function<ListOutput(QWidget *owner)> chooseOutput;
    // The print dialog on the system's printers; false when the user cancels it.
    std::function<bool(QPrinter &printer, QWidget *owner)> printDialog;
    // The PDF file to write, proposed as `suggested`; empty when the user cancels.
    std::function<QString(QWidget *owner, const QString &suggested)> pdfFile;
};
// The window system's dialogs; `question` is the text of the choice between the printer and
// a PDF file.
PrintListDialogs SystemPrintListDialogs(
    const QString &question = QStringLiteral("Imprimer la liste ou l'enregistrer dans un fichier PDF ?"));

// What a print command tells about its document.
struct PrintedDocument {
    QString name; // the print job's name and the proposed PDF file's: "Liste de courses"
    QString notPrinted; // "la liste n'a pas été imprimée."
    QString notSaved; // "la liste n'a pas été enregistrée."
};

// The choice every print command offers: on a machine with a printer, "Imprimer",
// "Enregistrer en PDF" or "Annuler"; without one, a PDF file without asking, so that no
// machine is a dead end. For a PDF file the file is asked, proposed in the data directory's
// "Export/" folder under the document's name. A cancelled choice or file is told in French
// and answered Cancel.
struct OutputTarget {
    ListOutput output = ListOutput::Cancel;
    QString pdfPath; // for ListOutput::Pdf
};
OutputTarget ChooseOutputTarget(
    QWidget *owner, Prompter &prompter, const PrintListDialogs &dialogs, const PrintedDocument &document);

} // namespace vivrelo
