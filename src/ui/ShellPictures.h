#pragma once

#include <QPixmap>
#include <QString>

namespace vivrelo {

// The program's own small pictures (src/resources/pictures), by base name: "tick", "alarm",
// "cheapest", "between", "dearest", "close", "minimise", "maximise", "restore", "grip",
// "spin_up", "spin_down", "splash_basket", "splash_title". A null pixmap for an unknown name.
QPixmap ShellPicture(const QString &name);

// Makes the pictures compiled into the window library reachable under ":/pictures/".
// ShellPicture does it itself; call it before loading such a path by hand.
void InitShellResources();

} // namespace vivrelo
