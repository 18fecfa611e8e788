// Preset and custom geometry evaluated from their formulas: path points at two sizes and with
// adjust values, worked out by hand from the preset definitions.
#include "host/ooxml/drawing/drawing_geometry.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "package_test_support.h"

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
  const std::string many_turns =
      "<a:custGeom><a:pathLst><a:path w=\"2\" h=\"2\"><a:moveTo><a:pt x=\"0\" y=\"1\"/>"
      "</a:moveTo><a:arcTo wR=\"1\" hR=\"1\" stAng=\"10800000\" swAng=\"1e300\"/>"
      "</a:path></a:pathLst></a:custGeom>";
  auto preset = [](const std::string& name, const std::string& adjust = "") {
    return "<a:prstGeom prst=\"" + name + "\"><a:avLst>" + adjust + "</a:avLst></a:prstGeom>";
  };
  struct Case {
    double width, height;
    std::string geometry;
    std::vector<std::string> parts;  // "!" before what must not be drawn
    std::string fill = " fill=\"#ff0000\"";
  };
  auto adjust = [](const std::string& name, const std::string& value) {
    return "<a:gd name=\"" + name + "\" fmla=\"val " + value + "\"/>";
  };
  const std::string arrow = preset("rightArrow"), round = preset("roundRect"),
                    smiley = preset("smileyFace"), star = preset("star5"),
                    callout = preset("wedgeRectCallout"), bent = preset("bentConnector3"),
                    long_head = preset("rightArrow", adjust("adj2", "25000")),
                    round_ends = preset("roundRect", adjust("adj", "50000")),
                    bent_early = preset("bentConnector3", adjust("adj1", "25000"));
  std::vector<Case> cases = {
      // Shaft half the height, head as long as half the shorter side.
      {100, 50, arrow, {"d=\"M0 12.5 L75 12.5 L75 0 L100 25 L75 50 L75 37.5 L0 37.5 Z\""}},
      {200, 50, arrow, {"L175 12.5 L175 0 L200 25"}},
      {100, 50, long_head, {"L87.5 0 L100 25"}},
      // Corners of a sixth of the shorter side, quarter turns clockwise.
      {100,
       50,
       round,
       {"d=\"M0 8.33 A8.33 8.33 0 0 1 8.33 0 L91.67 0 A8.33 8.33 0 0 1 100 8.33 L100"}},
      {200, 50, round_ends, {"M0 25 A25 25 0 0 1 25 0 L175 0"}},
      // A whole turn is drawn as two halves; the eyes are shaded, the mouth is a line.
      {100,
       100,
       smiley,
       {"d=\"M0 50 A50 50 0 0 1 100 50 A50 50 0 0 1 0 50 Z\"", "fill-opacity=\"0.2\"",
        "fill=\"none\" stroke=\"#000000\""}},
      // The outer points of the star touch the left side at 38.2 % of the height, the top point
      // is the top middle.
      {100, 100, star, {"d=\"M0 38.2 ", " L50 0 "}},
      // The tail's tip lies left of the middle and below the box.
      {100, 100, callout, {"L29.17 112.5"}},
      {100, 50, bent, {"d=\"M0 0 L50 0 L50 50 L100 50\" fill=\"none\""}},
      {200, 100, bent_early, {"M0 0 L50 0 L50 100 L200 100"}},
      {100, 100, preset("can"), {"fill=\"#ffffff\" fill-opacity=\"0.4\""}},
      {100, 50, custom_arc, {"d=\"M0 25 A50 25 0 0 1 100 25\""}},
      {100, 50, custom_guides, {"d=\"M0 0 L50 50 Z\""}},
      // An arc of many turns is one turn.
      {100, 100, many_turns, {"d=\"M0 50 A50 50 0 0 1 100 50 A50 50 0 0 1 0 50\""}},
  };
  // Without a fill there is no shading either.
  cases.push_back({100, 100, preset("can"), {"!fill-opacity"}, " fill=\"none\""});
  for (const Case& test : cases) {
    SCOPED_TRACE(test.geometry + " " + std::to_string(test.width) + "x" +
                 std::to_string(test.height));
    pugi::xml_document properties;
    ASSERT_TRUE(properties.load_string(("<p:spPr>" + test.geometry + "</p:spPr>").c_str()));
    ooxml::testing::ExpectParts(
        GeometryElement(properties.document_element(), {0, 0, test.width, test.height}, test.fill,
                        " stroke=\"#000000\""),
        test.parts);
  }
}

}  // namespace
}  // namespace vintrel::ooxml::drawing
