#include "printing/PainterSurface.h"

#include "base/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>

#include <algorithm>
#include <cmath>

namespace vivrelo {

namespace {

constexpr int kReferencePixels = 1000; // pixel size at which a font's cell ratio is measured
constexpr int kMaxPixelSize = 100000;

} // namespace

PainterSurface::~PainterSurface()
{
    stopPainting();
}

void PainterSurface::stopPainting()
{
    if (m_painter.isActive())
        m_painter.end();
}

void PainterSurface::begin(QPaintDevice *device, QPagedPaintDevice *paged, double pixelsPerUnit)
{
    m_device = device;
    m_metrics.reset();
    m_paged = paged;
    m_scale = pixelsPerUnit;
    if (!device || !m_painter.begin(device)) {
        m_failed = true;
        return;
    }
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, true);
    setFont(SurfaceFont());
}

QRectF PainterSurface::toDevice(int left, int top, int right, int bottom) const
{
    return QRectF(QPointF(std::min(left, right) * m_scale, std::min(top, bottom) * m_scale),
        QPointF(std::max(left, right) * m_scale, std::max(top, bottom) * m_scale));
}

double PainterSurface::cellRatio(const QFont &font)
{
    // Ascent plus descent per pixel of em, measured once per typeface and style.
    static QHash<QString, double> ratios;
    const QString key =
        font.family() + QLatin1Char('|') + QString::number(font.bold()) + QString::number(font.italic());
    auto it = ratios.constFind(key);
    if (it != ratios.constEnd())
        return *it;
    QFont probe = font;
    probe.setPixelSize(kReferencePixels);
    const QFontMetricsF fm(probe, m_device);
    double ratio = (fm.ascent() + fm.descent()) / kReferencePixels;
    if (!(ratio > 0))
        ratio = 1;
    ratios.insert(key, ratio);
    return ratio;
}

void PainterSurface::setFont(const SurfaceFont &font)
{
    QFont f(font.family);
    f.setBold(font.bold);
    f.setItalic(font.italic);
    f.setUnderline(font.underline);
    f.setStyleStrategy(QFont::PreferOutline);
    // A positive height is the cell (ascent + descent), a negative one the em, as the
    // platform's font mapping reads them.
    const double devicePixels = std::abs(double(font.height)) * m_scale;
    const double em = font.height > 0 ? devicePixels / cellRatio(f) : devicePixels;
    f.setPixelSize(std::clamp(int(std::lround(em)), 1, kMaxPixelSize));
    m_font = f;
    m_textColor = font.color;
    m_metrics.emplace(f, m_device);
    m_ascent = m_metrics->ascent();
    m_cell = m_metrics->ascent() + m_metrics->descent();
    if (m_painter.isActive())
        m_painter.setFont(f);
}

void PainterSurface::setBrush(SurfaceBrush style, const QColor &color)
{
    m_brushStyle = style;
    m_brushColor = color;
}

void PainterSurface::setPen(SurfacePen style, const QColor &color, int width)
{
    m_penStyle = style;
    m_penColor = color;
    m_penWidth = width;
}

void PainterSurface::setTextAlign(SurfaceAlign align)
{
    m_align = align;
}

void PainterSurface::drawText(int x, int y, const QString &text)
{
    if (!m_painter.isActive() || text.isEmpty())
        return;
    const QFontMetricsF fm(m_font, m_device);
    const double width = fm.horizontalAdvance(text);
    double left = x * m_scale;
    if (m_align == SurfaceAlign::Right)
        left -= width;
    else if (m_align == SurfaceAlign::Center)
        left -= width / 2;
    const double top = y * m_scale;
    if (m_brushStyle == SurfaceBrush::Solid)
        m_painter.fillRect(QRectF(left, top, width, m_cell), m_brushColor);
    m_painter.setPen(QPen(m_textColor));
    m_painter.drawText(QPointF(left, top + m_ascent), text);
}

void PainterSurface::drawRect(int left, int top, int right, int bottom)
{
    if (!m_painter.isActive())
        return;
    const QRectF r = toDevice(left, top, right, bottom);
    if (m_brushStyle == SurfaceBrush::Solid)
        m_painter.fillRect(r, m_brushColor);
    if (m_penStyle == SurfacePen::Clear || m_penWidth <= 0)
        return;
    // The outline lies inside the rectangle, as the platform draws it.
    const double pw = m_penWidth * m_scale;
    if (r.width() <= 2 * pw || r.height() <= 2 * pw) {
        m_painter.fillRect(r, m_penColor);
        return;
    }
    QPen pen(m_penColor, pw);
    pen.setJoinStyle(Qt::MiterJoin);
    m_painter.setPen(pen);
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawRect(r.adjusted(pw / 2, pw / 2, -pw / 2, -pw / 2));
}

void PainterSurface::drawLine(int x1, int y1, int x2, int y2)
{
    if (!m_painter.isActive() || m_penStyle == SurfacePen::Clear)
        return;
    m_painter.setPen(QPen(m_penColor, std::max(1, m_penWidth) * m_scale));
    m_painter.drawLine(QPointF(x1 * m_scale, y1 * m_scale), QPointF(x2 * m_scale, y2 * m_scale));
}

void PainterSurface::drawImage(const QRect &target, const QImage &image)
{
    if (!m_painter.isActive())
        return;
    m_painter.drawImage(
        toDevice(target.left(), target.top(), target.left() + target.width(), target.top() + target.height()), image);
}

int PainterSurface::textWidth(const QString &text)
{
    if (!m_metrics)
        m_metrics.emplace(m_font, m_device);
    return int(std::lround(m_metrics->horizontalAdvance(text) / m_scale));
}

QSize PainterSurface::pageSize() const
{
    if (!m_device)
        return QSize();
    return QSize(int(std::lround(m_device->width() / m_scale)), int(std::lround(m_device->height() / m_scale)));
}

void PainterSurface::newPage()
{
    if (!m_painter.isActive() || !m_paged)
        return;
    if (!m_paged->newPage())
        m_failed = true;
}

bool PainterSurface::end()
{
    if (m_ended)
        return false;
    m_ended = true;
    const bool painted = m_painter.isActive() && m_painter.end();
    const bool finished = finish();
    return painted && finished && !m_failed && !deviceFailed();
}

PdfSurface::PdfSurface(const QString &path, const QString &title)
    : m_file(std::make_unique<QSaveFile>(path))
{
    if (!m_file->open(QIODevice::WriteOnly)) {
        begin(nullptr, nullptr, 10);
        return;
    }
    m_writer = std::make_unique<QPdfWriter>(m_file.get());
    m_writer->setResolution(2540);
    m_writer->setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    m_writer->setCreator(QStringLiteral("Vivrelo"));
    if (!title.isEmpty())
        m_writer->setTitle(title);
    begin(m_writer.get(), m_writer.get(), 10);
}

PdfSurface::~PdfSurface()
{
    // A document never ended is dropped: its file is not committed, an earlier file stays.
    stopPainting();
}

QString PdfSurface::errorString() const
{
    return m_file->errorString();
}

bool PdfSurface::finish()
{
    if (!m_writer)
        return false;
    m_writer.reset(); // flushes the document into the file
    return m_file->commit();
}

void WritePdfFile(const QString &path, const QString &title, const QString &notSaved,
    const std::function<bool(DrawingSurface &)> &draw)
{
    const QString target = QFileInfo(path).absoluteFilePath();
    const QString shown = QDir::toNativeSeparators(target);
    if (QFileInfo(target).isDir())
        fail(QStringLiteral("« %1 » est un dossier : donnez le nom du fichier PDF à écrire.").arg(shown));
    QString reason;
    {
        PdfSurface surface(target, title);
        if (!draw(surface))
            reason = surface.errorString();
    }
    if (reason.isEmpty()) {
        // What was committed must be a whole document: its header and its end-of-file mark.
        QFile written(target);
        QByteArray head, tail;
        if (written.open(QIODevice::ReadOnly)) {
            head = written.read(5);
            if (written.size() > 1024)
                written.seek(written.size() - 1024);
            tail = written.readAll();
        }
        if (!head.startsWith("%PDF-") || !tail.contains("%%EOF"))
            reason = QStringLiteral("le fichier écrit n'est pas un document PDF complet");
    }
    if (!reason.isEmpty())
        fail(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2\r%3").arg(shown, reason, notSaved));
}

BitmapSurface::BitmapSurface(const QSize &pixels, double dpi, const QColor &background)
    : m_image(pixels.expandedTo(QSize(1, 1)), QImage::Format_RGB32)
{
    const int dotsPerMeter = int(std::lround(dpi / 0.0254));
    m_image.setDotsPerMeterX(dotsPerMeter);
    m_image.setDotsPerMeterY(dotsPerMeter);
    m_image.fill(background);
    begin(&m_image, nullptr, dpi / 254.0);
}

BitmapSurface::~BitmapSurface()
{
    stopPainting();
}

} // namespace vivrelo
