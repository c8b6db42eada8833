#include "ui/DialogBody.h"

#include "base/AppValues.h"
#include "ui/DecorPanels.h"
#include "ui/ShellPictures.h"

#include <QLabel>

namespace vivrelo {

void DressDialogBody(QWidget *dialog)
{
    QPalette pal = dialog->palette();
    pal.setColor(QPalette::Window, QColor(230, 230, 230));
    dialog->setPalette(pal);
    dialog->setAutoFillBackground(true);
    if (auto *title = dialog->findChild<QLabel *>(QStringLiteral("Title")))
        StyleLabel(title, 12, true, App().titleText);
    if (auto *exit = dialog->findChild<QLabel *>(QStringLiteral("Exit")))
        exit->setPixmap(ShellPicture(QStringLiteral("close")));
}

} // namespace vivrelo
