#pragma once

#include <memory>

namespace qd::wb {

class Workbook;
class ZipArchive;

// OpenDocument spreadsheets (.ods): typed cells (float, percentage, currency, date, time, boolean,
// string, errors of formulas), repeated rows and cells, the active table from the view settings.
class OdsReader {
public:
    static std::unique_ptr<Workbook> read(const ZipArchive& zip);
};

} // namespace qd::wb
