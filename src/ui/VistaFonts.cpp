#include "ui/VistaFonts.h"

#include <QFontDatabase>
#include <QWidget>

namespace vivrelo {

void ApplySegoeAdjustment(QWidget &window)
{
    const QString segoe = QStringLiteral("Segoe UI");
    QFont font = window.font();
    if (font.family() == segoe || !QFontDatabase::families().contains(segoe))
        return;
    if (font.pointSize() > 0)
        font.setPointSize(font.pointSize() + 1);
    else if (font.pixelSize() > 0)
        font.setPixelSize(font.pixelSize() + 1);
    font.setFamily(segoe);
    window.setFont(font);
}

void ApplySystemFont(QFont &font)
{
    QFont system = QFontDatabase::systemFont(QFontDatabase::TitleFont);
    if (system.family().isEmpty())
        system = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font = system;
}

} // namespace vivrelo
