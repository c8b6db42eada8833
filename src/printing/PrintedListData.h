#pragma once

#include "printing/ListPrinting.h"
#include "printing/PrintLayout.h"

#include <QString>

#include <vector>

namespace vivrelo {

class Connection;
class DataSet;
class TDataModule1;

// The rows the printed list visits, every catalogue row of the current list file in title
// order, read through a fresh query "QueryTmp" on the connection.
extern const QString PrintedListSql;
std::vector<ListPrintRow> ReadPrintedListRows(Connection &connection);
// Throws an Error when no row is ticked: a list without lines is never printed nor written.
void RequireTickedRow(const std::vector<ListPrintRow> &rows);

// The print layout held by the current row of a FORMATLIST dataset; a null column reads as
// the default of that measure.
PrintLayout ReadPrintLayout(DataSet &formatList);
// Writes every column of the layout into the dataset's row, which is in edit or insert state.
void WritePrintLayout(DataSet &formatList, const PrintLayout &layout);
// Opens the print layout of the current list file. A list file without its row (a database
// the program has not started on yet) gets the default row, so that editing it is kept.
void OpenPrintLayout(TDataModule1 &dm);
// The print layout of the current list file, the dataset opened and closed again; the
// defaults when the list file has no row.
PrintLayout LoadPrintLayout(TDataModule1 &dm);

// The shopping list priced with column 1, 2 or 3, drawn into an A4 PDF file. The file is
// replaced only once the new one is complete. Throws an Error naming the file when it could
// not be written; a column outside 1..3 is refused before anything is read, a list without a
// ticked row before the file is touched.
void PrintShoppingListToPdf(TDataModule1 &dm, int priceColumn, const QString &path);

// The list split by shop (ticked rows, price labels of the list file), drawn into an A4 PDF
// file like the printed list. Throws an Error naming the file when it could not be written.
void PrintShopSplitToPdf(TDataModule1 &dm, const QString &path);
// The split of the current list, read from the database.
struct ShopSplit;
ShopSplit ReadShopSplit(TDataModule1 &dm);

} // namespace vivrelo
