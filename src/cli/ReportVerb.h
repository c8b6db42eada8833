#pragma once

#include <QStringList>

namespace vivrelo::cli {

// "report --pdf FILE [--order COLUMN]": the product list report written to a PDF file,
// ordered by a column of the products (Title by default).
int ReportVerb(const QStringList &args);

} // namespace vivrelo::cli
