// Hostile .xlsx files: each is refused with an error that says what is wrong, by a limit the
// reader enforces (never by running out of memory or stack), and the file stays as it was.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/workbook/workbook_reader.h"
#include "testing/hostile_zip.h"
#include "testing/temp_dir.h"
#include "xlsx_builder.h"

namespace vintrel::host::workbook {
namespace {

using vintrel::testing::RawEntry;
using vintrel::testing::RawZip;
using vintrel::testing::Stored;

// The error of opening `bytes` and reading every worksheet, or "" when that worked.
std::string ReadError(const std::string& bytes, const ReaderLimits& limits = {}) {
  vintrel::testing::TempDir dir;
  const std::string path = dir.Write("hostile.xlsx", bytes);
  std::string error;
  try {
    WorkbookReaderApplication reader(limits);
    auto book = reader.Open(path, {});
    for (int i = 1; i <= book->SheetCount(); ++i) book->Sheets(i).Range("A1:C3");
  } catch (const Error& failure) {
    error = failure.description();
    EXPECT_NE(error.find("hostile.xlsx"), std::string::npos) << error;
  }
  EXPECT_EQ(vintrel::testing::ReadFile(path), bytes) << "the file must be left as it was";
  return error;
}

TEST(HostileWorkbookTest, EachIsRefusedSayingWhy) {
  testing::BookContents contents;
  contents.shared_strings = "<si><t>alpha</t></si>";
  contents.sheets["Data"] = testing::SheetXml(R"(<row r="1"><c r="A1" t="s"><v>0</v></c></row>)");
  std::vector<RawEntry> entries;
  for (const auto& [name, data] : testing::WorkbookParts(contents)) {
    entries.push_back(Stored(name, data));
  }
  auto extra = [&](const RawEntry& entry) {
    std::vector<RawEntry> with = entries;
    with.push_back(entry);
    return RawZip(with);
  };
  auto replaced = [&](const RawEntry& entry) {
    std::vector<RawEntry> with = entries;
    for (RawEntry& each : with) {
      if (each.name == entry.name) each = entry;
    }
    return RawZip(with);
  };
  const std::string valid = RawZip(entries);
  const std::string bomb = vintrel::testing::DeflateBomb(4);
  const std::string strings = "xl/sharedStrings.xml";
  ReaderLimits small;
  small.max_part_bytes = 1 << 20;

  struct Case {
    std::string name;
    std::string bytes;
    std::string message;
    ReaderLimits limits = {};
  };
  const std::vector<Case> cases = {
      {"not a zip", "Region\tSales\r\nNorth\t1\r\n", "not a workbook"},
      {"zip header, then nothing sound", "PK\x03\x04 and then no archive at all", "damaged"},
      {"truncated", valid.substr(0, valid.size() / 2), "damaged or incomplete"},
      {"climbs out", extra(Stored("../../escaped.xml", "<x/>")), "unsafe"},
      {"absolute name", extra(Stored("/etc/escaped.xml", "<x/>")), "unsafe"},
      // Declares its gigabytes: refused by the size in the directory, before inflating.
      {"bomb declared", replaced({strings, bomb, 8, 0xF0000000u, 0}), "expands to more than"},
      // Declares a kilobyte: inflating stops where the declaration ends.
      {"bomb lying", replaced({strings, bomb, 8, 1024, 0}), "beyond the size it declares"},
      // Honest, but larger than the reader's limit allows.
      {"part over the limit",
       replaced(Stored(strings, "<sst>" + std::string(2 << 20, ' ') + "</sst>")),
       "expands to more than 1 MiB", small},
      {"nested a million deep",
       replaced(Stored(
           "xl/workbook.xml",
           R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" +
               vintrel::testing::NestedXml(1'000'000) + "</workbook>")),
       "deeper than 256 levels"},
      // Rich-text runs were read recursively: this overflowed the stack.
      {"runs nested a million deep",
       replaced(Stored(strings,
                       "<sst><si>" + vintrel::testing::NestedXml(1'000'000, "r") + "</si></sst>")),
       "deeper than 256 levels"},
      {"duplicate entry", extra(Stored("xl/workbook.xml", "<workbook/>")), "two entries"},
      {"duplicate entry in another case", extra(Stored("XL/Workbook.xml", "<workbook/>")),
       "two entries"},
      {"sheet names a missing relationship",
       replaced(Stored(
           "xl/_rels/workbook.xml.rels",
           R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"/>)")),
       "has no content part"},
  };
  ASSERT_EQ(ReadError(valid), "");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(ReadError(c.bytes, c.limits).find(c.message), std::string::npos)
        << ReadError(c.bytes, c.limits);
  }
}

}  // namespace
}  // namespace vintrel::host::workbook
