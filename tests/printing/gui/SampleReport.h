#pragma once

namespace vivrelo::test {

// Rows of 10 mm under a 10 mm header and above a 10 mm footer: 25 rows a page, 60 rows on
// three pages.
inline const char *kSampleReportLayout = R"(page: 210 297
margins: 10 10 10 10
band: page-header
  height: 10
  text:
    box: 0 0 190 10
    value: Produits
band: master-data
  height: 10
  text:
    box: 0 0 190 10
    value: [Title]
band: page-footer
  height: 10
  text:
    box: 0 0 190 10
    value: Page [PAGE] / [PAGES]
)";

} // namespace vivrelo::test
