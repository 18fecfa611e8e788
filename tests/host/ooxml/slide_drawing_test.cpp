// Slides drawn as SVG: what each kind of formatting becomes, shapes drawn alone matching the
// whole slide, and real decks drawn without a failure.
#include "host/ooxml/drawing/slide_drawing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <pugixml.hpp>
#include <string>

#include "decks/deck_builder.h"
#include "host/ooxml/package_presentation.h"
#include "testing/temp_dir.h"

namespace vintrel::ooxml {
namespace {

using vintrel::testing::FixturePath;
using vintrel::testing::ReadFile;
using vintrel::testing::TempDir;

// Keeps what the drawing hands over, named by content as a server names it.
class RecordingAssets : public SvgAssets {
 public:
  std::string Add(std::string bytes, const std::string& content_type) override {
    std::string address =
        "/asset/" + std::to_string(std::hash<std::string>()(bytes)) + "/" + content_type;
    assets[address] = std::move(bytes);
    return address;
  }
  std::map<std::string, std::string> assets;
};

std::string Shape(const std::string& properties, const std::string& body = "") {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Box\"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>"
         "<p:spPr><a:xfrm><a:off x=\"127000\" y=\"254000\"/><a:ext cx=\"1270000\" "
         "cy=\"635000\"/></a:xfrm>" +
         properties + "</p:spPr>" + body + "</p:sp>";
}

std::string Body(const std::string& paragraph, const std::string& body_properties = "") {
  return "<p:txBody><a:bodyPr" + body_properties + "/><a:lstStyle/>" + paragraph + "</p:txBody>";
}

class DrawingTest : public ::testing::Test {
 protected:
  std::string DrawOnly(const std::string& shapes) {
    std::string path = dir_.Write("deck.pptx", testing::BuildDeck(testing::OneSlide(shapes)));
    deck_ = PackagePresentation::Open(path);
    return DrawShape(*deck_, 1, 1, assets_);
  }
  TempDir dir_;
  RecordingAssets assets_;
  std::unique_ptr<PackagePresentation> deck_;
};

TEST_F(DrawingTest, FillsLinesAndOutlines) {
  const std::string red = "<a:srgbClr val=\"FF0000\"/>";
  struct Case {
    std::string properties;
    std::vector<std::string> expected;
  } cases[] = {
      {"<a:prstGeom prst=\"rect\"/><a:solidFill>" + red + "</a:solidFill>",
       {"<rect x=\"10\" y=\"20\" width=\"100\" height=\"50\" fill=\"#ff0000\""}},
      {"<a:solidFill><a:srgbClr val=\"FF0000\"><a:lumMod val=\"50000\"/></a:srgbClr></a:solidFill>",
       {"fill=\"#800000\""}},
      {"<a:solidFill><a:srgbClr val=\"FF0000\"><a:alpha val=\"40000\"/></a:srgbClr></a:solidFill>",
       {"fill-opacity=\"0.4\""}},
      {"<a:noFill/><a:ln w=\"25400\"><a:solidFill><a:srgbClr val=\"00FF00\"/></a:solidFill>"
       "<a:prstDash val=\"dash\"/></a:ln>",
       {"fill=\"none\"", "stroke=\"#00ff00\" stroke-width=\"2\" stroke-dasharray=\"8 6\""}},
      {"<a:gradFill><a:gsLst><a:gs pos=\"0\">" + red +
           "</a:gs><a:gs pos=\"100000\"><a:srgbClr val=\"0000FF\"/></a:gs></a:gsLst></a:gradFill>",
       {"<linearGradient id=\"s1-1-d1\"", "fill=\"url(#s1-1-d1)\""}},
      {"<a:prstGeom prst=\"ellipse\"/><a:solidFill>" + red + "</a:solidFill>",
       {"<ellipse cx=\"60\" cy=\"45\" rx=\"50\" ry=\"25\""}},
      {"<a:prstGeom prst=\"roundRect\"/><a:solidFill>" + red + "</a:solidFill>", {"rx=\"8.33\""}},
      {"<a:custGeom><a:pathLst><a:path w=\"2\" h=\"2\"><a:moveTo><a:pt x=\"0\" y=\"0\"/></a:moveTo>"
       "<a:lnTo><a:pt x=\"2\" y=\"2\"/></a:lnTo><a:close/></a:path></a:pathLst></a:custGeom>"
       "<a:solidFill>" +
           red + "</a:solidFill>",
       {"<path d=\"M10 20 L110 70 Z\""}},
  };
  for (const Case& test : cases) {
    std::string svg = DrawOnly(Shape(test.properties));
    for (const std::string& expected : test.expected) {
      EXPECT_NE(svg.find(expected), std::string::npos) << test.properties << "\n" << svg;
    }
  }
}

TEST_F(DrawingTest, TextKeepsItsFormattingAndStaysText) {
  std::string run =
      "<a:p><a:pPr algn=\"ctr\"/><a:r><a:rPr sz=\"2400\" b=\"1\" i=\"1\" u=\"sng\">"
      "<a:solidFill><a:srgbClr val=\"1F2A44\"/></a:solidFill><a:latin typeface=\"DejaVu Serif\"/>"
      "</a:rPr><a:t>&lt;North &amp; South&gt; 12 €</a:t></a:r></a:p>";
  std::string svg = DrawOnly(Shape("", Body(run, " anchor=\"ctr\" lIns=\"0\"")));
  for (const char* expected :
       {"font-size:24px", "font-family:&#39;DejaVu Serif&#39;,serif", "font-weight:bold",
        "font-style:italic", "text-decoration:underline", "color:#1f2a44", "text-align:center",
        "justify-content:center", "padding:3.6px 7.2px 3.6px 0px"}) {
    EXPECT_NE(svg.find(expected), std::string::npos) << expected << "\n" << svg;
  }
  pugi::xml_document parsed;
  ASSERT_TRUE(parsed.load_string(svg.c_str())) << svg;
  pugi::xpath_node span = parsed.select_node("//span");
  EXPECT_STREQ(span.node().text().get(), "<North & South> 12 €");
}

TEST_F(DrawingTest, PlaceholderTakesItsPlaceFromTheLayout) {
  std::string title =
      "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Title\"/><p:cNvSpPr/><p:nvPr><p:ph "
      "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr/>" +
      Body("<a:p><a:r><a:t>Heading</a:t></a:r></a:p>") + "</p:sp>";
  std::string svg = DrawOnly(title);
  EXPECT_NE(svg.find("<foreignObject x=\"66\" y=\"28.75\" width=\"828\""), std::string::npos)
      << svg;
}

TEST(DrawingExampleTest, HiddenShapesLinkedPicturesAndChartsFromTheirCaches) {
  auto deck =
      PackagePresentation::Open(std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx");
  RecordingAssets assets;
  host::Shape& picture = deck->slides().Item(3).Shapes().Item(3);
  EXPECT_EQ(DrawShape(*deck, 3, 3, assets),
            "<g id=\"s3-3\" data-name=\"Region picture\" "
            "display=\"none\"/>");
  picture.SetVisible(true);
  std::string svg = DrawShape(*deck, 3, 3, assets);
  ASSERT_EQ(assets.assets.size(), 1u);
  const auto& [address, bytes] = *assets.assets.begin();
  EXPECT_NE(svg.find("<image href=\"" + address + "\""), std::string::npos) << svg;
  EXPECT_EQ(bytes, ReadFile(std::string(VINTREL_SOURCE_DIR) + "/examples/data/pictures/north.png"));

  deck->slides().Item(2).Shapes().Item(3).SetVisible(true);
  std::string chart = DrawShape(*deck, 2, 3, assets);
  for (const char* category : {">East</text>", ">North</text>", ">South</text>", ">West</text>"}) {
    EXPECT_NE(chart.find(category), std::string::npos) << category << "\n" << chart;
  }
}

// Every shape drawn alone is exactly its element in the whole slide (what a screen swaps in),
// and every drawing is well-formed XML, on real presentations from several programs.
TEST(DrawingRealDecksTest, ShapesDrawnAloneMatchTheWholeSlide) {
  std::vector<std::string> decks = {std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx"};
  for (const auto& entry : std::filesystem::directory_iterator(FixturePath("pptx"))) {
    if (entry.path().extension() == ".pptx") decks.push_back(entry.path());
  }
  for (const std::string& path : decks) {
    auto deck = PackagePresentation::Open(path);
    RecordingAssets assets;
    for (int slide = 1; slide <= deck->slides().Count(); ++slide) {
      SlideDrawing drawing = DrawSlide(*deck, slide, assets);
      pugi::xml_document parsed;
      EXPECT_TRUE(parsed.load_string(drawing.Svg().c_str())) << path << " slide " << slide;
      ASSERT_EQ(drawing.shapes.size(),
                static_cast<size_t>(deck->slides().Item(slide).Shapes().Count()));
      for (size_t shape = 1; shape <= drawing.shapes.size(); ++shape) {
        int position = static_cast<int>(shape);
        EXPECT_EQ(DrawShape(*deck, slide, position, assets), drawing.shapes[shape - 1])
            << path << " slide " << slide << " shape " << shape;
        EXPECT_EQ(
            drawing.shapes[shape - 1].rfind("<g id=\"" + ShapeElementId(slide, position) + "\"", 0),
            0u);
      }
    }
  }
}

}  // namespace
}  // namespace vintrel::ooxml
