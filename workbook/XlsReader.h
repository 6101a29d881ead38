#pragma once

#include <QByteArray>

#include <memory>

namespace qd::wb {

class ByteSource;
class Workbook;

// BIFF8 workbook streams (.xls from Excel 97 on): the shared-string table with its continuations,
// label, number, RK, multiple-RK, formula (with its cached value), boolean/error, blank and
// multiple-blank cells, the dimensions record, the selected tab of the workbook window and dates
// by cell format.
class XlsReader {
public:
    static std::unique_ptr<Workbook> read(const QByteArray& workbookStream);
    // The stream read through a window, never held whole (for a stream read in place from a file).
    static std::unique_ptr<Workbook> read(const ByteSource& workbookStream);

private:
    static std::unique_ptr<Workbook> readStream(const ByteSource& workbookStream, bool decrypted);
};

} // namespace qd::wb
