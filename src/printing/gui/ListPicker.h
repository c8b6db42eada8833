#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QLineEdit;

namespace vivrelo {

// Lets the user choose one of `entries` for a text edit; the choice is written into the
// edit, which then has the focus with its text selected.
using Picker = std::function<void(QLineEdit *target, const QStringList &entries)>;

// The plain picker of the printing windows: the entries in a small modal list, the edit's
// text preselected (the first entry when the text is not among them).
void PickFromList(QLineEdit *target, const QStringList &entries);

} // namespace vivrelo
