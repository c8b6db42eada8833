#include "cli/Terminal.h"

namespace vivrelo::cli {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}

QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

QString TerminalText(const QString &text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

Answer TerminalPrompter::ask(MessageKind kind, const QString &text, MessageButtons buttons)
{
    const QString t = TerminalText(text);
    switch (kind) {
    case MessageKind::Error:
        ++m_errors;
        err() << "Erreur : " << t << Qt::endl;
        break;
    case MessageKind::Warning:
        err() << "Attention : " << t << Qt::endl;
        break;
    case MessageKind::Confirmation:
        err() << t << (m_confirmations == Answer::Yes ? " -> oui" : " -> non") << Qt::endl;
        break;
    default:
        out() << t << Qt::endl;
        break;
    }
    if (buttons == MessageButtons::YesNo)
        return m_confirmations;
    return Answer::Ok;
}

void TerminalProgress::line(const QString &text)
{
    if (text.isEmpty() || text == m_last)
        return;
    m_last = text;
    err() << text << Qt::endl;
}

void TerminalProgress::setTask(const QString &text)
{
    line(text);
}
void TerminalProgress::setMessage(const QString &text)
{
    line(text);
}

} // namespace vivrelo::cli
