#include "connections/excel_source.h"

#include <gtest/gtest.h>

#include "connections/connection.h"
#include "connections/excel_status.h"
#include "connections/real_sources.h"
#include "host/memory/memory_spreadsheet.h"
#include "support/error_codes.h"
#include "testing/error_of.h"
#include "testing/test_context.h"

namespace vintrel::connections {
namespace {

using host::memory::MemorySpreadsheetFactory;

class ExcelSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_.services.spreadsheet = &factory_;
    connection_.SetConnectionType(connection_type::kExcel);
    connection_.SetConnectionDescription("Targets");
    twins_.files.WriteFile("/shows/targets.xlsx", "stand-in");
    connection_.SetConnectionFileString("/shows/targets.xlsx");
    connection_.SetConnectionSheet("Targets");
    sheet_ = &factory_.AddWorkbook("/shows/targets.xlsx").AddSheet("Targets");
  }
  void TearDown() override {
    // The add-in never writes to a data workbook.
    for (const auto& open : factory_.opens()) EXPECT_TRUE(open.options.read_only);
  }

  void Read(const std::string& range, bool names) {
    connection_.SetConnectionRange(range);
    connection_.SetConnectionFirstRowFieldNames(names);
    connection_.OpenConnection();
    connection_.OpenRecordset();
  }

  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
  MemorySpreadsheetFactory factory_;
  host::memory::MemorySheetData* sheet_ = nullptr;
  clsConnection connection_{ctx_, RealSources()};
};

TEST_F(ExcelSourceTest, ColumnsAreNamedByTheFirstRowOrByTheirLetters) {
  sheet_->SetTexts(1, 1, {{"Name", "", "Total"}, {"North", "x", "10"}, {"South", "y", "20"}});
  Read("A1:C3", true);
  EXPECT_EQ(connection_.Columns(), (std::vector<std::string>{"", "Name", "B", "Total"}));
  EXPECT_EQ(connection_.RecordCount(), 2);
  EXPECT_EQ(connection_.GetValueDatabase(2, "Total", 1), "20");
  EXPECT_EQ(factory_.close_count(), 1);  // read, then closed again
  EXPECT_EQ(factory_.unsaved_closes(), 0);
  // Without names the columns are letters and every row is data.
  sheet_->SetTexts(2, 2, {{"a", "b", "c"}, {"d", "e", "f"}, {"g", "h", "i"}});
  Read("B2:D4", false);
  EXPECT_EQ(connection_.Columns(), (std::vector<std::string>{"", "B", "C", "D"}));
  EXPECT_EQ(connection_.RecordCount(), 3);
  EXPECT_EQ(connection_.GetValueDatabase(1, "C", 1), "b");
}

TEST_F(ExcelSourceTest, TrailingBlankRowsGoInnerBlankRowsStayLineFeedsBecomeLineEnds) {
  sheet_->SetTexts(1, 1, {{"Q", "Note"}, {"Q1", "two\nlines"}, {"", ""}, {"Q3", "x"}, {"", " "}});
  Read("A1:B6", true);
  EXPECT_EQ(connection_.RecordCount(), 3);
  EXPECT_EQ(connection_.GetValueDatabase(1, "Note", 1), "two\r\nlines");
  EXPECT_EQ(connection_.GetValueDatabase(2, "Q", 1), "");
  EXPECT_EQ(connection_.GetValueDatabase(3, "Q", 1), "Q3");
}

TEST_F(ExcelSourceTest, DuplicatedColumnNameFailsTheRead) {
  sheet_->SetTexts(1, 1, {{"Total", "Total"}, {"1", "2"}});
  const Error error = testing::ErrorOf([&] { Read("A1:B2", true); });
  EXPECT_EQ(error.number(), ErrorNumber(ErrorCode::kReadingExcelFile));
  EXPECT_EQ(error.description(),
            "Error while reading excel file Targets. \r\nDuplicated column name 'Total' detected.");
}

TEST_F(ExcelSourceTest, MissingSheetFailsTheOpenWithItsName) {
  connection_.SetConnectionSheet("Budget");
  const Error error = testing::ErrorOf([&] { connection_.OpenConnection(); });
  EXPECT_EQ(error.number(), ErrorNumber(ErrorCode::kOpeningExcelFile));
  EXPECT_EQ(error.description(),
            "Error while opening excel file Targets. \r\nCouldn't find sheet Budget");
  EXPECT_FALSE(connection_.Opened());
}

TEST_F(ExcelSourceTest, TheServiceIsStartedOnceAndSharedUntilShutDown) {
  sheet_->SetTexts(1, 1, {{"x"}, {"y"}});
  Read("A1:A2", true);
  Read("A1:A2", true);
  EXPECT_EQ(ExcelStatus(ctx_, false, false), excel_status::kStarted);
  EXPECT_EQ(factory_.applications_created(), 2);  // one test object, one service
  EXPECT_EQ(ExcelStatus(ctx_, false, true), excel_status::kUnknown);
  EXPECT_EQ(ctx_.module.excel_application, nullptr);
}

TEST_F(ExcelSourceTest, UnavailableServiceOpensNothingAndTheReadFails) {
  ctx_.services.spreadsheet = nullptr;
  connection_.SetConnectionRange("A1:A2");
  connection_.OpenConnection();  // nothing to open with: the connection counts as opened
  EXPECT_EQ(ExcelStatus(ctx_, true, false), excel_status::kUnavailable);
  EXPECT_THROW(connection_.OpenRecordset(), Error);
}

}  // namespace
}  // namespace vintrel::connections
