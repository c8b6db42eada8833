#include "printing/PrintLayout.h"

#include "base/Error.h"
#include "lists/TextRoutines.h"

#include <QRegularExpression>

#include <cmath>

namespace vivrelo {

namespace {

constexpr long double kUnitBound = 1e8L; // 10 km in tenths of a millimetre

int Truncated(long double v)
{
    if (std::isnan(v))
        return 0;
    if (v > kUnitBound)
        v = kUnitBound;
    if (v < -kUnitBound)
        v = -kUnitBound;
    return int(std::trunc(v));
}

} // namespace

int T(double cm)
{
    // The 64-bit mantissa of long double holds the product of a 53-bit value and 100 exactly.
    return Truncated(static_cast<long double>(cm) * 100.0L);
}

int S(int zoom, double units)
{
    // Multiplying before dividing keeps whole results whole: 230 % of 100 units is 230,
    // where 2.3 x 100 would give 229.99999999999997.
    return Truncated(static_cast<long double>(zoom) * static_cast<long double>(units) / 100.0L);
}

int ZoomIn(int zoom)
{
    return zoom < kMaxZoom ? zoom + 10 : zoom;
}

int ZoomOut(int zoom)
{
    return zoom > kMinZoom ? zoom - 10 : zoom;
}

QString MeasureText(double cm)
{
    return TrimLeadingBlanks(FormatFixed(7, 2, cm));
}

double ParseMeasure(const QString &text)
{
    static const QRegularExpression number(QStringLiteral("^[+-]?(\\d+([.,]\\d*)?|[.,]\\d+)$"));
    const QString t = text.trimmed();
    if (t.isEmpty())
        fail(QStringLiteral("Aucune mesure n'est saisie.\rTapez une distance en centimètres, par exemple 1.50."));
    bool ok = false;
    double value = 0;
    if (number.match(t).hasMatch()) {
        QString c = t;
        c.replace(QLatin1Char(','), QLatin1Char('.'));
        value = c.toDouble(&ok);
    }
    if (!ok || !std::isfinite(value))
        fail(QStringLiteral("« %1 » n'est pas une mesure valide.\rTapez une distance en centimètres, "
                            "par exemple 1.50 ; la valeur précédente est conservée.")
                 .arg(t.left(30)));
    return value;
}

QString StepMeasure(const QString &text, int steps)
{
    const double value = ParseMeasure(text);
    return TrimLeadingBlanks(FormatFixed(2, 2, steps > 0 ? value + 0.1 : value - 0.1));
}

QString FontSizeUp(const QString &text)
{
    return text == QLatin1String("100") ? text : QString::number(text.toInt() + 1);
}

QString FontSizeDown(const QString &text)
{
    return text == QLatin1String("0") ? text : QString::number(text.toInt() - 1);
}

} // namespace vivrelo
