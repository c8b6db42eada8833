#pragma once

#include <QString>

namespace vivrelo {

// The print layout of a list file (one FORMATLIST row): where the list page lies on the
// printer sheet and how its lines are drawn. Measures are centimetres; nothing bounds them,
// zero and negative values are drawn as they stand.
struct PrintLayout {
    double PrinterTop = 0; // downward shift of the list page on the sheet
    double PrinterLeft = 0; // rightward shift of the list page on the sheet
    double PageWidth = 14.9;
    double PageHeight = 21.0;
    double TopLine = 1.0; // list page top to the top of the first line
    double LeftItem = 1.0; // right edge of the quantity column
    double LeftPrice = 11.0; // right edge of the amount column
    double InterLines = 0.7; // line pitch
    QString FontName = QStringLiteral("Arial");
    int FontSize = 20; // font cell height in tenths of a millimetre
    bool operator==(const PrintLayout &) const = default;
};

// A measure in tenths of a millimetre as the printer draws it: the exact product of the
// stored double and 100, truncated toward zero (0.7 gives 69, 14.9 gives 1490). Values
// beyond +-10 km are held at that bound so that the drawing arithmetic never overflows.
int T(double cm);

// The preview's scaling of a value in drawing units by a zoom percentage, truncated toward
// zero. A measure scaled as S(zoom, cm * 100) passes the product rounded to the nearest
// double, so a stored 0.7 contributes 70 where the printer draws 69.
int S(int zoom, double units);

// Zoom of the layout preview: 40 to 500 percent in steps of 10.
inline constexpr int kMinZoom = 40;
inline constexpr int kMaxZoom = 500;
inline constexpr int kDefaultZoom = 50;
int ZoomIn(int zoom);
int ZoomOut(int zoom);

// A measure as the layout editor shows it: two decimals and a point ("14.90", "-0.10").
QString MeasureText(double cm);

// Reads a measure typed in the layout editor: a decimal number with a point or a comma as
// separator, blanks around it allowed. Anything else (letters, an empty text, two
// separators) throws an Error naming the text; the caller keeps its old value.
double ParseMeasure(const QString &text);

// The up and down buttons of a measure: the edit's text read as a measure, 0.1 added
// (steps > 0) or taken off, written back with two decimals. Throws like ParseMeasure.
QString StepMeasure(const QString &text, int steps);

// The font size buttons, which work on the text: up leaves "100" alone, down leaves "0".
QString FontSizeUp(const QString &text);
QString FontSizeDown(const QString &text);

} // namespace vivrelo
