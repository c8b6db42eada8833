#include "lists/CatalogueCsv.h"

#include "base/AppValues.h"
#include "base/Error.h"
#include "base/Paths.h"
#include "db/Connection.h"
#include "db/DatabaseCopy.h"
#include "db/FieldKind.h"
#include "db/Transaction.h"
#include "lists/CatalogueEditing.h"
#include "lists/DataModule.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QStringDecoder>

#include <algorithm>

namespace vivrelo {

namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";
// A catalogue of a household fits in far less; a bigger file is refused before it is read.
constexpr qint64 kMaxFileSize = 64 * 1024 * 1024;

const char *const kColumnNames[kCsvColumnCount] = {
    "Référence", "Produit", "Marque", "Stock min", "Stock max", "Stock", "Prix 1", "Prix 2", "Prix 3"};

// The characters 0x80..0x9F of Windows-1252; the others are those of Latin-1. The five bytes
// the code page leaves undefined keep their own value, as Windows reads them.
const char16_t kWindows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030,
    0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeText(const QByteArray &bytes)
{
    if (bytes.startsWith(kBom))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QString latin(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        latin[i] = QChar(b >= 0x80 && b < 0xA0 ? kWindows1252High[b - 0x80] : char16_t(b));
    }
    return latin;
}

// The field separator, from the header line: ";" unless the line holds "," and no ";".
QChar DetectSeparator(const QString &text)
{
    bool quoted = false;
    int semicolons = 0;
    int commas = 0;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (c == u'\r' || c == u'\n'))
            break;
        else if (!quoted && c == u';')
            ++semicolons;
        else if (!quoted && c == u',')
            ++commas;
    }
    return semicolons == 0 && commas > 0 ? QChar(u',') : QChar(u';');
}

struct Record {
    int line = 0;
    QStringList fields;
    QString error;
};

// Splits the text into records as RFC 4180 reads them, and tolerates what spreadsheets write:
// LF or CR line ends, a quote inside an unquoted field.
std::vector<Record> SplitRecords(const QString &t, QChar sep)
{
    std::vector<Record> records;
    const qsizetype n = t.size();
    qsizetype i = 0;
    int line = 1;
    const auto endOfLine = [&t, n](qsizetype at) { return at < n && (t[at] == u'\r' || t[at] == u'\n'); };
    while (i < n) {
        Record r;
        r.line = line;
        for (;;) {
            QString field;
            if (i < n && t[i] == u'"') {
                ++i;
                bool closed = false;
                while (i < n) {
                    const QChar c = t[i++];
                    if (c == u'"') {
                        if (i < n && t[i] == u'"') {
                            field += c;
                            ++i;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && !(i < n && t[i] == u'\n')))
                        ++line;
                    field += c;
                }
                if (!closed && r.error.isEmpty())
                    r.error = QStringLiteral("un guillemet ouvre un champ que rien ne ferme.");
                while (i < n && t[i] != sep && !endOfLine(i)) {
                    if (!t[i].isSpace() && r.error.isEmpty())
                        r.error = QStringLiteral("du texte suit le guillemet qui ferme un champ.");
                    ++i;
                }
            } else {
                const qsizetype start = i;
                while (i < n && t[i] != sep && !endOfLine(i))
                    ++i;
                field = t.mid(start, i - start);
            }
            r.fields << field;
            if (i < n && t[i] == sep) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n) {
            i += t[i] == u'\r' && i + 1 < n && t[i + 1] == u'\n' ? 2 : 1;
            ++line;
        }
        records.push_back(std::move(r));
    }
    return records;
}

// A text of the file as a message quotes it: a long one is cut, so that a file of anything
// never gives a message of a thousand lines.
QString Quoted(const QString &text)
{
    constexpr int kShown = 60;
    return text.size() <= kShown ? text : text.left(kShown) + QStringLiteral("…");
}

// A header name as it is compared: without case, accents or extra blanks.
QString HeaderKey(const QString &name)
{
    return FoldAccents(name.toLower()).simplified();
}

// A text as the database compares it for matching: without regard to case.
QString MatchKey(const QString &text)
{
    return text.toCaseFolded();
}

QString PriceText(double value, bool decimalComma)
{
    QString text = QString::number(value, 'f', 2);
    if (text.toDouble() != value)
        text = QLocale::c().toString(value, 'f', QLocale::FloatingPointShortest);
    if (decimalComma)
        text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text;
}

QString QuotedField(const QString &text, QChar sep)
{
    const bool needsQuotes = text.contains(sep) || text.contains(u'"') || text.contains(u'\r') || text.contains(u'\n')
        || (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QStringLiteral("\""), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Reads one cell into the product; returns the reason it cannot be taken, or an empty text.
QString TakeCell(
    CsvProduct &p, CsvColumn column, const QString &cell, bool decimalComma, const std::array<int, 3> &textLimits)
{
    const QString label = CsvColumnName(column);
    // A refused number is quoted cut in the message; the number itself is read whole.
    const auto number = [&](FieldKind kind) {
        try {
            return ParseCatalogueValue(kind, cell, label);
        } catch (const Error &) {
            return ParseCatalogueValue(kind, Quoted(cell), label);
        }
    };
    try {
        switch (column) {
        case CsvColumn::Reference:
        case CsvColumn::Title:
        case CsvColumn::Mark: {
            const int index = int(column) - int(CsvColumn::Reference);
            const QString text =
                ParseCatalogueValue(FieldKind::WideString, cell, label, textLimits[size_t(index)]).toString();
            (column == CsvColumn::Reference ? p.reference : column == CsvColumn::Title ? p.title : p.mark) = text;
            break;
        }
        case CsvColumn::StockMin:
        case CsvColumn::StockMax:
        case CsvColumn::Stock: {
            std::optional<qint64> &target = column == CsvColumn::StockMin ? p.stockMin
                : column == CsvColumn::StockMax                           ? p.stockMax
                                                                          : p.stock;
            target.reset();
            if (!cell.trimmed().isEmpty())
                target = number(FieldKind::Integer).toLongLong();
            break;
        }
        case CsvColumn::Price1:
        case CsvColumn::Price2:
        case CsvColumn::Price3: {
            std::optional<double> &target = p.prices[size_t(int(column) - int(CsvColumn::Price1))];
            target.reset();
            if (cell.trimmed().isEmpty())
                break;
            // The decimal mark is the dialect's: "1.234" in a French file is no price.
            if (cell.contains(decimalComma ? u'.' : u','))
                return QStringLiteral("%1 : « %2 » n'est pas un prix (exemple : %3).")
                    .arg(label, Quoted(cell), decimalComma ? QStringLiteral("12,50") : QStringLiteral("12.50"));
            target = number(FieldKind::Float).toDouble();
            break;
        }
        }
    } catch (const Error &e) {
        return e.message();
    }
    return QString();
}

} // namespace

QString CsvColumnName(CsvColumn column)
{
    return QString::fromUtf8(kColumnNames[int(column)]);
}

QByteArray WriteCatalogueCsv(const std::vector<CsvProduct> &products)
{
    const QChar sep(u';');
    QStringList header;
    for (int c = 0; c < kCsvColumnCount; ++c)
        header << CsvColumnName(CsvColumn(c));
    QString text = header.join(sep) + QStringLiteral("\r\n");
    const auto integer = [](const std::optional<qint64> &v) { return v ? QString::number(*v) : QString(); };
    for (const CsvProduct &p : products) {
        QStringList cells{QuotedField(p.reference, sep), QuotedField(p.title, sep), QuotedField(p.mark, sep),
            integer(p.stockMin), integer(p.stockMax), integer(p.stock)};
        for (const std::optional<double> &price : p.prices)
            cells << (price ? PriceText(*price, true) : QString());
        text += cells.join(sep) + QStringLiteral("\r\n");
    }
    return QByteArray(kBom) + text.toUtf8();
}

CatalogueCsv ReadCatalogueCsv(const QByteArray &bytes, const std::array<int, 3> &textLimits)
{
    CatalogueCsv csv;
    const QString text = DecodeText(bytes);
    const QChar sep = DetectSeparator(text);
    csv.decimalComma = sep == u';';
    const std::vector<Record> records = SplitRecords(text, sep);
    if (records.empty() || (records.front().fields.size() == 1 && records.front().fields.front().trimmed().isEmpty())) {
        csv.problems.push_back({1,
            QStringLiteral("le fichier est vide : sa première ligne doit nommer les colonnes ("
                           "Référence;Produit;Marque;Stock min;Stock max;Stock;Prix 1;Prix 2;"
                           "Prix 3).")});
        return csv;
    }

    // The header: each name once, each a column of the catalogue.
    const Record &head = records.front();
    std::vector<CsvColumn> columns;
    QStringList headerErrors;
    if (!head.error.isEmpty())
        headerErrors << head.error;
    for (const QString &name : head.fields) {
        int found = -1;
        for (int c = 0; c < kCsvColumnCount && found < 0; ++c)
            if (HeaderKey(name) == HeaderKey(CsvColumnName(CsvColumn(c))))
                found = c;
        if (found < 0) {
            QStringList known;
            for (int c = 0; c < kCsvColumnCount; ++c)
                known << CsvColumnName(CsvColumn(c));
            headerErrors << QStringLiteral("la colonne « %1 » n'est pas une colonne du catalogue (colonnes "
                                           "reconnues : %2).")
                                .arg(Quoted(name), known.join(QStringLiteral(", ")));
        } else if (csv.hasColumn[size_t(found)]) {
            headerErrors << QStringLiteral("la colonne « %1 » figure deux fois.").arg(Quoted(name));
        } else {
            csv.hasColumn[size_t(found)] = true;
            columns.push_back(CsvColumn(found));
        }
    }
    if (!headerErrors.isEmpty()) {
        // A line of anything can name thousands of columns: the first few tell enough.
        constexpr int kHeaderErrorsShown = 3;
        if (headerErrors.size() > kHeaderErrorsShown) {
            const qsizetype more = headerErrors.size() - kHeaderErrorsShown;
            headerErrors = headerErrors.mid(0, kHeaderErrorsShown);
            headerErrors << QStringLiteral("et %1 autre(s) erreur(s) dans cette ligne.").arg(more);
        }
        csv.problems.push_back({head.line, headerErrors.join(QStringLiteral(" ; "))});
        return csv;
    }

    QHash<QString, int> referenceLines;
    for (size_t k = 1; k < records.size(); ++k) {
        const Record &r = records[k];
        if (std::all_of(r.fields.begin(), r.fields.end(), [](const QString &f) { return f.isEmpty(); })
            && r.error.isEmpty())
            continue;
        QStringList reasons;
        if (!r.error.isEmpty())
            reasons << r.error;
        else if (r.fields.size() != qsizetype(columns.size()))
            reasons << QStringLiteral("%1 champs au lieu de %2 (séparateur « %3 »).")
                           .arg(r.fields.size())
                           .arg(columns.size())
                           .arg(sep);
        CsvRow row;
        row.line = r.line;
        if (reasons.isEmpty()) {
            for (size_t c = 0; c < columns.size(); ++c) {
                const QString reason =
                    TakeCell(row.product, columns[c], r.fields[qsizetype(c)], csv.decimalComma, textLimits);
                if (!reason.isEmpty())
                    reasons << reason;
            }
        }
        // A reference is remembered even on a line with other faults: each repeat is one more.
        if (r.error.isEmpty() && !row.product.reference.isEmpty()) {
            const QString key = MatchKey(row.product.reference);
            const auto seen = referenceLines.constFind(key);
            if (seen != referenceLines.constEnd())
                reasons << QStringLiteral("la référence « %1 » figure déjà ligne %2.")
                               .arg(Quoted(row.product.reference))
                               .arg(seen.value());
            else
                referenceLines.insert(key, r.line);
        }
        if (!reasons.isEmpty())
            csv.problems.push_back({r.line, reasons.join(QStringLiteral(" ; "))});
        else
            csv.rows.push_back(std::move(row));
    }
    return csv;
}

QString CatalogueFolder()
{
    return App().dataDir + QStringLiteral("Export/");
}

namespace {

const QString kCatalogueSql =
    QStringLiteral("SELECT Reference, Title, Mark, Stock_Min, Stock_Max, Stock, Price01, Price02, Price03 FROM ITEMS\n"
                   "WHERE ID_FILE=?\n"
                   "ORDER BY Title, Id");

std::optional<qint64> OptionalInteger(const QVariant &v)
{
    if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()))
        return std::nullopt;
    return v.toLongLong();
}

std::optional<double> OptionalPrice(const QVariant &v)
{
    if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty()))
        return std::nullopt;
    return v.toDouble();
}

QVariant Nullable(const std::optional<qint64> &v)
{
    return v ? QVariant(*v) : QVariant();
}

QVariant Nullable(const std::optional<double> &v)
{
    return v ? QVariant(*v) : QVariant();
}

void RequireOpen(const Connection &db)
{
    if (!db.isOpen())
        fail(QStringLiteral("La base de données n'est pas ouverte."));
}

// The declared lengths of the reference, product and brand columns.
std::array<int, 3> TextLimits(Connection &db)
{
    std::array<int, 3> limits{128, 128, 128};
    db.forEachRow(QStringLiteral("PRAGMA table_info(ITEMS)"), {}, [&limits](const Connection::RowView &r) {
        const QString name = r.value(1).toString();
        const int length = DeclaredTextLength(r.value(2).toString());
        const char *const names[] = {"Reference", "Title", "Mark"};
        for (size_t k = 0; k < 3; ++k)
            if (length > 0 && name.compare(QLatin1String(names[k]), Qt::CaseInsensitive) == 0)
                limits[k] = length;
    });
    return limits;
}

QString TitleMarkKey(const QString &title, const QString &mark)
{
    return MatchKey(title) + QChar(0x1F) + MatchKey(mark);
}

} // namespace

int ExportCatalogue(TDataModule1 &dm, const QString &path)
{
    RequireOpen(dm.ADOConnection1);
    const QString target = QFileInfo(path).absoluteFilePath();
    if (QFileInfo(target).isDir())
        fail(QStringLiteral("« %1 » est un dossier : donnez le nom du fichier à écrire.")
                 .arg(QDir::toNativeSeparators(target)));
    std::vector<CsvProduct> products;
    dm.ADOConnection1.forEachRow(kCatalogueSql, {dm.CurrentListFileId}, [&products](const Connection::RowView &r) {
        CsvProduct p;
        p.reference = r.value(0).toString();
        p.title = r.value(1).toString();
        p.mark = r.value(2).toString();
        p.stockMin = OptionalInteger(r.value(3));
        p.stockMax = OptionalInteger(r.value(4));
        p.stock = OptionalInteger(r.value(5));
        for (int k = 0; k < 3; ++k)
            p.prices[size_t(k)] = OptionalPrice(r.value(6 + k));
        products.push_back(std::move(p));
    });
    if (!WriteFileAtomically(target, WriteCatalogueCsv(products)))
        fail(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : le catalogue n'a pas été exporté.")
                 .arg(QDir::toNativeSeparators(target)));
    return int(products.size());
}

CatalogueImport ImportCatalogue(TDataModule1 &dm, const QString &path, bool replace)
{
    Connection &db = dm.ADOConnection1;
    RequireOpen(db);
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Le fichier « %1 » ne peut pas être lu : rien n'a été importé.").arg(shown));
    if (file.size() > kMaxFileSize)
        fail(QStringLiteral("Le fichier « %1 » est trop grand pour un catalogue (plus de 64 Mo) : rien n'a été "
                            "importé.")
                 .arg(shown));
    const QByteArray bytes = file.readAll();
    file.close();

    const CatalogueCsv csv = ReadCatalogueCsv(bytes, TextLimits(db));
    CatalogueImport result;
    result.problems = csv.problems;
    if (!result.problems.empty())
        return result;

    // Each row's product: matched against the catalogue as it was before the import, so rows
    // of the file never match each other.
    std::vector<qint64> targets(csv.rows.size(), 0);
    if (!replace) {
        QHash<QString, qint64> byReference;
        QHash<QString, qint64> byTitleMark;
        db.forEachRow(QStringLiteral("SELECT Id, Reference, Title, Mark FROM ITEMS\nWHERE ID_FILE=?\nORDER BY Id"),
            {dm.CurrentListFileId}, [&](const Connection::RowView &r) {
                const qint64 id = r.value(0).toLongLong();
                const QString reference = r.value(1).toString();
                if (!reference.isEmpty())
                    byReference.insert(MatchKey(reference), id); // references are unique by use
                const QString key = TitleMarkKey(r.value(2).toString(), r.value(3).toString());
                if (!byTitleMark.contains(key))
                    byTitleMark.insert(key, id);
            });
        QHash<qint64, int> claimedBy;
        for (size_t k = 0; k < csv.rows.size(); ++k) {
            const CsvProduct &p = csv.rows[k].product;
            qint64 id = 0;
            if (!p.reference.isEmpty())
                id = byReference.value(MatchKey(p.reference));
            else if (csv.has(CsvColumn::Title))
                id = byTitleMark.value(TitleMarkKey(p.title, p.mark));
            if (id == 0)
                continue;
            if (claimedBy.contains(id)) {
                result.problems.push_back({csv.rows[k].line,
                    QStringLiteral("désigne le même produit du catalogue que la ligne %1.").arg(claimedBy.value(id))});
                continue;
            }
            claimedBy.insert(id, csv.rows[k].line);
            targets[k] = id;
        }
        if (!result.problems.empty())
            return result;
    }

    if (replace)
        result.backup = CopyDatabaseIntoBackupFolder(db.path(), QStringLiteral("VIVRELO_AVANT_IMPORT_CSV_"));

    const auto has = [&csv](CsvColumn c) { return csv.has(c); };
    Transaction unit(db);
    if (replace)
        db.exec(QStringLiteral("DELETE FROM ITEMS\nWHERE ID_FILE=?"), {dm.CurrentListFileId});
    for (size_t k = 0; k < csv.rows.size(); ++k) {
        const CsvProduct &p = csv.rows[k].product;
        const std::pair<CsvColumn, QVariant> values[] = {{CsvColumn::Reference, p.reference},
            {CsvColumn::Title, p.title}, {CsvColumn::Mark, p.mark}, {CsvColumn::StockMin, Nullable(p.stockMin)},
            {CsvColumn::StockMax, Nullable(p.stockMax)}, {CsvColumn::Stock, Nullable(p.stock)},
            {CsvColumn::Price1, Nullable(p.prices[0])}, {CsvColumn::Price2, Nullable(p.prices[1])},
            {CsvColumn::Price3, Nullable(p.prices[2])}};
        const char *const dbColumns[] = {
            "Reference", "Title", "Mark", "Stock_Min", "Stock_Max", "Stock", "Price01", "Price02", "Price03"};
        if (targets[k] != 0) {
            QStringList sets;
            QVariantList parameters;
            for (const auto &[column, value] : values) {
                if (!has(column))
                    continue;
                sets << QLatin1String(dbColumns[int(column)]) + QStringLiteral("=?");
                parameters << value;
            }
            if (sets.isEmpty())
                continue;
            parameters << targets[k];
            db.exec(
                QStringLiteral("UPDATE ITEMS SET ") + sets.join(QStringLiteral(", ")) + QStringLiteral("\nWHERE Id=?"),
                parameters);
            ++result.updated;
        } else {
            // A column the file lacks takes the new product's default.
            QVariantList parameters{dm.CurrentListFileId};
            for (const auto &[column, value] : values) {
                if (has(column))
                    parameters << value;
                else if (column >= CsvColumn::Price1)
                    parameters << kNewProductPrice;
                else if (column >= CsvColumn::StockMin)
                    parameters << kNewProductStock;
                else
                    parameters << QVariant();
            }
            db.exec(QStringLiteral("INSERT INTO ITEMS (Id_File, Reference, Title, Mark, Stock_Min, Stock_Max, Stock, "
                                   "Price01, Price02, Price03, Misc11, Misc12) "
                                   "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '', '')"),
                parameters);
            ++result.added;
        }
    }
    unit.commit();
    return result;
}

QStringList CsvProblemLines(const std::vector<CsvProblem> &problems, int shown)
{
    QStringList lines;
    const size_t count = shown > 0 ? std::min(problems.size(), size_t(shown)) : problems.size();
    for (size_t k = 0; k < count; ++k)
        lines << QStringLiteral("Ligne %1 : %2").arg(problems[k].line).arg(problems[k].reason);
    const size_t more = problems.size() - count;
    if (more == 1)
        lines << QStringLiteral("… et 1 autre ligne en erreur.");
    else if (more > 1)
        lines << QStringLiteral("… et %1 autres lignes en erreur.").arg(more);
    return lines;
}

QString ImportProblemsMessage(const QString &file, const std::vector<CsvProblem> &problems, int shown)
{
    const QString head = problems.size() == 1
        ? QStringLiteral("Le fichier « %1 » a une ligne en erreur : rien n'a été importé.")
              .arg(QDir::toNativeSeparators(file))
        : QStringLiteral("Le fichier « %1 » a %2 lignes en erreur : rien n'a été importé.")
              .arg(QDir::toNativeSeparators(file))
              .arg(problems.size());
    return head + QStringLiteral("\r\r") + CsvProblemLines(problems, shown).join(QLatin1Char('\r'));
}

} // namespace vivrelo
