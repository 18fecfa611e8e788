#include "host/workbook/utf8.h"

#include <gtest/gtest.h>

namespace vintrel::host::workbook {
namespace {

TEST(FoldCaseTest, FoldsTheLettersSheetNamesUse) {
  EXPECT_EQ(FoldCase("Sales 2026"), "sales 2026");
  EXPECT_EQ(FoldCase("ÄRGER Über"), "ärger über");
  EXPECT_EQ(FoldCase("ŁÓDŹ ČEŠKÁ Ÿ"), "łódź češká ÿ");
  EXPECT_EQ(FoldCase("ΣΥΝΟΛΟ"), "συνολο");
  EXPECT_EQ(FoldCase("ИТОГО Ёж"), "итого ёж");
  EXPECT_EQ(FoldCase("×÷ 数据 😀"), "×÷ 数据 😀");
  EXPECT_EQ(FoldCase(std::string("bad \xFF\xC3", 6)), std::string("bad \xFF\xC3", 6));
}

TEST(AppendUtf8Test, WritesEveryLength) {
  std::string out;
  for (unsigned code : {0x41u, 0xE9u, 0x20ACu, 0x1F600u}) AppendUtf8(out, code);
  EXPECT_EQ(out, "Aé€😀");
}

}  // namespace
}  // namespace vintrel::host::workbook
