#include "document/tag_schema.h"

#include <gtest/gtest.h>

#include "host/memory/memory_presentation.h"

namespace vintrel {
namespace {

using host::memory::MemoryPresentation;
using host::memory::MemoryTags;

std::vector<std::string> Names(const MemoryTags& tags) {
  std::vector<std::string> names;
  for (const auto& [name, value] : tags.entries()) names.push_back(name);
  return names;
}

TEST(TagNamesTest, PrefixesCompareExactlyAndNumbersAreTheRest) {
  EXPECT_TRUE(HasTagPrefix("QUENDRA CONNECTION07", tag::kConnection));
  EXPECT_FALSE(HasTagPrefix("quendra connection07", tag::kConnection));
  EXPECT_FALSE(HasTagPrefix("QUENDRA CONN", tag::kConnection));
  EXPECT_EQ(TagNumber("QUENDRA CONNECTION07", tag::kConnection), "07");
  EXPECT_EQ(TagNumber("QUENDRA CONNECTION7", tag::kConnection), "7");
  EXPECT_EQ(ScrollNumber("03"), ScrollNumber("3"));
  EXPECT_EQ(DisplayTypeName(5), "Column - Index");
  EXPECT_EQ(DisplayTypeName(8), "");
  EXPECT_TRUE(DistributionComputers("").empty()) << "an empty value names no computer";
}

TEST(TagNamesTest, ConnectionNumbersFollowTheLargestOfTheLastTwoCharacters) {
  EXPECT_EQ(NextConnectionTagNumber({}), "01");
  EXPECT_EQ(NextConnectionTagNumber({"01", "03"}), "04");  // "02" was deleted: not reused
  EXPECT_EQ(NextConnectionTagNumber({"7"}), "08");
  EXPECT_EQ(NextConnectionTagNumber({"05", "99"}), "100");
  EXPECT_EQ(NextConnectionTagNumber({"100"}), "01");  // its last two characters are "00"
}

TEST(TagRewriteTest, AFailingDeleteIsPassedOver) {
  MemoryPresentation presentation("/shows/board.pptx");
  MemoryTags& tags = presentation.tags();
  for (const char* name :
       {"QUENDRA CONNECTION01", "QUENDRA CONNECTION02", "QUENDRA CONNECTION03"}) {
    tags.Put(name, "x");
  }
  presentation.host_environment().faults().Fail("Tags.Delete", 1);
  DeleteTagsWithPrefix(presentation.Tags(), tag::kConnection);
  EXPECT_EQ(Names(tags), (std::vector<std::string>{"QUENDRA CONNECTION03"}));
}

TEST(TagPresenceTest, VersionIsAddedOnceAndLinkedShapesAreRecognised) {
  MemoryTags presentation;
  EnsureVersionTag(presentation);
  EXPECT_EQ(presentation.Item("QUENDRA VERSION"), "1");
  presentation.Put("QUENDRA VERSION", "2");
  EnsureVersionTag(presentation);
  EXPECT_EQ(presentation.Item("QUENDRA VERSION"), "2");

  MemoryTags shape;
  shape.Put("QUENDRA COLUMNS", "x");
  EXPECT_FALSE(IsLinkedShape(shape));
  shape.Put("quendra column type", "0");  // another tool wrote it in lower case
  EXPECT_TRUE(IsLinkedShape(shape));
}

}  // namespace
}  // namespace vintrel
