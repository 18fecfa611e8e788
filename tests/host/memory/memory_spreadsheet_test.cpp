#include "host/memory/memory_spreadsheet.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory/error_number.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> Texts(const std::vector<host::Cell>& cells) {
  std::vector<std::string> texts;
  for (const host::Cell& cell : cells) texts.push_back(cell.text);
  return texts;
}

class MemorySpreadsheetTest : public ::testing::Test {
 protected:
  MemorySpreadsheetTest() {
    MemoryWorkbookFile& file = factory_.AddWorkbook("/data/targets.xlsx");
    file.AddSheet("Chart1", sheet_type::kChart);
    file.AddSheet("Targets")
        .SetTexts(1, 1, {{"Region", "Sales"}, {"North", ""}})
        .SetNumber(2, 2, 1234.5, "1,234.50", "#,##0.00");
  }

  MemorySpreadsheetFactory factory_;
};

TEST_F(MemorySpreadsheetTest, RangeListsCellsLeftToRightThenDown) {
  auto app = factory_.CreateApplication();
  auto book = app->Open("/data/targets.xlsx", OpenOptions{});
  host::Worksheet& sheet = book->Sheets("targets");
  EXPECT_EQ(sheet.Name(), "Targets");
  std::vector<host::Cell> cells = sheet.Range("A1:C2");
  EXPECT_THAT(Texts(cells), ElementsAre("Region", "Sales", "", "North", "1,234.50", ""));
  EXPECT_EQ(cells[4].row, 2);
  EXPECT_EQ(cells[4].column, 2);
  EXPECT_EQ(cells[4].value.kind, host::CellValue::Kind::kNumber);
  EXPECT_EQ(cells[4].number_format, "#,##0.00");
  EXPECT_EQ(sheet.Range("$B$2:A1").size(), 4u) << "either corner first";
  EXPECT_EQ(sheet.Range("B1").size(), 1u);
  EXPECT_NE(ErrorNumberOf([&] { sheet.Range("Sales"); }), 0);
  EXPECT_EQ(book->Sheets(1).Type(), sheet_type::kChart);
  EXPECT_EQ(ErrorNumberOf([&] { book->Sheets("Absent"); }), kErrSubscriptOutOfRange);
}

TEST_F(MemorySpreadsheetTest, OpensAreRecordedAndCanBeMadeToFail) {
  auto app = factory_.CreateApplication();
  factory_.FailOpens(2);
  OpenOptions options;
  EXPECT_NE(ErrorNumberOf([&] { app->Open("/data/targets.xlsx", options); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { app->Open("/data/targets.xlsx", options); }), 0);
  auto book = app->Open("/data/targets.xlsx", options);
  EXPECT_EQ(factory_.opens().size(), 3u);
  EXPECT_TRUE(factory_.opens()[2].options.read_only);
  EXPECT_EQ(ErrorNumberOf([&] { app->Open("/data/none.xlsx", options); }), kErrFileNotFound);
}

TEST_F(MemorySpreadsheetTest, ClosedWorkbookAndQuitApplicationFail) {
  auto app = factory_.CreateApplication();
  auto book = app->Open("/data/targets.xlsx", OpenOptions{});
  host::Worksheet& sheet = book->Sheets(2);
  EXPECT_EQ(factory_.open_workbooks(), 1);
  book->Close();
  EXPECT_EQ(factory_.open_workbooks(), 0);
  EXPECT_NE(ErrorNumberOf([&] { sheet.Range("A1"); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { book->Close(); }), 0);
  app->SetIgnoreRemoteRequests(true);
  app->Quit();
  EXPECT_EQ(factory_.quit_count(), 1);
  EXPECT_NE(ErrorNumberOf([&] { app->Add(); }), 0);
}

TEST_F(MemorySpreadsheetTest, MissingProgramCannotBeCreated) {
  factory_.set_available(false);
  EXPECT_EQ(ErrorNumberOf([&] { factory_.CreateApplication(); }), kErrCannotCreateObject);
  EXPECT_EQ(factory_.applications_created(), 0);
}

TEST_F(MemorySpreadsheetTest, ScratchWorkbooksHaveOneEmptySheetAndStayValid) {
  auto app = factory_.CreateApplication();
  auto first = app->Add();
  auto second = app->Add();
  EXPECT_EQ(first->SheetCount(), 1);
  EXPECT_THAT(Texts(first->Sheets(1).Range("A1:B1")), ElementsAre("", ""));
  EXPECT_EQ(second->Sheets(1).Name(), "Sheet1");
}

}  // namespace
}  // namespace vintrel::host::memory
