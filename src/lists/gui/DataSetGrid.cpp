#include "lists/gui/DataSetGrid.h"

#include "base/Error.h"
#include "base/Prompter.h"
#include "db/DataSetRoutines.h"
#include "lists/CatalogueEditing.h"
#include "lists/DataModule.h"
#include "lists/TextRoutines.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace vivrelo {

namespace {

bool isNumber(FieldKind kind)
{
    switch (kind) {
    case FieldKind::Smallint:
    case FieldKind::Integer:
    case FieldKind::AutoInc:
    case FieldKind::Float:
    case FieldKind::BCD:
        return true;
    default:
        return false;
    }
}

bool isPrice(FieldKind kind)
{
    return kind == FieldKind::Float || kind == FieldKind::BCD;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    if (a.isNull() != b.isNull())
        return false;
    if (a.isNull())
        return true;
    return a.toString() == b.toString();
}

} // namespace

// ---- model

DataSetModel::DataSetModel(DataSet &dataSet, Prompter &prompter, QObject *parent)
    : QAbstractTableModel(parent)
    , m_ds(dataSet)
    , m_prompter(prompter)
{
    m_token = m_ds.subscribe([this](const DataSet::Notification &n) { onNotification(n); });
    reload();
}

DataSetModel::~DataSetModel()
{
    m_ds.unsubscribe(m_token);
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count + (m_insertRow >= 0 ? 1 : 0);
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QString DataSetModel::fieldName(int column) const
{
    return column >= 0 && column < int(m_columns.size()) ? m_columns[size_t(column)].name : QString();
}

int DataSetModel::columnOf(const QString &fieldName) const
{
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(c);
    return -1;
}

int DataSetModel::maxLength(int column) const
{
    return column >= 0 && column < int(m_columns.size()) ? m_columns[size_t(column)].maxLength : 0;
}

int DataSetModel::currentRow() const
{
    if (m_insertRow >= 0)
        return m_insertRow;
    return m_ds.isActive() ? m_ds.currentIndex() : -1;
}

QVariant DataSetModel::valueAt(int row, int column) const
{
    const Column &c = m_columns[size_t(column)];
    if (c.fieldIndex < 0)
        return {};
    if (m_insertRow >= 0) {
        if (row == m_insertRow)
            return m_ds.field(c.fieldIndex).value();
        if (row > m_insertRow)
            --row;
    }
    if (row < 0 || row >= m_count)
        return {};
    // While inserting, the dataset answers for its current row with the new row's buffer.
    if (m_insertRow >= 0 && row == m_currentCopyRow && column < int(m_currentCopy.size()))
        return m_currentCopy[size_t(column)];
    return m_ds.rowValue(row, c.fieldIndex);
}

QString DataSetModel::displayText(int column, const QVariant &value) const
{
    if (value.isNull() || !value.isValid())
        return {};
    const Column &c = m_columns[size_t(column)];
    if (isPrice(c.kind)) {
        const QString format = m_ds.display(c.name).format;
        if (format.startsWith(PriceEditFormat))
            return FormatPriceForDisplay(value.toDouble(), format.mid(PriceEditFormat.size()).trimmed());
        return QString::number(value.toDouble(), 'g', 15);
    }
    return value.toString();
}

QString DataSetModel::editText(int column, const QVariant &value) const
{
    if (value.isNull() || !value.isValid())
        return {};
    const Column &c = m_columns[size_t(column)];
    if (isPrice(c.kind) && m_ds.display(c.name).editFormat == PriceEditFormat)
        return QString::number(value.toDouble(), 'f', 2).replace(QLatin1Char('.'), QLocale::system().decimalPoint());
    if (isPrice(c.kind))
        return QString::number(value.toDouble(), 'g', 15);
    return value.toString();
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= int(m_columns.size()))
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return displayText(index.column(), valueAt(index.row(), index.column()));
    case Qt::EditRole:
        return editText(index.column(), valueAt(index.row(), index.column()));
    case Qt::TextAlignmentRole:
        return isNumber(m_columns[size_t(index.column())].kind) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= int(m_columns.size()))
        return {};
    const QString label = m_ds.display(m_columns[size_t(section)].name).label;
    return label.isEmpty() ? m_columns[size_t(section)].name : label;
}

Qt::ItemFlags DataSetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Column &c = m_columns[size_t(index.column())];
    if (c.fieldIndex >= 0 && !m_ds.fields()[size_t(c.fieldIndex)].readOnly)
        f |= Qt::ItemIsEditable;
    return f;
}

QString DataSetModel::check(const QModelIndex &index, const QString &text, QVariant *value) const
{
    if (!index.isValid() || index.column() >= int(m_columns.size()))
        return QStringLiteral("Cette cellule ne peut pas être modifiée.");
    const Column &c = m_columns[size_t(index.column())];
    try {
        const QVariant v =
            ParseCatalogueValue(c.kind, text, headerData(index.column(), Qt::Horizontal).toString(), c.maxLength);
        if (value)
            *value = v;
    } catch (const Error &e) {
        return e.message();
    }
    return {};
}

bool DataSetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid())
        return false;
    QVariant v;
    const QString refusal = check(index, value.toString(), &v);
    if (!refusal.isEmpty()) {
        m_prompter.warn(refusal);
        return false;
    }
    const Column &c = m_columns[size_t(index.column())];
    try {
        // Leaving the row being inserted posts it first; its table row stays the same.
        if (index.row() != currentRow())
            m_ds.moveTo(index.row());
        if (sameValue(valueAt(index.row(), index.column()), v) && m_ds.state() == DataSetState::Browse)
            return true;
        EditIfNeeded(m_ds);
        m_ds.field(c.fieldIndex).setValue(v);
    } catch (const Error &e) {
        m_prompter.error(e.message());
        return false;
    }
    return true;
}

void DataSetModel::refreshHeaders()
{
    if (!m_columns.empty())
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, int(m_columns.size()) - 1);
}

void DataSetModel::reload()
{
    beginResetModel();
    m_insertRow = -1;
    m_columns.clear();
    QStringList names = m_ds.declaredFields();
    if (names.isEmpty())
        for (const FieldDef &f : m_ds.fields())
            names << f.name;
    for (const QString &name : names) {
        if (!m_ds.display(name).visible)
            continue;
        Column c;
        c.name = name;
        c.fieldIndex = m_ds.findField(name);
        if (c.fieldIndex >= 0) {
            const FieldDef &def = m_ds.fields()[size_t(c.fieldIndex)];
            c.kind = def.kind;
            c.maxLength = DeclaredTextLength(def.declaredType);
        }
        m_columns.push_back(c);
    }
    m_state = m_ds.state();
    m_count = m_ds.isActive() ? m_ds.recordCount() : 0;
    if (m_state == DataSetState::Insert)
        m_insertRow = std::clamp(m_ds.insertPosition(), 0, m_count);
    endResetModel();
    keepCurrentCopy();
    Q_EMIT currentRowChanged(currentRow());
}

void DataSetModel::keepCurrentCopy()
{
    if (m_ds.state() != DataSetState::Browse)
        return;
    m_currentCopyRow = m_ds.isActive() ? m_ds.currentIndex() : -1;
    m_currentCopy.assign(m_columns.size(), QVariant());
    for (size_t c = 0; c < m_columns.size(); ++c)
        if (m_columns[c].fieldIndex >= 0 && m_currentCopyRow >= 0)
            m_currentCopy[c] = m_ds.field(m_columns[c].fieldIndex).value();
}

void DataSetModel::onNotification(const DataSet::Notification &n)
{
    if (n.event == DataSet::Event::Scrolled || n.event == DataSet::Event::Posted)
        keepCurrentCopy();
    switch (n.event) {
    case DataSet::Event::Opened:
    case DataSet::Event::Closed:
    case DataSet::Event::Refreshed:
    case DataSet::Event::Deleted:
        reload();
        return;
    case DataSet::Event::Scrolled:
        Q_EMIT currentRowChanged(currentRow());
        return;
    case DataSet::Event::FieldChanged: {
        const int column = columnOf(n.field);
        const int row = currentRow();
        if (column >= 0 && row >= 0)
            Q_EMIT dataChanged(index(row, column), index(row, column));
        return;
    }
    case DataSet::Event::StateChanged: {
        const DataSetState was = m_state;
        m_state = m_ds.state();
        if (m_state == DataSetState::Insert && was != DataSetState::Insert) {
            const int row = std::clamp(m_ds.insertPosition(), 0, m_count);
            beginInsertRows({}, row, row);
            m_insertRow = row;
            endInsertRows();
            // The views keep their current item, which the new row pushed down: the new row
            // is the current one.
            Q_EMIT currentRowChanged(row);
        } else if (m_state != DataSetState::Insert && was == DataSetState::Insert && m_insertRow >= 0) {
            const int row = m_insertRow;
            if (m_ds.recordCount() == m_count + 1) {
                // Posted: the new row now lives in the dataset, at the place it was shown.
                m_insertRow = -1;
                m_count = m_ds.recordCount();
                Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
            } else {
                beginRemoveRows({}, row, row);
                m_insertRow = -1;
                endRemoveRows();
                Q_EMIT currentRowChanged(currentRow());
            }
        } else if (was == DataSetState::Edit) {
            const int row = m_ds.currentIndex();
            if (row >= 0 && row < m_count)
                Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        }
        return;
    }
    case DataSet::Event::Posted:
        return;
    }
}

// ---- delegate

DataSetGridDelegate::DataSetGridDelegate(Prompter &prompter, QObject *parent)
    : QStyledItemDelegate(parent)
    , m_prompter(prompter)
{ }

QWidget *DataSetGridDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &index) const
{
    auto *edit = new QLineEdit(parent);
    edit->setFrame(false);
    if (const auto *model = qobject_cast<const DataSetModel *>(index.model()))
        if (const int max = model->maxLength(index.column()); max > 0)
            edit->setMaxLength(max);
    edit->setAlignment(Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt()));
    m_editor = edit;
    m_index = index;
    return edit;
}

void DataSetGridDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    if (auto *edit = qobject_cast<QLineEdit *>(editor))
        edit->setText(index.data(Qt::EditRole).toString());
}

void DataSetGridDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    auto *edit = qobject_cast<QLineEdit *>(editor);
    if (!edit || edit->text() == index.data(Qt::EditRole).toString())
        return;
    model->setData(index, edit->text(), Qt::EditRole);
}

void DataSetGridDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    if (editor == m_editor) {
        m_editor = nullptr;
        m_index = QPersistentModelIndex();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

QString DataSetGridDelegate::refusal() const
{
    if (!m_editor || !m_index.isValid())
        return {};
    const auto *model = qobject_cast<const DataSetModel *>(m_index.model());
    if (!model || m_editor->text() == m_index.data(Qt::EditRole).toString())
        return {};
    return model->check(m_index, m_editor->text());
}

void DataSetGridDelegate::refuse(const QString &message)
{
    const QPointer<QLineEdit> edit = m_editor;
    m_prompter.warn(message);
    if (edit) {
        edit->setFocus();
        edit->selectAll();
    }
}

bool DataSetGridDelegate::commitPending()
{
    if (!m_editor)
        return true;
    const QString message = refusal();
    if (!message.isEmpty()) {
        refuse(message);
        return false;
    }
    QLineEdit *edit = m_editor;
    Q_EMIT commitData(edit);
    Q_EMIT closeEditor(edit, QAbstractItemDelegate::NoHint);
    return true;
}

void DataSetGridDelegate::discardPending()
{
    if (m_editor)
        Q_EMIT closeEditor(m_editor, QAbstractItemDelegate::RevertModelCache);
}

bool DataSetGridDelegate::eventFilter(QObject *object, QEvent *event)
{
    if (object == m_editor) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab || key == Qt::Key_Backtab) {
                const QString message = refusal();
                if (!message.isEmpty()) {
                    refuse(message);
                    return true;
                }
            }
        } else if (event->type() == QEvent::FocusOut && !refusal().isEmpty()) {
            return true; // stays open: the next action on the window says why
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

QColor SortColumnTextColour(const QColor &painted, const GridColours &colours)
{
    const auto rgb24 = [](const QColor &c) { return qint64(c.rgb() & 0xFFFFFF); };
    const qint64 p = rgb24(painted);
    const qint64 second = rgb24(colours.second);
    if (p == rgb24(colours.first) || (p >= second - 10 && p <= second + 10))
        return Qt::black;
    return Qt::white;
}

void DataSetGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != m_shadedColumn || index.model()->rowCount() == 0) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    const bool selected = option.state & QStyle::State_Selected;
    // A selected row of a grid without the focus keeps its plain selection colour.
    if (selected && view && !view->hasFocus()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QPalette &pal = option.palette;
    QColor painted = selected ? pal.color(QPalette::Active, QPalette::Highlight)
                              : (index.row() % 2 ? pal.color(QPalette::AlternateBase) : pal.color(QPalette::Base));
    GridColours colours;
    colours.first = pal.color(QPalette::Base);
    colours.second = pal.color(QPalette::AlternateBase);
    painter->save();
    painter->fillRect(option.rect, ShadeColor(painted, -10));
    painter->setPen(SortColumnTextColour(painted, colours));
    painter->setFont(option.font);
    // Left-aligned, its box moved 2 pixels right and 2 down.
    painter->drawText(
        option.rect.translated(2, 2), Qt::AlignLeft | Qt::AlignTop, index.data(Qt::DisplayRole).toString());
    painter->restore();
}

// ---- grid

DataSetGrid::DataSetGrid(QWidget *parent)
    : QTableView(parent)
{
    const GridColours colours;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, colours.first);
    pal.setColor(QPalette::AlternateBase, colours.second);
    pal.setColor(QPalette::Text, Qt::black);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Highlight, colours.selection);
        pal.setColor(group, QPalette::HighlightedText, Qt::white);
    }
    setPalette(pal);
    setAlternatingRowColors(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked
        | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setSortingEnabled(false);
    verticalHeader()->setDefaultSectionSize(18);
    verticalHeader()->setFixedWidth(12);
    verticalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setTextElideMode(Qt::ElideRight);
    horizontalHeader()->setStyleSheet(
        QStringLiteral("QHeaderView::section { background-color: rgb(216, 216, 216); color: black; font-family: Arial;"
                       " font-weight: bold; border: 0px; border-right: 1px solid rgb(160, 160, 160);"
                       " border-bottom: 1px solid rgb(160, 160, 160); padding: 1px 3px; }"));
}

void DataSetGrid::setDataSet(DataSet &dataSet, Prompter &prompter)
{
    m_prompter = &prompter;
    m_model = new DataSetModel(dataSet, prompter, this);
    m_delegate = new DataSetGridDelegate(prompter, this);
    setItemDelegate(m_delegate);
    setModel(m_model);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this](const QModelIndex &current) { viewRowChanged(current); });
    connect(m_model, &DataSetModel::currentRowChanged, this, &DataSetGrid::dataSetRowChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DataSetGrid::fitColumns);
    fitColumns();
    dataSetRowChanged(m_model->currentRow());
}

// Display widths count average characters. A title wider than that widens its column, but never
// past an equal share of the grid: a long user label (a price label) is elided in its title.
void DataSetGrid::fitColumns()
{
    if (!m_model || m_model->columnCount() == 0)
        return;
    const int average = fontMetrics().averageCharWidth();
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setBold(true);
    const QFontMetrics titles(titleFont);
    const int share = (viewport()->width() - verticalHeader()->width()) / m_model->columnCount();
    for (int c = 0; c < m_model->columnCount(); ++c) {
        const int chars = m_model->dataSet().display(m_model->fieldName(c)).width;
        const int title =
            std::min(titles.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()) + 10, share);
        setColumnWidth(c, std::max((chars > 0 ? chars : 10) * average + 8, title));
    }
    // The wide text columns give up what the grid lacks, down to twice their title.
    int total = verticalHeader()->width() + 4;
    std::vector<int> wide;
    for (int c = 0; c < m_model->columnCount(); ++c) {
        total += columnWidth(c);
        if (columnWidth(c) > 20 * average)
            wide.push_back(c);
    }
    const int excess = total - width();
    if (excess > 0 && !wide.empty()) {
        for (int c : wide) {
            const int title = titles.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString());
            setColumnWidth(c, std::max(columnWidth(c) - excess / int(wide.size()), 2 * title));
        }
    }
}

void DataSetGrid::showEvent(QShowEvent *event)
{
    QTableView::showEvent(event);
    fitColumns();
}

void DataSetGrid::setShadedField(const QString &fieldName)
{
    if (m_delegate && m_model)
        m_delegate->setShadedColumn(m_model->columnOf(fieldName));
    viewport()->update();
}

void DataSetGrid::viewRowChanged(const QModelIndex &current)
{
    if (m_syncing || !m_model || !current.isValid() || current.row() == m_model->currentRow())
        return;
    m_syncing = true;
    try {
        m_model->dataSet().moveTo(current.row());
    } catch (const Error &e) {
        if (m_prompter)
            m_prompter->error(e.message());
    }
    m_syncing = false;
    if (m_model->currentRow() != current.row())
        dataSetRowChanged(m_model->currentRow());
}

void DataSetGrid::dataSetRowChanged(int row)
{
    if (m_syncing || !m_model)
        return;
    const QModelIndex now = currentIndex();
    if (row < 0 || (now.isValid() && now.row() == row))
        return;
    m_syncing = true;
    const QModelIndex target = m_model->index(row, now.isValid() ? now.column() : 0);
    selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(target);
    m_syncing = false;
}

void DataSetGrid::mousePressEvent(QMouseEvent *event)
{
    if (!commitPendingEdit())
        return;
    QTableView::mousePressEvent(event);
}

void DataSetGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (!commitPendingEdit())
        return;
    QTableView::mouseDoubleClickEvent(event);
}

void DataSetGrid::keyPressEvent(QKeyEvent *event)
{
    // Escape on a new row gives it up: nothing typed there is kept, no blank row is written.
    if (event->key() == Qt::Key_Escape && m_model && !(m_delegate && m_delegate->editor())
        && m_model->dataSet().state() == DataSetState::Insert) {
        m_model->dataSet().cancel();
        event->accept();
        return;
    }
    if (m_delegate && m_delegate->editor() && !commitPendingEdit())
        return;
    QTableView::keyPressEvent(event);
}

} // namespace vivrelo
