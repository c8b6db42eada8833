// Draws the small pictures of the window shell into src/resources/pictures/. Run by hand when
// a picture changes; the PNG files it writes are committed and listed in vivrelo.qrc.
//   g++ -std=c++20 -fPIC MakePictures.cpp $(pkg-config --cflags --libs Qt6Gui) -o make-pictures
//   QT_QPA_PLATFORM=offscreen ./make-pictures ../pictures
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

QString g_dir;

void make(const char *name, int w, int h, const std::function<void(QPainter &)> &draw)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    p.end();
    const QString path = g_dir + QLatin1String(name) + QStringLiteral(".png");
    if (!image.save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

// The rounded square behind the title-bar glyphs: a glassy white frame over the bar's blue.
void buttonBase(QPainter &p, const QColor &top, const QColor &bottom)
{
    QLinearGradient g(0, 0, 0, 16);
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setPen(QPen(QColor(255, 255, 255, 220), 1));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
}

void arrow(QPainter &p, const QRectF &r, bool up, const QColor &fill, const QColor &edge)
{
    QPainterPath path;
    const double cx = r.center().x();
    const double hw = r.width() / 2;
    const double stem = r.width() / 5;
    const double head = r.height() * 0.55;
    if (up) {
        path.moveTo(cx, r.top());
        path.lineTo(cx + hw, r.top() + head);
        path.lineTo(cx + stem, r.top() + head);
        path.lineTo(cx + stem, r.bottom());
        path.lineTo(cx - stem, r.bottom());
        path.lineTo(cx - stem, r.top() + head);
        path.lineTo(cx - hw, r.top() + head);
    } else {
        path.moveTo(cx, r.bottom());
        path.lineTo(cx + hw, r.bottom() - head);
        path.lineTo(cx + stem, r.bottom() - head);
        path.lineTo(cx + stem, r.top());
        path.lineTo(cx - stem, r.top());
        path.lineTo(cx - stem, r.bottom() - head);
        path.lineTo(cx - hw, r.bottom() - head);
    }
    path.closeSubpath();
    p.setPen(QPen(edge, 1));
    p.setBrush(fill);
    p.drawPath(path);
}

// The pictures of the list and the catalogue grid.
void makeListMarkers()
{
    // The tick of a product to buy, also the tick of a checked menu entry.
    make("tick", 14, 14, [](QPainter &p) {
        QPainterPath path;
        path.moveTo(2, 7.5);
        path.lineTo(5.5, 11);
        path.lineTo(12, 3);
        p.setPen(QPen(QColor(0, 120, 40), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    });

    // Stock below its minimum: a small red disc with a white bar.
    make("alarm", 10, 10, [](QPainter &p) {
        QRadialGradient g(4, 3.5, 6);
        g.setColorAt(0, QColor(255, 120, 100));
        g.setColorAt(1, QColor(200, 0, 0));
        p.setPen(QPen(QColor(140, 0, 0), 0.8));
        p.setBrush(g);
        p.drawEllipse(QRectF(0.5, 0.5, 9, 9));
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(QRect(4, 2, 2, 4), Qt::white);
        p.fillRect(QRect(4, 7, 2, 1), Qt::white);
    });

    // The price markers: cheapest column, in between, dearest column.
    make("cheapest", 20, 18,
        [](QPainter &p) { arrow(p, QRectF(3, 1, 14, 16), false, QColor(40, 170, 60), QColor(0, 100, 20)); });
    make("between", 20, 18, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(90, 110, 160));
        p.drawRoundedRect(QRectF(3, 5, 14, 3), 1, 1);
        p.drawRoundedRect(QRectF(3, 10, 14, 3), 1, 1);
    });
    make("dearest", 20, 18,
        [](QPainter &p) { arrow(p, QRectF(3, 1, 14, 16), true, QColor(220, 40, 30), QColor(140, 0, 0)); });
}

// The window frame's own pictures: title-bar buttons, resize grip, spin arrows.
void makeFramePictures()
{
    // Title-bar buttons.
    make("close", 16, 16, [](QPainter &p) {
        buttonBase(p, QColor(235, 120, 100), QColor(190, 40, 20));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(11, 11));
        p.drawLine(QPointF(11, 5), QPointF(5, 11));
    });
    make("minimise", 16, 16, [](QPainter &p) {
        buttonBase(p, QColor(110, 170, 255), QColor(20, 90, 210));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 11), QPointF(11, 11));
    });
    make("maximise", 16, 16, [](QPainter &p) {
        buttonBase(p, QColor(110, 170, 255), QColor(20, 90, 210));
        p.setPen(QPen(Qt::white, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(4.5, 4.5, 7, 7));
        p.drawLine(QPointF(4.5, 5.5), QPointF(11.5, 5.5));
    });
    make("restore", 16, 16, [](QPainter &p) {
        buttonBase(p, QColor(110, 170, 255), QColor(20, 90, 210));
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(6.5, 3.5, 6, 6));
        p.setBrush(QColor(40, 110, 220));
        p.drawRect(QRectF(3.5, 6.5, 6, 6));
    });

    // Resize grip: three rows of raised dots along the diagonal.
    make("grip", 12, 12, [](QPainter &p) {
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int row = 0; row < 3; ++row)
            for (int col = 2 - row; col < 3; ++col) {
                const int x = 1 + col * 4;
                const int y = 1 + row * 4;
                p.fillRect(QRect(x + 1, y + 1, 2, 2), QColor(255, 255, 255));
                p.fillRect(QRect(x, y, 2, 2), QColor(120, 130, 150));
            }
    });

    // Spin arrows.
    const auto spin = [](bool up) {
        return [up](QPainter &p) {
            QLinearGradient g(0, 0, 0, 9);
            g.setColorAt(0, QColor(250, 250, 252));
            g.setColorAt(1, QColor(205, 212, 225));
            p.setPen(QPen(QColor(140, 150, 170), 1));
            p.setBrush(g);
            p.drawRoundedRect(QRectF(0.5, 0.5, 13, 8), 2, 2);
            QPainterPath tri;
            if (up) {
                tri.moveTo(7, 2.5);
                tri.lineTo(10, 6);
                tri.lineTo(4, 6);
            } else {
                tri.moveTo(7, 6.5);
                tri.lineTo(10, 3);
                tri.lineTo(4, 3);
            }
            tri.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 60, 110));
            p.drawPath(tri);
        };
    };
    make("spin_up", 14, 9, spin(true));
    make("spin_down", 14, 9, spin(false));
}

void makeSplashPictures()
{
    // The splash's picture on the left: a shopping basket on a soft blue disc.
    make("splash_basket", 120, 130, [](QPainter &p) {
        QRadialGradient halo(60, 62, 58);
        halo.setColorAt(0, QColor(210, 230, 255));
        halo.setColorAt(1, QColor(255, 255, 255, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(halo);
        p.drawEllipse(QRectF(2, 4, 116, 116));
        // Handle.
        p.setPen(QPen(QColor(0, 80, 210), 6, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(30, 18, 60, 64), 20 * 16, 140 * 16);
        // Goods sticking out.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 170, 60));
        p.drawEllipse(QRectF(34, 40, 22, 22));
        p.setBrush(QColor(240, 170, 30));
        p.drawRoundedRect(QRectF(54, 30, 16, 32), 3, 3);
        p.setBrush(QColor(220, 50, 40));
        p.drawEllipse(QRectF(66, 42, 20, 20));
        // Basket body.
        QPainterPath body;
        body.moveTo(18, 56);
        body.lineTo(102, 56);
        body.lineTo(92, 104);
        body.lineTo(28, 104);
        body.closeSubpath();
        QLinearGradient g(0, 56, 0, 104);
        g.setColorAt(0, QColor(51, 152, 255));
        g.setColorAt(1, QColor(0, 67, 179));
        p.setBrush(g);
        p.setPen(QPen(QColor(0, 50, 140), 1.5));
        p.drawPath(body);
        p.setPen(QPen(QColor(255, 255, 255, 150), 2));
        for (int i = 0; i < 5; ++i) {
            const double x = 34 + i * 13;
            p.drawLine(QPointF(x, 62), QPointF(x + (i - 2) * 1.5, 98));
        }
        p.drawLine(QPointF(22, 70), QPointF(98, 70));
        p.drawLine(QPointF(25, 86), QPointF(95, 86));
    });

    // The splash's title: the product name in the title-bar blue.
    make("splash_title", 270, 46, [](QPainter &p) {
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(34);
        f.setBold(true);
        f.setItalic(true);
        p.setFont(f);
        QLinearGradient g(0, 4, 0, 42);
        g.setColorAt(0, QColor(51, 152, 255));
        g.setColorAt(1, QColor(0, 67, 179));
        QPainterPath text;
        text.addText(4, 36, f, QStringLiteral("Vivrelo"));
        p.setPen(QPen(QColor(0, 40, 120, 90), 3));
        p.drawPath(text.translated(2, 2));
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawPath(text);
        QFont small(QStringLiteral("Liberation Sans"));
        small.setPixelSize(13);
        small.setBold(true);
        p.setFont(small);
        p.setPen(QColor(120, 130, 150));
        p.drawText(QRectF(160, 10, 110, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Talvane"));
    });
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-pictures OUTPUT_DIR\n");
        return 2;
    }
    g_dir = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    makeListMarkers();
    makeFramePictures();
    makeSplashPictures();
    return 0;
}
