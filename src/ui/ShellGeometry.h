#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace vivrelo {

// Where the shell's small windows go and how long their progress bars are.

// The desktop work area (the screen minus its panels) of the screen that holds `near`, or of
// the primary screen when `near` is null.
QRect DesktopWorkArea(const QWidget *near = nullptr);

// A window of `size` centred in the work area; a half pixel goes to the even neighbour.
QPoint CentredInWorkArea(const QSize &size, const QRect &workArea);

// A window of `size` centred on another window's outer rectangle, halves truncated toward
// zero.
QPoint CentredOnWindow(const QSize &size, const QRect &owner);

// Length of a bar that shows `done` steps out of `total` on a track of `full` pixels,
// truncated. A count past the total gives a bar longer than the track (the track clips it);
// a total of zero or less gives an empty bar.
int BarLength(int full, int done, int total);

} // namespace vivrelo

namespace vivrelo {

// The main window's placement as the settings keep it: client rectangle (each value -1 when
// absent) and whether it was maximised.
struct SavedPlacement {
    int left = -1;
    int top = -1;
    int width = -1;
    int height = -1;
    bool maximised = false;
};

// Where the main window opens: the saved client rectangle when it still fits the work area
// and is at least the window's minimum size, otherwise 800 × 600 centred in it; a negative
// left or top is pulled back to the centred position, or to 0.
QRect RestoredPlacement(const SavedPlacement &saved, const QRect &workArea, const QSize &minimum = QSize(0, 0));

} // namespace vivrelo
