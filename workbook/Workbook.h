#pragma once

#include "Cell.h"
#include "Sheet.h"
#include "WorkbookError.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace qd::wb {

// A workbook read whole into memory: .xlsx, .xls (BIFF8), .ods and .csv. The format is found from
// the content; the suffix only decides between CSV and "not a workbook" for plain text.
// Every failure is a qd::wb::Error whose message names the file.
class Workbook {
public:
    enum class Format { Xlsx, Xls, Ods, Csv };

    // Reads a regular file (links are followed); a folder, device, FIFO or socket is refused
    // (Unreadable) without being opened.
    static std::unique_ptr<Workbook> open(const QString& path);
    // The checks open() makes before reading: the path exists and is a regular file (links
    // followed); throws the same Error otherwise. Looks at metadata only, so it never blocks.
    static void checkPath(const QString& path);
    static std::unique_ptr<Workbook> fromMemory(const QByteArray& data, const QString& nameForMessages);

    int sheetCount() const { return static_cast<int>(sheets_.size()); }
    const Sheet& sheet(int i) const; // out of range gives an empty sheet
    int activeSheetIndex() const { return active_; }
    const Sheet& activeSheet() const { return sheet(active_); }
    Format format() const { return format_; }

    // Suffixes the readers accept, for file dialogs: "*.xls", "*.xlsx", "*.xlsm", "*.ods", "*.csv".
    static QStringList supportedSuffixes();

    // Building (used by the readers).
    explicit Workbook(Format format) : format_(format) {}
    Sheet& addSheet(const QString& name);
    void setActiveSheetIndex(int i);

    // Limits shared by the readers.
    static constexpr int kMaxRows = 1048576;
    static constexpr int kMaxColumns = 16384;
    static constexpr int kMaxCellChars = 32767;
    static constexpr qint64 kMaxFileBytes = qint64(1) << 30;
    static constexpr qint64 kMaxValueCells = 30000000; // per sheet: 240 MB of slots, plus the texts

private:
    Format format_;
    std::vector<std::unique_ptr<Sheet>> sheets_;
    int active_ = 0;
};

} // namespace qd::wb
