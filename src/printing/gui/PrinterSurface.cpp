#include "printing/gui/PrinterSurface.h"

#include <QPrinterInfo>

namespace vivrelo {

PrinterSurface::PrinterSurface(QPrinter &printer)
    : m_printer(printer)
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

bool PrintOnDefaultPrinter(
    Prompter &prompter, const QString &documentName, const std::function<bool(DrawingSurface &)> &draw)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        prompter.error(QStringLiteral("Aucune imprimante n'est installée.\rLe document n'a pas été imprimé."));
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(documentName);
    return PrintWithPrinter(printer, prompter, draw);
}

bool PrintWithPrinter(QPrinter &printer, Prompter &prompter, const std::function<bool(DrawingSurface &)> &draw)
{
    PrinterSurface surface(printer);
    if (!surface.isActive()) {
        prompter.error(QStringLiteral("L'imprimante « %1 » ne peut pas être ouverte.\rLe document n'a pas été imprimé.")
                           .arg(printer.printerName()));
        return false;
    }
    if (!draw(surface)) {
        prompter.error(QStringLiteral("L'impression n'a pas abouti (imprimante en erreur ou travail annulé).\r"
                                      "Le document n'a pas été imprimé."));
        return false;
    }
    return true;
}

} // namespace vivrelo
