#include "printing/RecordingSurface.h"

namespace vivrelo {

void RecordingSurface::setBrush(SurfaceBrush style, const QColor &color)
{
    m_brush = style;
    m_brushColor = color;
}

void RecordingSurface::setPen(SurfacePen style, const QColor &color, int width)
{
    m_pen = style;
    m_penColor = color;
    m_penWidth = width;
}

void RecordingSurface::drawText(int x, int y, const QString &text)
{
    m_texts.push_back({m_page, x, y, text, m_font, m_align, m_brush, m_brushColor});
}

void RecordingSurface::drawRect(int left, int top, int right, int bottom)
{
    m_rects.push_back({m_page, left, top, right, bottom, m_pen, m_penColor, m_penWidth, m_brush, m_brushColor});
}

void RecordingSurface::drawLine(int x1, int y1, int x2, int y2)
{
    m_lines.push_back({m_page, x1, y1, x2, y2, m_penColor, m_penWidth});
}

void RecordingSurface::drawImage(const QRect &target, const QImage &image)
{
    m_images.push_back({m_page, target, image.size()});
}

int RecordingSurface::textWidth(const QString &text)
{
    return int(text.size()) * m_font.height / 2;
}

bool RecordingSurface::end()
{
    m_ended = true;
    return m_endResult;
}

std::vector<RecordingSurface::Text> RecordingSurface::textsEqualTo(const QString &text) const
{
    std::vector<Text> found;
    for (const Text &t : m_texts) {
        if (t.text == text)
            found.push_back(t);
    }
    return found;
}

} // namespace vivrelo
