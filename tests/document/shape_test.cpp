#include "document/shape.h"

#include <gtest/gtest.h>

#include "document/tag_schema.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "support/error_codes.h"
#include "testing/error_of.h"

namespace vintrel {
namespace {

using host::memory::MemoryPresentation;
using host::memory::MemoryShape;
using Tags = std::vector<std::pair<std::string, std::string>>;

class ShapeTest : public ::testing::Test {
 protected:
  ShapeTest()
      : presentation_("/shows/board.pptx"), shape_(presentation_.AddSlide().AddTextBox("old")) {}

  const Tags& tags() { return shape_.tags().entries(); }
  // Puts the link tags, each named without its "QUENDRA COLUMN " prefix.
  void Link(const Tags& tags) {
    for (const auto& [name, value] : tags) shape_.WithTag("QUENDRA COLUMN " + name, value);
  }
  clsshape Read() {
    clsshape shape;
    shape.SetShapeItem(shape_);
    return shape;
  }

  MemoryPresentation presentation_;
  MemoryShape& shape_;
};

TEST_F(ShapeTest, ReadsLowerCaseNamesAndTheLastMatchWins) {
  shape_.WithTag("quendra column type", "2")
      .WithTag("Quendra Column Tag", "07")
      .WithTag("QUENDRA COLUMN COLUMNNAME", "Sales")
      .WithTag("QUENDRA COLUMN ROW", "3")
      .WithTag("QUENDRA COLUMN TAGX", "09")
      .WithTag("OTHER", "x");
  const clsshape shape = Read();
  EXPECT_TRUE(shape.VintrelEnabled());
  EXPECT_EQ(shape.SourceType(), source_type::kTextField);
  EXPECT_EQ(shape.ConnectionTagNumber(), "09");
  EXPECT_EQ(shape.ColumnName(), "Sales");
  EXPECT_EQ(shape.Row(), 3);
}

TEST_F(ShapeTest, ShapeWithoutLinkTagsIsNotEnabledAndGivenValuesEnableIt) {
  clsshape shape = Read();
  EXPECT_FALSE(shape.VintrelEnabled());
  shape.SetNewColumnName(kNotGiven);
  shape.SetNewRow(0);
  shape.SetNewObjectFolder("");
  EXPECT_FALSE(shape.VintrelEnabled());
  shape.SetNewRow(2);
  EXPECT_TRUE(shape.VintrelEnabled());
}

TEST_F(ShapeTest, UnreadableTypeRaisesError9) {
  Link({{"TYPE", "clock"}});
  clsshape shape;
  const Error failure = testing::ErrorOf([&] { shape.SetShapeItem(shape_); });
  EXPECT_EQ(failure.number(), ErrorNumber(ErrorCode::kSettingShapeInformation));
  EXPECT_EQ(failure.description(), "Error setting shape information.");
}

TEST_F(ShapeTest, FullLinkIsWrittenInItsOrder) {
  clsshape shape = Read();
  shape.SetSourceType(source_type::kLinkedObject);
  shape.SetNewConnectionTagNumber("01");
  shape.SetNewColumnName("Logo");
  shape.SetNewRow(2);
  shape.SetNewObjectFolder("");  // a folder option without folder still writes its tag
  shape.SetNewObjectExtension(".png");
  shape.SetShapeTags();
  EXPECT_EQ(tags(), (Tags{{"QUENDRA COLUMN TYPE", "3"},
                          {"QUENDRA COLUMN TAG", "01"},
                          {"QUENDRA COLUMN COLUMNNAME", "Logo"},
                          {"QUENDRA COLUMN ROW", "2"},
                          {"QUENDRA COLUMN OBJECT FOLDER", ""},
                          {"QUENDRA COLUMN OBJECT EXTESION", ".png"}}));
  // New values are consumed: a second write rewrites only the type, with 0.
  shape.SetShapeTags();
  EXPECT_EQ(tags().back(), (std::pair<std::string, std::string>{"QUENDRA COLUMN TYPE", "0"}));
  EXPECT_EQ(tags().size(), 6u);
}

TEST_F(ShapeTest, PartialWriteLeavesTagsThatWereNotGiven) {
  Link({{"TYPE", "2"}, {"TAG", "03"}, {"COLUMNNAME", "Old"}, {"ROW", "4"}});
  clsshape shape = Read();
  shape.SetSourceType(source_type::kTextField);
  shape.SetNewColumnName("New");
  shape.SetShapeTags();
  EXPECT_EQ(tags(), (Tags{{"QUENDRA COLUMN TAG", "03"},
                          {"QUENDRA COLUMN ROW", "4"},
                          {"QUENDRA COLUMN TYPE", "2"},
                          {"QUENDRA COLUMN COLUMNNAME", "New"}}));
}

TEST_F(ShapeTest, RemoveKeepsRowZeroEmptyValuesAndForeignTags) {
  Link({{"TYPE", "2"}, {"TAG", ""}, {"COLUMNNAME", "Sales"}, {"ROW", "0"}});
  shape_.WithTag("OTHER", "x");
  clsshape shape = Read();
  EXPECT_EQ(shape.Row(), 0);
  shape.SetNewConnectionTagNumber("05");  // new values do not widen a removal
  shape.RemoveVintrel();
  EXPECT_EQ(tags(),
            (Tags{{"QUENDRA COLUMN TAG", ""}, {"QUENDRA COLUMN ROW", "0"}, {"OTHER", "x"}}));
}

TEST_F(ShapeTest, FailingWriteRaisesError10AfterTheDeletes) {
  Link({{"TYPE", "2"}, {"TAG", "01"}, {"COLUMNNAME", "Sales"}});
  clsshape shape = Read();
  shape.SetSourceType(source_type::kTextField);
  shape.SetNewColumnName("Other");
  presentation_.host_environment().faults().Fail("Tags.Add",
                                                 Error(kErrUnspecified, "host", "disk full"));
  const Error failure = testing::ErrorOf([&] { shape.SetShapeTags(); });
  EXPECT_EQ(failure.number(), ErrorNumber(ErrorCode::kSavingShapeTags));
  EXPECT_EQ(failure.description(), "Error saving shape tags. \r\ndisk full");
  // The type and the given column were deleted before the failing add; the connection stays.
  EXPECT_EQ(tags(), (Tags{{"QUENDRA COLUMN TAG", "01"}}));
}

}  // namespace
}  // namespace vintrel
