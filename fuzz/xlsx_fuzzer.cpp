// The .xlsx reader: the zip package with its expansion limits, relationships, the workbook part,
// shared strings, styles and number formats, defined names, and the streaming sheet scanner.
#include "fuzz_support.h"
#include "workbook_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  vintrel::fuzz::ReadWorkbook(vintrel::fuzz::AsArchive(data, size), "input.xlsx");
  return 0;
}
