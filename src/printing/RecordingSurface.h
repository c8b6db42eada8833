#pragma once

#include "printing/DrawingSurface.h"

#include <vector>

namespace vivrelo {

// A surface that draws nothing and keeps every call as plain records, each with the page it
// went to (counting from 0) and the state it was drawn with. Text widths are estimated as
// half the font height per character.
class RecordingSurface : public DrawingSurface
{
public:
    struct Text {
        int page;
        int x, y;
        QString text;
        SurfaceFont font;
        SurfaceAlign align;
        SurfaceBrush brush;
        QColor brushColor;
    };
    struct Rect {
        int page;
        int left, top, right, bottom;
        SurfacePen pen;
        QColor penColor;
        int penWidth;
        SurfaceBrush brush;
        QColor brushColor;
    };
    struct Line {
        int page;
        int x1, y1, x2, y2;
        QColor penColor;
        int penWidth;
    };
    struct Image {
        int page;
        QRect target;
        QSize size;
    };

    explicit RecordingSurface(const QSize &pageSize = QSize(2100, 2970))
        : m_pageSize(pageSize)
    { }

    void setFont(const SurfaceFont &font) override { m_font = font; }
    void setBrush(SurfaceBrush style, const QColor &color) override;
    void setPen(SurfacePen style, const QColor &color, int width) override;
    void setTextAlign(SurfaceAlign align) override { m_align = align; }
    void drawText(int x, int y, const QString &text) override;
    void drawRect(int left, int top, int right, int bottom) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawImage(const QRect &target, const QImage &image) override;
    int textWidth(const QString &text) override;
    QSize pageSize() const override { return m_pageSize; }
    void newPage() override { ++m_page; }
    bool end() override;

    // What end() answers, to stand for a printer that fails.
    void setEndResult(bool ok) { m_endResult = ok; }

    int pageCount() const { return m_page + 1; }
    bool ended() const { return m_ended; }
    const std::vector<Text> &texts() const { return m_texts; }
    const std::vector<Rect> &rects() const { return m_rects; }
    const std::vector<Line> &lines() const { return m_lines; }
    const std::vector<Image> &images() const { return m_images; }
    // The texts equal to `text`, in drawing order.
    std::vector<Text> textsEqualTo(const QString &text) const;

private:
    QSize m_pageSize;
    int m_page = 0;
    bool m_ended = false;
    bool m_endResult = true;
    SurfaceFont m_font;
    SurfaceAlign m_align = SurfaceAlign::Left;
    SurfaceBrush m_brush = SurfaceBrush::Solid;
    QColor m_brushColor = Qt::white;
    SurfacePen m_pen = SurfacePen::Solid;
    QColor m_penColor = Qt::black;
    int m_penWidth = 1;
    std::vector<Text> m_texts;
    std::vector<Rect> m_rects;
    std::vector<Line> m_lines;
    std::vector<Image> m_images;
};

} // namespace vivrelo
