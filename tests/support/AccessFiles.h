#pragma once

#include <QByteArray>

namespace vivrelo::test {

// A genuine Access 2003 file (jet/testUnicodeCompV2003.mdb, one table "Table" of eight rows
// with the columns ID and Unicode) whose table is renamed "ITEMS" in the catalogue, so that
// the conversion takes it for an older installation's database: 8 products.
QByteArray AccessDatabaseWithItems();

} // namespace vivrelo::test
