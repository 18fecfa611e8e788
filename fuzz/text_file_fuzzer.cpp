// The TAB-separated text reader: line ends (CR, CR LF, LF-only files), encodings (UTF-8 with or
// without a byte-order mark, UTF-16 either way round, Windows-1252), first-row names and long
// values. The file is read twice, in whole blocks and in blocks of a few bytes, and both readings
// must give the same table: a character or a line end split across blocks is still one.
#include <memory>
#include <string>
#include <vector>

#include "connections/text_file_reader.h"
#include "fuzz_support.h"

namespace {

using vintrel::fuzz::Try;

struct Table {
  std::vector<std::string> names;
  std::vector<std::vector<std::string>> rows;  // "\x01" for a null
  bool operator==(const Table&) const = default;
};

Table Read(const std::string& path, bool names, size_t block, vintrel::connections::TextScan scan) {
  Table table;
  vintrel::connections::TextFile file(path);
  std::unique_ptr<vintrel::host::ClientRecordset> recordset =
      file.ReadRecordset(names, block, scan);
  if (!recordset) return table;
  for (int i = 0; i < recordset->Fields().Count(); ++i) {
    table.names.push_back(recordset->Fields().Item(i).Name());
  }
  const vintrel::host::RowTable& rows = recordset->rows();
  for (size_t row = 0; row < rows.size(); ++row) {
    std::vector<std::string>& out = table.rows.emplace_back();
    for (size_t column = 0; column < rows.CellCount(row); ++column) {
      std::optional<std::string_view> cell = rows.Cell(row, column);
      out.push_back(cell ? std::string(*cell) : "\x01");
    }
  }
  // Moving through the records reads every value the way a linked shape does.
  recordset->MoveFirst();
  for (int step = 0; step < 4 && !recordset->IsEOF(); ++step) {
    for (int i = 0; i < recordset->Fields().Count() && i < 4; ++i) {
      recordset->Fields().Item(i).Value();
    }
    recordset->MoveNext();
  }
  return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = vintrel::fuzz::WriteInput(
      std::string_view(reinterpret_cast<const char*>(data), size), "input.txt");
  for (bool names : {false, true}) {
    Table whole, pieces;
    bool read = false;
    Try([&] {
      // More than any input: one block.
      whole = Read(path, names, size_t{1} << 16, vintrel::connections::TextScan::kFastest);
      read = true;
    });
    if (!read) continue;
    // Small blocks of a size the input chooses (its last byte), so splits fall anywhere, and
    // the scan every processor has.
    const size_t block = size == 0 ? 3 : 2 + data[size - 1] % 30;
    Try([&] { pieces = Read(path, names, block, vintrel::connections::TextScan::kPortable); });
    if (!(whole == pieces)) {
      std::fprintf(stderr, "reading in small blocks with the portable scan gives another table\n");
      std::abort();
    }
  }
  return 0;
}
