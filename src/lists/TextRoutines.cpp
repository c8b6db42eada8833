#include "lists/TextRoutines.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <string>

namespace vivrelo {

namespace {

// Adds one to the last digit of a string of decimal digits, carrying to the left; a carry
// out of the first digit puts a new "1" in front.
void IncrementDigits(std::string &digits)
{
    for (auto i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

QString FormatFixed(int width, int decimals, double value)
{
    const int d = decimals < 1 ? 0 : decimals;
    const int target = decimals < 1 ? width : width + decimals + 1;
    QString text;

    if (!std::isfinite(value)) {
        text = std::isnan(value) ? QStringLiteral("NAN") : value < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
    } else {
        // The shortest fixed-point text of the value: at most 309 integer digits or
        // 327 fraction digits.
        char buf[1100];
        const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::fixed);
        std::string shortest(buf, res.ptr);
        const auto point = shortest.find('.');
        std::string intPart = shortest.substr(0, point);
        std::string frac = point == std::string::npos ? std::string() : shortest.substr(point + 1);

        const bool roundUp = int(frac.size()) > d && frac[d] >= '5';
        frac.resize(d, '0');
        std::string digits = intPart + frac;
        if (roundUp)
            IncrementDigits(digits);
        intPart = digits.substr(0, digits.size() - d);
        frac = digits.substr(digits.size() - d);

        const bool zero = digits.find_first_not_of('0') == std::string::npos;
        std::string out = (value < 0 && !zero) ? "-" : "";
        out += intPart;
        if (d > 0)
            out += '.' + frac;
        text = QString::fromLatin1(out.data(), qsizetype(out.size()));
    }
    if (text.size() < target)
        text.prepend(QString(target - text.size(), QLatin1Char(' ')));
    return text;
}

QString TrimLeadingBlanks(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return i == text.size() ? text : text.mid(i);
}

QString ZeroPad(int n, int width)
{
    const qint64 magnitude = n < 0 ? -qint64(n) : qint64(n);
    QString zeros;
    qint64 power = 10;
    for (int k = 1; k <= 7; ++k, power *= 10) {
        if (magnitude < power && width > k)
            zeros += QLatin1Char('0');
    }
    return (n < 0 ? QStringLiteral("-") : QString()) + zeros + QString::number(magnitude);
}

QColor ShadeColor(const QColor &color, int delta)
{
    const QColor rgb = color.toRgb();
    auto shade = [delta](int channel) {
        const int v = channel + delta;
        if (delta > 0)
            return v > 255 ? 254 : v;
        return v < 0 ? 1 : v;
    };
    return QColor(shade(rgb.red()), shade(rgb.green()), shade(rgb.blue()), rgb.alpha());
}

int CurrentYear()
{
    return QDate::currentDate().year();
}

QString MoneyText(double value, const QString &currencySymbol)
{
    return TrimLeadingBlanks(FormatFixed(7, 2, value)) + QLatin1Char(' ') + currencySymbol;
}

} // namespace vivrelo
