#pragma once

#include "lists/gui/TypeAhead.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <memory>

class QLineEdit;
class QWidget;

namespace Ui {
class TEnterItems;
}

namespace vivrelo {

class MessageBoxPrompter;
class Prompter;
class TDataModule1;

// Runs the product list report ordered by a field of the catalogue.
using ProductReport = std::function<void(const QString &sortField)>;

// The catalogue editor: one editable grid over Items, ordered by the column whose title was
// clicked last (the sort column is drawn a shade darker), with buttons to add, delete and
// print products and a search field that keeps the products holding its words. In the grid,
// letters find a product by the start of its title, Enter edits the cell, Insert or Ctrl+N
// adds a product at the end. Items is opened on creation and closed when the window closes; the row
// being edited is posted when the grid leaves it, when the order changes and on closing.
// The print button works only when a report is given.
class TEnterItems : public QDialog
{
    Q_OBJECT
public:
    // Messages go through `prompter`, or through message boxes over this window when null.
    TEnterItems(TDataModule1 &dm, Prompter *prompter = nullptr, ProductReport report = {}, QWidget *parent = nullptr);
    ~TEnterItems() override;

    // Re-opens the catalogue ordered by the field; when that fails, says the program looks
    // unstable and opens the web site. The order and the shaded column change only on success.
    void SortBy(const QString &fieldName);
    // Title with the number of products; delete and print enabled only with products.
    void UpdateState();
    const QString &SortField() const { return m_sortField; }

    // Posts the current row and closes Items first; a row that cannot be posted (or a cell
    // whose text is refused) keeps the window open.
    void done(int result) override;

    // Re-opens the catalogue on the products matching the search field's words.
    void Ed_SearchChange(const QString &text);
    // Insert and Ctrl+N: a new product after the last row, the focus in its Reference cell.
    void AppendProduct();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void Btn_AddClick();
    void Btn_DeleteClick();
    void Btn_PrinterClick();
    int productCount() const;

    std::unique_ptr<Ui::TEnterItems> ui;
    TDataModule1 &m_dm;
    std::unique_ptr<MessageBoxPrompter> m_ownPrompter;
    Prompter &m_prompter;
    ProductReport m_report;
    QString m_sortField = QStringLiteral("Title");
    int m_token = 0;
    QLineEdit *m_search = nullptr;
    TypeAhead m_typeAhead;
};

// The warning shown when the catalogue cannot be sorted.
QString InstabilityMessage();

// The main window's "Produits" command: shows the catalogue editor modally over `owner`;
// the main window then re-reads ItemsList and rebuilds its list. An error that keeps the
// editor from opening is shown in a message box.
void RunCatalogueEditor(QWidget *owner, TDataModule1 &dm, ProductReport report = {});

} // namespace vivrelo
