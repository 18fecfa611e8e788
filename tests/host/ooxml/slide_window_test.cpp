// A big deck keeps only its latest slides parsed. Whatever is done to a deck must come out the
// same when every slide but one is dropped and parsed again between steps: the same texts and
// tags read back, the same files saved, byte for byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decks/deck_builder.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "testing/temp_dir.h"

namespace vintrel::ooxml {
namespace {

using vintrel::testing::FixturePath;
using vintrel::testing::TempDir;

// Every slide's shapes and tags are changed in one sweep and read back in another, so with one
// slide kept each read finds its slide parsed again from what the sweep wrote. Slides are
// duplicated, deleted and reordered between copies and the final save.
std::vector<std::string> Edit(PackagePresentation& deck, const std::string& copy) {
  std::vector<std::string> seen;
  host::Slides& slides = deck.Slides();
  auto sweep_write = [&](const std::string& round) {
    for (int s = 1; s <= slides.Count(); ++s) {
      host::Slide& slide = slides.Item(s);
      slide.Tags().Add("QUENDRA ROUND", round);
      slide.SlideShowTransition().SetAdvanceOnTime(true);
      slide.SlideShowTransition().SetAdvanceTime(s);
      host::Shapes& shapes = slide.Shapes();
      for (int i = 1; i <= shapes.Count(); ++i) {
        host::Shape& shape = shapes.Item(i);
        const std::string mark = round + " " + std::to_string(s) + "." + std::to_string(i);
        if (shape.HasTextFrame()) shape.TextFrame().TextRange().SetText(mark);
        try {
          shape.Tags().Add("QUENDRA MARK", mark);
        } catch (const Error&) {
          seen.push_back("no tags " + std::to_string(s) + "." + std::to_string(i));
        }
      }
    }
  };
  auto sweep_read = [&] {
    for (int s = 1; s <= slides.Count(); ++s) {
      host::Slide& slide = slides.Item(s);
      seen.push_back(slide.Tags().Item("QUENDRA ROUND") + " " +
                     std::to_string(slide.SlideShowTransition().AdvanceTime()));
      host::Shapes& shapes = slide.Shapes();
      for (int i = 1; i <= shapes.Count(); ++i) {
        host::Shape& shape = shapes.Item(i);
        seen.push_back(shape.Name() + " " + std::to_string(shape.Left()) + " " +
                       shape.Tags().Item("QUENDRA MARK") + " " +
                       (shape.HasTextFrame() ? shape.TextFrame().TextRange().Text() : "-"));
      }
    }
  };
  sweep_write("one");
  sweep_read();
  host::Slide& first = slides.Item(1);
  host::Slide& page = first.Duplicate();
  if (slides.Count() > 3) slides.Item(3).Delete();
  host::Shapes& shapes = first.Shapes();
  if (shapes.Count() >= 2) shapes.Item(1).ZOrder(host::z_order::kBringToFront);
  deck.SaveCopyAs(copy);
  sweep_write("two");
  // The first slide's shapes were bound before every other slide went through the window.
  if (shapes.Count() >= 2) shapes.Item(shapes.Count()).Delete();
  page.SlideShowTransition().SetHidden(true);
  sweep_read();
  deck.Save();
  return seen;
}

// A duplicated slide gets fresh random creation ids.
std::string WithoutCreationIds(std::string xml) {
  for (size_t at = xml.find("creationId"); at != std::string::npos;
       at = xml.find("creationId", at + 1)) {
    const size_t value = xml.find("val=\"", at);
    const size_t end = value == std::string::npos ? value : xml.find('"', value + 5);
    if (end != std::string::npos) xml.erase(value + 5, end - value - 5);
  }
  return xml;
}

class SlideWindow : public ::testing::TestWithParam<const char*> {};

TEST_P(SlideWindow, DroppingParsedSlidesChangesNothing) {
  TempDir dir;
  const std::string source =
      vintrel::testing::ReadFile(FixturePath(std::string("pptx/") + GetParam()));
  // What a deck edited with `kept` slides parsed read, saved as NAME.pptx and NAME-copy.pptx.
  auto edited = [&](size_t kept, const std::string& name) {
    auto deck = PackagePresentation::Open(dir.Write(name + ".pptx", source));
    deck->package().set_parsed_slides_kept(kept);
    return Edit(*deck, dir.File(name + "-copy.pptx"));
  };
  EXPECT_EQ(edited(1, "one"), edited(100000, "all"));
  for (const auto& [mine, theirs] : {std::pair{dir.File("one.pptx"), dir.File("all.pptx")},
                                     {dir.File("one-copy.pptx"), dir.File("all-copy.pptx")}}) {
    auto mine_zip = ZipArchive::Open(mine);
    auto theirs_zip = ZipArchive::Open(theirs);
    const std::vector<std::string> names = theirs_zip->Names();
    ASSERT_EQ(mine_zip->Names(), names) << mine;
    for (const std::string& entry : names) {
      EXPECT_TRUE(WithoutCreationIds(mine_zip->Read(entry)) ==
                  WithoutCreationIds(theirs_zip->Read(entry)))
          << mine << ": " << entry;
    }
    EXPECT_EQ(testing::PackageProblems(mine), std::vector<std::string>{}) << mine;
  }
}

// Placeholders, groups, pictures, charts and OLE objects, and shapes in mc:AlternateContent.
INSTANTIATE_TEST_SUITE_P(Fixtures, SlideWindow,
                         ::testing::Values("poi-stress022-kiosk-loop-timings.pptx",
                                           "poi-aascu-5864-slide-tags-charts-ole.pptx",
                                           "poi-missing-blip-fill-mc-transition.pptx",
                                           "libreoffice-7.4-export-chart-table-hidden-slide.pptx"));

TEST(SlideWindowShapes, ShapesOfADeletedSlideFailInsteadOfReachingItsParts) {
  TempDir dir;
  testing::DeckLayout layout;
  testing::SlideLayout slide;
  slide.shapes = testing::TextBox(2, "Box", "x");
  layout.slides.assign(3, slide);
  auto deck = PackagePresentation::Open(dir.Write("deck.pptx", testing::BuildDeck(layout)));
  deck->package().set_parsed_slides_kept(1);
  host::Shape& box = deck->Slides().Item(2).Shapes().Item(1);
  deck->Slides().Item(2).Delete();
  deck->Slides().Item(1).Shapes().Item(1).TextFrame().TextRange().SetText("other");
  EXPECT_THROW(box.TextFrame().TextRange().SetText("gone"), Error);
  EXPECT_EQ(deck->Slides().Item(2).Shapes().Item(1).TextFrame().TextRange().Text(), "x");
}

}  // namespace
}  // namespace vintrel::ooxml
