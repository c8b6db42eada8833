#pragma once

// Reading the shape of a SELECT text: its select list, its first table and whether it joins or
// groups. Used by the datasets to fetch the rowid with the rows and to leave large columns out.

#include <QSet>
#include <QString>
#include <QStringList>

namespace vivrelo::sqltext {

struct SelectShape {
    bool simple = false; // "SELECT [ALL] items FROM table [alias] ..." with no grouping,
                         // DISTINCT, compound or subquery source
    bool join = false; // more than one table in FROM
    QStringList items; // select list items, as written (trimmed)
    qsizetype listStart = 0; // span of the select list in the text
    qsizetype listEnd = 0;
    QString table; // first table of FROM, unquoted
    QString reference; // how the text names it (alias, or the table as written)
};

SelectShape ParseSelect(const QString &sql);

// "[Title]", "\"Title\"", "`Title`" -> "Title".
QString Unquote(const QString &identifier);
// Title -> "Title" (double quotes, inner quotes doubled).
QString QuoteIdentifier(const QString &name);
// True for an item that names one column: "Title", "i.Title", "[Img1] AS Pic", "Comment1 as[Color]".
bool IsColumnReference(const QString &item);
// True for "*" and "t.*".
bool IsStar(const QString &item);
// The words and quoted identifiers of `sql`, upper-cased ("ORDER BY [Color]" gives ORDER, BY,
// COLOR); strings and comments give none.
QSet<QString> NamedIdentifiers(const QString &sql);

} // namespace vivrelo::sqltext
