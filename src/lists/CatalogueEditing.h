#pragma once

#include "db/FieldKind.h"

#include <QString>
#include <QStringList>
#include <QVariant>

namespace vivrelo {

class DataSet;

// Re-opens the catalogue ordered by one of its fields: posts a pending edit, then, with the
// dataset's controls disabled, replaces its "ORDER BY" line by "ORDER BY " + the field's own
// name and opens it again. The name must be one of the dataset's persistent fields (compared
// without regard to case); the text that reaches the SQL is the field's declared name, never
// the caller's. The file's read lock is taken first: when another program holds the database,
// the catalogue stays open as it was. On any later failure the previous order is put back,
// opened on the same product, and the Error is passed on. Returns the field's declared name.
QString SortCatalogue(DataSet &items, const QString &fieldName);

// Shows only the products whose reference, title or brand hold every word of `text` (words in
// any order, case and accents ignored: "creme lai" finds "Lait (Crème)"), from the rows the
// catalogue holds in memory; an empty text shows every product again. The order stays the
// current one; a pending edit is posted first. Throws Error.
void FilterCatalogue(DataSet &items, const QString &text);
// The words of a filter text.
QStringList CatalogueFilterWords(const QString &text);

// What a text typed into a catalogue cell stands for. Integers: an optional sign and digits,
// within 32 bits. Prices: an optional sign, digits and at most one decimal separator, a point
// or a comma ("1,50" is 1.5, as a French keyboard types it). Texts: as typed, at most
// `maxLength` characters (0: no limit). Blanks around a number are ignored; an empty number is
// refused. A refused text throws Error with a French message naming the column (`label`) and
// the text.
QVariant ParseCatalogueValue(FieldKind kind, const QString &text, const QString &label, int maxLength = 0);

// The first row of the open dataset whose field starts with the letters of `prefix`, case
// and accents ignored as the French order sorts them ("ep" finds "Éponge"), or -1. Rows sorted
// by that field (`sortedByField`) are searched by halves, others one by one.
int FindRowByPrefix(const DataSet &dataSet, const QString &fieldName, const QString &prefix, bool sortedByField);

} // namespace vivrelo
