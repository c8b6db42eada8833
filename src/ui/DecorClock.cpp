#include "ui/DecorClock.h"

#include <QLinearGradient>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>

namespace vivrelo {

namespace {

// Segments a..g of each figure, as bits 0..6: top, top right, bottom right, bottom,
// bottom left, top left, middle.
constexpr unsigned char kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};

void DrawSegment(QPainter &p, const QPointF &a, const QPointF &b, double t, const QColor &c)
{
    // A bar with pointed ends from a to b, t thick.
    const QPointF d = b - a;
    const bool horizontal = qAbs(d.x()) > qAbs(d.y());
    QPainterPath path;
    if (horizontal) {
        path.moveTo(a);
        path.lineTo(a.x() + t / 2, a.y() - t / 2);
        path.lineTo(b.x() - t / 2, b.y() - t / 2);
        path.lineTo(b);
        path.lineTo(b.x() - t / 2, b.y() + t / 2);
        path.lineTo(a.x() + t / 2, a.y() + t / 2);
    } else {
        path.moveTo(a);
        path.lineTo(a.x() + t / 2, a.y() + t / 2);
        path.lineTo(b.x() + t / 2, b.y() - t / 2);
        path.lineTo(b);
        path.lineTo(b.x() - t / 2, b.y() - t / 2);
        path.lineTo(a.x() - t / 2, a.y() + t / 2);
    }
    path.closeSubpath();
    p.fillPath(path, c);
}

void DrawFigure(QPainter &p, const QRectF &r, int figure, const QColor &on, const QColor &off)
{
    const double t = qMax(1.5, r.width() / 4.5);
    const double l = r.left() + t / 2, rt = r.right() - t / 2;
    const double top = r.top() + t / 2, mid = r.center().y(), bot = r.bottom() - t / 2;
    const QPointF ends[7][2] = {
        {{l + 0.5, top}, {rt - 0.5, top}},
        {{rt, top + 0.5}, {rt, mid - 0.5}},
        {{rt, mid + 0.5}, {rt, bot - 0.5}},
        {{l + 0.5, bot}, {rt - 0.5, bot}},
        {{l, mid + 0.5}, {l, bot - 0.5}},
        {{l, top + 0.5}, {l, mid - 0.5}},
        {{l + 0.5, mid}, {rt - 0.5, mid}},
    };
    const unsigned char lit = figure >= 0 && figure <= 9 ? kSegments[figure] : 0;
    for (int s = 0; s < 7; ++s)
        DrawSegment(p, ends[s][0], ends[s][1], t, (lit >> s) & 1 ? on : off);
}

} // namespace

DigitalTimeLabel::DigitalTimeLabel(QWidget *parent)
    : QWidget(parent)
{ }

void DigitalTimeLabel::setText(const QString &text)
{
    if (text == m_text)
        return;
    m_text = text;
    update();
}

void DigitalTimeLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient glass(frame.topLeft(), frame.bottomLeft());
    glass.setColorAt(0, QColor(30, 40, 38));
    glass.setColorAt(1, QColor(8, 14, 12));
    p.setPen(QPen(QColor(90, 110, 140), 1));
    p.setBrush(glass);
    p.drawRoundedRect(frame, 3, 3);

    const QColor on(90, 255, 140);
    const QColor off(30, 62, 44);
    const double h = height() - 6.0;
    const double figureWidth = h * 0.5;
    const double colonWidth = h * 0.3;
    const double gap = h * 0.12;
    double total = 0;
    for (const QChar c : m_text)
        total += (c.isDigit() ? figureWidth : colonWidth) + gap;
    total -= gap;
    double x = (width() - total) / 2;
    const double y = 3;
    for (const QChar c : m_text) {
        if (c.isDigit()) {
            DrawFigure(p, QRectF(x, y, figureWidth, h), c.digitValue(), on, off);
            x += figureWidth + gap;
        } else {
            const double d = qMax(1.5, colonWidth * 0.55);
            const QColor dot = c == QLatin1Char(':') ? on : off;
            p.setPen(Qt::NoPen);
            p.setBrush(dot);
            p.drawEllipse(QRectF(x + (colonWidth - d) / 2, y + h * 0.3 - d / 2, d, d));
            p.drawEllipse(QRectF(x + (colonWidth - d) / 2, y + h * 0.7 - d / 2, d, d));
            x += colonWidth + gap;
        }
    }
}

MiniCalendar::MiniCalendar(QWidget *parent)
    : QWidget(parent)
{ }

void MiniCalendar::setDate(const QDate &date)
{
    m_date = date;
    update();
}

void MiniCalendar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QLocale fr(QLocale::French, QLocale::France);
    const QRectF page = QRectF(rect()).adjusted(1.5, 1.5, -2.5, -2.5);
    QPainterPath shape;
    shape.addRoundedRect(page, 4, 4);
    p.fillPath(shape.translated(1, 1), QColor(0, 0, 0, 60));
    p.fillPath(shape, QColor(255, 255, 255));

    const double band = page.height() * 0.28;
    QPainterPath head;
    head.addRoundedRect(QRectF(page.left(), page.top(), page.width(), band + 4), 4, 4);
    QPainterPath headClip;
    headClip.addRect(QRectF(page.left(), page.top(), page.width(), band));
    QLinearGradient red(page.topLeft(), QPointF(page.left(), page.top() + band));
    red.setColorAt(0, QColor(235, 80, 70));
    red.setColorAt(1, QColor(185, 25, 20));
    p.fillPath(head.intersected(headClip), red);
    p.setPen(QPen(QColor(120, 130, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shape);

    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    f.setPixelSize(qMax(7, int(band * 0.75)));
    p.setFont(f);
    p.setPen(Qt::white);
    const QString month = fr.monthName(m_date.month(), QLocale::ShortFormat).remove(QLatin1Char('.')).toUpper();
    p.drawText(QRectF(page.left(), page.top(), page.width(), band), Qt::AlignCenter, month);

    f.setPixelSize(qMax(9, int(page.height() * 0.42)));
    p.setFont(f);
    p.setPen(QColor(30, 40, 60));
    const QRectF body(page.left(), page.top() + band, page.width(), page.height() - band);
    p.drawText(body.adjusted(0, -2, 0, -body.height() * 0.28), Qt::AlignCenter, QString::number(m_date.day()));
    f.setBold(false);
    f.setPixelSize(qMax(6, int(page.height() * 0.16)));
    p.setFont(f);
    p.setPen(QColor(110, 120, 140));
    p.drawText(QRectF(body.left(), body.bottom() - body.height() * 0.34, body.width(), body.height() * 0.3),
        Qt::AlignCenter, fr.dayName(m_date.dayOfWeek(), QLocale::ShortFormat));
}

} // namespace vivrelo
