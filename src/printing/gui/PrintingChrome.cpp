#include "printing/gui/PrintingChrome.h"

#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"

#include <QKeyEvent>
#include <QLabel>
#include <QWidget>

namespace vivrelo {

void PrepareSkinnedDialog(QWidget *dialog, const QStringList &dragSurfaces)
{
    QPalette pal = dialog->palette();
    pal.setColor(QPalette::Window, QColor(230, 230, 230));
    pal.setColor(QPalette::Base, QColor(255, 255, 242));
    dialog->setPalette(pal);
    dialog->setAutoFillBackground(true);
    if (auto *exit = dialog->findChild<QLabel *>(QStringLiteral("Exit")))
        exit->setPixmap(ShellPicture(QStringLiteral("close")));
    WindowChrome::prepare(dialog, ChromeOptions{QSize(400, 200), dragSurfaces});
}

bool IsEnterPress(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace vivrelo
