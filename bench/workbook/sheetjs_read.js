// Reads every cell of a workbook's first sheet with SheetJS and prints the time and a checksum.
const XLSX = require('xlsx');
const t0 = process.hrtime.bigint();
const wb = XLSX.readFile(process.argv[2], {dense: false});
const t1 = process.hrtime.bigint();
const ws = wb.Sheets[wb.SheetNames[wb.Workbook && wb.Workbook.Views && wb.Workbook.Views[0] ? (wb.Workbook.Views[0].activeTab || 0) : 0]];
const range = XLSX.utils.decode_range(ws['!ref']);
let sum = 0, chars = 0, cells = 0;
for (let r = range.s.r; r <= range.e.r; ++r) {
  for (let c = range.s.c; c <= range.e.c; ++c) {
    const cell = ws[XLSX.utils.encode_cell({r, c})];
    if (!cell) continue;
    ++cells;
    if (typeof cell.v === 'string') chars += cell.v.length; else if (typeof cell.v === 'number') sum += cell.v;
  }
}
const t2 = process.hrtime.bigint();
console.log(`sheetjs: rows=${range.e.r + 1} cols=${range.e.c + 1} cells=${cells} chars=${chars} sum=${sum.toFixed(2)} open_ms=${(t1 - t0) / 1000000n} total_ms=${(t2 - t0) / 1000000n}`);
