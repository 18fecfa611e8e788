#include "document/connection_tags.h"

#include <gtest/gtest.h>

#include "document/tag_schema.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "testing/test_context.h"

namespace vintrel {
namespace {

using host::memory::MemoryPresentation;
using host::memory::MemoryShape;

class ConnectionTagsTest : public ::testing::Test {
 protected:
  testing::TestContext twins_;
  MemoryPresentation presentation_{"/shows/board.pptx"};
};

TEST_F(ConnectionTagsTest, ReadsEveryConnectionTagWithItsNumberAsWritten) {
  presentation_.WithTag("QUENDRA DISPLAYTYPE", "1")
      .WithTag("quendra connection7", "0\tSeven\tseven.txt\tTrue\t")
      .WithTag("QUENDRA CONNECTION02", "1\tBroken\tDSN=x");
  const auto connections = ReadConnectionTags(twins_.ctx, presentation_);
  ASSERT_EQ(connections.size(), 2u);
  EXPECT_EQ(connections[0]->ConnectionTagNumber(), "7");
  EXPECT_EQ(connections[0]->ConnectionDescription(), "Seven");
  EXPECT_EQ(connections[0]->ActivePresentationName(), "/shows/board.pptx");
  // A damaged value keeps what was read, so writing the list back keeps the connection.
  EXPECT_EQ(connections[1]->ConnectionDescription(), "Broken");
  EXPECT_NE(FindConnection(connections, "7"), nullptr);
  EXPECT_EQ(FindConnection(connections, "07"), nullptr);
}

TEST_F(ConnectionTagsTest, WritingUnlinksShapesOfConnectionsThatAreGone) {
  presentation_.WithTag("QUENDRA CONNECTION7", "0\tSeven\tseven.txt\tTrue\t")
      .WithTag("QUENDRA CONNECTION03", "0\tThree\tthree.txt\tFalse\t");
  auto& slide = presentation_.AddSlide();
  MemoryShape& kept = slide.AddTextBox("kept")
                          .WithTag("QUENDRA COLUMN TYPE", "2")
                          .WithTag("QUENDRA COLUMN TAG", "7");
  // "07" is not "7": the numbers are compared as text.
  MemoryShape& padded = slide.AddTextBox("padded")
                            .WithTag("QUENDRA COLUMN TYPE", "2")
                            .WithTag("QUENDRA COLUMN TAG", "07")
                            .WithTag("QUENDRA COLUMN ROW", "0");
  MemoryShape& orphan = slide.AddTextBox("orphan")
                            .WithTag("QUENDRA COLUMN TYPE", "4")
                            .WithTag("QUENDRA COLUMN TAG", "03");
  MemoryShape& clock = slide.AddTextBox("12:00")
                           .WithTag("QUENDRA COLUMN TYPE", "1")
                           .WithTag("QUENDRA COLUMN DATE FORMAT", "Long Time");

  auto connections = ReadConnectionTags(twins_.ctx, presentation_);
  connections.erase(connections.begin() + 1);  // "03"
  WriteConnectionTags(presentation_, connections);

  EXPECT_EQ(presentation_.tags().entries(),
            (std::vector<std::pair<std::string, std::string>>{
                {"QUENDRA VERSION", "1"}, {"QUENDRA CONNECTION7", "0\tSeven\tseven.txt\tTrue\t"}}));
  EXPECT_EQ(kept.tags().entries().size(), 2u);
  EXPECT_EQ(kept.text_range()->Text(), "kept");
  EXPECT_EQ(padded.tags().entries(),
            (std::vector<std::pair<std::string, std::string>>{{"QUENDRA COLUMN ROW", "0"}}));
  EXPECT_EQ(padded.text_range()->Text(), "");
  EXPECT_TRUE(orphan.tags().entries().empty());
  EXPECT_EQ(clock.tags().entries().size(), 2u);
  EXPECT_EQ(clock.text_range()->Text(), "12:00");
}

TEST(DefaultConnectionNameTest, SecondOfAKindIsNumbered) {
  EXPECT_EQ(DefaultConnectionName(connection_type::kDatabase, 0), "New data connection");
  EXPECT_EQ(DefaultConnectionName(connection_type::kDatabase, 1), "New data connection 2");
  EXPECT_EQ(DefaultConnectionName(connection_type::kTextFile, 0), "New text file connection");
  EXPECT_EQ(DefaultConnectionName(connection_type::kExcel, 4), "New Excel connection 5");
}

}  // namespace
}  // namespace vintrel
