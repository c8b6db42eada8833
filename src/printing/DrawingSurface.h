#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

namespace vivrelo {

// Font of a drawing surface. `height` is the font's cell height in drawing units (tenths of
// a millimetre), not a point size: a height of 20 gives a 2 mm cell.
struct SurfaceFont {
    QString family = QStringLiteral("Arial");
    int height = 20;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor color = Qt::black;
    bool operator==(const SurfaceFont &) const = default;
};

enum class SurfaceBrush { Solid, Clear };
enum class SurfacePen { Solid, Clear };
enum class SurfaceAlign { Left, Right, Center };

// A page device that draws in tenths of a millimetre, origin at the top-left corner of the
// drawable area, x to the right and y downward. Text is placed by the top of its cell:
// drawText(x, y, ...) puts the cell's top at y, and x is the left edge, the right edge or the
// centre of the text according to the alignment. Implementations: the printer, a PDF file,
// the preview bitmap and a recording surface for tests.
class DrawingSurface
{
public:
    virtual ~DrawingSurface() = default;

    virtual void setFont(const SurfaceFont &font) = 0;
    virtual void setBrush(SurfaceBrush style, const QColor &color) = 0;
    virtual void setPen(SurfacePen style, const QColor &color, int width) = 0;
    virtual void setTextAlign(SurfaceAlign align) = 0;

    // Text at a point, with the current font, alignment and brush (the brush fills the
    // text's background when solid).
    virtual void drawText(int x, int y, const QString &text) = 0;
    // A rectangle outlined with the pen and filled with the brush, from (left, top) to
    // (right, bottom) exclusive.
    virtual void drawRect(int left, int top, int right, int bottom) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2) = 0;
    virtual void drawImage(const QRect &target, const QImage &image) = 0;
    // Width of a text in drawing units with the current font.
    virtual int textWidth(const QString &text) = 0;

    // Size of the drawable area in drawing units.
    virtual QSize pageSize() const = 0;
    virtual void newPage() = 0;
    // Ends the document; false when the device reports a failure (the job is not printed).
    virtual bool end() = 0;
};

} // namespace vivrelo
