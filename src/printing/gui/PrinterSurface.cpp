#include "printing/gui/PrinterSurface.h"

namespace vivrelo {

PrinterSurface::PrinterSurface(QPrinter &printer) : m_printer(printer)
{
    printer.setFullPage(false);
    begin(&printer, &printer, printer.resolution() / 254.0);
}

PrinterSurface::~PrinterSurface()
{
    // A job dropped before end() (an error while drawing) is aborted, not sent half-drawn.
    if (isActive())
        m_printer.abort();
    stopPainting();
}

bool PrinterSurface::deviceFailed() const
{
    return m_printer.printerState() == QPrinter::Error || m_printer.printerState() == QPrinter::Aborted;
}

} // namespace vivrelo
