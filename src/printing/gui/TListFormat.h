#pragma once

#include "app/Prompter.h"
#include "printing/PrintLayout.h"

#include <QDialog>
#include <QImage>

#include <functional>
#include <memory>

namespace Ui {
class TListFormat;
}

namespace vivrelo {

// The layout preview: one A4 sheet drawn at a zoom of 40 to 500 %, the test print and the
// way into the layout editor. The layout is held as plain data; `store` writes it back into
// the database when the editor returns OK (an Error it throws is shown and the previous
// layout is kept).
class TListFormat : public QDialog
{
    Q_OBJECT
public:
    using Store = std::function<void(const PrintLayout &)>;
    using TestPrint = std::function<bool(const PrintLayout &)>;

    TListFormat(const PrintLayout &layout, const QString &currencySymbol, Prompter &prompter, Store store,
                QWidget *parent = nullptr);
    ~TListFormat() override;

    // Runs the test print; by default on the system's default printer.
    void setTestPrint(TestPrint print) { m_testPrint = std::move(print); }

    const PrintLayout &layout() const { return m_layout; }
    int zoom() const;
    const QImage &sheet() const { return m_sheet; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void DrawPreview();
    void DebutBtnHClick();
    void DebutBtnBClick();
    void FiltreBtnClick();
    void ImprimerBtnClick();

    std::unique_ptr<Ui::TListFormat> ui;
    PrintLayout m_layout;
    QString m_currency;
    Prompter &m_prompter;
    Store m_store;
    TestPrint m_testPrint;
    QImage m_sheet;
};

} // namespace vivrelo
