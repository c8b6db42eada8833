#pragma once

#include <QColor>
#include <QString>

namespace vivrelo {

// The number and text routines behind every amount, measure and identifier the system
// writes. Decimal separators are always a point, whatever the locale.

// `value` written with `decimals` decimals, a point as separator and no thousands
// separator, preceded by blanks up to width + decimals + 1 characters (width characters
// when decimals < 1); a longer number is not cut. Rounding works on the decimal number the
// value stands for (the shortest text that reads back as the same double, which is what the
// user typed), halves away from zero: 2.675 gives 2.68, -0.125 gives -0.13. A result that
// rounds to zero carries no minus sign.
QString FormatFixed(int width, int decimals, double value);

// The text without its leading blanks (code 32); a text made only of blanks, or empty,
// comes back unchanged.
QString TrimLeadingBlanks(const QString &text);

// n in decimal with leading zeros up to `width` digits, never more than 8 digits in all:
// ZeroPad(42, 4) is "0042", ZeroPad(12345, 4) is "12345". The sign of a negative number
// stands before its zeros.
QString ZeroPad(int n, int width);

// The colour with delta added to each of its red, green and blue channels; a channel that
// would pass 255 becomes 254, one that would fall below 0 becomes 1.
QColor ShadeColor(const QColor &color, int delta);

int CurrentYear();

// An amount as the list view, the totals and the printed list write it: two decimals,
// no leading blanks, a blank and the currency symbol ("3.50 €").
QString MoneyText(double value, const QString &currencySymbol);

} // namespace vivrelo
