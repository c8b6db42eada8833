#include "ui/ShellGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vivrelo {

namespace {

// Half of an integer, a half going to the even neighbour (2.5 → 2, 3.5 → 4, −2.5 → −2).
int HalfToEven(int v)
{
    const int q = v / 2; // truncated toward zero
    if (v % 2 == 0)
        return q;
    // v is odd: v / 2 lies half way between q and q ± 1; keep the even one.
    const int other = v > 0 ? q + 1 : q - 1;
    return q % 2 == 0 ? q : other;
}

} // namespace

QRect DesktopWorkArea(const QWidget *near)
{
    QScreen *screen = near ? near->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

QPoint CentredInWorkArea(const QSize &size, const QRect &workArea)
{
    return {workArea.x() + HalfToEven(workArea.width() - size.width()),
        workArea.y() + HalfToEven(workArea.height() - size.height())};
}

QPoint CentredOnWindow(const QSize &size, const QRect &owner)
{
    return {owner.x() + (owner.width() - size.width()) / 2, owner.y() + (owner.height() - size.height()) / 2};
}

int BarLength(int full, int done, int total)
{
    if (total <= 0)
        return 0;
    return static_cast<int>(static_cast<qint64>(full) * done / total);
}

} // namespace vivrelo

namespace vivrelo {

QRect RestoredPlacement(const SavedPlacement &saved, const QRect &workArea, const QSize &minimum)
{
    const int right = workArea.x() + workArea.width();
    const int bottom = workArea.y() + workArea.height();
    QRect r;
    // A saved size with a missing or negative height is no placement at all, nor is one the
    // window cannot take (a width of 0 would open an invisible window).
    if (saved.width >= 0 && saved.height >= 0 && saved.width >= minimum.width() && saved.height >= minimum.height()
        && saved.left + saved.width <= right && saved.top + saved.height <= bottom) {
        r = QRect(saved.left, saved.top, saved.width, saved.height);
    } else {
        r = QRect(QPoint(), QSize(800, 600));
        r.moveTopLeft(CentredOnWindow(r.size(), workArea));
    }
    if (r.left() < workArea.x())
        r.moveLeft(qMax(workArea.x(), CentredOnWindow(r.size(), workArea).x()));
    if (r.top() < workArea.y())
        r.moveTop(qMax(workArea.y(), CentredOnWindow(r.size(), workArea).y()));
    return r;
}

} // namespace vivrelo
