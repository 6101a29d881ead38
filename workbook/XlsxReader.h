#pragma once

#include <memory>

namespace qd::wb {

class Workbook;
class ZipArchive;

// Office Open XML workbooks (.xlsx, .xlsm): shared and inline strings, numbers, booleans, errors,
// the cached values of formulas, dates by number format, both date systems, the active tab and the
// used range from the dimension or the cells.
class XlsxReader {
public:
    static std::unique_ptr<Workbook> read(const ZipArchive& zip);
};

} // namespace qd::wb
