#include "ui/MessageBoxPrompter.h"

#include "base/AppValues.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

namespace vivrelo {

namespace {

QString DisplayedText(const QString &text)
{
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QMessageBox::Icon IconOf(MessageKind kind)
{
    switch (kind) {
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    case MessageKind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(
    MessageKind kind, const QString &text, MessageButtons buttons, QWidget *parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setObjectName(QStringLiteral("MessageBox"));
    box->setWindowTitle(App().productName);
    box->setIcon(IconOf(kind));
    box->setTextFormat(Qt::PlainText);
    // Above every window, the progress windows that stay on top included (the upgrade asks
    // its backup question while its progress window is up): its buttons are never covered.
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->setText(DisplayedText(text));
    if (buttons == MessageButtons::YesNo) {
        QPushButton *yes = box->addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
        QPushButton *no = box->addButton(QStringLiteral("Non"), QMessageBox::NoRole);
        yes->setObjectName(QStringLiteral("Btn_Yes"));
        no->setObjectName(QStringLiteral("Btn_No"));
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
    } else {
        QPushButton *ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        ok->setObjectName(QStringLiteral("Btn_Ok"));
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
    }
    return box;
}

Answer MessageBoxPrompter::ask(MessageKind kind, const QString &text, MessageButtons buttons)
{
    // Without a parent of its own the box stands over the window the user is working in.
    QWidget *parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    const std::unique_ptr<QMessageBox> box = MakeMessageBox(kind, text, buttons, parent);
    Shown shown{kind, box->text(), {}, box->windowTitle()};
    for (QAbstractButton *b : box->buttons())
        shown.buttons.append(b->text());
    m_shown.push_back(shown);

    if (!m_answers.empty()) {
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    box->exec();
    if (buttons == MessageButtons::Ok)
        return Answer::Ok;
    const QAbstractButton *clicked = box->clickedButton();
    return clicked && box->buttonRole(const_cast<QAbstractButton *>(clicked)) == QMessageBox::YesRole ? Answer::Yes
                                                                                                      : Answer::No;
}

bool InstallFrenchTranslations(QCoreApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto *translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    app.installTranslator(translator);
    return true;
}

} // namespace vivrelo
