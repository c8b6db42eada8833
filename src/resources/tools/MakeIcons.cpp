// Draws the program's icon (a shopping list on a clipboard, with ticks and a basket) at the
// sizes the desktop asks for, into OUTDIR/NxN/apps/vivrelo.png.
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

static QImage drawIcon(int size)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 256.0, size / 256.0);

    // Clipboard board.
    QLinearGradient board(0, 0, 0, 256);
    board.setColorAt(0, QColor(51, 152, 255));
    board.setColorAt(1, QColor(0, 80, 210));
    p.setPen(Qt::NoPen);
    p.setBrush(board);
    p.drawRoundedRect(QRectF(28, 20, 200, 224), 28, 28);
    // Paper.
    p.setBrush(QColor(255, 255, 242));
    p.drawRoundedRect(QRectF(48, 44, 160, 184), 12, 12);
    // Clip.
    p.setBrush(QColor(192, 192, 192));
    p.drawRoundedRect(QRectF(92, 10, 72, 40), 12, 12);
    // Three list lines with ticks.
    const QColor green(40, 160, 60);
    for (int i = 0; i < 3; ++i) {
        const double y = 82 + i * 44;
        p.setPen(QPen(green, 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPainterPath tick;
        tick.moveTo(66, y);
        tick.lineTo(78, y + 12);
        tick.lineTo(98, y - 10);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
        p.setPen(QPen(QColor(104, 137, 206), 10, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(114, y + 2), QPointF(i == 2 ? 150 : 186, y + 2));
    }
    // A small basket in the corner.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(230, 120, 30));
    QPainterPath basket;
    basket.moveTo(150, 196);
    basket.lineTo(236, 196);
    basket.lineTo(224, 244);
    basket.lineTo(162, 244);
    basket.closeSubpath();
    p.drawPath(basket);
    p.setPen(QPen(QColor(150, 70, 10), 8, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(164, 166, 58, 60), 0, 180 * 16);
    p.end();
    return img;
}

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vivrelo-make-icons OUTDIR\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(out).arg(size);
        QDir().mkpath(dir);
        if (!drawIcon(size).save(dir + QStringLiteral("/vivrelo.png"), "PNG")) {
            std::fprintf(stderr, "cannot write the icon of size %d\n", size);
            return 1;
        }
    }
    return 0;
}
