#pragma once

#include "db/DataSet.h"

#include <QAbstractTableModel>
#include <QLineEdit>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <vector>

namespace vivrelo {

class Prompter;

// The visible fields of a dataset as a table, kept in step with the dataset's
// notifications and read without moving its current row. The current row shows the edit
// buffer while it is being edited, and a row being inserted is shown where it will stand
// (before the current row for insert(), after the last for append()) until it is posted or
// cancelled. Edits reach the dataset through setData, which checks the
// typed text first (ParseCatalogueValue): a refused text is reported and never reaches a field.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    DataSetModel(DataSet &dataSet, Prompter &prompter, QObject *parent = nullptr);
    ~DataSetModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    DataSet &dataSet() const { return m_ds; }
    QString fieldName(int column) const;
    int columnOf(const QString &fieldName) const; // -1 when not shown
    // The table row of the dataset's current row (the inserted row while inserting), or -1.
    int currentRow() const;
    // The message refusing a text typed into the cell, or an empty text when the value is
    // acceptable (then stored in *value when given).
    QString check(const QModelIndex &index, const QString &text, QVariant *value = nullptr) const;
    // Longest text the column's field takes (0: no limit).
    int maxLength(int column) const;
    // The captions follow the fields' display labels again.
    void refreshHeaders();

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    struct Column {
        QString name;
        FieldKind kind = FieldKind::Unknown;
        int maxLength = 0;
        int fieldIndex = -1;
    };
    void onNotification(const DataSet::Notification &n);
    void reload();
    void keepCurrentCopy();
    QVariant valueAt(int row, int column) const;
    QString displayText(int column, const QVariant &value) const;
    QString editText(int column, const QVariant &value) const;

    DataSet &m_ds;
    Prompter &m_prompter;
    int m_token = 0;
    std::vector<Column> m_columns;
    int m_count = 0; // rows of the dataset as last announced to the views
    int m_insertRow = -1; // table row of the row being inserted, or -1
    DataSetState m_state = DataSetState::Inactive;
    // The dataset's current row as last seen outside an insertion.
    int m_currentCopyRow = -1;
    std::vector<QVariant> m_currentCopy;
};

// In-place editing of one cell: a line edit limited to the field's length. A text the field
// cannot take is refused when the user confirms it (Enter, Tab) or moves on, with a message,
// and the edit keeps the focus; losing the focus to another window or control leaves it open
// until the next action. The column named by setShadedColumn is drawn a shade darker.
class DataSetGridDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    DataSetGridDelegate(Prompter &prompter, QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    void setShadedColumn(int column) { m_shadedColumn = column; }
    int shadedColumn() const { return m_shadedColumn; }
    QLineEdit *editor() const { return m_editor; }
    // Writes the open edit into the model and closes it; false (after saying why) when its
    // text is refused, the edit then keeping the focus. True when no edit is open.
    bool commitPending();
    // Closes the open edit without writing it.
    void discardPending();

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    QString refusal() const;
    void refuse(const QString &message);

    Prompter &m_prompter;
    int m_shadedColumn = -1;
    mutable QPointer<QLineEdit> m_editor;
    mutable QPersistentModelIndex m_index;
};

// The colours of a grid row, and the look of the sort column drawn over them.
struct GridColours {
    QColor first{255, 255, 255};
    QColor second{232, 243, 255};
    QColor selection{49, 106, 197};
};
// Text colour of a cell of the sort column painted over `painted`: black on either row
// colour (within 10 of the second, as 24-bit values), white on the selection.
QColor SortColumnTextColour(const QColor &painted, const GridColours &colours = {});

// An editable grid over a dataset: rows of alternating colours, selected row highlighted,
// the current row of the dataset followed both ways (leaving a row posts it).
class DataSetGrid : public QTableView
{
    Q_OBJECT
public:
    explicit DataSetGrid(QWidget *parent = nullptr);

    // Shows the dataset; the grid and its model report through the prompter.
    void setDataSet(DataSet &dataSet, Prompter &prompter);
    DataSetModel *dataSetModel() const { return m_model; }
    DataSetGridDelegate *gridDelegate() const { return m_delegate; }
    void setShadedField(const QString &fieldName);
    // See DataSetGridDelegate.
    bool commitPendingEdit() { return !m_delegate || m_delegate->commitPending(); }
    void discardPendingEdit()
    {
        if (m_delegate)
            m_delegate->discardPending();
    }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Column widths from the fields' display widths, fitted into the grid's width.
    void fitColumns();
    void viewRowChanged(const QModelIndex &current);
    void dataSetRowChanged(int row);

    DataSetModel *m_model = nullptr;
    DataSetGridDelegate *m_delegate = nullptr;
    Prompter *m_prompter = nullptr;
    bool m_syncing = false;
};

} // namespace vivrelo
