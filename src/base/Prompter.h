#pragma once

#include <QString>

#include <vector>

namespace vivrelo {

enum class MessageKind { Plain, Information, Warning, Error, Confirmation };
enum class MessageButtons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Shows a message to the user and returns the answer. Line breaks inside texts are single
// carriage returns ("\r"); a face turns them into its own line breaks. The windows show a
// message box; the command line prints the text and answers from its flags.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) = 0;

    void inform(const QString &text) { ask(MessageKind::Information, text, MessageButtons::Ok); }
    void warn(const QString &text) { ask(MessageKind::Warning, text, MessageButtons::Ok); }
    void error(const QString &text) { ask(MessageKind::Error, text, MessageButtons::Ok); }
    void plain(const QString &text) { ask(MessageKind::Plain, text, MessageButtons::Ok); }
    bool confirm(const QString &text)
    {
        return ask(MessageKind::Confirmation, text, MessageButtons::YesNo) == Answer::Yes;
    }
};

// Answers every question with a fixed answer and keeps what was asked: for the command
// line's flags and for tests.
class ScriptedPrompter : public Prompter
{
public:
    struct Asked {
        MessageKind kind;
        QString text;
        MessageButtons buttons;
    };
    explicit ScriptedPrompter(Answer confirmations = Answer::Yes)
        : m_confirmations(confirmations)
    { }
    Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) override
    {
        m_asked.push_back({kind, text, buttons});
        return buttons == MessageButtons::YesNo ? m_confirmations : Answer::Ok;
    }
    void setConfirmations(Answer a) { m_confirmations = a; }
    const std::vector<Asked> &asked() const { return m_asked; }
    QString lastText() const { return m_asked.empty() ? QString() : m_asked.back().text; }

private:
    Answer m_confirmations;
    std::vector<Asked> m_asked;
};

} // namespace vivrelo
