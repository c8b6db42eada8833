#include "ui/DecorNotebook.h"

#include <QLinearGradient>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>

namespace vivrelo {

namespace {

constexpr int kOuterMargin = 6; // background visible around the book
constexpr int kCoverMargin = 9; // cover visible around the leaves
constexpr int kSpineWidth = 14;

const QColor kPaper(253, 252, 246);
const QColor kDefaultBackground(196, 206, 222);
const QColor kDefaultCover(40, 70, 130);

} // namespace

TabNoteBook::TabNoteBook(QWidget *parent)
    : QWidget(parent)
    , m_page(new QWidget(this))
{
    m_page->setObjectName(QStringLiteral("Page"));
    m_page->setAutoFillBackground(false);
}

void TabNoteBook::setBackground(const QPixmap &picture)
{
    m_background = picture;
    m_drawn = QPixmap();
    update();
}

void TabNoteBook::setCover(const QPixmap &picture)
{
    m_cover = picture;
    m_drawn = QPixmap();
    update();
}

void TabNoteBook::redraw()
{
    m_page->setGeometry(pageRect());
    m_drawn = QPixmap();
    update();
    m_page->update();
}

QRect TabNoteBook::coverRect() const
{
    return rect().adjusted(kOuterMargin, kOuterMargin, -kOuterMargin - 3, -kOuterMargin - 3);
}

QRect TabNoteBook::pageRect() const
{
    return coverRect().adjusted(kCoverMargin, kCoverMargin, -kCoverMargin, -kCoverMargin - 3);
}

void TabNoteBook::resizeEvent(QResizeEvent *)
{
    m_page->setGeometry(pageRect());
    m_drawn = QPixmap();
}

void TabNoteBook::paintEvent(QPaintEvent *event)
{
    const qreal ratio = devicePixelRatioF();
    if (m_drawn.size() != size() * ratio) {
        m_drawn = QPixmap(size() * ratio);
        m_drawn.setDevicePixelRatio(ratio);
        m_drawn.fill(Qt::transparent);
        QPainter book(&m_drawn);
        drawBook(book);
    }
    QPainter p(this);
    const QRect dirty = event->rect();
    p.drawPixmap(dirty, m_drawn, QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
}

void TabNoteBook::drawBook(QPainter &p) const
{
    // The table the book lies on.
    if (m_background.isNull())
        p.fillRect(rect(), kDefaultBackground);
    else
        p.drawTiledPixmap(rect(), m_background);

    p.setRenderHint(QPainter::Antialiasing);
    const QRectF cover = QRectF(coverRect());
    QPainterPath coverShape;
    coverShape.addRoundedRect(cover, 7, 7);
    // Soft shadow under the book.
    for (int i = 3; i >= 1; --i)
        p.fillPath(coverShape.translated(i, i), QColor(0, 0, 0, 28));
    if (m_cover.isNull()) {
        p.fillPath(coverShape, kDefaultCover);
    } else {
        QBrush brush(m_cover);
        brush.setTransform(QTransform::fromTranslate(cover.left(), cover.top()));
        p.fillPath(coverShape, brush);
    }
    p.setPen(QPen(QColor(0, 0, 0, 110), 1));
    p.drawPath(coverShape);

    // The two leaves, with a few page edges showing at the outer sides and the bottom.
    const QRect leaves = pageRect();
    const int spine = leaves.center().x();
    for (int edge = 3; edge >= 1; --edge) {
        const QRect stack = leaves.adjusted(-edge, 0, edge, edge);
        p.fillRect(stack, QColor(235 - edge * 12, 232 - edge * 12, 220 - edge * 12));
    }
    p.setRenderHint(QPainter::Antialiasing, false);
    const QRect left(leaves.left(), leaves.top(), spine - leaves.left(), leaves.height());
    const QRect right(spine, leaves.top(), leaves.right() + 1 - spine, leaves.height());
    QLinearGradient shadeLeft(left.topLeft(), left.topRight());
    shadeLeft.setColorAt(0, kPaper);
    shadeLeft.setColorAt(0.85, kPaper);
    shadeLeft.setColorAt(1, QColor(214, 210, 196));
    p.fillRect(left, shadeLeft);
    QLinearGradient shadeRight(right.topLeft(), right.topRight());
    shadeRight.setColorAt(0, QColor(214, 210, 196));
    shadeRight.setColorAt(0.15, kPaper);
    shadeRight.setColorAt(1, kPaper);
    p.fillRect(right, shadeRight);

    // The spine: a fold between the leaves.
    QLinearGradient fold(spine - kSpineWidth / 2, 0, spine + kSpineWidth / 2, 0);
    fold.setColorAt(0, QColor(0, 0, 0, 0));
    fold.setColorAt(0.45, QColor(0, 0, 0, 45));
    fold.setColorAt(0.5, QColor(0, 0, 0, 90));
    fold.setColorAt(0.55, QColor(0, 0, 0, 45));
    fold.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(QRect(spine - kSpineWidth / 2, leaves.top(), kSpineWidth, leaves.height()), fold);
}

} // namespace vivrelo
