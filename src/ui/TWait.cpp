#include "ui/TWait.h"

#include "ui/DecorPanels.h"
#include "ui/ShellGeometry.h"
#include "ui/WindowChrome.h"
#include "ui_TWait.h"

#include <QCoreApplication>

namespace vivrelo {

TWait::TWait(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TWait>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setProperty("tag", -1);
    setFixedSize(277, 65);

    ui->BackGround->setColors(QColor(51, 152, 255), QColor(0, 67, 179));
    ui->BackGround->setDirection(Qt::Vertical);
    StyleLabel(ui->Lab_Task, 17, true, Qt::white);
    StyleLabel(ui->Lab_Msg, 15, true, QColor(128, 192, 255));
    ui->Gauge_Back->setColors(QColor(0, 40, 120), QColor(0, 55, 150));
    ui->Gauge_Back->hide();
    ui->Gauge_Cursor->setColors(QColor(150, 255, 120), QColor(0, 150, 40));
    ui->Gauge_Cursor->setDirection(Qt::Vertical);
    WindowChrome::prepare(this);
    updateBar();
    placeInWorkArea(); // the maintenance commands place it on the main window instead
}

TWait::~TWait() = default;

void TWait::setTask(const QString &text)
{
    ui->Lab_Task->setText(text);
}

void TWait::setMessage(const QString &text)
{
    ui->Lab_Msg->setText(text);
}

void TWait::setMaximum(int max)
{
    m_max = max;
    updateBar();
}

void TWait::setPosition(int count)
{
    m_count = count;
    updateBar();
}

void TWait::showBar(bool visible)
{
    ui->Gauge_Back->setVisible(visible);
}

void TWait::show()
{
    QWidget::show();
}

void TWait::hide()
{
    QWidget::hide();
}

void TWait::pump()
{
    QCoreApplication::processEvents();
    ui->BackGround->repaint();
}

void TWait::step(const QString &message)
{
    ui->Lab_Msg->setText(message);
    ++m_count;
    updateBar();
}

int TWait::barWidth() const
{
    return ui->Gauge_Cursor->width();
}

void TWait::updateBar()
{
    ui->Gauge_Cursor->resize(BarLength(kTrackWidth, m_count, m_max), 5);
    if (isVisible())
        ui->BackGround->repaint();
}

void TWait::placeInWorkArea()
{
    move(CentredInWorkArea(size(), DesktopWorkArea(this)));
}

void TWait::placeOn(const QWidget *window)
{
    move(CentredOnWindow(size(), window->frameGeometry()));
}

} // namespace vivrelo
