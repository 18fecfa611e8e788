// The workbook readers' walk, shared by the .xlsx and .xls targets: open the file as a workbook
// source does, then read ranges of every sheet the ways connections name them.
#ifndef VINTREL_FUZZ_WORKBOOK_FUZZER_H_
#define VINTREL_FUZZ_WORKBOOK_FUZZER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vintrel::fuzz {

void ReadWorkbook(std::string_view bytes, const std::string& file_name);

}  // namespace vintrel::fuzz

#endif  // VINTREL_FUZZ_WORKBOOK_FUZZER_H_
