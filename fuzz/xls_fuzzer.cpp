// The .xls reader: the compound document container (sector chains, the mini stream), the BIFF8
// records read by our own code (cells, formulas, shared strings across CONTINUE records, formats,
// XF records, sheets, defined names), and older BIFF versions through libfreexl.
#include <string_view>

#include "host/workbook/biff_workbook.h"
#include "workbook_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  namespace workbook = vintrel::host::workbook;
  workbook::ReadCompoundStream(bytes, u"Workbook");
  if (workbook::IdentifyLegacyWorkbook(bytes) == workbook::LegacyKind::kBiff8) {
    workbook::ReadBiffWorkbook(bytes);
  }
  vintrel::fuzz::ReadWorkbook(bytes, "input.xls");
  return 0;
}
