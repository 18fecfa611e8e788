#include "host/memory/memory_slide.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/memory/error_number.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/memory_presentation.h"

namespace vintrel::host::memory {
namespace {

using ::testing::ElementsAre;

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

TEST_F(MemorySlideTest, DeleteMovesLaterShapesDownOnePosition) {
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

TEST_F(MemorySlideTest, ZOrderCommandsMoveOneShape) {
  host::Shape& c = slide_.Shapes().Item(3);
  c.ZOrder(z_order::kSendBackward);
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("A", "C", "B", "D"));
  c.ZOrder(z_order::kSendBackward);
  c.ZOrder(z_order::kSendBackward);  // already at the back: stays
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("C", "A", "B", "D"));
  c.ZOrder(z_order::kBringToFront);
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("A", "B", "D", "C"));
  EXPECT_EQ(c.ZOrderPosition(), 4);
  slide_.shape(2).ZOrder(z_order::kBringForward);
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("A", "D", "B", "C"));
  slide_.shape(4).ZOrder(z_order::kSendToBack);
  EXPECT_THAT(NamesInZOrder(slide_), ElementsAre("C", "A", "D", "B"));
  EXPECT_EQ(ErrorNumberOf([&] { c.ZOrder(7); }), kErrInvalidArgument);
}

TEST_F(MemorySlideTest, ReplacingAPictureAndSendingItBackToItsPlace) {
  // What embedding a linked picture does: delete it, add a picture on top, send it back.
  MemoryShape& linked = slide_.AddLinkedPicture("/pics/p.png", "P");
  linked.ZOrder(z_order::kSendToBack);
  linked.ZOrder(z_order::kBringForward);  // now at position 2
  const int position = linked.ZOrderPosition();
  linked.Delete();
  host::Shape& picture = slide_.Shapes().AddPicture("/pics/p.png", false, true, 10, 20, 30, 40);
  EXPECT_EQ(picture.Type(), shape_type::kPicture);
  EXPECT_EQ(picture.ZOrderPosition(), 5);
  while (picture.ZOrderPosition() > position) picture.ZOrder(z_order::kSendBackward);
  EXPECT_EQ(NamesInZOrder(slide_)[1], picture.Name());
  EXPECT_DOUBLE_EQ(picture.Top(), 20);
}

TEST_F(MemorySlideTest, AddPictureTakesItsOwnSizeAndChecksTheFile) {
  host::Shape& linked = slide_.Shapes().AddPicture("/pics/p.png", true, false, 1, 2);
  EXPECT_EQ(linked.Type(), shape_type::kLinkedPicture);
  EXPECT_EQ(linked.LinkFormat().SourceFullName(), "/pics/p.png");
  EXPECT_GT(linked.Width(), 0);

  MemoryFileSystem files;
  deck_.host_environment().set_file_system(&files);
  EXPECT_EQ(ErrorNumberOf([&] { slide_.Shapes().AddPicture("/pics/q.png", false, true, 0, 0); }),
            kErrFileNotFound);
  files.WriteFile("/pics/q.png", "png");
  EXPECT_EQ(slide_.Shapes().AddPicture("/pics/q.png", false, true, 0, 0).Type(),
            shape_type::kPicture);
}

TEST_F(MemorySlideTest, TextIsKeptExactlyAndWritesAreCounted) {
  MemoryShape& box = slide_.AddTextBox("a\rb\vc");
  host::TextRange& range = box.TextFrame().TextRange();
  EXPECT_EQ(range.Text(), "a\rb\vc");
  EXPECT_EQ(box.text_write_count(), 0) << "set-up is not a write";
  range.SetText("a\rb\vc");
  range.SetText("  ");
  EXPECT_EQ(box.text(), "  ");
  EXPECT_EQ(box.text_write_count(), 2);
}

TEST_F(MemorySlideTest, PartsExistOnlyForTheShapeTypesThatHaveThem) {
  MemoryShape& plain = slide_.AddAutoShape("plain", /*with_text_frame=*/false);
  MemoryShape& media = slide_.AddMedia();
  MemoryShape& linked_media = slide_.AddMedia("/clips/a.wav");
  MemoryShape& ole = slide_.AddLinkedObject("/data/a.xls");
  MemoryShape& group = slide_.AddGroup();

  EXPECT_FALSE(plain.HasTextFrame());
  EXPECT_NE(ErrorNumberOf([&] { plain.TextFrame(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { plain.LinkFormat(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { media.LinkFormat(); }), 0);
  EXPECT_EQ(linked_media.LinkFormat().SourceFullName(), "/clips/a.wav");
  EXPECT_EQ(ole.Type(), shape_type::kLinkedOleObject);
  EXPECT_EQ(ole.OLEFormat().ProgID(), "Excel.Sheet.8");
  EXPECT_NE(ErrorNumberOf([&] { ole.OLEFormat().Object(); }), 0) << "only charts are driven";
  EXPECT_EQ(group.Type(), shape_type::kGroup);
  EXPECT_FALSE(group.HasTextFrame());
  EXPECT_TRUE(slide_.AddPlaceholder("Title").HasTextFrame());
  EXPECT_EQ(ErrorNumberOf([&] { plain.WithLink("/x"); }), kErrInvalidArgument);
}

TEST_F(MemorySlideTest, LinkFormatCountsUpdatesAndRecordsSources) {
  MemoryShape& picture = slide_.AddLinkedPicture("/pics/old.png");
  host::LinkFormat& link = picture.LinkFormat();
  EXPECT_EQ(link.AutoUpdate(), link_update::kManual);
  link.SetSourceFullName("/pics/new.png");
  link.SetAutoUpdate(link_update::kAutomatic);
  link.Update();
  link.Update();
  EXPECT_EQ(link.SourceFullName(), "/pics/new.png");
  EXPECT_EQ(picture.link()->update_count(), 2);
  EXPECT_THAT(picture.link()->source_writes(), ElementsAre("/pics/new.png"));
  EXPECT_EQ(ErrorNumberOf([&] { link.SetAutoUpdate(3); }), kErrInvalidArgument);
}

TEST(MemorySlidesTest, DuplicateInsertsACopyRightAfterTheOriginal) {
  MemoryPresentation deck("/decks/a.pptx");
  MemorySlide& first = deck.AddSlide();
  MemorySlide& second = deck.AddSlide();
  first.tags().Put("QUENDRA SLIDE", "1");
  first.transition().set_hidden(true);
  first.AddTextBox("hello").WithTag("QUENDRA COLUMN", "x");

  host::Slide& copy = first.Duplicate();
  EXPECT_EQ(copy.SlideIndex(), 2);
  EXPECT_EQ(second.SlideIndex(), 3);
  EXPECT_EQ(copy.Tags().Item("QUENDRA SLIDE"), "1");
  EXPECT_TRUE(copy.SlideShowTransition().Hidden());
  ASSERT_EQ(copy.Shapes().Count(), 1);
  host::Shape& copied_shape = copy.Shapes().Item(1);
  EXPECT_EQ(copied_shape.TextFrame().TextRange().Text(), "hello");
  EXPECT_EQ(copied_shape.Tags().Item("QUENDRA COLUMN"), "x");

  // Independent of the original.
  copied_shape.TextFrame().TextRange().SetText("changed");
  EXPECT_EQ(first.shape(1).text(), "hello");
  EXPECT_FALSE(deck.Saved());
}

TEST(MemorySlidesTest, DeleteMovesLaterSlidesUp) {
  MemoryPresentation deck("/decks/a.pptx");
  MemorySlide& one = deck.AddSlide();
  MemorySlide& two = deck.AddSlide();
  MemorySlide& three = deck.AddSlide();
  MemoryShape& on_two = two.AddTextBox("x");
  two.Delete();
  EXPECT_EQ(deck.Slides().Count(), 2);
  EXPECT_EQ(three.SlideIndex(), 2);
  EXPECT_EQ(&deck.Slides().Item(2), &three);
  EXPECT_NE(ErrorNumberOf([&] { two.SlideIndex(); }), 0);
  EXPECT_NE(ErrorNumberOf([&] { on_two.Name(); }), 0) << "shapes of a deleted slide are gone";
  EXPECT_EQ(ErrorNumberOf([&] { deck.Slides().Item(3); }), kErrSubscriptOutOfRange);
  EXPECT_EQ(one.SlideIndex(), 1);
}

TEST(MemorySlidesTest, TransitionSettingsRoundTrip) {
  MemoryPresentation deck("/decks/a.pptx");
  host::SlideShowTransition& transition = deck.AddSlide().SlideShowTransition();
  EXPECT_TRUE(transition.AdvanceOnClick());
  EXPECT_FALSE(transition.AdvanceOnTime());
  transition.SetAdvanceOnClick(false);
  transition.SetAdvanceOnTime(true);
  transition.SetAdvanceTime(2.5);
  EXPECT_FALSE(transition.AdvanceOnClick());
  EXPECT_TRUE(transition.AdvanceOnTime());
  EXPECT_DOUBLE_EQ(transition.AdvanceTime(), 2.5);
  EXPECT_EQ(ErrorNumberOf([&] { transition.SetAdvanceTime(-1); }), kErrInvalidArgument);
}

TEST(MemoryPresentationTest, SaveStateFollowsChangesSavesAndCopies) {
  MemoryPresentation deck("C:\\shows\\Board.pptx");
  EXPECT_EQ(deck.Name(), "Board.pptx");
  MemoryShape& shape = deck.AddSlide().AddTextBox("x");
  EXPECT_TRUE(deck.Saved()) << "set-up does not count as a change";
  shape.SetVisible(false);
  EXPECT_FALSE(deck.Saved());
  deck.SaveCopyAs("/tmp/copy.pptx");
  EXPECT_FALSE(deck.Saved()) << "a copy leaves the presentation unsaved";
  deck.Save();
  EXPECT_TRUE(deck.Saved());
  EXPECT_EQ(deck.save_count(), 1);
  deck.UpdateLinks();
  EXPECT_EQ(deck.update_links_count(), 1);
  EXPECT_EQ(deck.SlideShowSettings().ShowType(), show_type::kSpeaker);
  deck.settings().set_advance_mode(advance_mode::kManual);
  EXPECT_EQ(deck.SlideShowSettings().AdvanceMode(), advance_mode::kManual);
  ASSERT_NE(deck.host_environment().FindFile("/tmp/copy.pptx"), nullptr);
  EXPECT_FALSE(deck.host_environment().FindFile("/tmp/copy.pptx")->slide(1).shape(1).visible());
}

}  // namespace
}  // namespace vintrel::host::memory
