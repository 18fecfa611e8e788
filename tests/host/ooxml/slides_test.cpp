// Slides: timings, show settings, duplicating and deleting, the package sound after each.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using namespace testing;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// Show type and advance from the presentation properties, timings from the slides.
TEST(SlideShowSettings, ReadAsPowerPointWroteThem) {
  auto settings = [](host::Presentation& deck) {
    return std::pair(deck.SlideShowSettings().ShowType(), deck.SlideShowSettings().AdvanceMode());
  };
  auto kiosk = PackagePresentation::Open(FixturePath("pptx/poi-stress022-kiosk-loop-timings.pptx"));
  EXPECT_EQ(settings(*kiosk),
            std::pair(host::show_type::kKiosk, host::advance_mode::kUseSlideTimings));
  auto timing = [&](int slide) {
    host::SlideShowTransition& t = kiosk->Slides().Item(slide).SlideShowTransition();
    return std::tuple(t.AdvanceOnClick(), t.AdvanceOnTime(), t.AdvanceTime());
  };
  EXPECT_EQ(timing(20), std::tuple(false, true, 7.0));
  EXPECT_EQ(std::pair(std::get<0>(timing(1)), std::get<1>(timing(1))), std::pair(true, false));
  auto manual = PackagePresentation::Open(FixturePath("pptx/shapecrawler-018-tags-chart-ole.pptx"));
  EXPECT_EQ(settings(*manual), std::pair(host::show_type::kSpeaker, host::advance_mode::kManual));
  testing::DeckLayout layout = testing::OneSlide("");
  layout.show_properties = "<p:showPr><p:browse/><p:sldAll/></p:showPr>";
  TempDir dir;
  auto window = PackagePresentation::Open(dir.Write("w.pptx", testing::BuildDeck(layout)));
  EXPECT_EQ(window->SlideShowSettings().ShowType(), host::show_type::kWindow);
}

// A transition is changed in every copy inside mc:AlternateContent, or created in schema order
// where there is none, remembering its time while automatic advance is off.
TEST(SlideTransition, ChangesEveryCopyOrCreatesOneAndRemembersTheTime) {
  TempDir dir;
  std::string path = CopyFixture(dir, "poi-missing-blip-fill-mc-transition.pptx");
  {
    auto deck = PackagePresentation::Open(path);
    host::SlideShowTransition& t = deck->Slides().Item(1).SlideShowTransition();
    EXPECT_FALSE(t.AdvanceOnClick());
    t.SetAdvanceOnClick(true);
    t.SetAdvanceOnTime(true);
    t.SetAdvanceTime(5);
    deck->Save();
  }
  std::string xml = ReadEntry(path, "ppt/slides/slide1.xml");
  EXPECT_EQ(Count(xml, "<p:transition"), 2u);
  EXPECT_EQ(Count(xml, "advTm=\"5000\""), 2u) << xml;
  EXPECT_EQ(Count(xml, "advClick"), 0u);
  ExpectParts(xml, {"p14:dur=\"2000\""});  // the effect duration is kept
  EXPECT_TRUE(PackageProblems(path).empty());

  testing::DeckLayout layout = testing::OneSlide("");
  layout.slides[0].tail = "<p:timing/>";
  path = dir.Write("t.pptx", testing::BuildDeck(layout));
  auto deck = PackagePresentation::Open(path);
  host::SlideShowTransition& t = deck->Slides().Item(1).SlideShowTransition();
  t.SetAdvanceTime(2.5);  // kept while automatic advance is off
  EXPECT_FALSE(t.AdvanceOnTime());
  t.SetAdvanceOnTime(true);
  EXPECT_DOUBLE_EQ(t.AdvanceTime(), 2.5);
  t.SetAdvanceOnClick(false);
  t.SetHidden(true);
  EXPECT_THROW(t.SetAdvanceTime(-1), Error);
  deck->Save();
  xml = ReadEntry(path, "ppt/slides/slide1.xml");
  ExpectParts(xml, {"</p:clrMapOvr><p:transition advTm=\"2500\" advClick=\"0\"/><p:timing/>",
                    " show=\"0\">"});
  auto reopened = PackagePresentation::Open(path);
  host::SlideShowTransition& again = reopened->Slides().Item(1).SlideShowTransition();
  again.SetAdvanceOnTime(false);
  EXPECT_DOUBLE_EQ(again.AdvanceTime(), 2.5);
}

// A slide is duplicated and then, in a later session, the original is deleted: the copy has its
// own parts, which stay when the original's go.
TEST(SlideDuplicateAndDelete, CopyComesRightAfterWithItsOwnPartsThatOutliveTheOriginal) {
  TempDir dir;
  std::string path = CopyFixture(dir, "shapecrawler-018-tags-chart-ole.pptx");
  const std::vector<std::string> before = EntryNames(path);
  {
    auto deck = PackagePresentation::Open(path);
    host::Slide& original = deck->Slides().Item(1);
    int shapes = original.Shapes().Count();
    host::Slide& copy = original.Duplicate();
    EXPECT_EQ((std::vector<int>{deck->Slides().Count(), copy.SlideIndex(), original.SlideIndex(),
                                copy.Shapes().Count(), copy.Tags().Count()}),
              (std::vector<int>{2, 2, 1, shapes, 8}));
    copy.Tags().Add("ONLY ON THE COPY", "1");
    EXPECT_EQ(original.Tags().Item("ONLY ON THE COPY"), "");
    deck->Save();
  }
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  // Slide, its rels, notes, tags, chart with rels, workbook, style and colour parts.
  std::map<std::string, std::string> added;  // the first new part under each folder
  for (const std::string& name : EntryNames(path)) {
    if (CountOf(before, name) == 0) added.emplace(name.substr(0, name.rfind('/') + 1), name);
  }
  for (const char* folder : {"ppt/slides/", "ppt/notesSlides/", "ppt/tags/", "ppt/charts/",
                             "ppt/embeddings/", "ppt/notesSlides/_rels/"}) {
    EXPECT_EQ(added.count(folder), 1u) << folder;
  }
  ExpectParts(added["ppt/slides/"], {"ppt/slides/slide2.xml"});
  const std::string notes_rels = ReadEntry(path, added["ppt/notesSlides/_rels/"]);
  // The copied notes belong to the copy; the layout is shared, tag parts are not.
  ExpectParts(notes_rels, {"../slides/slide2.xml"});
  ExpectParts(ReadEntry(path, "ppt/slides/_rels/slide2.xml.rels"),
              {"../slideLayouts/slideLayout1.xml", "!../tags/tag4.xml"});
  auto reopened = PackagePresentation::Open(path);
  EXPECT_EQ(reopened->Slides().Item(2).Tags().Item("only on the copy"), "1");
  std::string one = ReadEntry(path, "ppt/slides/slide1.xml");
  std::string two = ReadEntry(path, "ppt/slides/slide2.xml");
  // Each slide has its own creation id, and so has each copied shape.
  for (const auto& [element, attribute] :
       {std::pair{"<p14:creationId", "val=\""}, {"<a16:creationId", " id=\"{"}}) {
    auto id = [&](const std::string& xml) {
      size_t at = xml.find(attribute, xml.find(element));
      return at == std::string::npos ? std::string() : xml.substr(at, 44);
    };
    ASSERT_NE(id(one), "") << element;
    EXPECT_NE(id(one), id(two)) << element;
  }

  reopened->Slides().Item(1).Delete();
  EXPECT_EQ(reopened->Slides().Count(), 1);
  EXPECT_EQ(reopened->Slides().Item(1).Tags().Item("only on the copy"), "1");
  reopened->Save();
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  const std::vector<std::string> left = EntryNames(path);
  for (const char* gone : {"ppt/slides/slide1.xml", "ppt/tags/tag4.xml", "ppt/charts/chart1.xml",
                           "ppt/notesSlides/notesSlide1.xml"}) {
    EXPECT_EQ(CountOf(left, gone), 0) << gone;
  }
  EXPECT_EQ(CountOf(left, "ppt/slides/slide2.xml"), 1);
}

TEST(SlideDelete, ReferencesToTheSlideGoAndWhatStillRefersToItFails) {
  testing::DeckLayout layout;
  layout.slides.resize(2);
  layout.slides[1].shapes =
      "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Jump\"><a:hlinkClick r:id=\"rId5\" "
      "action=\"ppaction://hlinksldjump\"/></p:cNvPr><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr/>"
      "</p:sp>";
  layout.slides[1].rels = testing::Rel("rId5", "slide", "slide1.xml");
  layout.presentation_tail =
      "<p:custShowLst><p:custShow name=\"Short\" id=\"0\"><p:sldLst><p:sld r:id=\"rId10\"/>"
      "<p:sld r:id=\"rId11\"/></p:sldLst></p:custShow></p:custShowLst><p:extLst><p:ext "
      "uri=\"{521415D9-36F7-43E2-AB2F-B90AF26B5E84}\"><p14:sectionLst xmlns:p14=\"http://"
      "schemas.microsoft.com/office/powerpoint/2010/main\"><p14:section name=\"All\" "
      "id=\"{1}\"><p14:sldIdLst><p14:sldId id=\"256\"/><p14:sldId id=\"257\"/>"
      "</p14:sldIdLst></p14:section></p14:sectionLst></p:ext></p:extLst>";
  TempDir dir;
  std::string path = dir.Write("links.pptx", testing::BuildDeck(layout));
  {
    auto deck = PackagePresentation::Open(path);
    deck->Slides().Item(2).Duplicate();  // the copy joins the section after its original
    deck->Slides().Item(1).Delete();
    deck->Save();
  }
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  ExpectParts(ReadEntry(path, "ppt/presentation.xml"),
              {"!r:id=\"rId10\"", "<p:sld r:id=\"rId11\"/>",
               "<p14:sldIdLst><p14:sldId id=\"257\"/><p14:sldId id=\"258\"/></p14:sldIdLst>"});
  for (const char* slide : {"ppt/slides/slide2.xml", "ppt/slides/slide3.xml"}) {
    ExpectParts(ReadEntry(path, slide), {"!hlinkClick", "name=\"Jump\""});
  }

  // In a real deck, slides referenced from other parts, and what still refers to a deleted one.
  path = CopyFixture(dir, "poi-stress022-kiosk-loop-timings.pptx");
  auto deck = PackagePresentation::Open(path);
  for (int i = 0; i < 10; ++i) deck->Slides().Item(2).Delete();
  host::Slide& last = deck->Slides().Item(deck->Slides().Count());
  host::Shape& shape_of_last = last.Shapes().Item(1);
  last.Delete();
  EXPECT_THROW(shape_of_last.Name(), Error) << "shapes of a deleted slide fail cleanly";
  EXPECT_EQ(deck->Slides().Count(), 34);
  EXPECT_THROW(last.SlideIndex(), Error);
  EXPECT_THROW(deck->Slides().Item(35), Error);
  deck->Save();
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  EXPECT_EQ(PackagePresentation::Open(path)->Slides().Count(), 34);
}

}  // namespace
}  // namespace vintrel::ooxml
