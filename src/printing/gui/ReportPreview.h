#pragma once

#include "report/ReportEngine.h"

#include <QScrollArea>

class QLabel;

namespace vivrelo {

enum class PreviewZoom { OnePage, PageWidth, Full };

// The preview control of the report viewer: one prepared page at a time, drawn through the
// preview bitmap surface at the zoom chosen (the whole page in the view, the page's width in
// the view, or 100 %: real size on the screen).
class ReportPreview : public QScrollArea
{
    Q_OBJECT
public:
    explicit ReportPreview(QWidget *parent = nullptr);

    // The report stays owned by the caller and must outlive the control (or be replaced).
    void setReport(const PreparedReport *report);
    const PreparedReport *report() const { return m_report; }
    int pageCount() const { return m_report ? m_report->pageCount() : 0; }
    // The page shown, from 1; 0 without pages.
    int page() const { return m_page; }
    // Shows page n; a number outside 1..pageCount() is ignored.
    void showPage(int n);
    void first() { showPage(1); }
    void prior() { showPage(m_page - 1); }
    void next() { showPage(m_page + 1); }
    void last() { showPage(pageCount()); }

    void setZoom(PreviewZoom zoom);
    PreviewZoom zoom() const { return m_zoom; }
    // Pixels of the screen per drawing unit at the current zoom.
    double scale() const;
    // The picture of the page shown.
    const QImage &pageImage() const { return m_image; }

Q_SIGNALS:
    void pageChanged(int page);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void redraw();

    const PreparedReport *m_report = nullptr;
    int m_page = 0;
    PreviewZoom m_zoom = PreviewZoom::PageWidth;
    QLabel *m_sheet;
    QImage m_image;
};

} // namespace vivrelo
