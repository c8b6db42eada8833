#include "lists/gui/ItemsListModel.h"

#include "db/DataSet.h"
#include "lists/DataModule.h"

namespace vivrelo {

ItemsListModel::ItemsListModel(DataSet &itemsList, QObject *parent)
    : QAbstractTableModel(parent)
    , m_ds(itemsList)
{
    findFields();
    m_token = m_ds.subscribe([this](const DataSet::Notification &n) {
        switch (n.event) {
        case DataSet::Event::Opened:
        case DataSet::Event::Closed:
        case DataSet::Event::Refreshed:
        case DataSet::Event::Deleted:
            beginResetModel();
            findFields();
            endResetModel();
            Q_EMIT currentRowChanged(m_ds.currentIndex());
            break;
        case DataSet::Event::Posted:
            if (m_ds.recordCount() != m_rows) {
                beginResetModel();
                m_rows = m_ds.recordCount();
                endResetModel();
                Q_EMIT currentRowChanged(m_ds.currentIndex());
                break;
            }
            [[fallthrough]];
        case DataSet::Event::FieldChanged:
        case DataSet::Event::StateChanged:
            if (const int r = m_ds.currentIndex(); r >= 0 && r < m_rows)
                Q_EMIT dataChanged(index(r, 0), index(r, ColumnCount - 1));
            break;
        case DataSet::Event::Scrolled:
            Q_EMIT currentRowChanged(m_ds.currentIndex());
            break;
        }
    });
}

ItemsListModel::~ItemsListModel()
{
    m_ds.unsubscribe(m_token);
}

void ItemsListModel::findFields()
{
    m_rows = m_ds.isActive() ? m_ds.recordCount() : 0;
    if (!m_ds.isActive())
        return;
    m_sel = m_ds.findField(QStringLiteral("Sel"));
    m_title = m_ds.findField(QStringLiteral("Title"));
    m_mark = m_ds.findField(QStringLiteral("Mark"));
    m_stock = m_ds.findField(QStringLiteral("Stock"));
    m_quantity = m_ds.findField(QStringLiteral("Quantity"));
    m_stockMin = m_ds.findField(QStringLiteral("Stock_Min"));
    m_titleMark = m_ds.findField(QStringLiteral("TitleMark"));
}

int ItemsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int ItemsListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ItemsListModel::data(const QModelIndex &index, int role) const
{
    const int r = index.row();
    if (!index.isValid() || r >= m_rows || !m_ds.isActive())
        return {};
    switch (role) {
    case SelRole:
        return m_ds.rowValue(r, m_sel).toBool();
    case AlarmRole:
        return m_ds.rowValue(r, m_stock).toLongLong() < m_ds.rowValue(r, m_stockMin).toLongLong();
    case Qt::TextAlignmentRole:
        if (index.column() == StockColumn || index.column() == QuantityColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::DisplayRole:
        switch (index.column()) {
        case TitleColumn:
            if (r == m_ds.currentIndex() && m_titleMark >= 0)
                return m_ds.rowValue(r, m_titleMark);
            return TitleMark(m_ds.rowValue(r, m_title).toString(), m_ds.rowValue(r, m_mark).toString());
        case StockColumn:
            return m_ds.rowValue(r, m_stock);
        case QuantityColumn:
            return m_ds.rowValue(r, m_quantity);
        default:
            return {};
        }
    default:
        return {};
    }
}

QVariant ItemsListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char *const names[] = {"Sel", "TitleMark", "Stock", "Quantity"};
    if (section < 0 || section >= ColumnCount)
        return {};
    const QString name = QLatin1String(names[section]);
    const QString label = m_ds.display(name).label;
    return label.isEmpty() ? name : label;
}

} // namespace vivrelo
