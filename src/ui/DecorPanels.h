#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QPixmap>
#include <QWidget>

class QLabel;

namespace vivrelo {

// Gives a label the shell's Arial at a pixel size, bold or not, in a colour.
void StyleLabel(QLabel *label, int pixelSize, bool bold, const QColor &color);

// A panel filled with a two-colour gradient, top to bottom or left to right. Its children
// are drawn over the gradient.
class GradientPanel : public QWidget
{
    Q_OBJECT
public:
    explicit GradientPanel(QWidget *parent = nullptr);
    GradientPanel(const QColor &start, const QColor &end, Qt::Orientation direction, QWidget *parent = nullptr);

    void setColors(const QColor &start, const QColor &end);
    QColor startColor() const { return m_start; }
    QColor endColor() const { return m_end; }
    // Qt::Vertical runs the gradient from the top edge to the bottom edge.
    void setDirection(Qt::Orientation direction);
    // A one-pixel outline in this colour; an invalid colour draws none.
    void setBorderColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor m_start{255, 255, 255};
    QColor m_end{230, 230, 230};
    QColor m_border;
    Qt::Orientation m_direction = Qt::Vertical;
};

// Paints `rect` with the gradient the shell uses for its panels and bars.
void PaintGradient(
    QPainter &painter, const QRect &rect, const QColor &start, const QColor &end, Qt::Orientation direction);

// A command button of the left bar: a rounded glassy tile with a picture above its caption,
// lit under the mouse, darker while pressed, greyed when disabled.
class ShapedButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit ShapedButton(QWidget *parent = nullptr);
    ShapedButton(const QString &text, const QPixmap &picture, QWidget *parent = nullptr);

    void setPicture(const QPixmap &picture);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;

private:
    QPixmap m_picture;
    bool m_hover = false;
};

} // namespace vivrelo
