#pragma once

#include "base/Prompter.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <deque>
#include <memory>
#include <vector>

class QCoreApplication;
class QMessageBox;

namespace vivrelo {

// The message box of a kind: icon by kind (none for a plain box), "OK" or "Oui"/"Non" in
// French whatever the Qt translation, "\r" line breaks shown as line breaks, the text taken
// as plain text (never as markup), the product name as window title. Escape answers "Non"
// (or "OK").
std::unique_ptr<QMessageBox> MakeMessageBox(
    MessageKind kind, const QString &text, MessageButtons buttons, QWidget *parent = nullptr);

// The windows' prompter: asks through a modal message box over the parent window.
class MessageBoxPrompter : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget *parent = nullptr)
        : m_parent(parent)
    { }
    Answer ask(MessageKind kind, const QString &text, MessageButtons buttons) override;

    // What a box showed: for tests and for the record of an unattended run.
    struct Shown {
        MessageKind kind;
        QString text; // as displayed, line breaks turned into "\n"
        QStringList buttons; // captions, in order
        QString title;
    };
    // The next questions are answered by these answers, in order, without showing a box.
    void answerNext(Answer answer) { m_answers.push_back(answer); }
    const std::vector<Shown> &shown() const { return m_shown; }

private:
    QPointer<QWidget> m_parent;
    std::deque<Answer> m_answers;
    std::vector<Shown> m_shown;
};

// Installs Qt's own French texts (qtbase_fr from Qt's translations folder) and makes French
// the default locale. False when the translation file is missing; the locale is set anyway.
bool InstallFrenchTranslations(QCoreApplication &app);

} // namespace vivrelo
