#pragma once

#include <QAbstractTableModel>

namespace vivrelo {

class DataSet;

// The catalogue grid's view of ItemsList: four columns (Sel, TitleMark, Stock, Quantity)
// read straight from the dataset's rows, redrawn on its notifications. Nothing is copied.
class ItemsListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { SelColumn, TitleColumn, StockColumn, QuantityColumn, ColumnCount };
    enum Role { SelRole = Qt::UserRole + 1, AlarmRole };

    explicit ItemsListModel(DataSet &itemsList, QObject *parent = nullptr);
    ~ItemsListModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

Q_SIGNALS:
    // The dataset's current row moved (or the rows were read again).
    void currentRowChanged(int row);

private:
    void findFields();

    DataSet &m_ds;
    int m_token = 0;
    int m_sel = -1, m_title = -1, m_mark = -1, m_stock = -1, m_quantity = -1, m_stockMin = -1, m_titleMark = -1;
    int m_rows = 0;
};

} // namespace vivrelo
