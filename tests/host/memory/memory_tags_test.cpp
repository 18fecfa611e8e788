#include "host/memory/memory_tags.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "host/memory/error_number.h"
#include "host/memory/memory_presentation.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

TEST(MemoryTagsTest, NamesComeBackUpperCaseAndValuesAsWritten) {
  MemoryTags tags;
  tags.Add("Quendra Version", "2.0 mixed Case\tTab");
  EXPECT_EQ(tags.Count(), 1);
  EXPECT_EQ(tags.Name(1), "QUENDRA VERSION");
  EXPECT_EQ(tags.Value(1), "2.0 mixed Case\tTab");
  EXPECT_EQ(tags.Item("quendra version"), "2.0 mixed Case\tTab");
}

TEST(MemoryTagsTest, AddReplacesTheSameNameInPlace) {
  MemoryTags tags;
  tags.Add("A", "1");
  tags.Add("B", "2");
  tags.Add("C", "3");
  tags.Add("b", "two");
  EXPECT_THAT(tags.entries(), ElementsAre(Pair("A", "1"), Pair("B", "two"), Pair("C", "3")));
}

TEST(MemoryTagsTest, DeleteMovesLaterTagsDown) {
  MemoryTags tags;
  for (const char* name : {"QUENDRA CONNECTION01", "QUENDRA CONNECTION02", "OTHER"}) {
    tags.Add(name, name);
  }
  tags.Delete("quendra connection01");
  ASSERT_EQ(tags.Count(), 2);
  EXPECT_EQ(tags.Name(1), "QUENDRA CONNECTION02");
  EXPECT_EQ(tags.Name(2), "OTHER");
  tags.Delete("absent");  // nothing happens
  EXPECT_EQ(tags.Count(), 2);
}

TEST(MemoryTagsTest, DeletingByDescendingIndexRemovesEveryMatch) {
  // The rewrite rule of the tag schema: scanning down keeps the moved tag from being skipped.
  MemoryTags tags;
  for (const char* name :
       {"QUENDRA SCROLLSTEP01", "QUENDRA SCROLLSTEP02", "KEEP", "QUENDRA SCROLLSTEP03"}) {
    tags.Add(name, "x");
  }
  for (int i = tags.Count(); i >= 1; --i) {
    if (tags.Name(i).rfind("QUENDRA SCROLLSTEP", 0) == 0) tags.Delete(tags.Name(i));
  }
  EXPECT_THAT(tags.entries(), ElementsAre(Pair("KEEP", "x")));
}

TEST(MemoryTagsTest, AbsentOrOutOfRangeReads) {
  MemoryTags tags;
  EXPECT_EQ(tags.Item("NOPE"), "");
  tags.Add("A", "1");
  EXPECT_EQ(ErrorNumberOf([&] { tags.Name(0); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { tags.Value(2); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { tags.Add("", "x"); }), kErrInvalidArgument);
}

TEST(MemoryTagsTest, WritesThroughTheHostMarkThePresentationChanged) {
  MemoryPresentation presentation("/decks/a.pptx");
  MemoryTags& tags = presentation.tags();
  tags.Put("SETUP", "not a change");
  EXPECT_TRUE(presentation.Saved());
  tags.Delete("ABSENT");
  EXPECT_TRUE(presentation.Saved()) << "deleting nothing changes nothing";
  tags.Add("A", "1");
  EXPECT_FALSE(presentation.Saved());
  presentation.SetSaved(true);
  tags.Delete("A");
  EXPECT_FALSE(presentation.Saved());
}

}  // namespace
}  // namespace vintrel::host::memory
