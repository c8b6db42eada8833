#pragma once

#include "db/DataSet.h"
#include "report/ReportEngine.h"

#include <QString>

#include <functional>

namespace vivrelo {

class Prompter;
class TDataModule1;

// A report ready to be shown: its prepared pages, the layout they came from and the file it
// was read from. While the preview runs, the query is still open, so `prepare` can lay the
// report again (after the designer has changed the layout).
struct ReportRun {
    QString name;
    QString layoutPath; // the file the layout was read from
    QString userLayoutPath; // where the designer saves the user's copy; empty: layoutPath
    QString shippedLayoutPath; // the layout installed with the program
    QStringList fields; // the fields of the report's data set
    ReportLayout layout;
    PreparedReport prepared;
    std::function<PreparedReport(const ReportLayout &)> prepare;
};

// Shows a prepared report (the preview window; a test or the command line stands in for it).
using ShowPreparedReport = std::function<void(ReportRun &)>;

// The report query on the shared connection and the values the program gives to reports.
class TDataModuleReport
{
public:
    explicit TDataModuleReport(TDataModule1 &dataModule);
    ~TDataModuleReport();
    TDataModuleReport(const TDataModuleReport &) = delete;
    TDataModuleReport &operator=(const TDataModuleReport &) = delete;

    // The program's report variables (the name in upper case): CURRENCYSYMBOL, the currency
    // symbol of the data module; TITLE, an empty text; PRICE1 to PRICE3, the user's price
    // labels as read by loadPriceLabels(). Any other name: std::nullopt.
    std::optional<QVariant> frReportGetValue(const QString &name) const;
    // Reads the price labels of the current list file ("Prix n°1" ... for a missing row or an
    // empty label).
    void loadPriceLabels();

    TDataModule1 &dataModule() { return m_dm; }
    DataSet ReportQuery;

private:
    TDataModule1 &m_dm;
    QString m_priceLabels[3];
};

// The report data module of the running program, or nullptr.
TDataModuleReport *DataModuleReport();

// The query file's text with the clause replacements: `from`, `where` and `orderBy` replace the
// first line holding their keyword; `having` replaces the HAVING line, or is inserted before
// a last line holding ORDER BY, or appended. Each line is the keyword and the text; a text
// that already starts with its keyword ("ORDER BY Title") is taken as the whole line. An
// empty text keeps the file's clause. An ORDER BY clause the file lacks is appended; a
// missing FROM or WHERE line throws Error.
QStringList ReplaceReportClauses(
    QStringList sql, const QString &from, const QString &where, const QString &having, const QString &orderBy);

// The user's copy of a report layout, made by the designer: the data directory's "Reports/"
// folder + name + ".frf" (the program's directory may not be writable).
QString UserReportLayoutPath(const QString &name);
// The layout of a named report as a run uses it: the user's copy when there is one, else
// the one installed in the reports directory. A user's copy that cannot be read is told
// through the prompter and the installed layout is used; it is left in place.
ReportLayout LoadRunLayout(const QString &name, Prompter &prompter, QString &path);

// Runs a named report: reports directory + name + ".rpt" (first line ignored) becomes the
// query with the clause replacements; an empty result is told through the prompter and
// nothing else happens; otherwise the layout (LoadRunLayout) is prepared and given to the
// preview. Without a query file the report runs with the query left closed. The query is
// closed before and after, also on error. Errors (layout, query) pass to the caller.
void RunReport(TDataModuleReport &module, const QString &name, const QString &from, const QString &where,
    const QString &having, const QString &orderBy, const QString &title, Prompter &prompter,
    const ShowPreparedReport &preview);

// The product list ordered by a column of ITEMS. A name that is not a column of ITEMS throws
// Error before anything reaches the database.
void RunItemsListReport(
    TDataModuleReport &module, const QString &sortField, Prompter &prompter, const ShowPreparedReport &preview);

// The columns of the ITEMS table.
QStringList ItemsTableColumns(TDataModule1 &dataModule);

} // namespace vivrelo
