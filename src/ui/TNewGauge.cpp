#include "ui/TNewGauge.h"

#include "ui/DecorPanels.h"
#include "ui/ShellGeometry.h"
#include "ui/WindowChrome.h"
#include "ui_TNewGauge.h"

#include <QCoreApplication>

namespace vivrelo {

TNewGauge::TNewGauge(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TNewGauge>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setProperty("tag", -1);
    resize(222, 56);

    // A raised grey panel: the window system adds its shadow where it draws one.
    ui->Panel->setColors(QColor(230, 230, 230), QColor(230, 230, 230));
    ui->Panel->setBorderColor(QColor(128, 128, 128));
    ui->Pan_Cursor->setColors(QColor(255, 255, 255), QColor(240, 240, 240));
    ui->Pan_Cursor->setBorderColor(QColor(160, 160, 160));
    ui->Cursor->setColors(QColor(51, 152, 255), QColor(0, 67, 179));
    StyleLabel(ui->info, 11, false, Qt::black);
    WindowChrome::prepare(this);
    placeInWorkArea();
}

TNewGauge::~TNewGauge() = default;

void TNewGauge::setTask(const QString &text)
{
    ui->info->setText(text);
}

void TNewGauge::setMessage(const QString &text)
{
    ui->info->setText(text);
}

void TNewGauge::setMaximum(int maximum)
{
    m_maximum = maximum;
    updateBar();
}

void TNewGauge::setPosition(int position)
{
    m_position = position;
    updateBar();
}

void TNewGauge::show()
{
    QWidget::show();
}

void TNewGauge::pump()
{
    QCoreApplication::processEvents();
    ui->Panel->repaint();
}

int TNewGauge::trackWidth() const
{
    return ui->Pan_Cursor->width();
}

int TNewGauge::barWidth() const
{
    return ui->Cursor->width();
}

void TNewGauge::placeInWorkArea()
{
    move(CentredInWorkArea(size(), DesktopWorkArea(this)));
}

void TNewGauge::showEvent(QShowEvent *event)
{
    ui->Pan_Cursor->resize(width() - 22, ui->Pan_Cursor->height());
    updateBar();
    QWidget::showEvent(event);
}

void TNewGauge::resizeEvent(QResizeEvent *event)
{
    ui->Panel->resize(size());
    QWidget::resizeEvent(event);
}

void TNewGauge::updateBar()
{
    ui->Cursor->resize(BarLength(trackWidth() - 5, m_position, m_maximum), 11);
    if (isVisible())
        ui->Panel->repaint();
}

} // namespace vivrelo
