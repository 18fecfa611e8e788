// Tags on the presentation, slides and shapes, in the tag parts PowerPoint writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "decks/deck_builder.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using namespace testing;

// Every tag of `tags` as "NAME=value".
std::vector<std::string> All(host::Tags& tags) {
  std::vector<std::string> all;
  for (int i = 1; i <= tags.Count(); ++i) all.push_back(tags.Name(i) + "=" + tags.Value(i));
  return all;
}

TEST(Tags, ReadsTagsOtherProgramsWrote) {
  auto deck = PackagePresentation::Open(FixturePath("pptx/shapecrawler-018-tags-chart-ole.pptx"));
  host::Tags& presentation = deck->Tags();
  ASSERT_EQ(presentation.Count(), 2);
  EXPECT_EQ(presentation.Name(1).size(), 32u);
  EXPECT_EQ(presentation.Value(1).substr(0, 5), "<?xml") << "escaped XML comes back unescaped";
  EXPECT_NE(presentation.Value(1).find('\n'), std::string::npos) << "&#xA; is a line feed";

  host::Tags& slide = deck->Slides().Item(1).Tags();
  ASSERT_EQ(slide.Count(), 8);
  EXPECT_EQ(slide.Name(2), "MONE_MU_PICTURE PLACEHOLDER 13");
  EXPECT_EQ(slide.Item("mone_mu_picture placeholder 13"),
            "Top=2.362205E-04|Left=0|Width=780|Height=396.8141");

  // Names written lower-case by another tool come back upper-case.
  testing::DeckLayout layout = testing::OneSlide("");
  layout.slides[0].after_tree = "<p:custDataLst><p:tags r:id=\"rId7\"/></p:custDataLst>";
  layout.slides[0].rels = testing::Rel("rId7", "tags", "../tags/tag1.xml");
  layout.extra_parts.push_back(
      {"ppt/tags/tag1.xml",
       "<p:tagLst xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\">"
       "<p:tag name=\"quendra connection01\" val=\"0&#9;Sales&#9;C:\\data\\sales.txt\"/>"
       "<p:tag name=\"Mixed Case\" val=\"Keeps Its Case\"/></p:tagLst>"});
  layout.extra_content_types =
      "<Override PartName=\"/ppt/tags/tag1.xml\" ContentType=\"application/"
      "vnd.openxmlformats-officedocument.presentationml.tags+xml\"/>";
  TempDir dir;
  std::string path = dir.Write("lower.pptx", testing::BuildDeck(layout));
  auto lower = PackagePresentation::Open(path);
  host::Tags& tags = lower->Slides().Item(1).Tags();
  EXPECT_EQ(All(tags),
            (std::vector<std::string>{"QUENDRA CONNECTION01=0\tSales\tC:\\data\\sales.txt",
                                      "MIXED CASE=Keeps Its Case"}));
  EXPECT_EQ(tags.Item("mixed case"), "Keeps Its Case");
  // Replacing it by another spelling of the name keeps one tag, now stored upper-case.
  tags.Add("Mixed CASE", "new");
  EXPECT_EQ(tags.Count(), 2);
  lower->Save();
  ExpectParts(ReadEntry(path, "ppt/tags/tag1.xml"), {"name=\"MIXED CASE\" val=\"new\""});
}

TEST(Tags, AddReplaceDeleteOnEveryOwnerSurviveSaving) {
  testing::DeckLayout layout = testing::OneSlide(
      "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Title 1\"/><p:cNvSpPr/><p:nvPr><p:ph "
      "type=\"title\"/><p:extLst><p:ext uri=\"{X}\"/></p:extLst></p:nvPr></p:nvSpPr><p:spPr/>"
      "</p:sp>");
  layout.slides[0].after_tree =
      "<p:extLst><p:ext uri=\"{BB962C8B-B14F-4D97-AF65-F5344CB8AC3E}\"/></p:extLst>";
  layout.presentation_tail = "<p:defaultTextStyle/>";
  TempDir dir;
  std::string path = dir.Write("tags.pptx", testing::BuildDeck(layout));
  {
    auto deck = PackagePresentation::Open(path);
    host::Slide& slide = deck->Slides().Item(1);
    host::Shape& shape = slide.Shapes().Item(1);
    for (host::Tags* tags : {&deck->Tags(), &slide.Tags(), &shape.Tags()}) {
      EXPECT_EQ(tags->Count(), 0);
      EXPECT_EQ(tags->Item("ANY"), "");
      tags->Add("quendra first", "1");
      tags->Add("QUENDRA SECOND", "two\twith tab");
      tags->Add("Quendra Third", "3\x01");  // a control character XML cannot hold is dropped
      tags->Add("quendra first", "one");    // replaced in place
      tags->Delete("absent");               // nothing happens
      EXPECT_THROW(tags->Add("", "x"), Error);
    }
    deck->Save();
  }
  auto deck = PackagePresentation::Open(path);
  host::Slide& slide = deck->Slides().Item(1);
  for (host::Tags* tags : {&deck->Tags(), &slide.Tags(), &slide.Shapes().Item(1).Tags()}) {
    EXPECT_EQ(All(*tags),
              (std::vector<std::string>{"QUENDRA FIRST=one", "QUENDRA SECOND=two\twith tab",
                                        "QUENDRA THIRD=3"}));
    tags->Delete("Quendra First");
    ASSERT_EQ(tags->Count(), 2);
    EXPECT_EQ(tags->Name(1), "QUENDRA SECOND") << "later tags move down";
    EXPECT_THROW(tags->Name(3), Error);
    EXPECT_THROW(tags->Value(0), Error);
  }
  // Each owner has its own part, listed in the content types, and the custom data lists sit
  // where the schema puts them.
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  ExpectParts(ReadEntry(path, "[Content_Types].xml"),
              {"PartName=\"/ppt/tags/tag3.xml\" ContentType=\"application/"
               "vnd.openxmlformats-officedocument.presentationml.tags+xml\""});
  std::string presentation = ReadEntry(path, "ppt/presentation.xml");
  EXPECT_LT(presentation.find("<p:notesSz"), presentation.find("<p:custDataLst>"));
  EXPECT_LT(presentation.find("<p:custDataLst>"), presentation.find("<p:defaultTextStyle"));
  std::string slide_xml = ReadEntry(path, "ppt/slides/slide1.xml");
  size_t shape_list = slide_xml.find("<p:custDataLst>");
  size_t slide_list = slide_xml.find("<p:custDataLst>", shape_list + 1);
  EXPECT_LT(slide_xml.find("<p:ph type=\"title\"/>"), shape_list);
  EXPECT_LT(shape_list, slide_xml.find("<p:extLst><p:ext uri=\"{X}\"/>"));
  EXPECT_LT(slide_xml.find("</p:spTree>"), slide_list);
  EXPECT_LT(slide_list, slide_xml.find("<p:extLst><p:ext uri=\"{BB962C8B"));
}

}  // namespace
// A tag collection remembers where its tag list is; reading the tags of many other shapes in
// between (only a few tag parts stay parsed) or changing them must not leave it answering from
// a part that was dropped or changed.
TEST(Tags, ReadsStayRightWhileOtherOwnersAreReadAndChanged) {
  constexpr int kShapes = 80;
  std::string tree;
  for (int i = 1; i <= kShapes; ++i) {
    const std::string id = std::to_string(i + 1);
    tree += "<p:sp><p:nvSpPr><p:cNvPr id=\"" + id + "\" name=\"Box " + id +
            "\"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr><p:spPr/></p:sp>";
  }
  TempDir dir;
  const std::string path = dir.Write("many.pptx", testing::BuildDeck(testing::OneSlide(tree)));
  {
    auto deck = PackagePresentation::Open(path);
    host::Shapes& shapes = deck->Slides().Item(1).Shapes();
    for (int i = 1; i <= kShapes; ++i) {
      shapes.Item(i).Tags().Add("QUENDRA A", "a" + std::to_string(i));
      shapes.Item(i).Tags().Add("QUENDRA B", "b" + std::to_string(i));
    }
    deck->Save();
  }
  auto deck = PackagePresentation::Open(path);
  host::Shapes& shapes = deck->Slides().Item(1).Shapes();
  host::Tags& first = shapes.Item(1).Tags();
  ASSERT_EQ(first.Count(), 2);
  struct Step {
    const char* what;
    std::function<void()> between;
    std::string a;
  };
  const std::vector<Step> steps = {
      {"every other shape's tags read",
       [&] {
         for (int i = 2; i <= kShapes; ++i) EXPECT_EQ(shapes.Item(i).Tags().Count(), 2);
       },
       "a1"},
      {"another shape's tags changed", [&] { shapes.Item(kShapes).Tags().Add("QUENDRA A", "x"); },
       "a1"},
      {"its own tag changed through the slide's shapes",
       [&] { shapes.Item(1).Tags().Add("QUENDRA A", "changed"); }, "changed"},
      {"its first tag deleted", [&] { shapes.Item(1).Tags().Delete("QUENDRA A"); }, ""},
  };
  for (const Step& step : steps) {
    step.between();
    EXPECT_EQ(first.Item("QUENDRA A"), step.a) << step.what;
    EXPECT_EQ(first.Item("QUENDRA B"), "b1") << step.what;
    EXPECT_EQ(first.Value(first.Count()), "b1") << step.what;
  }
}

}  // namespace vintrel::ooxml
