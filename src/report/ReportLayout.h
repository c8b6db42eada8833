#pragma once

#include <QColor>
#include <QString>
#include <QStringList>

#include <vector>

namespace vivrelo {

// A report layout as its file describes it (docs/report-format.md). Every measure is held in
// tenths of a millimetre, the drawing unit of the surfaces; the file writes millimetres.

enum class BandKind { Title, PageHeader, MasterData, PageFooter, Summary };
enum class ObjectKind { Text, Line, Rect, Picture };
enum class TextAlign { Left, Right, Center };
// How a value read by an expression is written: as it comes, as money (two decimals and the
// currency symbol), as a whole number, or with a fixed number of decimals ("0.00").
enum class ValueFormat { Plain, Money, Integer, Fixed };

// One piece of a text template: literal text, or a name between brackets.
struct TextPiece {
    bool isName = false;
    QString text; // the literal, or the name as written
};

struct ReportObject {
    ObjectKind kind = ObjectKind::Text;
    int line = 0; // line of the file where the object starts (for messages)
    int x = 0, y = 0; // from the band's top-left corner
    int width = 0, height = 0;
    // Text
    QString text; // the template as written, "[Name]" pieces included
    std::vector<TextPiece> pieces;
    QString fontFamily = QStringLiteral("Liberation Sans");
    double fontSize = 10; // points
    bool bold = false, italic = false, underline = false;
    QColor color = Qt::black;
    QColor fill; // invalid: no background
    TextAlign align = TextAlign::Left;
    bool wrap = false; // false: one line, cut at the box's width
    ValueFormat format = ValueFormat::Plain;
    int decimals = 2; // for ValueFormat::Fixed
    // Line and Rect
    QColor penColor = Qt::black;
    int penWidth = 2; // tenths of a millimetre
    // Picture
    QString field; // blob field holding the picture
};

struct ReportBand {
    BandKind kind = BandKind::MasterData;
    int line = 0;
    int height = 0;
    QColor alternate; // master data: background of every second row; invalid: none
    bool grow = false; // the band grows to hold the lines of its wrapped texts
    std::vector<ReportObject> objects;
};

struct ReportLayout {
    QString fileName; // the file it was read from, for messages
    int pageWidth = 2100, pageHeight = 2970;
    int marginLeft = 100, marginTop = 100, marginRight = 100, marginBottom = 100;
    std::vector<ReportBand> bands;

    const ReportBand *band(BandKind kind) const;
};

// The file's names of the band kinds ("title", "page-header", "master-data", "page-footer",
// "summary").
QString BandKindName(BandKind kind);

// Splits a text template into literal pieces and bracketed names; "[[" stands for a literal
// "[". Returns false with a French message for an unclosed bracket or an empty name.
bool ParseTextTemplate(const QString &text, std::vector<TextPiece> &pieces, QString &error);

// Reads a layout text; `fileName` names it in messages. Throws Error with a French message
// giving the line number of the first fault.
ReportLayout ParseReportLayout(const QString &text, const QString &fileName = QString());
// Reads a layout file (UTF-8). Throws Error for a missing or unreadable file and for a fault.
ReportLayout LoadReportLayout(const QString &path);
// The layout as the text of its file; reading it back gives the same layout.
QString WriteReportLayout(const ReportLayout &layout);
// Writes the layout file atomically; throws Error when it could not be written (the former
// file is then left as it was).
void SaveReportLayout(const ReportLayout &layout, const QString &path);

} // namespace vivrelo
