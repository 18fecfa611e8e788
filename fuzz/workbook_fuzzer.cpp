#include "workbook_fuzzer.h"

#include "fuzz_support.h"
#include "host/workbook/workbook_reader.h"

namespace vintrel::fuzz {

void ReadWorkbook(std::string_view bytes, const std::string& file_name) {
  const std::string path = WriteInput(bytes, file_name);
  // The reader's own limits, as the program uses them.
  host::workbook::WorkbookReaderApplication reader;
  Try([&] {
    std::unique_ptr<host::Workbook> book = reader.Open(path, {});
    for (int index = 1; index <= book->SheetCount() && index <= 8; ++index) {
      host::Worksheet& sheet = book->Sheets(index);
      Try([&] { book->Sheets(sheet.Name()); });
      if (sheet.Type() != host::sheet_type::kWorksheet) continue;
      // A plain range, one naming the sheet, whole columns and the whole sheet (both cut to the
      // cells the sheet holds), and names the workbook may define. Whole rows are left out: their
      // 16,384 cells each took most of the time of a run.
      for (const char* range :
           {"A1:H40", "Sheet1!B2:D9", "A:C", "A1:XFD1048576", "Sales", "Print_Area", "C3"}) {
        Try([&] {
          for (const host::Cell& cell : sheet.Range(range)) cell.value.ToText();
        });
      }
    }
    book->Close();
  });
}

}  // namespace vintrel::fuzz
