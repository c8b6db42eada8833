#pragma once

#include <QStringList>

class QEvent;
class QWidget;

namespace vivrelo {

// The look of the printing dialogs: the panel colour 230 for the body, the edit colour
// 255, 255, 242, the close picture on `Exit`, then the window chrome with these further
// drag surfaces. Called from the constructor, after the children exist.
void PrepareSkinnedDialog(QWidget *dialog, const QStringList &dragSurfaces);

// True for a press of Return or Enter: the edits that open a picker with it keep it from the
// dialog's default button.
bool IsEnterPress(const QEvent *event);

} // namespace vivrelo
