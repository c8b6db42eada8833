#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QTest>
#include <QWidget>

#include <functional>

namespace vivrelo::test {

// Runs the event loop until the condition holds or the time is up.
inline bool WaitFor(const std::function<bool()> &condition, int ms = 2000)
{
    return QTest::qWaitFor(condition, ms);
}

// Shows a top-level window and waits until the platform has exposed it.
inline bool ShowAndExpose(QWidget *w)
{
    w->show();
    return QTest::qWaitForWindowExposed(w);
}

// The colour of one pixel of what the widget paints.
inline QColor PixelOf(QWidget *w, const QPoint &at)
{
    return w->grab().toImage().pixelColor(at);
}

// True when two colours differ by at most `tolerance` in each channel.
inline bool Near(const QColor &a, const QColor &b, int tolerance = 2)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
        && qAbs(a.blue() - b.blue()) <= tolerance;
}

} // namespace vivrelo::test
