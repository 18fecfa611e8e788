// Workbooks the fuzz targets (fuzz/xlsx_fuzzer.cpp, fuzz/xls_fuzzer.cpp) or a look at the code
// found to break the reader, rebuilt as small readable cases: each opens and reads, or fails with
// an Error, within a modest amount of processor time; nothing else may happen (the sanitizer
// build also catches undefined behaviour).
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

namespace vintrel::host::workbook {
namespace {

std::string Xlsx(const std::string& rows) {
  testing::BookContents contents;
  contents.has_shared_strings = false;
  contents.sheets["Data"] = testing::SheetXml(rows);
  vintrel::testing::TempDir dir;
  testing::WriteZip(dir.File("book.xlsx"), testing::WorkbookParts(contents));
  return vintrel::testing::ReadFile(dir.File("book.xlsx"));
}

void Put32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A compound document of `sectors` sectors whose list of sector-table sectors names sector 1 over
// and over, through a chain of list sectors running to the end of the file.
std::string RepeatedTableSectors(uint32_t sectors) {
  std::string bytes(512 * (sectors + 1), '\0');
  bytes.replace(0, 8, "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
  bytes[0x1E] = 9;  // 512-byte sectors
  Put32(bytes, 0x38, 4096);
  Put32(bytes, 0x3C, 0xFFFFFFFE);
  Put32(bytes, 0x44, 2);
  for (int i = 0; i < 109; ++i) Put32(bytes, 0x4C + 4 * i, 1);
  for (uint32_t sector = 2; sector < sectors; ++sector) {
    const size_t at = 512 * (sector + 1);
    for (int i = 0; i < 127; ++i) Put32(bytes, at + 4 * i, 1);
    Put32(bytes, at + 4 * 127, sector + 1 < sectors ? sector + 1 : 0xFFFFFFFE);
  }
  return bytes;
}

struct Usage {
  double cpu_seconds;
  long peak_kib;  // the process's largest resident size so far
};

Usage Now() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return {static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6,
          usage.ru_maxrss};
}

TEST(WorkbookFuzzRegressionTest, EachWorkbookReadsOrFailsWithAnError) {
  struct Case {
    std::string name;
    std::string file;  // "book.xlsx" or "book.xls"
    std::string bytes;
    std::string range;
    std::string result;  // the texts of the range's cells joined by "|", or the error
  };
  const std::vector<Case> cases = {
      // Counting on from the last possible row number overflowed.
      {"row after row 2147483647", "book.xlsx",
       Xlsx(R"(<row r="2147483647"><c><v>1</v></c></row><row><c><v>2</v></c></row>)"), "A1:A2",
       "|"},
      {"row after the sheet's last row", "book.xlsx",
       Xlsx(R"(<row r="1048576"><c><v>1</v></c></row><row><c><v>2</v></c></row>)"
            R"(<row><c><v>3</v></c></row>)"),
       "A1048576:A1048576", "1"},
      // Every listed table sector was read, however often listed: time and memory grew with the
      // square of the file's size (16 MiB took 9 seconds and 2 GiB).
      {"sector table listed over and over", "book.xls", RepeatedTableSectors(32768), "A1",
       "'book.xls' cannot be read as an .xls workbook: the file is damaged or incomplete"},
  };
  vintrel::testing::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.Write(c.file, c.bytes);
    const Usage before = Now();
    std::string result;
    try {
      WorkbookReaderApplication reader;
      auto book = reader.Open(path, {});
      const std::vector<Cell> cells = book->Sheets(1).Range(c.range);
      for (size_t i = 0; i < cells.size(); ++i) result += (i ? "|" : "") + cells[i].text;
    } catch (const Error& error) {
      result = error.description();
      // Named by its file name alone, whatever the folder.
      if (size_t at = result.find(dir.path() + "/"); at != std::string::npos) {
        result.erase(at, dir.path().size() + 1);
      }
    }
    EXPECT_EQ(result, c.result);
    // Generous: these take milliseconds and a few MiB; the faults took seconds and gigabytes.
    const Usage after = Now();
    EXPECT_LT(after.cpu_seconds - before.cpu_seconds, 5);
    EXPECT_LT(after.peak_kib - before.peak_kib, 1L << 20);
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
