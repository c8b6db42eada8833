#pragma once

#include <QElapsedTimer>
#include <QString>

class QKeyEvent;

namespace vivrelo {

// The letters typed into a grid to find a row: each key adds to the prefix, which starts
// again after a pause longer than the platform's keyboard interval.
class TypeAhead
{
public:
    // The prefix with this key's text added; empty when the key types nothing to search
    // with (no text, a blank, a control character, a key held with Ctrl or Alt).
    QString add(const QKeyEvent &key);

private:
    QString m_prefix;
    QElapsedTimer m_last;
};

} // namespace vivrelo
