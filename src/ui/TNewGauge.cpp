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

    // A raised grey panel with its drop shadow.
    m_shadow = std::make_unique<QWidget>(nullptr,
        Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput
            | Qt::WindowDoesNotAcceptFocus);
    m_shadow->setObjectName(QStringLiteral("GaugeShadow"));
    m_shadow->setAttribute(Qt::WA_TranslucentBackground);
    m_shadow->setAttribute(Qt::WA_ShowWithoutActivating);
    m_shadow->setStyleSheet(QStringLiteral("background: rgba(0, 0, 0, 70);"));
    m_shadow->setAttribute(Qt::WA_StyledBackground);
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

void TNewGauge::hide()
{
    QWidget::hide();
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
    move(CentredOnWindow(size(), DesktopWorkArea(this)));
}

void TNewGauge::placeShadow()
{
    if (m_shadow)
        m_shadow->setGeometry(geometry().translated(4, 4));
}

void TNewGauge::showEvent(QShowEvent *event)
{
    placeShadow();
    m_shadow->show();
    raise();
    ui->Pan_Cursor->resize(width() - 22, ui->Pan_Cursor->height());
    updateBar();
    QWidget::showEvent(event);
}

void TNewGauge::hideEvent(QHideEvent *event)
{
    m_shadow->hide();
    QWidget::hideEvent(event);
}

void TNewGauge::moveEvent(QMoveEvent *event)
{
    placeShadow();
    QWidget::moveEvent(event);
}

void TNewGauge::resizeEvent(QResizeEvent *event)
{
    placeShadow();
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
