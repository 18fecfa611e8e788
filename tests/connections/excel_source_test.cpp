#include "connections/excel_source.h"

#include <gtest/gtest.h>

#include <map>

#include "connections/connection.h"
#include "connections/excel_status.h"
#include "connections/real_sources.h"
#include "host/clock.h"
#include "support/error_codes.h"
#include "support/module_state.h"
#include "testing/temp_dir.h"

namespace vintrel::connections {
namespace {

// A spreadsheet service whose sheets answer each range text with the cells a test gave it.
struct Book {
  std::map<std::string, std::map<std::string, std::vector<host::Cell>>> sheets;
  int opens = 0;
  int closes = 0;
  bool saved_before_close = false;
};

class FakeSheet : public host::Worksheet {
 public:
  FakeSheet(std::string name, const std::map<std::string, std::vector<host::Cell>>& ranges)
      : name_(std::move(name)), ranges_(ranges) {}
  std::string Name() const override { return name_; }
  int Type() const override { return host::sheet_type::kWorksheet; }
  std::vector<host::Cell> Range(const std::string& a1) override {
    auto found = ranges_.find(a1);
    if (found == ranges_.end()) throw Error(1004, "Range", "Method 'Range' failed");
    return found->second;
  }

 private:
  std::string name_;
  const std::map<std::string, std::vector<host::Cell>>& ranges_;
};

class FakeWorkbook : public host::Workbook {
 public:
  explicit FakeWorkbook(Book& book) : book_(book) {
    for (auto& [name, ranges] : book.sheets) sheets_.emplace_back(name, ranges);
  }
  int SheetCount() const override { return static_cast<int>(sheets_.size()); }
  host::Worksheet& Sheets(int index) override { return sheets_.at(index - 1); }
  host::Worksheet& Sheets(const std::string& name) override {
    for (auto& sheet : sheets_) {
      if (sheet.Name() == name) return sheet;
    }
    throw Error(kErrSubscriptOutOfRange, "Sheets", "Subscript out of range");
  }
  void SetSaved(bool saved) override { saved_ = saved; }
  void Close() override {
    ++book_.closes;
    book_.saved_before_close = saved_;
  }

 private:
  Book& book_;
  std::vector<FakeSheet> sheets_;
  bool saved_ = false;
};

class FakeApplication : public host::SpreadsheetApplication {
 public:
  explicit FakeApplication(Book& book) : book_(book) {}
  std::unique_ptr<host::Workbook> Open(const std::string&,
                                       const host::OpenOptions& options) override {
    EXPECT_TRUE(options.read_only);
    ++book_.opens;
    return std::make_unique<FakeWorkbook>(book_);
  }
  std::unique_ptr<host::Workbook> Add() override { return std::make_unique<FakeWorkbook>(book_); }
  void SetIgnoreRemoteRequests(bool) override {}
  bool Visible() const override { return false; }
  void Quit() override {}

 private:
  Book& book_;
};

class FakeFactory : public host::SpreadsheetFactory {
 public:
  explicit FakeFactory(Book& book) : book_(book) {}
  std::unique_ptr<host::SpreadsheetApplication> CreateApplication() override {
    ++created;
    return std::make_unique<FakeApplication>(book_);
  }
  int created = 0;

 private:
  Book& book_;
};

host::Cell TextCell(int column, int row, const std::string& text) {
  host::Cell cell;
  cell.column = column;
  cell.row = row;
  cell.text = text;
  if (!text.empty()) {
    cell.value.kind = host::CellValue::Kind::kText;
    cell.value.text = text;
  }
  return cell;
}

// A grid of texts starting at (first_column, first_row), row by row.
std::vector<host::Cell> Grid(int first_column, int first_row,
                             const std::vector<std::vector<std::string>>& texts) {
  std::vector<host::Cell> cells;
  for (size_t r = 0; r < texts.size(); ++r) {
    for (size_t c = 0; c < texts[r].size(); ++c) {
      cells.push_back(TextCell(first_column + static_cast<int>(c), first_row + static_cast<int>(r),
                               texts[r][c]));
    }
  }
  return cells;
}

class ExcelSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModuleState();
    Services().clock = &clock_;
    Services().spreadsheet = &factory_;
    connection_.SetConnectionType(connection_type::kExcel);
    connection_.SetConnectionDescription("Targets");
    connection_.SetConnectionFileString(dir_.Write("targets.xlsx", "stand-in"));
    connection_.SetConnectionSheet("Targets");
  }
  void TearDown() override { ResetModuleState(); }

  void Read(const std::string& range, bool names) {
    connection_.SetConnectionRange(range);
    connection_.SetConnectionFirstRowFieldNames(names);
    connection_.OpenConnection();
    connection_.OpenRecordset();
  }

  std::vector<std::string> ColumnNames() {
    auto names = connection_.Columns();
    names.erase(names.begin());
    return names;
  }

  testing::TempDir dir_;
  host::FakeClock clock_;
  Book book_;
  FakeFactory factory_{book_};
  clsConnection connection_{RealSources()};
};

TEST(ColumnLetterTest, OneAndTwoLetters) {
  EXPECT_EQ(ColumnLetter(1), "A");
  EXPECT_EQ(ColumnLetter(26), "Z");
  EXPECT_EQ(ColumnLetter(27), "AA");
  EXPECT_EQ(ColumnLetter(52), "AZ");
  EXPECT_EQ(ColumnLetter(53), "BA");
  EXPECT_EQ(ColumnLetter(702), "ZZ");
}

TEST_F(ExcelSourceTest, FirstRowNamesWithAnEmptyCellTakeTheColumnLetter) {
  book_.sheets["Targets"]["A1:C3"] =
      Grid(1, 1, {{"Name", "", "Total"}, {"North", "x", "10"}, {"South", "y", "20"}});
  Read("A1:C3", true);
  EXPECT_EQ(ColumnNames(), (std::vector<std::string>{"Name", "B", "Total"}));
  EXPECT_EQ(connection_.RecordCount(), 2);
  EXPECT_EQ(connection_.GetValueDatabase(2, "Total", 1), "20");
  EXPECT_EQ(book_.closes, 1);  // read, then closed again
  EXPECT_TRUE(book_.saved_before_close);
}

TEST_F(ExcelSourceTest, WithoutNamesColumnsAreLettersAndEveryRowIsData) {
  book_.sheets["Targets"]["B2:D4"] =
      Grid(2, 2, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
  Read("B2:D4", false);
  EXPECT_EQ(ColumnNames(), (std::vector<std::string>{"B", "C", "D"}));
  EXPECT_EQ(connection_.RecordCount(), 3);
  EXPECT_EQ(connection_.GetValueDatabase(1, "C", 1), "b");
}

TEST_F(ExcelSourceTest, TrailingBlankRowsGoInnerBlankRowsStayLineFeedsBecomeLineEnds) {
  book_.sheets["Targets"]["A1:B6"] =
      Grid(1, 1, {{"Q", "Note"}, {"Q1", "two\nlines"}, {"", ""}, {"Q3", "x"}, {"", " "}, {"", ""}});
  Read("A1:B6", true);
  EXPECT_EQ(connection_.RecordCount(), 3);
  EXPECT_EQ(connection_.GetValueDatabase(1, "Note", 1), "two\r\nlines");
  EXPECT_EQ(connection_.GetValueDatabase(2, "Q", 1), "");
  EXPECT_EQ(connection_.GetValueDatabase(3, "Q", 1), "Q3");
}

TEST_F(ExcelSourceTest, DuplicatedColumnNameFailsTheRead) {
  book_.sheets["Targets"]["A1:B2"] = Grid(1, 1, {{"Total", "Total"}, {"1", "2"}});
  try {
    Read("A1:B2", true);
    FAIL() << "read a range with two columns of one name";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), ErrorNumber(ErrorCode::kReadingExcelFile));
    EXPECT_EQ(
        error.description(),
        "Error while reading excel file Targets. \r\nDuplicated column name 'Total' detected.");
  }
}

TEST_F(ExcelSourceTest, MissingSheetFailsTheOpenWithItsName) {
  book_.sheets["Other"]["A1:A2"] = Grid(1, 1, {{"x"}, {"y"}});
  connection_.SetConnectionSheet("Budget");
  try {
    connection_.OpenConnection();
    FAIL() << "opened a sheet the workbook does not have";
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), ErrorNumber(ErrorCode::kOpeningExcelFile));
    EXPECT_EQ(error.description(),
              "Error while opening excel file Targets. \r\nCouldn't find sheet Budget");
  }
  EXPECT_FALSE(connection_.Opened());
}

TEST_F(ExcelSourceTest, TheServiceIsStartedOnceAndSharedUntilShutDown) {
  book_.sheets["Targets"]["A1:A2"] = Grid(1, 1, {{"x"}, {"y"}});
  Read("A1:A2", true);
  Read("A1:A2", true);
  EXPECT_EQ(ExcelStatus(false, false), excel_status::kStarted);
  EXPECT_EQ(factory_.created, 2);  // one test object, one service
  EXPECT_EQ(ExcelStatus(false, true), excel_status::kUnknown);
  EXPECT_EQ(Module().excel_application, nullptr);
}

TEST_F(ExcelSourceTest, UnavailableServiceOpensNothingAndTheReadFails) {
  Services().spreadsheet = nullptr;
  connection_.SetConnectionRange("A1:A2");
  connection_.OpenConnection();  // nothing to open with: the connection counts as opened
  EXPECT_EQ(ExcelStatus(true, false), excel_status::kUnavailable);
  EXPECT_THROW(connection_.OpenRecordset(), Error);
}

}  // namespace
}  // namespace vintrel::connections
