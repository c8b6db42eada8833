// The catalogue file reader over any bytes: it never fails, and the rows it takes, written
// again as a catalogue file, read back as the same products.
#include "lists/CatalogueCsv.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace vivrelo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const CatalogueCsv csv =
        ReadCatalogueCsv(QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size)));
    for (const CsvProblem &p : csv.problems)
        if (p.line < 1 || p.reason.isEmpty())
            std::abort();
    if (!csv.problems.empty() || !std::all_of(csv.hasColumn.begin(), csv.hasColumn.end(), [](bool b) { return b; }))
        return 0;
    std::vector<CsvProduct> products;
    for (const CsvRow &row : csv.rows)
        products.push_back(row.product);
    const CatalogueCsv again = ReadCatalogueCsv(WriteCatalogueCsv(products));
    if (!again.problems.empty() || again.rows.size() != products.size())
        std::abort();
    for (size_t k = 0; k < products.size(); ++k)
        if (!(again.rows[k].product == products[k]))
            std::abort();
    return 0;
}
