// The .xls reader: the compound document container (sector chains, the mini stream), and the
// records of every BIFF version from Excel 2 to 97 and later (cells, formulas, shared strings
// across CONTINUE records, code-page strings, formats, XF records, sheets, defined names), the
// decryption of workbooks encrypted with the default password included.
#include <string_view>

#include "host/workbook/biff_workbook.h"
#include "workbook_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  namespace workbook = vintrel::host::workbook;
  workbook::ReadCompoundStream(bytes, u"Workbook");
  workbook::ReadBiffWorkbook(bytes);
  vintrel::fuzz::ReadWorkbook(bytes, "input.xls");
  return 0;
}
