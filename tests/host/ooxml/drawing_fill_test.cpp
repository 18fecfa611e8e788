// Colours, fills, effects and pictures of drawn slides: colour transforms against values worked
// out from their definitions, and what each kind of fill, effect and crop becomes in the SVG.
#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "host/ooxml/drawing/drawing_color.h"
#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using testing::BoxShape;
using testing::ExpectParts;

using drawing::Color;
using drawing::ColorScheme;

constexpr char kRed[] = "<a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill>";

// A group of `shapes` at the slide's top left, `size` large, its shapes' space `space` large
// (each "CX\" cy=\"CY" in EMU).
std::string Group(const std::string& xfrm_attributes, const std::string& size,
                  const std::string& space, const std::string& shapes) {
  return "<p:grpSp><p:nvGrpSpPr><p:cNvPr id=\"4\" name=\"G\"/><p:cNvGrpSpPr/><p:nvPr/>"
         "</p:nvGrpSpPr><p:grpSpPr><a:xfrm" +
         xfrm_attributes + "><a:off x=\"0\" y=\"0\"/><a:ext cx=\"" + size +
         "\"/><a:chOff x=\"0\" y=\"0\"/><a:chExt cx=\"" + space + "\"/></a:xfrm></p:grpSpPr>" +
         shapes + "</p:grpSp>";
}

constexpr char kColorScheme[] =
    "<a:clrScheme name=\"C\"><a:dk1><a:sysClr val=\"windowText\" lastClr=\"000000\"/></a:dk1>"
    "<a:lt1><a:sysClr val=\"window\" lastClr=\"FFFFFF\"/></a:lt1><a:dk2><a:srgbClr "
    "val=\"44546A\"/></a:dk2><a:lt2><a:srgbClr val=\"E7E6E6\"/></a:lt2><a:accent1><a:srgbClr "
    "val=\"4472C4\"/></a:accent1><a:accent2><a:srgbClr val=\"ED7D31\"/></a:accent2></a:clrScheme>";

TEST(DrawingColorTest, TransformsFollowTheirDefinitions) {
  pugi::xml_document theme;
  ASSERT_TRUE(theme.load_string(kColorScheme));
  ColorScheme scheme;
  scheme.ReadTheme(theme.first_child());
  pugi::xml_document map;
  ASSERT_TRUE(map.load_string("<p:clrMap bg1=\"dk1\" tx1=\"lt1\" accent1=\"accent1\"/>"));
  scheme.ReadMap(map.first_child());
  struct Case {
    const char* element;
    const char* hex;
    double alpha;
  } cases[] = {
      // Lighter 40% of accent 1: lightness scaled and offset in HSL.
      {"<a:schemeClr val=\"accent1\"><a:lumMod val=\"60000\"/><a:lumOff val=\"40000\"/>"
       "</a:schemeClr>",
       "#8faadc", 1},
      // Shade and tint work on linear light: half of full red is sRGB 0.7354 (188).
      {"<a:srgbClr val=\"FF0000\"><a:shade val=\"50000\"/></a:srgbClr>", "#bc0000", 1},
      {"<a:srgbClr val=\"000000\"><a:tint val=\"50000\"/></a:srgbClr>", "#bcbcbc", 1},
      {"<a:srgbClr val=\"FF8080\"><a:satMod val=\"50000\"/></a:srgbClr>", "#dfa0a0", 1},
      {"<a:srgbClr val=\"FF0000\"><a:hueOff val=\"7200000\"/></a:srgbClr>", "#00ff00", 1},
      {"<a:srgbClr val=\"FF0000\"><a:comp/></a:srgbClr>", "#00ffff", 1},
      {"<a:srgbClr val=\"0000FF\"><a:inv/></a:srgbClr>", "#ffff00", 1},
      {"<a:srgbClr val=\"FF0000\"><a:gray/></a:srgbClr>", "#383838", 1},
      {"<a:srgbClr val=\"FF0000\"><a:alpha val=\"40000\"/><a:alphaMod val=\"50000\"/></a:srgbClr>",
       "#ff0000", 0.2},
      // Through the colour map: bg1 names dk1 here.
      {"<a:schemeClr val=\"bg1\"/>", "#000000", 1},
      {"<a:sysClr val=\"window\"/>", "#ffffff", 1},
      {"<a:scrgbClr r=\"50000\" g=\"0\" b=\"0\"/>", "#bc0000", 1},
      {"<a:hslClr hue=\"14400000\" sat=\"100000\" lum=\"50000\"/>", "#0000ff", 1},
  };
  for (const Case& test : cases) {
    pugi::xml_document element;
    ASSERT_TRUE(element.load_string(test.element)) << test.element;
    std::optional<Color> color = drawing::ColorOf(element.first_child(), scheme);
    ASSERT_TRUE(color) << test.element;
    EXPECT_EQ(color->Hex(), test.hex) << test.element;
    EXPECT_NEAR(color->alpha, test.alpha, 1e-9) << test.element;
  }
}

// The theme the deck tests draw with: fill, line, effect and background styles that use phClr.
std::string ThemeElements() {
  return std::string(kColorScheme) +
         "<a:fmtScheme name=\"F\"><a:fillStyleLst><a:solidFill><a:schemeClr val=\"phClr\"/>"
         "</a:solidFill><a:solidFill><a:schemeClr val=\"phClr\"><a:lumMod val=\"50000\"/>"
         "</a:schemeClr></a:solidFill><a:noFill/></a:fillStyleLst><a:effectStyleLst>"
         "<a:effectStyle><a:effectLst/></a:effectStyle>"
         "<a:effectStyle><a:effectLst><a:outerShdw blurRad=\"50800\" dist=\"38100\" "
         "dir=\"5400000\"><a:srgbClr val=\"000000\"><a:alpha val=\"40000\"/></a:srgbClr>"
         "</a:outerShdw></a:effectLst></a:effectStyle></a:effectStyleLst><a:bgFillStyleLst>"
         "<a:solidFill><a:schemeClr val=\"phClr\"/></a:solidFill><a:gradFill><a:gsLst><a:gs "
         "pos=\"0\"><a:schemeClr val=\"phClr\"><a:tint val=\"50000\"/></a:schemeClr></a:gs>"
         "<a:gs pos=\"100000\"><a:schemeClr val=\"phClr\"/></a:gs></a:gsLst><a:path "
         "path=\"circle\"><a:fillToRect l=\"50000\" t=\"50000\" r=\"50000\" b=\"50000\"/>"
         "</a:path></a:gradFill><a:blipFill><a:blip xmlns:r=\"http://schemas.openxmlformats.org/"
         "officeDocument/2006/relationships\" r:embed=\"rId1\"><a:duotone><a:schemeClr "
         "val=\"phClr\"><a:shade val=\"50000\"/></a:schemeClr><a:schemeClr val=\"phClr\"/>"
         "</a:duotone></a:blip><a:tile/></a:blipFill></a:bgFillStyleLst></a:fmtScheme>";
}

class DrawingFillTest : public ::testing::Test {
 protected:
  // The slide drawn with the test theme; pictures rId2 (PNG) and rId4 (SVG) are the slide's.
  SlideDrawing Draw(const std::string& shapes, const std::string& background = "") {
    testing::DeckLayout layout = testing::OneSlide(shapes);
    layout.theme_elements = ThemeElements();
    layout.slides[0].after_tree = background;
    layout.slides[0].rels = testing::Rel("rId2", "image", "../media/image1.png") +
                            testing::Rel("rId4", "image", "../media/image3.svg");
    layout.extra_parts = {
        {"ppt/media/image1.png", testing::PngHeader(2, 1)},
        {"ppt/media/image3.svg", "<svg xmlns=\"http://www.w3.org/2000/svg\"/>"},
        {"ppt/theme/_rels/theme1.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
             testing::Rel("rId1", "image", "../media/image1.png") + "</Relationships>"}};
    layout.extra_content_types = "<Default Extension=\"png\" ContentType=\"image/png\"/>";
    std::string path = dir_.Write("deck.pptx", testing::BuildDeck(layout));
    deck_ = PackagePresentation::Open(path);
    return DrawSlide(*deck_, 1, assets_);
  }

  // Each shape drawn alone shows its parts ("!" before what must not show).
  void ExpectDrawn(const std::vector<std::pair<std::string, std::vector<std::string>>>& cases) {
    for (const auto& [shapes, parts] : cases) {
      assets_ = {};
      ExpectParts(Draw(shapes).shapes.at(0), parts);
    }
  }

  vintrel::testing::TempDir dir_;
  testing::RecordingAssets assets_;
  std::unique_ptr<PackagePresentation> deck_;
};

std::string Pic(const std::string& fill_children, const std::string& properties = "") {
  return "<p:pic><p:nvPicPr><p:cNvPr id=\"3\" name=\"Photo\"/><p:cNvPicPr/><p:nvPr/>"
         "</p:nvPicPr><p:blipFill>" +
         fill_children +
         "</p:blipFill><p:spPr><a:xfrm><a:off x=\"127000\" y=\"254000\"/><a:ext cx=\"1270000\" "
         "cy=\"635000\"/></a:xfrm>" +
         properties + "</p:spPr></p:pic>";
}

std::string Gradient(const std::string& shade, const std::string& attributes = "") {
  return "<a:gradFill" + attributes +
         "><a:gsLst><a:gs pos=\"0\"><a:srgbClr val=\"FF0000\"/></a:gs><a:gs "
         "pos=\"100000\"><a:srgbClr val=\"0000FF\"/></a:gs></a:gsLst>" +
         shade + "</a:gradFill>";
}

TEST_F(DrawingFillTest, FillsAndLinesInTheSvg) {
  const std::string blip = "<a:blip r:embed=\"rId2\"/>", red = "<a:srgbClr val=\"FF0000\"/>";
  ExpectDrawn({
      {BoxShape("<a:prstGeom prst=\"rect\"/><a:solidFill>" + red + "</a:solidFill>"),
       {"<rect x=\"10\" y=\"20\" width=\"100\" height=\"50\" fill=\"#ff0000\""}},
      {BoxShape("<a:solidFill><a:srgbClr val=\"FF0000\"><a:alpha "
                "val=\"40000\"/></a:srgbClr></a:solidFill>"),
       {"fill-opacity=\"0.4\""}},
      {BoxShape(
           "<a:noFill/><a:ln w=\"25400\"><a:solidFill><a:srgbClr val=\"00FF00\"/></a:solidFill>"
           "<a:prstDash val=\"dash\"/></a:ln>"),
       {"fill=\"none\"", "stroke=\"#00ff00\" stroke-width=\"2\" stroke-dasharray=\"8 6\""}},
      {BoxShape("<a:prstGeom prst=\"ellipse\"/><a:solidFill>" + red + "</a:solidFill>"),
       {"<ellipse cx=\"60\" cy=\"45\" rx=\"50\" ry=\"25\""}},
      {BoxShape("<a:prstGeom prst=\"straightConnector1\"/><a:ln w=\"12700\"><a:solidFill>" + red +
                "</a:solidFill><a:headEnd type=\"oval\"/><a:tailEnd type=\"triangle\" w=\"lg\" "
                "len=\"sm\"/></a:ln>"),
       {"<path d=\"M10 20 L110 70\" fill=\"none\"", "marker-start=\"url(#s1-1-d1)\"",
        "marker-end=\"url(#s1-1-d2)\"",
        "<marker id=\"s1-1-d2\" viewBox=\"0 0 10 10\" refX=\"10\" refY=\"5\" "
        "markerWidth=\"3.96\" markerHeight=\"9.9\"",
        "<path d=\"M0 0 L10 5 L0 10 Z\" fill=\"#ff0000\"/>"}},
      // A path gradient is radial from its focus out to the far corner.
      {BoxShape(
           Gradient("<a:path path=\"circle\"><a:fillToRect l=\"50000\" t=\"50000\" r=\"50000\" "
                    "b=\"50000\"/></a:path>")),
       {"<radialGradient id=\"s1-1-d1\" gradientUnits=\"userSpaceOnUse\" cx=\"60\" cy=\"45\" "
        "r=\"55.9\">"}},
      // A rectangle path runs in rectangles: from its focus (here a point 30 % in from the left
      // and 20 % from the top) to each side, in the triangle towards that side.
      {BoxShape(Gradient("<a:path path=\"rect\"><a:fillToRect l=\"30000\" t=\"20000\" "
                         "r=\"70000\" b=\"80000\"/></a:path>")),
       {"<pattern id=\"s1-1-d1\" patternUnits=\"userSpaceOnUse\" x=\"10\" y=\"20\" "
        "width=\"100\" height=\"50\"><polygon points=\"0,0 100,0 30,10\" fill=\"url(#s1-1-d1t)\"/>",
        "id=\"s1-1-d1r\" gradientUnits=\"userSpaceOnUse\" x1=\"30\" y1=\"10\" x2=\"100\" y2=\"10\"",
        "id=\"s1-1-d1l\" gradientUnits=\"userSpaceOnUse\" x1=\"30\" y1=\"10\" x2=\"0\" y2=\"10\"",
        "fill=\"url(#s1-1-d1)\""}},
      // A 45 degree gradient at its true angle on a 2:1 box reaches both far corners.
      {BoxShape(Gradient("<a:lin ang=\"2700000\" scaled=\"0\"/>")),
       {"<linearGradient id=\"s1-1-d1\"", "x1=\"-0.1\" y1=\"0.2\" x2=\"1.1\" y2=\"0.8\"",
        "fill=\"url(#s1-1-d1)\""}},
      {BoxShape(Gradient("<a:lin ang=\"2700000\" scaled=\"1\"/>")),
       {"x1=\"0\" y1=\"0\" x2=\"1\" y2=\"1\""}},
      // Turned a quarter, a fill that does not turn with the shape runs the other way round.
      {BoxShape(Gradient("<a:lin ang=\"0\"/>", " rotWithShape=\"0\""), "", " rot=\"5400000\""),
       {"x1=\"0.5\" y1=\"1\" x2=\"0.5\" y2=\"0\""}},
      {BoxShape("<a:pattFill prst=\"pct25\"><a:fgClr><a:srgbClr val=\"FF0000\"/></a:fgClr><a:bgClr>"
                "<a:srgbClr val=\"FFFF00\"/></a:bgClr></a:pattFill>"),
       {"<pattern id=\"s1-1-d1\" patternUnits=\"userSpaceOnUse\" width=\"6\" height=\"6\"><rect "
        "width=\"6\" height=\"6\" fill=\"#ffff00\"/>",
        "fill=\"#ff0000\"/></pattern>", "fill=\"url(#s1-1-d1)\""}},
      {BoxShape("<a:blipFill>" + blip + "<a:stretch><a:fillRect/></a:stretch></a:blipFill>"),
       {"<pattern id=\"s1-1-d1\" patternContentUnits=\"objectBoundingBox\" width=\"1\" "
        "height=\"1\"><image href=\"/asset/1\" x=\"0\" y=\"0\" width=\"1\" height=\"1\""}},
      // Tiled at its own size (2 by 1 pixels at 96 per inch) times the tile's scale.
      {BoxShape("<a:blipFill>" + blip + "<a:tile sx=\"200000\" sy=\"100000\"/></a:blipFill>"),
       {"patternUnits=\"userSpaceOnUse\" x=\"10\" y=\"20\" width=\"3\" height=\"0.75\""}},
  });
}

TEST_F(DrawingFillTest, EffectsAndPicturesInTheSvg) {
  const std::string style_of =
      "<p:style><a:lnRef idx=\"0\"><a:srgbClr val=\"000000\"/></a:lnRef>"
      "<a:fillRef idx=\"2\"><a:schemeClr val=\"accent1\"/></a:fillRef>"
      "<a:effectRef idx=\"2\"><a:srgbClr val=\"000000\"/></a:effectRef>"
      "<a:fontRef idx=\"minor\"/></p:style>";
  const std::string blip = "<a:blip r:embed=\"rId2\"/>";
  ExpectDrawn({
      // The style's fill in the reference's colour, and its effect style's shadow.
      {BoxShape("", style_of),
       {"fill=\"#203864\"",
        "<feGaussianBlur in=\"SourceAlpha\" stdDeviation=\"2\"/><feOffset "
        "dx=\"0\" dy=\"3\"",
        "flood-color=\"#000000\" flood-opacity=\"0.4\"", "filter=\"url(#s1-1-d1)\""}},
      // The shape's own empty effect list overrides its style's.
      {BoxShape("<a:effectLst/>", style_of), {"!filter="}},
      {BoxShape("<a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:effectLst><a:glow "
                "rad=\"127000\"><a:srgbClr val=\"00FF00\"/></a:glow><a:softEdge rad=\"63500\"/>"
                "</a:effectLst>"),
       {"operator=\"dilate\" radius=\"5\"", "operator=\"erode\" radius=\"1.25\"",
        "<feMergeNode in=\"glow\"/><feMergeNode in=\"soft\"/>"}},
      {BoxShape("<a:solidFill><a:srgbClr val=\"FF0000\"/></a:solidFill><a:effectLst><a:innerShdw "
                "blurRad=\"25400\" dist=\"12700\"><a:srgbClr "
                "val=\"0000FF\"/></a:innerShdw></a:effectLst>"),
       {"<feFuncA type=\"table\" tableValues=\"1 0\"/>", "<feOffset dx=\"1\" dy=\"0\"",
        "<feMergeNode in=\"SourceGraphic\"/><feMergeNode in=\"inner\"/>"}},
      {"<p:grpSp><p:nvGrpSpPr><p:cNvPr id=\"4\" name=\"G\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>"
       "<p:grpSpPr><a:solidFill><a:srgbClr val=\"00FF00\"/></a:solidFill></p:grpSpPr>" +
           BoxShape("<a:grpFill/>") + "</p:grpSp>",
       {"fill=\"#00ff00\""}},
      // A group ten times the size of its shapes' space: the shape is placed ten times as far
      // and as large, its 2-point line stays 2 points.
      {Group("", "1270000\" cy=\"635000", "127000\" cy=\"63500",
             BoxShape("<a:ln w=\"25400\"><a:solidFill><a:srgbClr val=\"0000FF\"/></a:solidFill>"
                      "</a:ln>")),
       {"<rect x=\"100\" y=\"200\" width=\"1000\" height=\"500\"", "stroke-width=\"2\"",
        "!scale("}},
      // A group flipped across its 200 points: its shape comes to the other side, turned the
      // other way and mirrored.
      {Group(" flipH=\"1\"", "2540000\" cy=\"1270000", "2540000\" cy=\"1270000",
             BoxShape(kRed, "", " rot=\"1800000\"")),
       {"<g transform=\"rotate(-30 140 45)\"><g transform=\"translate(140 45) scale(-1 1)",
        "<rect x=\"90\" y=\"20\" width=\"100\" height=\"50\""}},
      {Pic(blip + "<a:srcRect l=\"25000\" t=\"10000\" r=\"25000\"/><a:stretch/>"),
       {"<svg x=\"10\" y=\"20\" width=\"100\" height=\"50\" viewBox=\"25000 10000 50000 90000\" "
        "preserveAspectRatio=\"none\"><image href=\"/asset/1\" width=\"100000\""}},
      // Stretched past the box's top and bottom, the picture shows its middle.
      {Pic(blip + "<a:stretch><a:fillRect t=\"-25000\" b=\"-25000\"/></a:stretch>"),
       {"viewBox=\"0 16667 100000 66666\""}},
      {Pic("<a:blip r:embed=\"rId2\"><a:alphaModFix amt=\"35000\"/></a:blip>",
           "<a:prstGeom prst=\"ellipse\"/>"),
       {"<clipPath id=\"s1-1-d1\"><ellipse", "opacity=\"0.35\""}},
      {Pic("<a:blip r:embed=\"rId2\"><a:duotone><a:srgbClr val=\"000000\"/><a:srgbClr "
           "val=\"FF8000\"/></a:duotone><a:lum bright=\"70000\" contrast=\"-70000\"/></a:blip>"),
       {"<feFuncR type=\"table\" tableValues=\"0 1\"/><feFuncG type=\"table\" tableValues=\"0 "
        "0.5\"/>",
        "type=\"linear\" slope=\"0.3\" intercept=\"1.05\"/>", "filter=\"url(#s1-1-d1)\""}},
  });
  // A picture kept as SVG too is drawn from its SVG.
  Draw(Pic(
      "<a:blip r:embed=\"rId2\"><a:extLst><a:ext uri=\"{96DAC541-7B7A-43D3-8B79-37D633B846F1}\">"
      "<asvg:svgBlip xmlns:asvg=\"http://schemas.microsoft.com/office/drawing/2016/SVG/main\" "
      "r:embed=\"rId4\"/></a:ext></a:extLst></a:blip>"));
  EXPECT_EQ(assets_.types.back(), "image/svg+xml");
}

TEST_F(DrawingFillTest, ThemeBackgroundStylesInTheReferencesColour) {
  ExpectParts(
      Draw("", "<p:bg><p:bgRef idx=\"1002\"><a:schemeClr val=\"accent1\"/></p:bgRef></p:bg>")
          .backdrop,
      {"<radialGradient id=\"backdrop-d1\" gradientUnits=\"userSpaceOnUse\" cx=\"480\" "
       "cy=\"270\" r=\"550.73\">",
       "<stop offset=\"1\" stop-color=\"#4472c4\"/>"});
  // The third style, a picture recoloured from half the reference's colour to all of it.
  ExpectParts(
      Draw("", "<p:bg><p:bgRef idx=\"1003\"><a:srgbClr val=\"FFFFFF\"/></p:bgRef></p:bg>").backdrop,
      {"<feFuncR type=\"table\" tableValues=\"0.74 1\"/>"});
  // A shape filled with the background (useBgFill) shows it over its style's own fill.
  std::string shape = BoxShape("",
                               "<p:style><a:lnRef idx=\"0\"/><a:fillRef idx=\"1\"><a:schemeClr "
                               "val=\"accent1\"/></a:fillRef><a:effectRef idx=\"0\"/>"
                               "<a:fontRef idx=\"minor\"/></p:style>");
  shape.insert(std::string_view("<p:sp").size(), " useBgFill=\"1\"");
  SlideDrawing drawing =
      Draw(shape,
           "<p:bg><p:bgPr><a:solidFill><a:srgbClr val=\"123456\"/></a:solidFill></p:bgPr></p:bg>");
  ASSERT_EQ(drawing.shapes.size(), 1u);
  ExpectParts(drawing.shapes[0], {"fill=\"#123456\"", "!fill=\"#4472c4\""});
}

}  // namespace
}  // namespace vintrel::ooxml
