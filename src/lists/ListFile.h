#pragma once

#include "base/Progress.h"
#include "lists/ShoppingList.h"

#include <QString>

#include <array>
#include <vector>

namespace vivrelo {

class Connection;
class DataSet;
class TDataModule1;

// The rows every list file carries besides its products, and the list read for display.

// Points the dataset's WHERE line at the list file ("WHERE Id_File=<id>").
void PointAtListFile(DataSet &dataSet, int listFileId);

// Creates the FORMATLIST row and the CUSTOMLAB row ("Prix n°1" .. "Prix n°3") of the
// current list file when they are missing; an existing row is left as it is. Returns how
// many rows were created.
int EnsureListFileRows(TDataModule1 &dm);

// The label a price column has until the user names it: "Prix n°1", "Prix n°2", "Prix n°3".
QString DefaultPriceLabel(int column);

// The three price labels of the current list file (CustomLabel opened and closed again); a
// missing row or an empty label gives the default label, so that a title never falls back to
// the field's name.
std::array<QString, 3> ReadPriceLabels(TDataModule1 &dm);

// How the list is read: through the index of the ticked rows when the database has it (the
// rows then sorted by title in memory with our comparison), or the list query over the whole
// catalogue. Both give the same rows in the same order, equal titles included.
enum class ListRead { TickedRows, WholeCatalogue };

// The ticked rows of the list query as plain values, in title order.
std::vector<ListQueryRow> ReadListQuery(TDataModule1 &dm, ListRead how = ListRead::TickedRows);
// The list query's text.
extern const QString ListQuerySql;

// The list's covering index (ITEMS_List) and the partial index of the ticked rows (ITEMS_Sel),
// keyed alike: created when the database lacks them, made again in one transaction when one
// of them is an earlier, narrower version.
void EnsureListIndexes(Connection &connection);

// Validation: every ticked row of the list file gets Stock + Quantity as its stock, Sel
// false and Quantity 0, in one transaction, the progress shown through `progress`. A failure
// on any row changes no row at all and throws Error saying so. Returns the number of rows
// changed.
int ValidateList(TDataModule1 &dm, ProgressSink &progress = noProgress());

// Refill: every product of the list file in stock alarm is ticked with its RefillQuantity,
// all in one transaction. Returns how many products the command ticked.
int TickLowStock(TDataModule1 &dm);
// The message that tells the user what the refill did.
QString TickLowStockMessage(int ticked);

// Tick all / untick all: Sel of every row of ITEMS, quantities unchanged.
void SetAllSelected(TDataModule1 &dm, bool selected);

} // namespace vivrelo
