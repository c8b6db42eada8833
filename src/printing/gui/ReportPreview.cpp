#include "printing/gui/ReportPreview.h"

#include <QLabel>
#include <QPixmap>
#include <QResizeEvent>
#include <QScrollBar>

namespace vivrelo {

namespace {
constexpr int kSheetMargin = 8; // grey around the sheet, in pixels
}

ReportPreview::ReportPreview(QWidget *parent)
    : QScrollArea(parent)
    , m_sheet(new QLabel)
{
    setBackgroundRole(QPalette::Dark);
    setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_sheet->setObjectName(QStringLiteral("Img_Page"));
    m_sheet->setFrameShape(QFrame::NoFrame);
    setWidget(m_sheet);
    setWidgetResizable(false);
    setZoom(PreviewZoom::PageWidth);
}

void ReportPreview::setReport(const PreparedReport *report)
{
    m_report = report;
    m_page = pageCount() > 0 ? std::clamp(m_page, 1, pageCount()) : 0;
    redraw();
    Q_EMIT pageChanged(m_page);
}

void ReportPreview::showPage(int n)
{
    if (n < 1 || n > pageCount() || n == m_page)
        return;
    m_page = n;
    redraw();
    verticalScrollBar()->setValue(0);
    Q_EMIT pageChanged(m_page);
}

void ReportPreview::setZoom(PreviewZoom zoom)
{
    m_zoom = zoom;
    // The scroll bars each mode needs are set first, so the view's size is final when the
    // scale is taken from it: none for the whole page, the vertical one for the page width.
    const bool fits = zoom == PreviewZoom::OnePage;
    setVerticalScrollBarPolicy(fits          ? Qt::ScrollBarAlwaysOff
            : zoom == PreviewZoom::PageWidth ? Qt::ScrollBarAlwaysOn
                                             : Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(zoom == PreviewZoom::Full ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    redraw();
}

double ReportPreview::scale() const
{
    const QSize page = m_report ? m_report->pageSize : QSize(2100, 2970);
    const double full = logicalDpiX() / 254.0;
    const QSize view = viewport()->size() - QSize(2 * kSheetMargin, 2 * kSheetMargin);
    switch (m_zoom) {
    case PreviewZoom::Full:
        return full;
    case PreviewZoom::PageWidth:
        return std::max(0.01, double(view.width()) / page.width());
    case PreviewZoom::OnePage:
        return std::max(0.01, std::min(double(view.width()) / page.width(), double(view.height()) / page.height()));
    }
    return full;
}

void ReportPreview::resizeEvent(QResizeEvent *event)
{
    QScrollArea::resizeEvent(event);
    if (m_zoom != PreviewZoom::Full)
        redraw();
}

void ReportPreview::redraw()
{
    if (!m_report || m_page < 1) {
        m_image = QImage();
        m_sheet->clear();
        m_sheet->resize(0, 0);
        return;
    }
    m_image = RenderPageImage(m_report->pages[size_t(m_page - 1)], m_report->pageSize, scale());
    m_sheet->setPixmap(QPixmap::fromImage(m_image));
    m_sheet->setContentsMargins(kSheetMargin, kSheetMargin, kSheetMargin, kSheetMargin);
    m_sheet->resize(m_image.size() + QSize(2 * kSheetMargin, 2 * kSheetMargin));
}

} // namespace vivrelo
