#include "ui/TEnterProperties.h"

#include "base/Error.h"
#include "lists/ListFile.h"
#include "lists/SkinTextures.h"
#include "support/TestDatabase.h"
#include "ui/UiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vivrelo;

namespace {

class EnterProperties : public ::testing::Test
{
protected:
    // A bitmap file of one colour.
    QString bitmap(const char *name, const QColor &colour, QSize size = QSize(40, 30))
    {
        QImage picture(size, QImage::Format_RGB32);
        picture.fill(colour);
        const QString path = db.dirs.root() + QString::fromLatin1(name);
        EXPECT_TRUE(picture.save(path, "BMP"));
        return path;
    }
    // Runs the command between the main window's steps; `act` drives the dialog once shown.
    bool run(const std::function<void(TEnterProperties &)> &act)
    {
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<TEnterProperties *>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            act(*dialog);
        });
        DataSet &labels = db.dm->CustomLabel;
        labels.open();
        labels.edit();
        const bool ok = ShowPropertiesDialog(
            nullptr, *db.dm, *db.objects, [this](QWidget *, const QString &dir, const QString &filter) {
                pickedIn = dir;
                EXPECT_EQ(filter, QStringLiteral("Bitmaps (*.bmp)"));
                return nextFile;
            });
        if (ok)
            labels.post();
        else
            labels.cancel();
        labels.close();
        return ok;
    }
    static void click(QWidget &dialog, const char *name)
    {
        auto *b = dialog.findChild<QAbstractButton *>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        QTest::mouseClick(b, Qt::LeftButton);
    }
    static void retype(QWidget &dialog, const char *name, const QString &text)
    {
        auto *edit = dialog.findChild<QLineEdit *>(QString::fromLatin1(name));
        ASSERT_NE(edit, nullptr) << name;
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QString label(int n)
    {
        return db.scalar(QStringLiteral("SELECT Price0%1 FROM CUSTOMLAB WHERE Id_File=-1").arg(n)).toString();
    }
    int storedTextures() { return db.scalar(QStringLiteral("SELECT COUNT(*) FROM OBJECT_VAL_OLE")).toInt(); }

    EnterProperties() { EnsureListFileRows(*db.dm); }

    test::TestDatabase db;
    QString nextFile;
    QString pickedIn;
};

TEST_F(EnterProperties, OkStoresTheLabelsAndBothTexturesForTheNextRun)
{
    nextFile = bitmap("cover.bmp", QColor(10, 120, 30));
    EXPECT_TRUE(run([](TEnterProperties &d) {
        EXPECT_EQ(d.findChild<QLineEdit *>(QStringLiteral("DBEdit2"))->text(), QStringLiteral("Prix n°2"));
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Propriétés"));
        retype(d, "DBEdit2", QStringLiteral("Hypermarche"));
        click(d, "LMDShapeButton45");
        EXPECT_EQ(d.findChild<QLabel *>(QStringLiteral("Img_Cover"))->pixmap().size(), QSize(40, 30));
        click(d, "Btn_Ok");
    }));
    EXPECT_EQ(pickedIn, db.dirs.programDir() + QStringLiteral("Image/Skin/"));
    EXPECT_EQ(label(1), QStringLiteral("Prix n°1"));
    EXPECT_EQ(label(2), QStringLiteral("Hypermarche"));

    db.reopen();
    const QImage cover = ReadSkinTexture(*db.objects, -1, SkinTexture::Cover);
    EXPECT_EQ(cover.size(), QSize(40, 30));
    EXPECT_EQ(cover.pixelColor(5, 5), QColor(10, 120, 30));
    EXPECT_EQ(ReadSkinTexture(*db.objects, -1, SkinTexture::Background).size(),
        LoadBitmapPicture(DefaultSkinFile(SkinTexture::Background)).size());
    EXPECT_EQ(storedTextures(), 2);
}

TEST_F(EnterProperties, CancelKeepsTheLabelsButTheDefaultsAreStoredOnFirstUse)
{
    db.dm->ADOConnection1.exec(QStringLiteral("UPDATE CUSTOMLAB SET Price01='Marché'"));
    nextFile = bitmap("background.bmp", QColor(200, 0, 0));
    EXPECT_FALSE(run([](TEnterProperties &d) {
        retype(d, "DBEdit1", QStringLiteral("Superette"));
        click(d, "LMDShapeButton18");
        click(d, "Btn_Cancel");
    }));
    EXPECT_EQ(label(1), QStringLiteral("Marché"));
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT COUNT(*) FROM CUSTOMLAB")).toInt(), 1);
    EXPECT_EQ(storedTextures(), 2);
    EXPECT_NE(ReadSkinTexture(*db.objects, -1, SkinTexture::Background).pixelColor(0, 0), QColor(200, 0, 0));

    // Closing by the title bar's picture counts as Cancel.
    EXPECT_FALSE(run([](TEnterProperties &d) {
        QTest::mouseClick(d.findChild<QWidget *>(QStringLiteral("Exit")), Qt::LeftButton);
    }));
}

TEST_F(EnterProperties, AFileThatIsNotABitmapIsRefusedAndThePreviewKept)
{
    db.dm->CustomLabel.open();
    ScriptedPrompter prompter;
    TEnterProperties dialog(db.dm->CustomLabel, *db.objects, -1, &prompter);
    const QImage before = dialog.background();
    dialog.setFilePicker([this](QWidget *, const QString &, const QString &) {
        return db.dirs.writeFile(db.dirs.root() + QStringLiteral("faux.bmp"), "GIF89a pas un bitmap");
    });
    click(dialog, "LMDShapeButton18");
    ASSERT_EQ(prompter.asked().size(), 1u);
    EXPECT_TRUE(prompter.lastText().contains(QStringLiteral("faux.bmp")));
    EXPECT_EQ(dialog.background(), before);
    EXPECT_EQ(dialog.findChild<QLabel *>(QStringLiteral("Img_Background"))->pixmap().toImage().size(), before.size());

    // A default picture that cannot be read: the dialog does not open.
    QFile::remove(DefaultSkinFile(SkinTexture::Cover));
    EXPECT_THROW(TEnterProperties(db.dm->CustomLabel, *db.objects, -1, &prompter), Error);
}

// Not a check: with VIVRELO_SCREENSHOTS set to a folder, saves the dialog as a user sees it.
TEST_F(EnterProperties, Screenshot)
{
    const QString folder = qEnvironmentVariable("VIVRELO_SCREENSHOTS");
    if (folder.isEmpty())
        GTEST_SKIP() << "VIVRELO_SCREENSHOTS not set";
    db.dm->ADOConnection1.exec(
        QStringLiteral("UPDATE CUSTOMLAB SET Price01='Marché', Price02='Hyper', Price03='Épicerie'"));
    db.dm->CustomLabel.open();
    db.dm->CustomLabel.edit();
    TEnterProperties dialog(db.dm->CustomLabel, *db.objects, -1);
    ASSERT_TRUE(test::ShowAndExpose(&dialog));
    QDir().mkpath(folder);
    ASSERT_TRUE(dialog.grab().save(folder + QStringLiteral("/properties.png")));
}

} // namespace
