#pragma once

#include <QString>

namespace vivrelo {

// Where a long operation reports how far it is: the wait window, the progress window, the
// splash, or a line on the terminal. Every method is optional to honour.
class ProgressSink
{
public:
    virtual ~ProgressSink() = default;
    virtual void setTask(const QString &) { } // first line: what is being done
    virtual void setMessage(const QString &) { } // second line
    virtual void setMaximum(int) { }
    virtual void setPosition(int) { } // steps done, out of the maximum
    virtual void showBar(bool) { }
    virtual void show() { }
    virtual void hide() { } // the operation is over: the window goes away
    virtual void pump() { } // let the face repaint between steps
};

// A sink that does nothing, for callers that show no progress.
inline ProgressSink &noProgress()
{
    static ProgressSink sink;
    return sink;
}

} // namespace vivrelo
