#include "lists/gui/TypeAhead.h"

#include <QApplication>
#include <QKeyEvent>

namespace vivrelo {

QString TypeAhead::add(const QKeyEvent &key)
{
    const QString text = key.text();
    if (text.isEmpty() || !text.front().isPrint() || text.front().isSpace()
        || (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return {};
    if (!m_last.isValid() || m_last.elapsed() > QApplication::keyboardInputInterval())
        m_prefix.clear();
    m_last.start();
    m_prefix += text;
    return m_prefix;
}

} // namespace vivrelo
