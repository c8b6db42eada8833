#pragma once

#include "base/Progress.h"
#include "base/Prompter.h"

#include <QTextStream>

namespace vivrelo::cli {

// Messages on the terminal: information on standard output, warnings and errors on
// standard error. Questions are answered by the command line's flags, never by reading
// the keyboard, so the companion runs unattended.
class TerminalPrompter : public Prompter
{
public:
    explicit TerminalPrompter(Answer confirmations)
        : m_confirmations(confirmations)
    { }
    Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) override;
    int errorCount() const { return m_errors; }

private:
    Answer m_confirmations;
    int m_errors = 0;
};

// Progress as lines on standard error: each new task or message text is one line.
class TerminalProgress : public ProgressSink
{
public:
    void setTask(const QString &text) override;
    void setMessage(const QString &text) override;
    void setMaximum(int max) override { m_max = max; }
    void setPosition(int pos) override { m_pos = pos; }

private:
    void line(const QString &text);
    QString m_last;
    int m_max = 0;
    int m_pos = 0;
};

// Turns the "\r" line breaks of the system's messages into terminal lines.
QString TerminalText(const QString &text);

QTextStream &out();
QTextStream &err();

} // namespace vivrelo::cli
