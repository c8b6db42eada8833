#include "ui/DecorPanels.h"

#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace vivrelo {

void StyleLabel(QLabel *label, int pixelSize, bool bold, const QColor &color)
{
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label->setFont(f);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

void PaintGradient(
    QPainter &painter, const QRect &rect, const QColor &start, const QColor &end, Qt::Orientation direction)
{
    if (rect.isEmpty())
        return;
    const QPointF from = rect.topLeft();
    const QPointF to =
        direction == Qt::Vertical ? QPointF(rect.left(), rect.bottom()) : QPointF(rect.right(), rect.top());
    QLinearGradient gradient(from, to);
    gradient.setColorAt(0, start);
    gradient.setColorAt(1, end);
    painter.fillRect(rect, gradient);
}

GradientPanel::GradientPanel(QWidget *parent)
    : QWidget(parent)
{ }

GradientPanel::GradientPanel(const QColor &start, const QColor &end, Qt::Orientation direction, QWidget *parent)
    : QWidget(parent)
    , m_start(start)
    , m_end(end)
    , m_direction(direction)
{ }

void GradientPanel::setColors(const QColor &start, const QColor &end)
{
    if (start == m_start && end == m_end)
        return;
    m_start = start;
    m_end = end;
    update();
}

void GradientPanel::setDirection(Qt::Orientation direction)
{
    m_direction = direction;
    update();
}

void GradientPanel::setBorderColor(const QColor &color)
{
    m_border = color;
    update();
}

void GradientPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    PaintGradient(p, rect(), m_start, m_end, m_direction);
    if (m_border.isValid()) {
        p.setPen(m_border);
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

ShapedButton::ShapedButton(QWidget *parent)
    : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

ShapedButton::ShapedButton(const QString &text, const QPixmap &picture, QWidget *parent)
    : ShapedButton(parent)
{
    setText(text);
    m_picture = picture;
}

void ShapedButton::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

QSize ShapedButton::sizeHint() const
{
    return {50, 65};
}

void ShapedButton::enterEvent(QEnterEvent *event)
{
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ShapedButton::leaveEvent(QEvent *event)
{
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ShapedButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF tile = QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5);
    QPainterPath shape;
    shape.addRoundedRect(tile, 7, 7);

    QColor top(250, 252, 255), bottom(200, 218, 245), edge(120, 150, 200);
    if (!isEnabled()) {
        top = QColor(240, 240, 240);
        bottom = QColor(215, 215, 215);
        edge = QColor(180, 180, 180);
    } else if (isDown()) {
        top = QColor(170, 200, 245);
        bottom = QColor(120, 165, 235);
        edge = QColor(60, 100, 180);
    } else if (m_hover) {
        top = QColor(255, 255, 255);
        bottom = QColor(170, 205, 255);
        edge = QColor(51, 152, 255);
    }
    QLinearGradient g(tile.topLeft(), tile.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(0.5, bottom.lighter(108));
    g.setColorAt(1, bottom);
    p.fillPath(shape, g);
    p.setPen(QPen(edge, 1));
    p.drawPath(shape);

    // Gloss on the upper half.
    QPainterPath gloss;
    gloss.addRoundedRect(tile.adjusted(2, 2, -2, -tile.height() / 2), 5, 5);
    p.fillPath(gloss, QColor(255, 255, 255, isEnabled() ? 90 : 40));

    const int pictureBottom = 8 + (m_picture.isNull() ? 0 : m_picture.height());
    if (!m_picture.isNull()) {
        const int x = (width() - m_picture.width()) / 2;
        if (isEnabled()) {
            p.drawPixmap(x, 8, m_picture);
        } else {
            p.setOpacity(0.4);
            p.drawPixmap(x, 8, m_picture);
            p.setOpacity(1);
        }
    }
    // The caption takes the largest size up to 10 pixels that fits the tile.
    QFont f = font();
    f.setBold(true);
    for (int size = 10; size >= 7; --size) {
        f.setPixelSize(size);
        if (QFontMetrics(f).horizontalAdvance(QString(text()).remove(QLatin1Char('&'))) <= width() - 6)
            break;
    }
    p.setFont(f);
    p.setPen(isEnabled() ? QColor(20, 50, 110) : QColor(160, 160, 160));
    const QRect textRect(0, m_picture.isNull() ? 0 : pictureBottom, width(),
        m_picture.isNull() ? height() : height() - pictureBottom - 4);
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, text());
}

} // namespace vivrelo
