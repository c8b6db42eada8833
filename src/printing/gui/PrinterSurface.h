#pragma once

#include "base/Prompter.h"
#include "printing/PainterSurface.h"

#include <QPrinter>

#include <functional>

namespace vivrelo {

// The printed list and the test print on the system's print service: the same drawing as
// the PDF file, in the printer's resolution, origin at the top-left corner of its drawable
// area. end() is false when the printer could not be opened, reported an error or the job
// was aborted: such a job is never reported as printed.
class PrinterSurface : public PainterSurface
{
public:
    explicit PrinterSurface(QPrinter &printer);
    ~PrinterSurface() override;

protected:
    bool deviceFailed() const override;

private:
    QPrinter &m_printer;
};

// One print job on a printer the caller has set up: `draw` draws the document and ends the
// surface. When the printer cannot be opened, or the job fails, the user is told that
// nothing was printed and the answer is false. Errors thrown while drawing abort the job and
// pass on.
bool PrintWithPrinter(QPrinter &printer, Prompter &prompter, const std::function<bool(DrawingSurface &)> &draw);

// One print job on the system's default printer: `draw` draws the document and ends the
// surface. When there is no printer, or the job fails, the user is told that nothing was
// printed and the answer is false. Errors thrown while drawing abort the job and pass on.
bool PrintOnDefaultPrinter(
    Prompter &prompter, const QString &documentName, const std::function<bool(DrawingSurface &)> &draw);

} // namespace vivrelo
