#pragma once

#include <QPixmap>
#include <QWidget>

namespace vivrelo {

// The main window's working area: an open book lying on a textured background. The
// background bitmap is tiled over the whole area, the cover bitmap over the book's cover
// around the two leaves; the page widget lies on the leaves and holds the window's elements
// (it draws no background of its own, so the paper shows through).
class TabNoteBook : public QWidget
{
    Q_OBJECT
public:
    explicit TabNoteBook(QWidget *parent = nullptr);

    // The page the window's elements go on, sized to the leaves.
    QWidget *page() const { return m_page; }
    void setBackground(const QPixmap &picture);
    void setCover(const QPixmap &picture);
    const QPixmap &background() const { return m_background; }
    const QPixmap &cover() const { return m_cover; }
    // Redraws the book on its current page (after new pictures).
    void redraw();

    // Rectangles of the book, in the notebook's coordinates.
    QRect coverRect() const;
    QRect pageRect() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;

private:
    // The whole book drawn once per size and pictures: a paint copies the part it needs.
    void drawBook(QPainter &p) const;

    QWidget *m_page;
    QPixmap m_background;
    QPixmap m_cover;
    QPixmap m_drawn;
};

} // namespace vivrelo
