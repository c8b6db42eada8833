#include "ui/MessageBoxPrompter.h"

#include "support/TestDirs.h"
#include "ui/TNewGauge.h"
#include "ui/UiTestSupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

using namespace vivrelo;
using namespace vivrelo::test;

namespace {

class MessageBoxPrompterTest : public ::testing::Test
{
protected:
    TestDirs dirs;
};

// Once the next modal box is up, presses the button with that caption (or Escape).
void PressWhenShown(const QString &caption)
{
    QTimer::singleShot(30, [caption] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            PressWhenShown(caption);
            return;
        }
        if (caption.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Escape);
            return;
        }
        for (QAbstractButton *b : box->buttons())
            if (b->text() == caption)
                QTest::mouseClick(b, Qt::LeftButton);
    });
}

TEST_F(MessageBoxPrompterTest, BoxesSpeakFrenchAndShowTheTextAsWritten)
{
    ASSERT_TRUE(InstallFrenchTranslations(*QCoreApplication::instance()));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));

    auto ask = MakeMessageBox(
        MessageKind::Confirmation, QStringLiteral("IMPORTANT !!\r\rLigne <b>2</b>\r\nfin"), MessageButtons::YesNo);
    EXPECT_EQ(ask->text(), QStringLiteral("IMPORTANT !!\n\nLigne <b>2</b>\nfin"));
    EXPECT_EQ(ask->textFormat(), Qt::PlainText);
    EXPECT_EQ(ask->windowTitle(), QStringLiteral("Talvane Vivrelo"));
    EXPECT_EQ(ask->icon(), QMessageBox::Question);
    ASSERT_EQ(ask->buttons().size(), 2);
    EXPECT_EQ(ask->defaultButton()->text(), QStringLiteral("Oui"));
    EXPECT_EQ(ask->escapeButton()->text(), QStringLiteral("Non"));

    const struct {
        MessageKind kind;
        QMessageBox::Icon icon;
    } kinds[] = {{MessageKind::Information, QMessageBox::Information}, {MessageKind::Warning, QMessageBox::Warning},
        {MessageKind::Error, QMessageBox::Critical}, {MessageKind::Plain, QMessageBox::NoIcon}};
    for (const auto &k : kinds) {
        auto box = MakeMessageBox(k.kind, QStringLiteral("Texte"), MessageButtons::Ok);
        EXPECT_EQ(box->icon(), k.icon);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->buttons().front()->text(), QStringLiteral("OK"));
    }
}

TEST_F(MessageBoxPrompterTest, AnswersComeFromTheButtonPressed)
{
    MessageBoxPrompter prompter;
    PressWhenShown(QStringLiteral("Non"));
    EXPECT_FALSE(prompter.confirm(QStringLiteral("Valider la liste ?")));
    PressWhenShown(QStringLiteral("Oui"));
    EXPECT_TRUE(prompter.confirm(QStringLiteral("Valider la liste ?")));
    PressWhenShown(QString()); // Escape
    EXPECT_EQ(prompter.ask(MessageKind::Confirmation, QStringLiteral("Purger ?"), MessageButtons::YesNo), Answer::No);
    PressWhenShown(QStringLiteral("OK"));
    EXPECT_EQ(prompter.ask(MessageKind::Error, QStringLiteral("Erreur"), MessageButtons::Ok), Answer::Ok);
    ASSERT_EQ(prompter.shown().size(), 4u);
    EXPECT_EQ(prompter.shown()[3].buttons, QStringList{QStringLiteral("OK")});
}

TEST_F(MessageBoxPrompterTest, AQuestionAskedUnderAProgressWindowStandsAboveIt)
{
    TNewGauge gauge;
    gauge.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
    bool onTop = false, active = false, focused = false;
    std::function<void()> check = [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(20, check);
            return;
        }
        onTop = box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        active = QTest::qWaitFor([box] { return QApplication::activeWindow() == box; });
        focused = QTest::qWaitFor([box] { return box->focusWidget() == box->defaultButton(); });
        QTest::mouseClick(box->defaultButton(), Qt::LeftButton);
    };
    QTimer::singleShot(20, check);
    MessageBoxPrompter prompter;
    EXPECT_TRUE(prompter.confirm(QStringLiteral("Souhaitez-vous effectuer une sauvegarde ?")));
    EXPECT_TRUE(onTop);
    EXPECT_TRUE(active);
    EXPECT_TRUE(focused);
}

TEST_F(MessageBoxPrompterTest, QueuedAnswersAreGivenWithoutShowingABoxAndRecorded)
{
    MessageBoxPrompter prompter;
    prompter.answerNext(Answer::Yes);
    prompter.answerNext(Answer::No);
    prompter.answerNext(Answer::Ok);
    bool boxShown = false;
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget *w = QApplication::activeModalWidget()) {
            boxShown = true;
            w->close();
        }
    });
    guard.start(20);

    EXPECT_TRUE(prompter.confirm(QStringLiteral("Première\rquestion")));
    EXPECT_FALSE(prompter.confirm(QStringLiteral("Seconde")));
    prompter.warn(QStringLiteral("Attention"));
    EXPECT_FALSE(boxShown);

    ASSERT_EQ(prompter.shown().size(), 3u);
    const auto &first = prompter.shown().front();
    EXPECT_EQ(first.kind, MessageKind::Confirmation);
    EXPECT_EQ(first.text, QStringLiteral("Première\nquestion"));
    EXPECT_EQ(first.buttons, (QStringList{QStringLiteral("Oui"), QStringLiteral("Non")}));
    EXPECT_EQ(first.title, QStringLiteral("Talvane Vivrelo"));
    EXPECT_EQ(prompter.shown()[2].kind, MessageKind::Warning);
}

} // namespace
