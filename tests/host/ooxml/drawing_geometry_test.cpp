// Preset and custom geometry evaluated from their formulas: path points at two sizes and with
// adjust values, worked out by hand from the preset definitions.
#include "host/ooxml/drawing/drawing_geometry.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

namespace vintrel::ooxml::drawing {
namespace {

TEST(GeometryTest, PresetsAndCustomPathsFollowTheirFormulas) {
  const std::string custom_arc =
      "<a:custGeom><a:pathLst><a:path w=\"200\" h=\"100\"><a:moveTo><a:pt x=\"0\" y=\"50\"/>"
      "</a:moveTo><a:arcTo wR=\"100\" hR=\"50\" stAng=\"10800000\" swAng=\"10800000\"/>"
      "</a:path></a:pathLst></a:custGeom>";
  // Without a size of its own the path is in the shape's EMU: 635000 EMU are 50 points.
  const std::string custom_guides =
      "<a:custGeom><a:gdLst><a:gd name=\"mid\" fmla=\"+/ l r 2\"/></a:gdLst><a:pathLst><a:path>"
      "<a:moveTo><a:pt x=\"0\" y=\"0\"/></a:moveTo><a:lnTo><a:pt x=\"mid\" y=\"635000\"/></a:lnTo>"
      "<a:close/></a:path></a:pathLst></a:custGeom>";
  auto preset = [](const std::string& name, const std::string& adjust = "") {
    return "<a:prstGeom prst=\"" + name + "\"><a:avLst>" + adjust + "</a:avLst></a:prstGeom>";
  };
  struct Case {
    std::string geometry;
    double width, height;
    std::vector<std::string> expected;
  } cases[] = {
      // Shaft half the height, head as long as half the shorter side.
      {preset("rightArrow"),
       100,
       50,
       {"d=\"M0 12.5 L75 12.5 L75 0 L100 25 L75 50 L75 37.5 L0 37.5 Z\""}},
      {preset("rightArrow"), 200, 50, {"L175 12.5 L175 0 L200 25"}},
      {preset("rightArrow", "<a:gd name=\"adj2\" fmla=\"val 25000\"/>"),
       100,
       50,
       {"L87.5 0 L100 25"}},
      // Corners of a sixth of the shorter side, quarter turns clockwise.
      {preset("roundRect"),
       100,
       50,
       {"d=\"M0 8.33 A8.33 8.33 0 0 1 8.33 0 L91.67 0 A8.33 8.33 0 0 1 100 8.33 L100 41.67"}},
      {preset("roundRect", "<a:gd name=\"adj\" fmla=\"val 50000\"/>"),
       200,
       50,
       {"M0 25 A25 25 0 0 1 25 0 L175 0"}},
      // A whole turn is drawn as two halves; the eyes are shaded, the mouth is a line.
      {preset("smileyFace"),
       100,
       100,
       {"d=\"M0 50 A50 50 0 0 1 100 50 A50 50 0 0 1 0 50 Z\"", "fill-opacity=\"0.2\"",
        "fill=\"none\" stroke=\"#000000\""}},
      {preset("smileyFace"), 200, 100, {"d=\"M0 50 A100 50 0 0 1 200 50 A100 50 0 0 1 0 50 Z\""}},
      // The outer points of the star touch the left side at 38.2 % of the height, the top point
      // is the top middle.
      {preset("star5"), 100, 100, {"d=\"M0 38.2 ", " L50 0 "}},
      {preset("star5"), 200, 100, {"d=\"M0 38.2 ", " L100 0 "}},
      // The tail's tip lies left of the middle and below the box.
      {preset("wedgeRectCallout"), 100, 100, {"L29.17 112.5"}},
      {preset("wedgeRectCallout"), 200, 100, {"L58.33 112.5"}},
      {preset("bentConnector3"), 100, 50, {"d=\"M0 0 L50 0 L50 50 L100 50\" fill=\"none\""}},
      {preset("bentConnector3", "<a:gd name=\"adj1\" fmla=\"val 25000\"/>"),
       200,
       100,
       {"M0 0 L50 0 L50 100 L200 100"}},
      {preset("can"), 100, 100, {"fill=\"#ffffff\" fill-opacity=\"0.4\""}},
      {custom_arc, 100, 50, {"d=\"M0 25 A50 25 0 0 1 100 25\""}},
      {custom_guides, 100, 50, {"d=\"M0 0 L50 50 Z\""}},
      // An arc of many turns is one turn.
      {"<a:custGeom><a:pathLst><a:path w=\"2\" h=\"2\"><a:moveTo><a:pt x=\"0\" y=\"1\"/>"
       "</a:moveTo><a:arcTo wR=\"1\" hR=\"1\" stAng=\"10800000\" swAng=\"1e300\"/>"
       "</a:path></a:pathLst></a:custGeom>",
       100,
       100,
       {"d=\"M0 50 A50 50 0 0 1 100 50 A50 50 0 0 1 0 50\""}},
  };
  for (const Case& test : cases) {
    pugi::xml_document properties;
    ASSERT_TRUE(properties.load_string(("<p:spPr>" + test.geometry + "</p:spPr>").c_str()));
    std::string svg =
        GeometryElement(properties.document_element(), {0, 0, test.width, test.height},
                        " fill=\"#ff0000\"", " stroke=\"#000000\"");
    for (const std::string& expected : test.expected) {
      EXPECT_NE(svg.find(expected), std::string::npos)
          << test.geometry << " " << test.width << "x" << test.height << "\n"
          << svg;
    }
  }
  // Without a fill there is no shading either.
  pugi::xml_document can;
  ASSERT_TRUE(can.load_string(("<p:spPr>" + preset("can") + "</p:spPr>").c_str()));
  std::string unfilled = GeometryElement(can.document_element(), {0, 0, 100, 100}, " fill=\"none\"",
                                         " stroke=\"#000000\"");
  EXPECT_EQ(unfilled.find("fill-opacity"), std::string::npos) << unfilled;
}

}  // namespace
}  // namespace vintrel::ooxml::drawing
