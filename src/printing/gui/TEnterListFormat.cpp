#include "printing/gui/TEnterListFormat.h"

#include "base/Error.h"
#include "printing/gui/PrintingChrome.h"
#include "ui/TStrList.h"

#include "ui_TEnterListFormat.h"

#include <QFontDatabase>
#include <QShowEvent>

namespace vivrelo {

TEnterListFormat::TEnterListFormat(PrintLayout &layout, Prompter &prompter, QWidget *parent)
    : QDialog(parent, Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui::TEnterListFormat>())
    , m_layout(layout)
    , m_prompter(prompter)
    , m_families(QFontDatabase::families())
{
    ui->setupUi(this);
    // Stored in this order on OK.
    m_measures = {
        {ui->Ed_PrinterTop, &PrintLayout::PrinterTop, ui->Lab_PrinterTop->text(), {}},
        {ui->Ed_PrinterLeft, &PrintLayout::PrinterLeft, ui->Lab_PrinterLeft->text(), {}},
        {ui->Ed_PageWidth, &PrintLayout::PageWidth, ui->Lab_PageWidth->text(), {}},
        {ui->Ed_PageHeight, &PrintLayout::PageHeight, ui->Lab_PageHeight->text(), {}},
        {ui->Ed_TopLine, &PrintLayout::TopLine, ui->Lab_TopLine->text(), {}},
        {ui->Ed_LeftItem, &PrintLayout::LeftItem, ui->Lab_LeftItem->text(), {}},
        {ui->Ed_LeftPrice, &PrintLayout::LeftPrice, ui->Lab_LeftPrice->text(), {}},
        {ui->Ed_InterLines, &PrintLayout::InterLines, ui->Lab_InterLines->text(), {}},
    };
    const std::pair<QToolButton *, QToolButton *> buttons[] = {
        {ui->Btn_PrinterTop_Up, ui->Btn_PrinterTop_Down},
        {ui->Btn_PrinterLeft_Up, ui->Btn_PrinterLeft_Down},
        {ui->Btn_PageWidth_Up, ui->Btn_PageWidth_Down},
        {ui->Btn_PageHeight_Up, ui->Btn_PageHeight_Down},
        {ui->Btn_TopLine_Up, ui->Btn_TopLine_Down},
        {ui->Btn_LeftItem_Up, ui->Btn_LeftItem_Down},
        {ui->Btn_LeftPrice_Up, ui->Btn_LeftPrice_Down},
        {ui->Btn_InterLines_Up, ui->Btn_InterLines_Down},
    };
    for (std::size_t i = 0; i < m_measures.size(); ++i) {
        connect(buttons[i].first, &QToolButton::clicked, this, [this, i] { stepMeasure(m_measures[i], +1); });
        connect(buttons[i].second, &QToolButton::clicked, this, [this, i] { stepMeasure(m_measures[i], -1); });
        // A readable text typed by hand becomes the value kept when a later text is not.
        connect(m_measures[i].edit, &QLineEdit::editingFinished, this, [this, i] {
            Measure &m = m_measures[i];
            try {
                ParseMeasure(m.edit->text());
                m.lastGood = m.edit->text();
            } catch (const Error &) { }
        });
    }
    connect(ui->Btn_FontSize_Up, &QToolButton::clicked, this, [this] {
        ui->Ed_FontSize->setText(FontSizeUp(ui->Ed_FontSize->text()));
        ui->Ed_FontSize->setFocus();
    });
    connect(ui->Btn_FontSize_Down, &QToolButton::clicked, this, [this] {
        ui->Ed_FontSize->setText(FontSizeDown(ui->Ed_FontSize->text()));
        ui->Ed_FontSize->setFocus();
    });
    connect(ui->Btn_FontName, &QToolButton::clicked, this, &TEnterListFormat::Btn_FontNameClick);
    // Enter in the font name opens the picker; it must not reach the dialog's OK button.
    ui->Ed_FontName->installEventFilter(this);
    connect(ui->Btn_Ok, &QPushButton::clicked, this, &TEnterListFormat::Btn_OkClick);
    connect(ui->Btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    // Every caption label drags the window like its title.
    QStringList captions;
    for (const QLabel *label : findChildren<QLabel *>())
        if (label->objectName().startsWith(QLatin1String("Lab_")))
            captions << label->objectName();
    adjustSize(); // the chrome keeps the laid-out size when it gives the window a system frame
    PrepareSkinnedDialog(this, captions);
}

TEnterListFormat::~TEnterListFormat()
{
    // The window loses the focus while it is taken down; the edits' handlers must not run
    // on the measures already gone.
    for (const Measure &m : m_measures)
        disconnect(m.edit, nullptr, this, nullptr);
}

void TEnterListFormat::showEvent(QShowEvent *event)
{
    // A window the system shows again (after minimising) keeps what the user typed.
    if (!event->spontaneous())
        FormShow();
    QDialog::showEvent(event);
}

bool TEnterListFormat::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->Ed_FontName && IsEnterPress(event)) {
        Btn_FontNameClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TEnterListFormat::FormShow()
{
    for (Measure &m : m_measures) {
        m.lastGood = MeasureText(m_layout.*m.column);
        m.edit->setText(m.lastGood);
    }
    ui->Ed_FontName->setText(m_layout.FontName);
    ui->Ed_FontSize->setText(QString::number(m_layout.FontSize));
}

void TEnterListFormat::stepMeasure(Measure &m, int steps)
{
    try {
        m.lastGood = StepMeasure(m.edit->text(), steps);
    } catch (const Error &e) {
        m_prompter.warn(m.caption.trimmed() + QStringLiteral(" : ") + e.message());
    }
    m.edit->setText(m.lastGood);
    m.edit->setFocus();
}

void TEnterListFormat::Btn_FontNameClick()
{
    TStrList::open(ui->Ed_FontName, m_families, QColor(255, 255, 242));
}

void TEnterListFormat::Btn_OkClick()
{
    // Every measure is read before any is stored: a refused text leaves the layout whole.
    std::vector<double> values;
    for (Measure &m : m_measures) {
        try {
            values.push_back(ParseMeasure(m.edit->text()));
        } catch (const Error &e) {
            m_prompter.warn(m.caption.trimmed() + QStringLiteral(" : ") + e.message());
            m.edit->setText(m.lastGood);
            m.edit->setFocus();
            m.edit->selectAll();
            return;
        }
    }
    for (std::size_t i = 0; i < m_measures.size(); ++i)
        m_layout.*m_measures[i].column = values[i];
    m_layout.FontName = ui->Ed_FontName->text();
    m_layout.FontSize = ui->Ed_FontSize->text().toInt();
    accept();
}

} // namespace vivrelo
