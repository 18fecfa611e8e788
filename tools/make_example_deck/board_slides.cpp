#include "board_slides.h"

#include "package_frame.h"
#include "shape_xml.h"

namespace vintrel::example {
namespace {

constexpr long kMargin = 609600;  // 2/3 inch
constexpr long kColumnWidth = 3556000;
constexpr long kColumnGap = 304800;
// What a linked value box shows until its first fill.
constexpr char kUnfilled[] = "-";

pptx::Slide MadeSlide(const std::string& shapes, const std::string& relationships = "") {
  pptx::Slide slide;
  slide.shapes = shapes;
  slide.relationships = relationships;
  return slide;
}

TextLook Caption() {
  TextLook look;
  look.size = 1400;
  look.color = "5B6B86";
  return look;
}

TextLook Heading(const std::string& color) {
  TextLook look;
  look.size = 1600;
  look.bold = true;
  look.color = color;
  return look;
}

TextLook ValueCard() {
  TextLook look;
  look.size = 3600;
  look.bold = true;
  look.fill = "FFFFFF";
  look.anchor = "ctr";
  look.geometry = "roundRect";
  return look;
}

// A source column of slide 1: heading, then two cards (label above a linked value box).
std::string SourceColumn(int column, int& next_id, const std::string& kind,
                         const std::string& heading, const std::string& color,
                         const std::string (&labels)[2], const std::string (&value_names)[2]) {
  const long x = kMargin + column * (kColumnWidth + kColumnGap);
  std::string shapes = TextBox(next_id++, kind + " heading", {x, 1737360, kColumnWidth, 457200},
                               heading, Heading(color));
  for (int card = 0; card < 2; ++card) {
    const long top = 2286000 + card * 1463040;
    shapes += TextBox(next_id++, value_names[card] + " label", {x, top, kColumnWidth, 365760},
                      labels[card], Caption());
    shapes += TextBox(next_id++, value_names[card], {x, top + 365760, kColumnWidth, 914400},
                      kUnfilled, ValueCard());
  }
  return shapes;
}

}  // namespace

pptx::Slide SalesSlide() {
  int id = 2;
  std::string shapes = TitlePlaceholder(id++, "Sales board");
  TextLook clock;
  clock.size = 2800;
  clock.color = "2E6FBF";
  clock.align = "r";
  clock.anchor = "ctr";
  shapes += TextBox(id++, "Clock", {pptx::kSlideWidth - kMargin - 2438400, 304800, 2438400, 914400},
                    kUnfilled, clock);
  shapes += TextBox(id++, "Subtitle", {kMargin, 1188720, 10972800, 457200},
                    "Every value below is read from a file or database beside this presentation.",
                    Caption());
  shapes += SourceColumn(0, id, "Text file", "Text file: data/sales.tsv", "2E6FBF",
                         {"North: sales", "South: sales"}, {"North sales", "South sales"});
  shapes += SourceColumn(1, id, "Database", "Database: data/board.db", "3A9D5D",
                         {"East: total of orders", "North: number of orders"},
                         {"East total", "North orders"});
  shapes += SourceColumn(2, id, "Workbook", "Workbook: data/targets.xlsx", "D9822B",
                         {"Q1: target", "Q1: share of target reached"}, {"Q1 target", "Q1 share"});
  shapes += TextBox(id++, "Footnote", {kMargin, 6035040, 10972800, 457200},
                    "Linked values are filled in when the presentation is opened and saved blank.",
                    Caption());
  return MadeSlide(shapes);
}

pptx::Slide ChartSlide(const std::string& chart_target) {
  std::string shapes = TitlePlaceholder(2, "Totals by region");
  shapes += TextBox(3, "Subtitle", {kMargin, 1188720, 10972800, 457200},
                    "Fed from data/board.db: SELECT region, total FROM totals", Caption());
  shapes +=
      "<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id=\"4\" name=\"Totals chart\"/>"
      "<p:cNvGraphicFramePr><a:graphicFrameLocks noGrp=\"1\"/></p:cNvGraphicFramePr><p:nvPr/>"
      "</p:nvGraphicFramePr>" +
      Xfrm({kMargin, 1737360, 10972800, 4389120}, "p") +
      "<a:graphic><a:graphicData uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\">"
      "<c:chart xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "r:id=\"rId2\"/></a:graphicData></a:graphic></p:graphicFrame>";
  return MadeSlide(shapes, RelationshipXml({"rId2", "chart", chart_target}));
}

pptx::Slide PictureSlide(const std::string& picture_target) {
  std::string shapes = TitlePlaceholder(2, "Region of the month");
  shapes +=
      TextBox(3, "Subtitle", {kMargin, 1188720, 10972800, 457200},
              "The picture is the file the Picture column of data/sales.tsv names.", Caption());
  const Frame picture{kMargin, 1828800, 3840480, 3840480};
  shapes += "<p:pic><p:nvPicPr><p:cNvPr id=\"4\" name=\"Region picture\" descr=\"" +
            EscapeXml(picture_target) +
            "\"/><p:cNvPicPr><a:picLocks noChangeAspect=\"1\"/></p:cNvPicPr><p:nvPr/>"
            "</p:nvPicPr><p:blipFill><a:blip r:link=\"rId2\"/><a:stretch><a:fillRect/>"
            "</a:stretch></p:blipFill><p:spPr>" +
            Xfrm(picture) + "<a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr></p:pic>";
  const long x = picture.x + picture.cx + 609600;
  const long width = pptx::kSlideWidth - kMargin - x;
  TextLook name = ValueCard();
  name.size = 4400;
  name.fill.clear();
  name.anchor = "b";
  shapes += TextBox(5, "Region name", {x, 2286000, width, 1097280}, kUnfilled, name);
  shapes += TextBox(6, "Region sales label", {x, 3566160, width, 365760}, "Sales", Caption());
  shapes += TextBox(7, "Region sales", {x, 3931920, width, 914400}, kUnfilled, ValueCard());
  return MadeSlide(shapes, RelationshipXml({"rId2", "image", picture_target, /*external=*/true}));
}

}  // namespace vintrel::example
