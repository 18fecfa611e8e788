// Shapes of a slide: kinds, z-order, names, geometry, visibility, text and deletion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_shape.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using testing::ReadEntry;
using vintrel::testing::FixturePath;
using vintrel::testing::TempDir;
namespace type = host::shape_type;

std::string Sp(int id, const std::string& name, const std::string& sp_pr,
               const std::string& nv_pr = "", const std::string& body = "") {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" + name +
         "\"/><p:cNvSpPr/><p:nvPr>" + nv_pr + "</p:nvPr></p:nvSpPr><p:spPr>" + sp_pr + "</p:spPr>" +
         body + "</p:sp>";
}

std::string Xfrm(long x, long y, long cx, long cy) {
  return "<a:xfrm><a:off x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
         "\"/><a:ext cx=\"" + std::to_string(cx) + "\" cy=\"" + std::to_string(cy) +
         "\"/></a:xfrm>";
}

std::string Frame(int id, const std::string& name, const std::string& uri,
                  const std::string& data) {
  return "<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" +
         name +
         "\"/><p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr>"
         "<p:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"127000\" cy=\"127000\"/></p:xfrm>"
         "<a:graphic><a:graphicData uri=\"" +
         uri + "\">" + data + "</a:graphicData></a:graphic></p:graphicFrame>";
}

std::string Pic(int id, const std::string& name, const std::string& nv_pr,
                const std::string& blip) {
  return "<p:pic><p:nvPicPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" + name +
         "\"/><p:cNvPicPr/><p:nvPr>" + nv_pr + "</p:nvPr></p:nvPicPr><p:blipFill>" + blip +
         "<a:stretch><a:fillRect/></a:stretch></p:blipFill><p:spPr>" + Xfrm(0, 0, 127000, 127000) +
         "</p:spPr></p:pic>";
}

// One shape of every kind the add-in tells apart, in this z-order.
testing::DeckLayout EveryKind() {
  const std::string rect =
      Xfrm(127000, 254000, 1270000, 635000) + "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom>";
  std::string shapes =
      Sp(2, "Rectangle 1", rect) + testing::TextBox(3, "TextBox 2", "box") +
      Sp(4, "Title 3", "", "<p:ph type=\"title\"/>",
         "<p:txBody><a:bodyPr/><a:p><a:r><a:t>Title</a:t></a:r></a:p></p:txBody>") +
      "<p:cxnSp><p:nvCxnSpPr><p:cNvPr id=\"5\" name=\"Connector 4\"/><p:cNvCxnSpPr/><p:nvPr/>"
      "</p:nvCxnSpPr><p:spPr>" +
      Xfrm(0, 0, 12700, 0) + "</p:spPr></p:cxnSp>" +
      "<p:grpSp><p:nvGrpSpPr><p:cNvPr id=\"6\" name=\"Group 5\"/><p:cNvGrpSpPr/><p:nvPr/>"
      "</p:nvGrpSpPr><p:grpSpPr>" +
      Xfrm(0, 0, 254000, 254000) + "</p:grpSpPr>" + Sp(7, "Inner 6", rect) +
      Sp(8, "Inner 7", rect) + "</p:grpSp>" +
      Pic(9, "Picture 8", "", "<a:blip r:embed=\"rId2\"/>") +
      Pic(10, "Linked 9", "", "<a:blip r:link=\"rId3\"/>") +
      Frame(11, "Table 10", "http://schemas.openxmlformats.org/drawingml/2006/table", "<a:tbl/>") +
      Frame(12, "Object 11", "http://schemas.openxmlformats.org/presentationml/2006/ole",
            "<p:oleObj progId=\"Excel.Sheet.12\" r:id=\"rId4\"><p:embed/></p:oleObj>") +
      Frame(13, "Linked Object 12", "http://schemas.openxmlformats.org/presentationml/2006/ole",
            "<p:oleObj progId=\"Excel.Sheet.12\" r:id=\"rId5\"><p:link updateAutomatic=\"1\"/>"
            "</p:oleObj>") +
      Pic(14, "Clip 13", "<a:videoFile r:link=\"rId6\"/>", "<a:blip r:embed=\"rId2\"/>") +
      "<mc:AlternateContent xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/"
      "2006\"><mc:Choice xmlns:a14=\"http://schemas.microsoft.com/office/drawing/2010/main\" "
      "Requires=\"a14\">" +
      Sp(15, "Wrapped 14", rect) + "</mc:Choice><mc:Fallback>" + Sp(15, "Wrapped 14", rect) +
      "</mc:Fallback></mc:AlternateContent>" + Sp(16, "Freeform 15", "<a:custGeom/>") +
      Frame(17, "Diagram 16", "http://schemas.openxmlformats.org/drawingml/2006/diagram", "");
  testing::DeckLayout deck = testing::OneSlide(shapes);
  deck.slides[0].rels = testing::Rel("rId2", "image", "../media/image1.png") +
                        testing::Rel("rId3", "image", "file:///C:\\pics\\logo%201.png", true) +
                        testing::Rel("rId4", "package", "../embeddings/book.xlsx") +
                        testing::Rel("rId5", "oleObject", "file:///E:\\data\\book.xlsx", true) +
                        testing::Rel("rId6", "video", "movie.mp4", true);
  deck.extra_parts = {{"ppt/media/image1.png", "\x89PNG"}, {"ppt/embeddings/book.xlsx", "PK"}};
  deck.extra_content_types =
      "<Default Extension=\"png\" ContentType=\"image/png\"/><Default Extension=\"xlsx\" "
      "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet\"/>";
  return deck;
}

class Shapes : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Write("kinds.pptx", testing::BuildDeck(EveryKind()));
    deck_ = PackagePresentation::Open(path_);
  }
  host::Shapes& shapes() { return deck_->Slides().Item(1).Shapes(); }
  TempDir dir_;
  std::string path_;
  std::unique_ptr<PackagePresentation> deck_;
};

TEST_F(Shapes, EveryKindHasTheHostsTypeCode) {
  const std::vector<std::pair<std::string, int>> expected = {
      {"Rectangle 1", type::kAutoShape},
      {"TextBox 2", type::kTextBox},
      {"Title 3", type::kPlaceholder},
      {"Connector 4", type::kLine},
      {"Group 5", type::kGroup},
      {"Picture 8", type::kPicture},
      {"Linked 9", type::kLinkedPicture},
      {"Table 10", type::kTable},
      {"Object 11", type::kEmbeddedOleObject},
      {"Linked Object 12", type::kLinkedOleObject},
      {"Clip 13", type::kMedia},
      {"Wrapped 14", type::kAutoShape},
      {"Freeform 15", type::kFreeform},
      {"Diagram 16", kShapeTypeSmartArt}};
  ASSERT_EQ(shapes().Count(), static_cast<int>(expected.size()))
      << "a group and an mc:AlternateContent wrapper count as one shape each";
  for (int i = 1; i <= shapes().Count(); ++i) {
    host::Shape& shape = shapes().Item(i);
    EXPECT_EQ(shape.Name(), expected[i - 1].first);
    EXPECT_EQ(shape.Type(), expected[i - 1].second) << shape.Name();
    EXPECT_EQ(shape.ZOrderPosition(), i);
  }
  host::LinkFormat& clip = shapes().Item(11).LinkFormat();
  EXPECT_EQ(clip.SourceFullName(), dir_.File("movie.mp4")) << "relative to the presentation";
  clip.SetSourceFullName(dir_.Write("other clip.mp4", "data"));
  clip.Update();  // fails unless the link now names the file that exists
  EXPECT_EQ(shapes().Item(9).OLEFormat().ProgID(), "Excel.Sheet.12");
  EXPECT_THROW(shapes().Item(9).OLEFormat().Object(), Error) << "only charts can be driven";
  EXPECT_THROW(shapes().Item(1).OLEFormat(), Error);
  EXPECT_THROW(shapes().Item(1).LinkFormat(), Error);
  EXPECT_THROW(shapes().Item(0), Error);
  EXPECT_THROW(shapes().Item(15), Error);
}

// A refillable chart's kind is checked by the data sheet tests.
TEST(ShapeKinds, KindsInRealFiles) {
  auto old_graph =
      PackagePresentation::Open(FixturePath("pptx/openxmlsdk-typical-msgraph-chart8.pptx"));
  host::Shape& graph = old_graph->Slides().Item(6).Shapes().Item(2);
  EXPECT_EQ(graph.Type(), type::kEmbeddedOleObject);
  EXPECT_EQ(graph.OLEFormat().ProgID(), "MSGraph.Chart.8");
  EXPECT_THROW(graph.OLEFormat().Object(), Error) << "an old binary chart cannot be refilled";

  auto charts =
      PackagePresentation::Open(FixturePath("pptx/poi-aascu-5864-slide-tags-charts-ole.pptx"));
  EXPECT_EQ(charts->Slides().Item(5).Shapes().Item(1).Type(), type::kChart)
      << "a chart over an outside workbook is not a data sheet object";

  auto video = PackagePresentation::Open(FixturePath("pptx/poi-embedded-video.pptx"));
  EXPECT_EQ(video->Slides().Item(1).Shapes().Item(1).Type(), type::kMedia);
  EXPECT_THROW(video->Slides().Item(1).Shapes().Item(1).LinkFormat(), Error)
      << "embedded media has no link";
}

TEST_F(Shapes, GeometryInPointsIncludingInheritedPlaceholderPosition) {
  auto place = [](host::Shape& shape) {
    return std::vector<double>{shape.Left(), shape.Top(), shape.Width(), shape.Height()};
  };
  host::Shape& rect = shapes().Item(1);
  EXPECT_EQ(place(rect), (std::vector<double>{10, 20, 100, 50}));
  // The title's place comes from the layout's title placeholder; what is not set stays so.
  host::Shape& title = shapes().Item(3);
  EXPECT_EQ(std::pair(title.Left(), title.Top()), std::pair(66.0, 28.75));
  title.SetTop(100);
  EXPECT_EQ(std::pair(title.Left(), title.Top()), std::pair(66.0, 100.0));
  rect.SetWidth(12.5);
  shapes().Item(12).SetLeft(5);  // both branches of the wrapper move
  EXPECT_THROW(rect.SetWidth(-1), Error);
  deck_->Save();
  std::string xml = ReadEntry(path_, "ppt/slides/slide1.xml");
  testing::ExpectParts(
      xml, {"<a:ext cx=\"158750\" cy=\"635000\"/>",
            "<p:spPr><a:xfrm><a:off x=\"838200\" y=\"1270000\"/><a:ext cx=\"10515600\""});
  size_t first = xml.find("<a:off x=\"63500\" y=\"254000\"/>");
  ASSERT_NE(first, std::string::npos);
  EXPECT_NE(xml.find("<a:off x=\"63500\" y=\"254000\"/>", first + 1), std::string::npos)
      << "the Choice and the Fallback copy both moved";
}

TEST_F(Shapes, ZOrderMovesShapesInTheTree) {
  host::Shape& first = shapes().Item(1);
  for (auto [command, position] : {std::pair{host::z_order::kBringForward, 2},
                                   {host::z_order::kBringToFront, 14},
                                   {host::z_order::kSendBackward, 13},
                                   {host::z_order::kSendToBack, 1}}) {
    first.ZOrder(command);
    EXPECT_EQ(first.ZOrderPosition(), position) << command;
    EXPECT_EQ(&shapes().Item(position), &first);
  }
  EXPECT_EQ(shapes().Item(2).Name(), "TextBox 2");
  EXPECT_THROW(first.ZOrder(42), Error);
  first.ZOrder(host::z_order::kBringToFront);
  deck_->Save();
  deck_ = PackagePresentation::Open(path_);
  EXPECT_EQ(shapes().Item(14).Name(), "Rectangle 1") << "the tree is saved in its new order";
}

TEST_F(Shapes, NameVisibilityAndDelete) {
  host::Shape& box = shapes().Item(2);
  box.SetName("Renamed");
  box.SetVisible(false);
  host::Shape& group = shapes().Item(5);
  group.Delete();  // with its members
  EXPECT_EQ(shapes().Count(), 13);
  EXPECT_THROW(group.Name(), Error) << "a deleted shape fails instead of crashing";
  EXPECT_THROW(group.SetLeft(1), Error);
  EXPECT_THROW(group.Delete(), Error);
  deck_->Save();
  deck_ = PackagePresentation::Open(path_);
  EXPECT_EQ(shapes().Item(2).Name(), "Renamed");
  EXPECT_FALSE(shapes().Item(2).Visible());
  EXPECT_EQ(shapes().Item(5).Name(), "Picture 8");
}

TEST(ShapeDelete, PartsAndAnimationsOnlyTheShapeUsedGoWithIt) {
  TempDir dir;
  std::string path = testing::CopyFixture(dir, "poi-pie-chart.pptx");
  {
    auto deck = PackagePresentation::Open(path);
    host::Shape& chart = deck->Slides().Item(1).Shapes().Item(2);
    chart.Tags().Add("QUENDRA SOURCETYPE", "4");
    host::Shape& title = deck->Slides().Item(1).Shapes().Item(1);
    title.Tags().Add("QUENDRA COLUMN", "x");
    chart.Delete();
    deck->Save();
  }
  EXPECT_EQ(testing::PackageProblems(path), std::vector<std::string>());
  std::vector<std::string> names = testing::EntryNames(path);
  for (const char* gone : {"ppt/charts/chart1.xml", "ppt/charts/_rels/chart1.xml.rels",
                           "ppt/embeddings/Microsoft_Excel_Worksheet1.xlsx", "ppt/tags/tag1.xml"}) {
    EXPECT_EQ(testing::CountOf(names, gone), 0) << gone;
  }
  EXPECT_EQ(testing::CountOf(names, "ppt/tags/tag2.xml"), 1) << "the title's tags";
  EXPECT_EQ(ReadEntry(path, "ppt/slides/_rels/slide1.xml.rels").find("chart"), std::string::npos);

  testing::DeckLayout layout =
      testing::OneSlide(testing::TextBox(2, "A", "a") + testing::TextBox(3, "B", "b"));
  layout.slides[0].tail =
      "<p:timing><p:tnLst><p:par><p:cTn id=\"1\"><p:childTnLst><p:set><p:cBhvr><p:cTn id=\"2\"/>"
      "<p:tgtEl><p:spTgt spid=\"3\"/></p:tgtEl></p:cBhvr></p:set></p:childTnLst></p:cTn></p:par>"
      "</p:tnLst></p:timing>";
  path = dir.Write("anim.pptx", testing::BuildDeck(layout));
  auto deck = PackagePresentation::Open(path);
  deck->Slides().Item(1).Shapes().Item(2).Delete();  // B, the animated one
  deck->Save();
  EXPECT_EQ(ReadEntry(path, "ppt/slides/slide1.xml").find("spid=\"3\""), std::string::npos);
}

TEST_F(Shapes, TextFrameOnlyOnShapesThatHoldText) {
  EXPECT_TRUE(shapes().Item(1).HasTextFrame());
  EXPECT_EQ(shapes().Item(1).TextFrame().TextRange().Text(), "");
  shapes().Item(1).TextFrame().TextRange().SetText("new\rlines\vhere");
  EXPECT_EQ(shapes().Item(3).TextFrame().TextRange().Text(), "Title");
  for (int i : {4, 5, 6, 8, 9}) {
    EXPECT_FALSE(shapes().Item(i).HasTextFrame()) << shapes().Item(i).Name();
    EXPECT_THROW(shapes().Item(i).TextFrame(), Error);
  }
  deck_->Save();
  auto reopened = PackagePresentation::Open(path_);
  EXPECT_EQ(reopened->Slides().Item(1).Shapes().Item(1).TextFrame().TextRange().Text(),
            "new\rlines\vhere");
  std::string xml = ReadEntry(path_, "ppt/slides/slide1.xml");
  EXPECT_LT(xml.find("</p:spPr><p:txBody><a:bodyPr/><a:lstStyle/><a:p><a:r><a:t>new"),
            xml.find("TextBox 2"))
      << "a shape without a text body gets one after its properties";
}

}  // namespace
}  // namespace vintrel::ooxml
