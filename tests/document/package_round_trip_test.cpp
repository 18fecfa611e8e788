// The document layer on a real presentation package: what the writers put into the tags must be
// what a later load of the saved file reads back.
#include <gtest/gtest.h>

#include "document/connection_tags.h"
#include "document/shape.h"
#include "document/slide.h"
#include "document/tag_schema.h"
#include "host/ooxml/package_presentation.h"
#include "support/module_state.h"
#include "testing/temp_dir.h"

namespace vintrel {
namespace {

using ooxml::PackagePresentation;

host::Shape& ShapeNamed(host::Slide& slide, const std::string& name) {
  for (int index = 1; index <= slide.Shapes().Count(); ++index) {
    if (slide.Shapes().Item(index).Name() == name) return slide.Shapes().Item(index);
  }
  throw std::runtime_error("no shape " + name);
}

class PackageRoundTripTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetModuleState();
    path_ =
        dir_.Write("board.pptx",
                   testing::ReadFile(testing::FixturePath("pptx/poi-56812-linked-pictures.pptx")));
  }
  std::unique_ptr<PackagePresentation> Open() { return PackagePresentation::Open(path_); }

  testing::TempDir dir_;
  std::string path_;
};

TEST_F(PackageRoundTripTest, ConnectionsLinksAndSlideSettingsReadBackAfterSave) {
  {
    auto presentation = Open();
    std::vector<std::unique_ptr<clsConnection>> connections;
    connections.push_back(std::make_unique<clsConnection>());
    connections.back()->SetConnectionTagNumber(NextConnectionTagNumber({}));
    connections.back()->SetTagString("0\tSales\t..\\data\\sales.txt\tTrue\t");
    WriteConnectionTags(*presentation, connections);

    host::Slide& slide = presentation->Slides().Item(1);
    host::Shape& box = ShapeNamed(slide, "TextBox 7");
    box.Tags().Add("OTHER TOOL", "kept");
    clsshape shape;
    shape.SetShapeItem(box);
    shape.SetSourceType(source_type::kTextField);
    shape.SetNewConnectionTagNumber("01");
    shape.SetNewColumnName("Total");
    shape.SetNewRow(2);
    shape.SetShapeTags();

    clsSlide settings;
    settings.SetHideWhenNoData(1);
    settings.SetScrollEnabled("01", true);
    settings.SetScrollStep("01", 1);
    settings.SetScrollTime("01", 2500);
    WriteSlideTags(slide.Tags(), settings);
    presentation->Save();
  }

  auto presentation = Open();
  EXPECT_TRUE(HasVersionTag(presentation->Tags()));
  const auto connections = ReadConnectionTags(*presentation);
  ASSERT_EQ(connections.size(), 1u);
  EXPECT_EQ(connections[0]->ConnectionTagNumber(), "01");
  EXPECT_EQ(connections[0]->TagString(), "0\tSales\t..\\data\\sales.txt\tTrue\t");

  host::Slide& slide = presentation->Slides().Item(1);
  host::Shape& box = ShapeNamed(slide, "TextBox 7");
  clsshape shape;
  shape.SetShapeItem(box);
  EXPECT_EQ(shape.SourceType(), source_type::kTextField);
  EXPECT_EQ(shape.ConnectionTagNumber(), "01");
  EXPECT_EQ(shape.ColumnName(), "Total");
  EXPECT_EQ(shape.Row(), 2);
  EXPECT_EQ(box.Tags().Item("OTHER TOOL"), "kept");
  EXPECT_EQ(slide.Tags().Item("QUENDRA SLIDE PROPERTIES"), "1\t0\t");
  EXPECT_TRUE(SlideScrollEnabled(slide, "1"));
}

TEST_F(PackageRoundTripTest, DeletedConnectionLeavesNoLinkInTheSavedFile) {
  {
    auto presentation = Open();
    presentation->Tags().Add("QUENDRA CONNECTION01", "0\tSales\tsales.txt\tTrue\t");
    host::Shape& box = ShapeNamed(presentation->Slides().Item(1), "TextBox 7");
    box.Tags().Add("QUENDRA COLUMN TYPE", "2");
    box.Tags().Add("QUENDRA COLUMN TAG", "01");
    box.Tags().Add("QUENDRA COLUMN COLUMNNAME", "Total");
    WriteConnectionTags(*presentation, {});
    presentation->Save();
  }
  auto presentation = Open();
  EXPECT_TRUE(ReadConnectionTags(*presentation).empty());
  host::Shape& box = ShapeNamed(presentation->Slides().Item(1), "TextBox 7");
  EXPECT_FALSE(IsLinkedShape(box.Tags()));
  EXPECT_EQ(box.TextFrame().TextRange().Text(), "");
}

}  // namespace
}  // namespace vintrel
