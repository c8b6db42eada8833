#include "ui/TStrList.h"

#include "lists/TextRoutines.h"
#include "ui/WindowChrome.h"
#include "ui_TStrList.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QStyledItemDelegate>

namespace vivrelo {

namespace {

// Entries 13 pixels high.
class EntryDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        return {QStyledItemDelegate::sizeHint(option, index).width(), TStrList::kEntryHeight};
    }
};

} // namespace

TStrList *TStrList::open(QLineEdit *edit, const QStringList &entries, const QColor &color)
{
    auto *picker = new TStrList(edit->window());
    picker->setListColor(color);
    picker->setEntries(entries);
    picker->placeUnder(edit);
    picker->setTarget(edit);
    edit->setFocus();
    edit->selectAll();
    picker->show();
    return picker;
}

TStrList::TStrList(QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TStrList>())
{
    ui->setupUi(this);
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setProperty("tag", -1);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);

    ui->Shape_Border->setColors(Qt::white, Qt::white);
    ui->List->setItemDelegate(new EntryDelegate(ui->List));
    ui->List->setSortingEnabled(false);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(11);
    ui->List->setFont(f);
    ui->List->installEventFilter(this);
    ui->List->viewport()->installEventFilter(this);
    setListColor(QColor(255, 255, 242));
    WindowChrome::prepare(this);
}

TStrList::~TStrList() = default;

QListWidget *TStrList::list() const
{
    return ui->List;
}

void TStrList::setListColor(const QColor &color)
{
    QPalette pal = ui->List->palette();
    pal.setColor(QPalette::Base, color);
    ui->List->setPalette(pal);
}

void TStrList::setEntries(const QStringList &entries)
{
    ui->List->clear();
    ui->List->addItems(entries);
}

void TStrList::placeUnder(const QLineEdit *edit)
{
    const QPoint at = edit->mapToGlobal(QPoint(0, 0));
    setGeometry(at.x(), at.y() + 16, edit->width() + 15, height());
}

void TStrList::setTarget(QLineEdit *edit)
{
    m_target = edit;
    m_currentText = edit ? edit->text() : QString();
}

void TStrList::showEvent(QShowEvent *event)
{
    if (m_target)
        m_currentText = m_target->text();

    QRect r = geometry();
    r.setHeight(kVisibleEntries * kEntryHeight + 3);
    if (m_target) {
        const QScreen *screen = m_target->screen();
        const QRect area = screen ? screen->geometry() : QRect();
        // Near the bottom of the screen the picker goes up above the edit.
        if (screen && r.y() + r.height() > area.y() + area.height())
            r.moveTop(r.y() - m_target->height() - r.height() - 1);
    }
    if (ui->List->count() == 0)
        r.setHeight(kEntryHeight + 3);
    setGeometry(r);
    ui->Shape_Border->setGeometry(0, 0, r.width(), r.height());
    ui->List->setGeometry(1, 1, r.width() - 2, r.height() - 2);
    ui->List->setFocus();

    ui->List->clearSelection();
    if (ui->List->count() >= 2) {
        ui->List->setCurrentRow(0);
        for (int i = 0; i < ui->List->count(); ++i)
            if (ui->List->item(i)->text() == m_currentText)
                ui->List->setCurrentRow(i);
    }
    ui->Shape_Border->setBorderColor(ShadeColor(ui->List->palette().color(QPalette::Base), -35));
    QWidget::showEvent(event);
}

bool TStrList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->List && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            choose();
            return true;
        }
        if (key == Qt::Key_Escape) {
            close();
            return true;
        }
    } else if (watched == ui->List->viewport() && event->type() == QEvent::MouseButtonRelease) {
        choose();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TStrList::choose()
{
    const QList<QListWidgetItem *> selected = ui->List->selectedItems();
    close();
    if (selected.isEmpty() || !m_target)
        return;
    const int index = ui->List->row(selected.front());
    const QString text = selected.front()->text();
    m_target->setProperty("tag", index);
    m_target->setText(text);
    m_target->setFocus();
    m_target->selectAll();
    Q_EMIT chosen(index, text);
}

} // namespace vivrelo
