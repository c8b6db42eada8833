#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

namespace vivrelo {

class TDataModule1;

// The catalogue in and out of a spreadsheet. A catalogue file is what French spreadsheet
// programs open and save: UTF-8 with a byte-order mark, ";" between fields, quotes as RFC 4180,
// a decimal comma, lines ended by CR LF, and the header
//   Référence;Produit;Marque;Stock min;Stock max;Stock;Prix 1;Prix 2;Prix 3
// Reading also takes "," separated files with decimal points (told apart by the header line),
// files without the byte-order mark and Windows-1252 files.

// The columns of a catalogue file, in the order the export writes them.
enum class CsvColumn { Reference, Title, Mark, StockMin, StockMax, Stock, Price1, Price2, Price3 };
inline constexpr int kCsvColumnCount = 9;
// "Référence", "Produit", ...: the header names.
QString CsvColumnName(CsvColumn column);

// One product as a catalogue file carries it; an empty optional is an empty cell.
struct CsvProduct {
    QString reference;
    QString title;
    QString mark;
    std::optional<qint64> stockMin;
    std::optional<qint64> stockMax;
    std::optional<qint64> stock;
    std::array<std::optional<double>, 3> prices;
    bool operator==(const CsvProduct &) const = default;
};

// The bytes of a catalogue file holding these products, in this order.
QByteArray WriteCatalogueCsv(const std::vector<CsvProduct> &products);

// A line of a file that cannot be taken, with its number (the header is line 1; a row whose
// quoted field spans lines counts from its first line) and the reason in French.
struct CsvProblem {
    int line = 0;
    QString reason;
};

// One row of a file read.
struct CsvRow {
    int line = 0;
    CsvProduct product;
};

// What a file holds: the columns it names, its rows, and every line that cannot be taken.
struct CatalogueCsv {
    std::array<bool, kCsvColumnCount> hasColumn{};
    bool decimalComma = true; // ";" files write 12,50; "," files 12.50
    std::vector<CsvRow> rows;
    std::vector<CsvProblem> problems;
    bool has(CsvColumn c) const { return hasColumn[size_t(c)]; }
};

// Reads the bytes of a catalogue file, which may be anything: never throws, never reads past
// the bytes. Texts longer than `textLimits` (reference, product, brand) are problems, as are
// numbers that are not ones, integers beyond 32 bits, a duplicated reference, a wrong field
// count, an unknown or repeated column. Lines with nothing in them are skipped.
CatalogueCsv ReadCatalogueCsv(const QByteArray &bytes, const std::array<int, 3> &textLimits = {128, 128, 128});

// The folder the file dialogs open first: the data directory's "Export/".
QString CatalogueFolder();

// Writes the catalogue of the current list file into a file (replaced only once the new one
// is complete), in title order. Returns how many products were written; throws Error naming
// the file when it could not be written.
int ExportCatalogue(TDataModule1 &dm, const QString &path);

struct CatalogueImport {
    int added = 0;
    int updated = 0;
    QString backup; // the copy of the database made before a replacing import
    std::vector<CsvProblem> problems; // when not empty, nothing was changed
};

// Imports a catalogue file into the current list file, all or nothing: rows are matched by
// reference when it is set, else by product and brand, and added when unmatched; a column the
// file lacks keeps the current value (or the new product's default). With `replace`, the
// catalogue is emptied first, after a copy of the database in the data directory's
// "Backup/". A file with any bad line changes nothing and the result lists every one of them.
// Throws Error when the file cannot be read or the database refuses the change (nothing is
// changed then either).
CatalogueImport ImportCatalogue(TDataModule1 &dm, const QString &path, bool replace);

// The problems as lines "Ligne 4 : ...", at most `shown` of them (all when 0) followed by how
// many more there are.
QStringList CsvProblemLines(const std::vector<CsvProblem> &problems, int shown = 0);
// The message of a refused file: that nothing was imported, then its first `shown` bad lines
// and how many more there are ("\r" line breaks).
QString ImportProblemsMessage(const QString &file, const std::vector<CsvProblem> &problems, int shown = 20);

} // namespace vivrelo
