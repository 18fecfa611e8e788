// The in-memory slides, shapes, tags and charts: what the suites above rely on — deleted objects
// fail, positions move as the host moves them, changes mark the presentation unsaved, and a
// chart's data sheet takes the clipboard as the host's does.
#include "host/memory/memory_slide.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory/error_number.h"
#include "host/memory/memory_application.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/memory_presentation.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

std::vector<std::string> NamesInZOrder(host::Slide& slide) {
  std::vector<std::string> names;
  for (int i = 1; i <= slide.Shapes().Count(); ++i) names.push_back(slide.Shapes().Item(i).Name());
  return names;
}

class MemorySlideTest : public ::testing::Test {
 protected:
  MemorySlideTest() : slide_(deck_.AddSlide()) {
    for (const char* name : {"A", "B", "C", "D"}) slide_.AddAutoShape(name);
  }

  MemoryPresentation deck_{"/decks/a.pptx"};
  MemorySlide& slide_;
};

TEST_F(MemorySlideTest, DeletedShapeFailsAndLaterShapesMoveDown) {
  host::Shape& b = slide_.Shapes().Item(2);
  host::Shape& d = slide_.Shapes().Item(4);
  b.Delete();
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("A", "C", "D"));
  EXPECT_EQ(d.ZOrderPosition(), 3);
  EXPECT_NE(ErrorNumberOf([&] { b.Name(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { b.Delete(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { b.Tags().Count(); }), 0) << "parts of a deleted shape are gone";
  EXPECT_EQ(ErrorNumberOf([&] { slide_.Shapes().Item(4); }), kErrSubscriptOutOfRange);
}

TEST_F(MemorySlideTest, AddPictureChecksTheFileAndPartsExistOnlyWhereTheHostHasThem) {
  host::Shape& linked = slide_.Shapes().AddPicture("/pics/p.png", true, false, 1, 2);
  EXPECT_EQ(linked.Type(), shape_type::kLinkedPicture);
  EXPECT_EQ(linked.LinkFormat().SourceFullName(), "/pics/p.png");
  EXPECT_EQ(linked.ZOrderPosition(), 5);
  MemoryFileSystem files;
  deck_.host_environment().set_file_system(&files);
  EXPECT_EQ(ErrorNumberOf([&] { slide_.Shapes().AddPicture("/pics/q.png", false, true, 0, 0); }),
            kErrFileNotFound);

  MemoryShape& plain = slide_.AddAutoShape("plain", /*with_text_frame=*/false);
  EXPECT_NE(ErrorNumberOf([&] { plain.TextFrame(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { plain.LinkFormat(); }), 0);
}

TEST(MemorySlidesTest, DeletedSlideFailsWithItsShapesAndLaterSlidesMoveUp) {
  MemoryPresentation deck("/decks/a.pptx");
  deck.AddSlide();
  MemorySlide& second = deck.AddSlide();
  MemorySlide& third = deck.AddSlide();
  MemoryShape& on_second = second.AddTextBox("x");
  second.Delete();
  EXPECT_EQ(third.SlideIndex(), 2);
  EXPECT_EQ(&deck.Slides().Item(2), &third);
  EXPECT_NE(ErrorNumberOf([&] { second.SlideIndex(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { on_second.Name(); }), 0);
  EXPECT_EQ(ErrorNumberOf([&] { deck.Slides().Item(3); }), kErrSubscriptOutOfRange);
}

TEST(MemoryTagsTest, NamesUpperCaseAddReplacesInPlaceDeleteMovesDown) {
  MemoryTags tags;
  tags.Add("A", "1");
  tags.Add("Quendra Version", "2.0 mixed Case\tTab");
  tags.Add("C", "3");
  tags.Add("quendra VERSION", "two");
  EXPECT_THAT(tags.entries(),
              ElementsAre(Pair("A", "1"), Pair("QUENDRA VERSION", "two"), Pair("C", "3")));
  EXPECT_EQ(tags.Item("quendra version"), "two");
  tags.Delete("a");
  tags.Delete("absent");
  EXPECT_THAT(tags.entries(), ElementsAre(Pair("QUENDRA VERSION", "two"), Pair("C", "3")));
  EXPECT_EQ(tags.Item("NOPE"), "");
  EXPECT_EQ(ErrorNumberOf([&] { tags.Name(3); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(ErrorNumberOf([&] { tags.Add("", "x"); }), kErrInvalidArgument);
}

TEST(MemoryPresentationTest, ChangesThroughTheHostMarkThePresentationUnsaved) {
  MemoryPresentation presentation("/decks/a.pptx");
  MemoryShape& shape = presentation.AddSlide().AddTextBox("x");
  MemoryTags& tags = presentation.tags();
  tags.Put("SETUP", "not a change");
  tags.Delete("ABSENT");
  EXPECT_TRUE(presentation.Saved()) << "set-up and deleting nothing change nothing";
  const std::function<void()> changes[] = {
      [&] { tags.Add("A", "1"); },
      [&] { tags.Delete("A"); },
      [&] { shape.SetVisible(false); },
      [&] { shape.TextFrame().TextRange().SetText("y"); },
  };
  for (const auto& change : changes) {
    presentation.SetSaved(true);
    change();
    EXPECT_FALSE(presentation.Saved());
  }
  presentation.Save();
  EXPECT_TRUE(presentation.Saved());
}

TEST(MemoryGraphChartTest, PasteWritesTheClipboardBlockFromTheCell) {
  MemoryApplication app;
  MemoryShape& shape = app.AddPresentation("/decks/a.pptx").AddSlide().AddChart("Chart");
  EXPECT_EQ(shape.Type(), shape_type::kEmbeddedOleObject);
  host::DataSheet& sheet = shape.OLEFormat().Object().Application().DataSheet();
  MemoryDataSheet& memory = shape.chart()->sheet();
  app.clipboard().Clear();
  EXPECT_NE(ErrorNumberOf([&] { sheet.Cells(1, 1).Paste(); }), 0) << "empty clipboard";

  memory.SetValue(4, 1, "stale");
  app.clipboard().SetText("\tSales\tCost\r\nJan\t1\t2\r\nFeb\t3\t\r\n");
  sheet.Cells(2, 2).Paste();
  EXPECT_EQ(memory.Value(2, 3), "Sales");
  EXPECT_EQ(memory.Value(3, 4), "2");
  EXPECT_EQ(memory.Value(4, 4), "");
  EXPECT_EQ(memory.Value(4, 1), "stale") << "cells outside the block stay";
  sheet.ClearContents();
  app.clipboard().SetText("a\tb\nc\td");
  sheet.Cells(1, 1).Paste();
  EXPECT_EQ(sheet.RowCount(), 2);
  EXPECT_EQ(sheet.ColumnCount(), 2);
  EXPECT_EQ(memory.Value(2, 2), "d");
  EXPECT_EQ(ErrorNumberOf([&] { sheet.Columns(0); }), kErrInvalidArgument);
}

}  // namespace
}  // namespace vintrel::host::memory
