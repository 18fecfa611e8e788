#include "host/common/client_recordset.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/error.h"
#include "testing/error_of.h"

namespace vintrel::host {
namespace {

// An open in-memory recordset with the fields Name and Total and the given rows.
std::unique_ptr<ClientRecordset> MakeRecordset(const std::vector<std::vector<FieldValue>>& rows) {
  auto rs = std::make_unique<ClientRecordset>();
  rs->Fields().Append("Name", data_type::kVarChar, kMaxFieldSize);
  rs->Fields().Append("Total", data_type::kVarChar, kMaxFieldSize);
  rs->Open("");
  for (const auto& row : rows) {
    rs->AddNew();
    for (size_t i = 0; i < row.size(); ++i) rs->Fields().Item(static_cast<int>(i)).SetValue(row[i]);
    rs->Update();
  }
  return rs;
}

// The number of the error `action` raises, which always comes with a description.
int32_t ErrorNumber(const std::function<void()>& action) {
  const Error error = vintrel::testing::ErrorOf(action);
  EXPECT_FALSE(error.description().empty());
  return error.number();
}

TEST(ClientRecordsetTest, FabricatedRecordsetStoresRowsInOrderKeepsEditsAndFindsFieldsInAnyCase) {
  auto rs = MakeRecordset({{"north", "10"}, {"south", std::nullopt}, {"east", "30"}});
  EXPECT_EQ(rs->RecordCount(), 3);
  EXPECT_EQ(rs->AbsolutePosition(), 3);  // the last added record is current
  rs->MoveFirst();
  EXPECT_EQ(rs->Fields().Item("Name").Value(), "north");
  rs->MoveNext();
  EXPECT_EQ(rs->Fields().Item("Total").Value(), std::nullopt);
  EXPECT_EQ(rs->Fields().Item("name").Value(), "south");
  rs->Fields().Item("Total").SetValue("20");
  rs->MoveNext();  // moving commits the edit
  rs->MovePrevious();
  EXPECT_EQ(rs->Fields().Item("TOTAL").Value(), "20");
  EXPECT_EQ(rs->RecordCount(), 3);
  ClientRecordset other;
  other.Fields().Append("Größe", data_type::kVarChar, 4000);
  EXPECT_EQ(other.Fields().Item("GRÖßE").Name(), "Größe");
  EXPECT_EQ(ErrorNumber([&] { other.Fields().Append("gRÖße", data_type::kVarChar, 4000); }),
            data_error::kDuplicateName);
  EXPECT_EQ(ErrorNumber([&] { rs->Fields().Item("Missing"); }), data_error::kItemNotFound);
  EXPECT_EQ(ErrorNumber([&] { rs->Fields().Item(2); }), data_error::kItemNotFound);
}

TEST(ClientRecordsetTest, NavigationFollowsBofAndEofEvenWhenEmpty) {
  auto rs = MakeRecordset({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  rs->MoveFirst();
  EXPECT_FALSE(rs->IsBOF());
  rs->MovePrevious();
  EXPECT_TRUE(rs->IsBOF());
  EXPECT_EQ(rs->AbsolutePosition(), ClientRecordset::kPosBOF);
  EXPECT_EQ(ErrorNumber([&] { rs->MovePrevious(); }), data_error::kNoCurrentRecord);
  EXPECT_EQ(ErrorNumber([&] { rs->Fields().Item(0).Value(); }), data_error::kNoCurrentRecord);
  rs->Move(2);  // from BOF forward is allowed
  EXPECT_EQ(rs->Fields().Item(0).Value(), "b");
  rs->Move(10);  // past the end stops at EOF
  EXPECT_TRUE(rs->IsEOF());
  EXPECT_EQ(rs->AbsolutePosition(), ClientRecordset::kPosEOF);
  EXPECT_EQ(ErrorNumber([&] { rs->MoveNext(); }), data_error::kNoCurrentRecord);
  rs->MoveLast();
  EXPECT_EQ(rs->AbsolutePosition(), 3);
  rs->Move(-2);
  EXPECT_EQ(rs->Fields().Item(0).Value(), "a");
  // An empty recordset is both.
  auto empty = MakeRecordset({});
  EXPECT_EQ(empty->RecordCount(), 0);
  EXPECT_TRUE(empty->IsBOF() && empty->IsEOF());
  empty->MoveFirst();
  empty->MoveLast();
  EXPECT_EQ(ErrorNumber([&] { empty->MoveNext(); }), data_error::kNoCurrentRecord);
}

TEST(ClientRecordsetTest, AbsolutePositionJumpsToARecordThatCanBeDeletedAsCanTheLast) {
  auto rs = MakeRecordset({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  rs->SetAbsolutePosition(2);
  EXPECT_EQ(rs->Fields().Item("Name").Value(), "b");
  EXPECT_EQ(ErrorNumber([&] { rs->SetAbsolutePosition(0); }), data_error::kInvalidArgument);
  EXPECT_EQ(ErrorNumber([&] { rs->SetAbsolutePosition(4); }), data_error::kInvalidArgument);
  EXPECT_EQ(rs->AbsolutePosition(), 2) << "a refused position leaves the current record";
  // Deleting in the middle: MoveNext goes on to the following record.
  rs->Delete();
  rs->MoveNext();
  EXPECT_EQ(rs->Fields().Item(0).Value(), "c");
  EXPECT_EQ(rs->AbsolutePosition(), 2);
  EXPECT_EQ(ErrorNumber([&] { rs->Delete(3); }), data_error::kInvalidArgument);

  // The spreadsheet source trims blank rows this way: last record, then delete and step back.
  rs = MakeRecordset({{"a", "1"}, {"b", "2"}, {"", ""}, {"", ""}});
  rs->MoveLast();
  while (rs->RecordCount() > 2 && !rs->IsBOF() && !rs->IsEOF()) {
    rs->Delete(1);
    EXPECT_EQ(rs->AbsolutePosition(), ClientRecordset::kPosUnknown);
    EXPECT_EQ(ErrorNumber([&] { rs->Fields().Item(0).Value(); }), data_error::kNoCurrentRecord);
    rs->MovePrevious();
  }
  EXPECT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->Fields().Item(0).Value(), "b");
}

TEST(ClientRecordsetTest, ClosedRecordsetRefusesWork) {
  ClientRecordset rs;
  rs.Fields().Append("A", data_type::kVarChar, 4000);
  EXPECT_EQ(ErrorNumber([&] { rs.RecordCount(); }), data_error::kObjectClosed);
  EXPECT_EQ(ErrorNumber([&] { rs.MoveFirst(); }), data_error::kObjectClosed);
  EXPECT_EQ(ErrorNumber([&] { rs.Open("SELECT 1"); }), data_error::kNoConnection);
  EXPECT_EQ(ErrorNumber([&] { rs.Fields().Append("B", 3, 4); }), data_error::kInvalidArgument);
  EXPECT_EQ(ErrorNumber([&] { rs.Fields().Append("", data_type::kVarChar, 4); }),
            data_error::kInvalidArgument);
  rs.Open("");
  EXPECT_EQ(ErrorNumber([&] { rs.Open(""); }), data_error::kObjectOpen);
  EXPECT_EQ(ErrorNumber([&] { rs.Fields().Append("C", data_type::kVarChar, 4000); }),
            data_error::kNotAllowed);
  EXPECT_EQ(ErrorNumber([&] { rs.Requery(); }), data_error::kNoConnection);
  rs.Close();
  EXPECT_EQ(rs.Fields().Count(), 1) << "the appended fields outlive Close";
}

TEST(RowTableTest, WideRowsAndNullsSurviveBothOffsetWidths) {
  RowTable table;
  std::string big(3999, 'x');
  for (int i = 0; i < 12; ++i) table.AddCell(big + std::to_string(i % 10));  // 48 KB of text
  table.AddNull();
  table.AddCell("tail");
  table.EndRow();
  table.AddNull();
  table.AddCell("narrow");
  table.EndRow();
  EXPECT_EQ(table.Cell(0, 11), big + "1");
  EXPECT_EQ(table.Cell(0, 12), std::nullopt);
  EXPECT_EQ(table.Cell(0, 13), "tail");
  EXPECT_EQ(table.Cell(1, 0), std::nullopt);
  EXPECT_EQ(table.Cell(1, 1), "narrow");
  table.EraseRow(0);
  EXPECT_EQ(table.Cell(0, 1), "narrow");
}

TEST(RowTableTest, LinesLeftInPlaceLiveWithTheTableAndMixWithOtherRows) {
  auto text = std::make_shared<std::string>("a\tb\tc\r\n\r\nx\ty");
  const std::string_view view = *text;
  RowTable table;
  table.KeepAlive(text);
  table.AddTabLineInPlace(view.substr(0, 5), 3);
  table.AddTabLineInPlace(view.substr(7, 0), 0);
  table.AddTabLine("copied\tline", 2);
  table.AddTabLineInPlace(view.substr(9, 3), 1);  // only the first cell has a column
  std::weak_ptr<std::string> held = text;
  text.reset();
  ClientRecordset rs;
  rs.Load({"A", "B", "C"}, std::move(table));
  EXPECT_EQ(rs.AbsolutePosition(), 1);
  rs.SetAbsolutePosition(2);
  rs.Delete();  // the empty line
  rs.SetAbsolutePosition(1);
  rs.Fields().Item("B").SetValue("edited");
  rs.Update();
  struct Case {
    long row;
    const char* field;
    FieldValue value;
  };
  const std::vector<Case> cases = {
      {1, "A", "a"},    {1, "B", "edited"},     {1, "C", "c"}, {2, "A", "copied"},
      {2, "B", "line"}, {2, "C", std::nullopt}, {3, "A", "x"}, {3, "B", std::nullopt},
  };
  ASSERT_EQ(rs.RecordCount(), 3);
  for (const Case& c : cases) {
    rs.SetAbsolutePosition(c.row);
    EXPECT_EQ(rs.Fields().Item(c.field).Value(), c.value) << c.row << " " << c.field;
  }
  EXPECT_FALSE(held.expired()) << "the text the lines lie in lives as long as the rows";
  rs.Close();
  EXPECT_TRUE(held.expired());
}

// Values are cut to their field's size with this; the text file reader's tests cut real files.
TEST(Utf8PrefixTest, NeverCutsInsideACharacter) {
  EXPECT_EQ(Utf8Prefix("h\xC3\xA9llo", 2), "h\xC3\xA9");
  EXPECT_EQ(Utf8Prefix("\xF0\x9F\x98\x80\xF0\x9F\x98\x80", 1), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8Prefix("abc", 5), "abc");
  EXPECT_EQ(Utf8Prefix("abc", 0), "");
}

}  // namespace
}  // namespace vintrel::host
