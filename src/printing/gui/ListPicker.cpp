#include "printing/gui/ListPicker.h"

#include <QInputDialog>
#include <QLineEdit>

namespace vivrelo {

void PickFromList(QLineEdit *target, const QStringList &entries)
{
    bool ok = false;
    const qsizetype current = entries.indexOf(target->text());
    const QString choice = QInputDialog::getItem(target->window(), target->window()->windowTitle().trimmed(),
                                                 QString(), entries, int(current < 0 ? 0 : current), false, &ok);
    if (ok && !choice.isEmpty())
        target->setText(choice);
    target->setFocus();
    target->selectAll();
}

} // namespace vivrelo
