#include "connections/text_file_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "connections/tag_values.h"
#include "host/data/data_test_support.h"
#include "host/error.h"
#include "testing/temp_dir.h"

namespace vintrel::connections {
namespace {

using host::FieldValue;
using Rows = std::vector<std::vector<FieldValue>>;

struct Table {
  std::vector<std::string> names;
  Rows rows;
};

Table Dump(host::ClientRecordset& rs) {
  Table table{{}, host::data::AllRows(rs)};
  for (int i = 0; i < rs.Fields().Count(); ++i) table.names.push_back(rs.Fields().Item(i).Name());
  return table;
}

class TextFileReaderTest : public ::testing::Test {
 protected:
  // Reads `contents` as a file; fails the test when no recordset comes back.
  Table Read(const std::string& contents, bool names, size_t block = TextFile::kBlockSize) {
    TextFile file(dir_.Write("data.txt", contents));
    auto rs = file.ReadRecordset(names, block);
    encoding_ = file.encoding();
    if (!rs) {
      ADD_FAILURE() << "no recordset";
      return {};
    }
    EXPECT_EQ(rs->State(), host::object_state::kOpen);
    return Dump(*rs);
  }

  testing::TempDir dir_;
  TextEncoding encoding_ = TextEncoding::kUtf8;
};

TEST_F(TextFileReaderTest, LineEndsOfWindowsAndLinuxFiles) {
  // Linux files (LF line ends) meet every rule in the random files below.
  constexpr std::nullopt_t N = std::nullopt;
  struct Case {
    const char* text;
    bool names;
    std::vector<std::string> columns;
    Rows rows;
  } cases[] = {
      // A short line ends with nulls, and an empty line is a row of nulls.
      {"A\tB\r\n1\t2\r\n3\r\n", true, {"A", "B"}, {{"1", "2"}, {"3", N}}},
      {"A\tB\r\n\r\n1\t\r\n", true, {"A", "B"}, {{N, N}, {"1", ""}}},
      // A file without CR has LF line ends; a lone final LF; a final CR without LF.
      {"A\tB\n1\t2\n", true, {"A", "B"}, {{"1", "2"}}},
      {"A\tB\r\n1\t2\r\n\n", true, {"A", "B"}, {{"1", "2"}}},
      {"A\tB\r\n1\t2\r", true, {"A", "B"}, {{"1", "2"}}},
      // Once a file holds a CR, an LF alone stays in the value and the character after a CR
      // is dropped whatever it is.
      {"a\tb\nc\td\r\n", false, {"1", "2", "3"}, {{"a", "b\nc", "d"}}},
      {"x\rYz\r\r\r\n", false, {"1"}, {{"x"}, {"z"}, {N}}},
      // Quotes are ordinary characters.
      {"\"a\tb\"\t'c'\r\n", false, {"1", "2", "3"}, {{"\"a", "b\"", "'c'"}}},
      // A repeated name (also in another case) or an empty one gives way to the column's
      // number; every value stays under its own column and fields beyond the named columns are
      // lost. A number the line gives is not taken.
      {"A\tA\tB\r\n1\t2\t3\r\n", true, {"A", "2", "B"}, {{"1", "2", "3"}}},
      {"A\t\ta\tC\r\n1\t2\t3\t4\t5\r\n", true, {"A", "2", "3", "C"}, {{"1", "2", "3", "4"}}},
      {"\t1\r\nx\ty\r\n", true, {"1_2", "1"}, {{"x", "y"}}},
  };
  for (const Case& c : cases) {
    for (size_t block : {size_t{1}, size_t{5}, TextFile::kBlockSize}) {
      SCOPED_TRACE(::testing::PrintToString(std::string(c.text)) + " block " +
                   std::to_string(block));
      Table t = Read(c.text, c.names, block);
      EXPECT_EQ(t.names, c.columns);
      EXPECT_EQ(t.rows, c.rows);
    }
  }
}

TEST_F(TextFileReaderTest, RenamedColumnsAreTold) {
  TextFile file(dir_.Write("index.txt", "\tName\tname\r\n0\tAnn\tBob\r\n"));
  ASSERT_NE(file.ReadRecordset(true), nullptr);
  std::vector<std::string> told;
  for (const RenamedColumn& column : file.renamed_columns()) {
    told.push_back(RenamedColumnText(column));
  }
  EXPECT_EQ(told,
            (std::vector<std::string>{
                "column 1 has no name in the first line; it is named \"1\"",
                "column 3 repeats the name \"name\" of an earlier column; it is named \"3\""}));
}

TEST_F(TextFileReaderTest, EmptyFileGivesNoRecordset) {
  TextFile file(dir_.Write("empty.txt", ""));
  EXPECT_EQ(file.ReadRecordset(true), nullptr);
  file.Close();
  EXPECT_THROW(file.ReadRecordset(false), Error) << "a closed file cannot be read";
}

TEST_F(TextFileReaderTest, LongValuesAreCutToFourThousandCharacters) {
  std::string ascii(5000, 'x');
  std::string accents;
  for (int i = 0; i < 4500; ++i) accents += "\xC3\xA9";
  Table t = Read("v\tw\r\n" + ascii + "\t" + accents + "\r\n", true);
  ASSERT_EQ(t.rows.size(), 1u);
  EXPECT_EQ(*t.rows[0][0], std::string(4000, 'x'));
  EXPECT_EQ(t.rows[0][1]->size(), 8000u) << "4000 two-byte characters";
}

TEST_F(TextFileReaderTest, NonUtf8FilesAreReadAsWindows1252) {
  Table t = Read("caf\xE9\t\x80\x93\r\n", false);
  EXPECT_EQ(encoding_, TextEncoding::kWindows1252);
  EXPECT_EQ(t.rows, (Rows{{"caf\xC3\xA9", "\xE2\x82\xAC\xE2\x80\x9C"}}));
}

// UTF-16 bytes of `text` (given in UTF-8) after the byte-order mark, as spreadsheets export.
std::string Utf16(const std::u16string& text, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char16_t unit : text) {
    char high = static_cast<char>(unit >> 8);
    char low = static_cast<char>(unit & 0xFF);
    out += big_endian ? std::string{high, low} : std::string{low, high};
  }
  return out;
}

TEST_F(TextFileReaderTest, ByteOrderMarksChooseTheEncoding) {
  const std::u16string unicode = u"Name\tQty\r\nZ\u00FCrich \U0001F600\t1\r\n";
  const Rows rows{{"Z\xC3\xBCrich \xF0\x9F\x98\x80", "1"}};
  struct Case {
    std::string bytes;
    TextEncoding encoding;
  } cases[] = {
      {"\xEF\xBB\xBFName\tQty\r\nZ\xC3\xBCrich \xF0\x9F\x98\x80\t1\r\n", TextEncoding::kUtf8},
      {Utf16(unicode, false), TextEncoding::kUtf16},
      {Utf16(unicode, true), TextEncoding::kUtf16},
  };
  for (const Case& c : cases) {
    Table t = Read(c.bytes, true);
    EXPECT_EQ(encoding_, c.encoding) << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(t.names, (std::vector<std::string>{"Name", "Qty"}))
        << ::testing::PrintToString(c.bytes);
    EXPECT_EQ(t.rows, rows) << ::testing::PrintToString(c.bytes);
  }
}

// The reading rules written out plainly, one character at a time, for comparison.
Table ReadPlainly(const std::string& text, bool names) {
  // A file without any CR has LF line ends, and nothing is dropped after them.
  const char end = text.find('\r') != std::string::npos ? '\r' : '\n';
  std::vector<std::string> lines;
  std::string current;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != end) {
      current += text[i];
      continue;
    }
    lines.push_back(current);
    current.clear();
    if (end == '\r' && i + 1 < text.size()) {  // the whole character after a CR is dropped
      const unsigned char b = static_cast<unsigned char>(text[i + 1]);
      i += b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    }
  }
  if (!current.empty() && current != "\n") lines.push_back(current);
  // Fields are split as tag fields are: an empty line has none at all.
  Table table;
  size_t widest = 0;
  for (const auto& line : lines) widest = std::max(widest, SplitFields(line).size());
  if (names && !lines.empty()) {
    // The random texts hold no digits, so the numbers given never meet a name of the line.
    for (const auto& name : SplitFields(lines[0])) {
      bool repeated = std::find(table.names.begin(), table.names.end(), name) != table.names.end();
      table.names.push_back(name.empty() || repeated ? std::to_string(table.names.size() + 1)
                                                     : name);
    }
  } else {
    for (size_t i = 1; i <= widest; ++i) table.names.push_back(std::to_string(i));
  }
  for (size_t l = names ? 1 : 0; l < lines.size(); ++l) {
    std::vector<FieldValue> row(table.names.size());
    auto fields = SplitFields(lines[l]);
    for (size_t j = 0; j < fields.size() && j < row.size(); ++j) row[j] = fields[j];
    table.rows.push_back(row);
  }
  return table;
}

TEST_F(TextFileReaderTest, RandomFilesReadAsThePlainRulesSay) {
  // Short alphabets make every awkward sequence likely: CR CR, CR TAB, CR before a multi-byte
  // character, empty lines, lone LFs, and all of it across block boundaries. Every other file
  // has no CR, and so LF line ends, except now and then a CR late in the file.
  const std::vector<std::string> alphabet = {"a",  "B",    "\t",       "\n",
                                             "\r", "\r\n", "\xC3\xA9", "\xE2\x82\xAC"};
  std::mt19937 random(2026);
  for (int round = 0; round < 300; ++round) {
    std::string text;
    // Every third text is long enough for whole 64-byte blocks of the scan.
    int length = static_cast<int>(random() % (round % 3 == 0 ? 300 : 60));
    for (int i = 0; i < length; ++i) {
      size_t pick = random() % alphabet.size();
      if (round % 2 && (pick == 4 || pick == 5) && (i < 40 || random() % 4 != 0)) pick = 3;
      text += alphabet[pick];
    }
    bool names = random() % 2 == 0;
    Table expected = ReadPlainly(text, names);
    TextFile file(dir_.Write("random.txt", text));
    for (size_t block : {size_t{1}, size_t{4}, size_t{16}, TextFile::kBlockSize}) {
      // Small blocks read with the portable scan, whole ones with the fastest.
      auto rs =
          file.ReadRecordset(names, block, block < 16 ? TextScan::kPortable : TextScan::kFastest);
      if (!rs) {  // no line at all
        EXPECT_TRUE(expected.names.empty() && expected.rows.empty()) << "round " << round;
        continue;
      }
      Table actual = Dump(*rs);
      EXPECT_EQ(actual.names, expected.names) << "round " << round << " block " << block;
      EXPECT_EQ(actual.rows, expected.rows) << "round " << round << " block " << block;
    }
  }
}

TEST_F(TextFileReaderTest, NoSixteenBitLimits) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += std::to_string(i) + "\r\n";
  for (int i = 0; i < 40000; ++i) text += "f\t";
  text += "end\r\n";
  TextFile file(dir_.Write("big.txt", text));
  auto rs = file.ReadRecordset(false, 4096);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->RecordCount(), 40001);
  EXPECT_EQ(rs->Fields().Count(), 40001);
  rs->SetAbsolutePosition(39999);
  EXPECT_EQ(rs->Fields().Item("1").Value(), "39998");
  EXPECT_EQ(rs->Fields().Item("2").Value(), std::nullopt);
  rs->MoveLast();
  EXPECT_EQ(rs->Fields().Item("40001").Value(), "end");
}

TEST_F(TextFileReaderTest, OpenFailuresNameTheCause) {
  auto number = [](const std::string& path) {
    try {
      TextFile file(path);
    } catch (const Error& error) {
      EXPECT_NE(error.description().find(path), std::string::npos) << error.description();
      return error.number();
    }
    return 0;
  };
  EXPECT_EQ(number(dir_.File("missing.txt")), kErrFileNotFound);
  EXPECT_EQ(number(dir_.File("no/such/folder/x.txt")), kErrPathNotFound);
  EXPECT_EQ(number(dir_.path()), kErrPermissionDenied);
  EXPECT_EQ(number("/dev/zero"), kErrPermissionDenied) << "an endless device is refused";
  if (geteuid() != 0) {  // root reads anything
    std::string locked = dir_.Write("locked.txt", "x");
    chmod(locked.c_str(), 0);
    EXPECT_EQ(number(locked), kErrPermissionDenied);
  }
}

TEST_F(TextFileReaderTest, WindowsSeparatorsFindTheFile) {
  dir_.Write("sub/data.txt", "a\r\n");
  std::string windows = dir_.path() + "\\sub\\data.txt";
  auto rs = ReadTextFile(windows, false);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->RecordCount(), 1);
}

}  // namespace
}  // namespace vintrel::connections
