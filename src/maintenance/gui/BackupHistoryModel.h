#pragma once

#include "maintenance/History.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>

namespace vivrelo {

class DataSet;

// The history dataset as a table: Date, Heure, Description, Fichier de sauvegarde, titled and
// sized (in characters) by the dataset's display properties. It reads the rows again whenever
// the dataset is opened, closed, refreshed or changed.
class BackupHistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static const char *const Columns[4]; // DateSav, TimeSav, Description, Path

    explicit BackupHistoryModel(DataSet &backup, QObject *parent = nullptr);
    ~BackupHistoryModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // Display width of a column, in characters.
    int widthInCharacters(int column) const;
    const std::vector<HistoryEntry> &rows() const { return m_rows; }

private:
    void reload();

    DataSet &m_backup;
    int m_token = 0;
    bool m_reading = false;
    std::vector<HistoryEntry> m_rows;
};

// The history grid's painting: rows alternately white and pale blue by their place on the
// screen (the title row being the first place, the first line is pale blue), the selected row
// in dark blue with white text, a line between columns and none between rows.
class HistoryGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    static inline const QColor Alternate{232, 243, 255};
    static inline const QColor Selected{49, 106, 197};
    static inline const QColor ColumnLine{192, 192, 192};

    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    // Ground of a row whose top edge lies at `top` in the grid's viewport.
    static QColor groundAt(int top, int rowHeight, bool selected);
};

} // namespace vivrelo
