#include "maintenance/gui/BackupHistoryModel.h"

#include "db/DataSet.h"

#include <QPainter>

namespace vivrelo {

const char *const BackupHistoryModel::Columns[4] = {"DateSav", "TimeSav", "Description", "Path"};

BackupHistoryModel::BackupHistoryModel(DataSet &backup, QObject *parent)
    : QAbstractTableModel(parent)
    , m_backup(backup)
{
    m_token = m_backup.subscribe([this](const DataSet::Notification &n) {
        switch (n.event) {
        case DataSet::Event::Opened:
        case DataSet::Event::Closed:
        case DataSet::Event::Posted:
        case DataSet::Event::Deleted:
        case DataSet::Event::Refreshed:
            reload();
            break;
        default:
            break;
        }
    });
    reload();
}

BackupHistoryModel::~BackupHistoryModel()
{
    m_backup.unsubscribe(m_token);
}

void BackupHistoryModel::reload()
{
    // Reading walks the dataset, which notifies its moves: those are ours.
    if (m_reading)
        return;
    m_reading = true;
    beginResetModel();
    try {
        m_rows = ReadHistory(m_backup);
    } catch (...) {
        m_rows.clear();
    }
    endResetModel();
    m_reading = false;
}

int BackupHistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BackupHistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 4;
}

QVariant BackupHistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const HistoryEntry &e = m_rows[size_t(index.row())];
    switch (index.column()) {
    case 0:
        return e.date;
    case 1:
        return e.time;
    case 2:
        return e.description;
    case 3:
        return e.path;
    default:
        return {};
    }
}

QVariant BackupHistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section > 3)
        return {};
    const QString name = QLatin1String(Columns[section]);
    const QString label = m_backup.display(name).label;
    return label.isEmpty() ? name : label;
}

Qt::ItemFlags BackupHistoryModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int BackupHistoryModel::widthInCharacters(int column) const
{
    if (column < 0 || column > 3)
        return 0;
    const int width = m_backup.display(QLatin1String(Columns[column])).width;
    return width > 0 ? width : 10;
}

QColor HistoryGridDelegate::groundAt(int top, int rowHeight, bool selected)
{
    if (selected)
        return Selected;
    const int place = (rowHeight > 0 ? top / rowHeight : 0) + 1;
    return place % 2 ? Alternate : QColor(Qt::white);
}

void HistoryGridDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QRect r = option.rect;
    painter->save();
    painter->fillRect(r, groundAt(r.top(), r.height(), selected));
    painter->setPen(ColumnLine);
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->setFont(option.font);
    painter->setPen(selected ? QColor(Qt::white) : QColor(Qt::black));
    const QRect textRect = r.adjusted(2, 0, -3, 0);
    const QString text = option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
}

} // namespace vivrelo
