#pragma once

#include "printing/DrawingSurface.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

#include <functional>
#include <memory>
#include <optional>

class QPagedPaintDevice;

namespace vivrelo {

// The drawing of every real device (PDF file, printer, preview bitmap) through a QPainter.
// Drawing units are mapped onto device pixels by one scale factor. A font of cell height h
// gets the pixel size at which its ascent plus descent is h, and its text is placed with the
// top of that cell at y; with a solid brush the cell behind the text is filled with the
// brush colour first.
class PainterSurface : public DrawingSurface
{
public:
    ~PainterSurface() override;

    void setFont(const SurfaceFont &font) override;
    void setBrush(SurfaceBrush style, const QColor &color) override;
    void setPen(SurfacePen style, const QColor &color, int width) override;
    void setTextAlign(SurfaceAlign align) override;
    void drawText(int x, int y, const QString &text) override;
    void drawRect(int left, int top, int right, int bottom) override;
    void drawLine(int x1, int y1, int x2, int y2) override;
    void drawImage(const QRect &target, const QImage &image) override;
    int textWidth(const QString &text) override;
    QSize pageSize() const override;
    void newPage() override;
    bool end() override;

    // False when the device could not be opened; every drawing call is then ignored and
    // end() reports the failure.
    bool isActive() const { return m_painter.isActive(); }
    // The font the last setFont() resolved to (its family as the font system found it).
    const QFont &currentFont() const { return m_font; }

protected:
    PainterSurface() = default;
    // Starts painting on the device; `paged` is the same device when it has pages.
    void begin(QPaintDevice *device, QPagedPaintDevice *paged, double pixelsPerUnit);
    // Device work once the painter has ended (committing a file); false on failure.
    virtual bool finish() { return true; }
    // Device state after drawing (a printer reporting an error or an aborted job).
    virtual bool deviceFailed() const { return false; }
    // Lets go of the device without finishing the job: for a surface dropped before end().
    void stopPainting();

private:
    QRectF toDevice(int left, int top, int right, int bottom) const;
    double cellRatio(const QFont &font);

    QPainter m_painter;
    QPaintDevice *m_device = nullptr;
    QPagedPaintDevice *m_paged = nullptr;
    double m_scale = 1;
    bool m_failed = false;
    bool m_ended = false;

    QFont m_font;
    std::optional<QFontMetricsF> m_metrics; // of m_font on the device, made once per font
    QColor m_textColor = Qt::black;
    double m_ascent = 0;
    double m_cell = 0;
    SurfaceBrush m_brushStyle = SurfaceBrush::Solid;
    QColor m_brushColor = Qt::white;
    SurfacePen m_penStyle = SurfacePen::Solid;
    QColor m_penColor = Qt::black;
    int m_penWidth = 1;
    SurfaceAlign m_align = SurfaceAlign::Left;
};

// An A4 PDF file, drawable area the whole sheet (2100 x 2970 units). One unit is exactly
// ten device pixels (2540 dpi). The file is written beside its target and renamed into place
// by end(), so a failed job never replaces an earlier file.
class PdfSurface : public PainterSurface
{
public:
    explicit PdfSurface(const QString &path, const QString &title = QString());
    ~PdfSurface() override;
    QString errorString() const;

protected:
    bool finish() override;

private:
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_writer;
};

// Draws a document into an A4 PDF file: `draw` draws it and ends the surface. The file is
// written beside its target, renamed into place once complete and read back to check it is
// a whole PDF document. Throws an Error naming the file, followed by `notSaved` ("La liste
// n'a pas été enregistrée."), when the path is a folder or the file could not be written; an
// earlier file of that name is then left as it was.
void WritePdfFile(const QString &path, const QString &title, const QString &notSaved,
    const std::function<bool(DrawingSurface &)> &draw);

// An off-screen picture drawn in the screen's metric mapping: one unit is a tenth of a
// millimetre of a screen of `dpi` logical pixels per inch. The picture starts filled with
// the background colour; it has a single page.
class BitmapSurface : public PainterSurface
{
public:
    BitmapSurface(const QSize &pixels, double dpi, const QColor &background);
    ~BitmapSurface() override;
    // The picture; complete once end() has been called.
    const QImage &image() const { return m_image; }

private:
    QImage m_image;
};

} // namespace vivrelo
