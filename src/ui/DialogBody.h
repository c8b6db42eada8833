#pragma once

class QWidget;

namespace vivrelo {

// The look of a skinned dialog around its own controls: the panel colour (230, 230, 230) for
// its body, its `Title` in white Arial bold and the close picture in its `Exit`. Call it
// before WindowChrome::prepare.
void DressDialogBody(QWidget *dialog);

} // namespace vivrelo
