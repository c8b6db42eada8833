#pragma once

#include "printing/PainterSurface.h"

#include <QPrinter>

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

} // namespace vivrelo
