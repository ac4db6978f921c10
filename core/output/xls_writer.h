#pragma once
// An Excel 97-2003 workbook (BIFF8 records in an OLE2 compound file) of one
// sheet, every value a text cell.
#include <string>

#include "core/output/output_table.h"

namespace mk {

// The BIFF8 "Workbook" stream of `table` as the sheet `sheetName`; column 0
// of the table is left out, column 1 becomes the sheet's first column.
// Error 6 when the table has more rows than a sheet holds.
std::string biffWorkbookStream(const OutputTable& table, const std::string& sheetName);

// The whole .xls file: the stream above inside a compound file.
std::string xlsFileBytes(const OutputTable& table, const std::string& sheetName);

}  // namespace mk
