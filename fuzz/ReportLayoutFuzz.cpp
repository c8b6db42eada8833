// The report layout parser over any text: it reads a layout or refuses with an Error, and a
// layout it reads is written back as a text that reads as the same layout.
#include "base/Error.h"
#include "report/ReportLayout.h"

#include <cstdint>
#include <cstdlib>

using namespace vivrelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    std::vector<TextPiece> pieces;
    QString error;
    ParseTextTemplate(text, pieces, error);

    ReportLayout layout;
    try {
        layout = ParseReportLayout(text, QStringLiteral("fuzz.rpt"));
    } catch (const Error &) {
        return 0;
    }
    const QString written = WriteReportLayout(layout);
    try {
        if (WriteReportLayout(ParseReportLayout(written, QStringLiteral("fuzz.rpt"))) != written)
            std::abort();
    } catch (const Error &) {
        std::abort(); // the writer made a text its own reader refuses
    }
    return 0;
}
