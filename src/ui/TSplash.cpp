#include "ui/TSplash.h"

#include "base/AppValues.h"
#include "ui/DecorPanels.h"
#include "ui/ShellGeometry.h"
#include "ui/ShellPictures.h"
#include "ui/WindowChrome.h"
#include "ui_TSplash.h"

#include <QCoreApplication>

namespace vivrelo {

TSplash::TSplash(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TSplash>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setFixedSize(435, 170);

    ui->Panel->setColors(Qt::white, Qt::white);
    ui->Panel->setBorderColor(QColor(192, 192, 192));
    ui->Img_Left->setPixmap(ShellPicture(QStringLiteral("splash_basket")));
    ui->Img_Title->setPixmap(ShellPicture(QStringLiteral("splash_title")));
    ui->version_->setText(QStringLiteral("Version ") + App().productVersion);
    StyleLabel(ui->version_, 12, true, QColor(0, 67, 179));
    StyleLabel(ui->info, 11, false, Qt::black);
    ui->barre->setStyleSheet(QStringLiteral("QProgressBar { border: none; background: rgb(226, 234, 248); }"
                                            "QProgressBar::chunk { background: qlineargradient(x1:0, y1:0, x2:1, y2:0,"
                                            " stop:0 rgb(51, 152, 255), stop:1 rgb(0, 80, 210)); }"));
    WindowChrome::prepare(this);
    move(CentredOnWindow(size(), DesktopWorkArea(this))); // centred on the screen, halves truncated
}

TSplash::~TSplash() = default;

void TSplash::setTask(const QString &text)
{
    ui->info->setText(text);
}

void TSplash::setMessage(const QString &text)
{
    ui->info->setText(text);
}

void TSplash::setMaximum(int maximum)
{
    ui->barre->setMaximum(qMax(0, maximum));
}

void TSplash::setPosition(int position)
{
    ui->barre->setValue(qBound(ui->barre->minimum(), position, ui->barre->maximum()));
}

void TSplash::show()
{
    QWidget::show();
}

void TSplash::pump()
{
    QCoreApplication::processEvents();
    if (isVisible())
        repaint();
}

QString TSplash::infoText() const
{
    return ui->info->text();
}

int TSplash::position() const
{
    return ui->barre->value();
}

} // namespace vivrelo
