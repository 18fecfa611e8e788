// Slides drawn as SVG: what each kind of content becomes, and real decks drawn shape by shape.
#include "host/ooxml/drawing/slide_drawing.h"

#include <gtest/gtest.h>

#include <pugixml.hpp>
#include <string>
#include <tuple>

#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using namespace testing;

std::string Body(const std::string& paragraph, const std::string& body_properties = "") {
  return "<p:txBody><a:bodyPr" + body_properties + "/><a:lstStyle/>" + paragraph + "</p:txBody>";
}

class DrawingTest : public ::testing::Test {
 protected:
  std::string DrawOnly(const std::string& shapes) { return DrawFirst(testing::OneSlide(shapes)); }
  std::string DrawFirst(const testing::DeckLayout& layout) {
    std::string path = dir_.Write("deck.pptx", testing::BuildDeck(layout));
    deck_ = PackagePresentation::Open(path);
    return DrawShape(*deck_, 1, 1, assets_);
  }
  TempDir dir_;
  RecordingAssets assets_;
  std::unique_ptr<PackagePresentation> deck_;
};

TEST_F(DrawingTest, TextKeepsItsFormattingAndStaysText) {
  std::string run =
      "<a:p><a:pPr algn=\"ctr\"/><a:r><a:rPr sz=\"2400\" b=\"1\" i=\"1\" u=\"sng\">"
      "<a:solidFill><a:srgbClr val=\"1F2A44\"/></a:solidFill><a:latin typeface=\"DejaVu Serif\"/>"
      "</a:rPr><a:t>&lt;North &amp; South&gt; 12 €</a:t></a:r></a:p>";
  ExpectParts(DrawOnly(BoxShape("", Body(run, " anchor=\"ctr\" lIns=\"0\""))),
              {"font-size:24px", "font-family:&#39;DejaVu Serif&#39;,serif", "font-weight:bold",
               "font-style:italic", "text-decoration:underline", "color:#1f2a44",
               "text-align:center", "justify-content:center", "padding:3.6px 7.2px 3.6px 0px",
               ">&lt;North &amp; South&gt; 12 €</span>"});
}

// A placeholder takes its place from the layout; text in an ellipse keeps inside the square
// inscribed in it, as the preset's text rectangle says; an arrow flipped to point left keeps its
// text over the shaft, now on the right.
TEST_F(DrawingTest, TextGoesWhereItsFrameSays) {
  const std::string text = Body("<a:p><a:r><a:t>Inside</a:t></a:r></a:p>");
  const std::pair<std::string, std::string> cases[] = {
      {"<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Title\"/><p:cNvSpPr/><p:nvPr><p:ph "
       "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr/>" +
           text + "</p:sp>",
       "<foreignObject x=\"66\" y=\"28.75\" width=\"828\""},
      {BoxShape("<a:prstGeom prst=\"ellipse\"/>", text),
       "<foreignObject x=\"24.64\" y=\"27.32\" width=\"70.71\" height=\"35.36\""},
      {BoxShape("<a:prstGeom prst=\"rightArrow\"/>", text, " flipH=\"1\""),
       "<foreignObject x=\"22.5\" y=\"32.5\" width=\"87.5\" height=\"25\""},
  };
  for (const auto& [shape, frame] : cases) ExpectParts(DrawOnly(shape), {frame});
}

// A deck's own table style: the header row bold in its colour, banded rows, rows stored
// without a height grown to their text.
TEST_F(DrawingTest, TablesFollowTheirStyle) {
  auto cell = [](const std::string& text) {
    return "<a:tc><a:txBody><a:bodyPr/><a:lstStyle/><a:p><a:r><a:t>" + text +
           "</a:t></a:r></a:p></a:txBody><a:tcPr/></a:tc>";
  };
  auto part = [](const std::string& name, const std::string& color, const std::string& text) {
    return "<a:" + name + ">" + text + "<a:tcStyle><a:fill><a:solidFill><a:srgbClr val=\"" + color +
           "\"/></a:solidFill></a:fill></a:tcStyle></a:" + name + ">";
  };
  std::string table =
      "<a:tbl><a:tblPr firstRow=\"1\" bandRow=\"1\"><a:tableStyleId>{S}</a:tableStyleId>"
      "</a:tblPr><a:tblGrid><a:gridCol w=\"2540000\"/></a:tblGrid><a:tr h=\"0\">" +
      cell("Head") + "</a:tr><a:tr h=\"370840\">" + cell("Band") + "</a:tr><a:tr h=\"370840\">" +
      cell("Plain") + "</a:tr></a:tbl>";
  testing::DeckLayout layout = testing::OneSlide(Frame(table));
  layout.presentation_rels = testing::Rel("rId9", "tableStyles", "tableStyles.xml");
  layout.extra_parts.emplace_back(
      "ppt/tableStyles.xml",
      "<a:tblStyleLst xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\">"
      "<a:tblStyle styleId=\"{S}\">" +
          part("wholeTbl", "DDDDDD",
               "<a:tcTxStyle><a:font><a:latin typeface=\"Arial\"/></a:font></a:tcTxStyle>") +
          part("band1H", "0000FF", "") +
          part("firstRow", "FF0000",
               "<a:tcTxStyle b=\"on\"><a:srgbClr val=\"00FF00\"/></a:tcTxStyle>") +
          "</a:tblStyle></a:tblStyleLst>");
  std::string svg = DrawFirst(layout);
  size_t head = svg.find("Head"), band = svg.find("Band"), plain = svg.find("Plain");
  ASSERT_LT(head, band);
  ASSERT_LT(band, plain);
  // The header row has no stored height: it is as tall as its line of 18 points and insets.
  ExpectParts(svg.substr(0, band),
              {"<rect x=\"10\" y=\"20\" width=\"200\" height=\"28.8\" fill=\"#ff0000\"",
               "font-weight:bold", "color:#00ff00"});
  ExpectParts(svg.substr(head, plain - head), {"fill=\"#0000ff\""});
  ExpectParts(svg.substr(band),
              {"fill=\"#dddddd\"", "!font-weight:bold", "font-family:&#39;Arial&#39;"});
}

std::string BarChart(const std::string& chart, const std::string& plot_area) {
  return "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
         "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart>" +
         chart + "<c:plotArea>" + plot_area + "</c:plotArea></c:chart></c:chartSpace>";
}

std::string SeriesOf(const std::string& name, const std::string& values_element,
                     const std::string& first = "First") {
  return "<c:ser><c:tx><c:v>" + name +
         "</c:v></c:tx><c:cat><c:strLit><c:ptCount val=\"3\"/><c:pt idx=\"0\"><c:v>" + first +
         "</c:v>"
         "</c:pt><c:pt idx=\"1\"><c:v>Second</c:v></c:pt><c:pt idx=\"2\"><c:v>Third</c:v></c:pt>"
         "</c:strLit></c:cat><" +
         values_element +
         "><c:numLit><c:ptCount val=\"3\"/><c:pt idx=\"0\"><c:v>1</c:v></c:pt><c:pt idx=\"1\">"
         "<c:v>2</c:v></c:pt><c:pt idx=\"2\"><c:v>3</c:v></c:pt></c:numLit></" +
         values_element + "></c:ser>";
}

// `series` with `inside` added at its end.
std::string With(std::string series, const std::string& inside) {
  return series.insert(series.rfind("</c:ser>"), inside);
}

TEST_F(DrawingTest, ChartsFollowTheirSettings) {
  const std::string sales = SeriesOf("Sales", "c:val"),
                    title = "<c:autoTitleDeleted val=\"0\"/><c:title/>",
                    label =
                        "font-size=\"10\" fill=\"#000000\" font-family=\"&#39;DejaVu "
                        "Sans&#39;,sans-serif\" text-anchor=\"end\" dominant-baseline=\"central\"";
  struct Case {
    std::string plot_area;
    std::vector<std::string> parts;  // "!" before what must not show
    std::string chart = "";
  } cases[] = {
      // Horizontal bars list their categories bottom-up.
      {"<c:barChart><c:barDir val=\"bar\"/>" + sales +
           "</c:barChart><c:catAx><c:axPos val=\"l\"/></c:catAx><c:valAx/>",
       {"y=\"168\" " + label + ">First</text>", "y=\"56\" " + label + ">Third</text>"}},
      {"<c:barChart>" + sales + "</c:barChart>", {">Sales</text>"}, title},
      {"<c:barChart>" + sales + SeriesOf("Costs", "c:val") + "</c:barChart>",
       {">Chart Title</text>", "!>Sales</text>"},
       title},
      {"<c:barChart>" + sales +
           "</c:barChart><c:catAx><c:tickLblPos val=\"none\"/></c:catAx><c:valAx/>",
       {">3.5</text>", "!>First</text>"}},
      // A long name breaks at its spaces; a word too long for its band is slanted.
      {"<c:barChart>" + SeriesOf("Sales", "c:val", "North East Region Office Building") +
           "</c:barChart><c:catAx/><c:valAx/>",
       {">North East Region Office</text>", ">Building</text>", "!rotate(-45"}},
      {"<c:barChart>" + SeriesOf("Sales", "c:val", "Supercalifragilisticexpialidocious") +
           "</c:barChart><c:catAx/><c:valAx/>",
       {"rotate(-45"}},
      // Bars of a cluster set apart by half a bar width, a bar's width between clusters: in
      // bands of 120 points, bars of 120 / 3.5 points, one and a half widths apart.
      {"<c:barChart><c:gapWidth val=\"100\"/><c:overlap val=\"-50\"/>" + sales +
           SeriesOf("Costs", "c:val") + "</c:barChart><c:catAx/><c:valAx/>",
       {"<rect x=\"59.14\" ", "<rect x=\"110.57\" "}},
      // Names on the tick marks of an area chart have the room between the marks.
      {"<c:areaChart>" + SeriesOf("Sales", "c:val", "Quarterly-results-total-x") +
           "</c:areaChart><c:catAx/><c:valAx><c:crossBetween val=\"midCat\"/></c:valAx>",
       {">Quarterly-results-total-x</text>", "!rotate(-45"}},
      // A plot placed by hand: the right half of the chart's upper half.
      {"<c:layout><c:manualLayout><c:layoutTarget val=\"inner\"/><c:xMode val=\"edge\"/>"
       "<c:yMode val=\"edge\"/><c:x val=\"0.5\"/><c:y val=\"0\"/><c:w val=\"0.5\"/>"
       "<c:h val=\"0.5\"/></c:manualLayout></c:layout><c:barChart>" +
           sales + "</c:barChart><c:catAx/><c:valAx><c:majorGridlines/></c:valAx>",
       {"<line x1=\"210\" y1=\"120\" x2=\"410\" y2=\"120\""}},
      // Category dates are day numbers shown in their format.
      {"<c:areaChart><c:ser><c:cat><c:numRef><c:numCache><c:formatCode>m/d/yyyy</c:formatCode>"
       "<c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>37261</c:v></c:pt></c:numCache></c:numRef>"
       "</c:cat><c:val><c:numLit><c:ptCount val=\"1\"/><c:pt idx=\"0\"><c:v>32</c:v></c:pt>"
       "</c:numLit></c:val></c:ser></c:areaChart><c:catAx/><c:valAx/>",
       {">1/5/2002</text>", ">35</text>", "!>37261</text>"}},
      // A scatter chart of markers only, and a line chart showing its markers.
      {"<c:scatterChart><c:scatterStyle val=\"marker\"/>" + SeriesOf("Sales", "c:yVal") +
           "</c:scatterChart><c:valAx><c:axPos val=\"b\"/></c:valAx><c:valAx/>",
       {"<circle", "!<polyline"}},
      {"<c:lineChart><c:marker val=\"1\"/>" + sales + "</c:lineChart>", {"<circle", "<polyline"}},
      // Bubbles by area, the largest a quarter of the plot's shorter side (166 points) across; a
      // point without a size shows none.
      {"<c:bubbleChart>" +
           With(SeriesOf("Sales", "c:yVal"),
                "<c:bubbleSize><c:numLit><c:ptCount val=\"3\"/><c:pt idx=\"0\"><c:v>1</c:v>"
                "</c:pt><c:pt idx=\"2\"><c:v>4</c:v></c:pt></c:numLit></c:bubbleSize>") +
           "</c:bubbleChart><c:valAx><c:axPos val=\"b\"/></c:valAx><c:valAx/>",
       {"r=\"10.38\"", "r=\"20.75\"", "!cx=\"247.71\"", "!<polyline"}},
  };
  for (const Case& test : cases) {
    std::string svg = DrawFirst(ChartDeck(BarChart(test.chart, test.plot_area)));
    ExpectParts(svg, test.parts);
  }
}

TEST_F(DrawingTest, PiesAndTitlesFollowTheirSettings) {
  const std::string sales = SeriesOf("Sales", "c:val");
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      // A 3-D pie seen from 30 degrees above: half as high as wide (a radius of 154.55 points
      // and its rim, 0.19 of that deep, fill the plot's 184), the rim a shade darker and only
      // in front: from three o'clock of the second slice (60 to 180 degrees) to nine.
      {"<c:pie3DChart>" + sales + "</c:pie3DChart>",
       {"L210 28 A154.55 77.28 0 0 1 343.85 66.64 Z",
        "<path d=\"M364.55 105.28 A154.55 77.28 0 0 1 210 182.55 L210 212 A154.55 77.28 0 0 0 "
        "364.55 134.72 Z\" fill=\"#335593\"/>",
        "M210 182.55 A154.55 77.28 0 0 1 55.45 105.28 L55.45 134.72"},
       "<c:view3D><c:rotX val=\"30\"/></c:view3D>"},
      // A slice pulled out by its radius: the pie half as large (46 of 92 points), the first
      // slice's middle (30 degrees) moved out by 46, the second in place.
      {"<c:pieChart>" + With(sales, "<c:dPt><c:idx val=\"0\"/><c:explosion val=\"100\"/></c:dPt>") +
           "</c:pieChart>",
       {"M233 34.16 A46 46 0 0 1", "M249.84 97 A46 46 0 0 1"},
       ""},
      // A generator's template left in the part: what parses before it (the title) is drawn.
      {"<c:pieChart><#list>" + sales + "</#list></c:pieChart>",
       {">Production</text>", "!>Sales</text>"},
       "<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:r><a:t>Production</a:t></a:r></a:p></c:rich>"
       "</c:tx></c:title>"},
      // A title's own text says how it looks.
      {"<c:pieChart>" + sales + "</c:pieChart>",
       {"font-size=\"16\"", "font-weight=\"bold\">Output</text>"},
       "<c:title><c:tx><c:rich><a:bodyPr/><a:p><a:pPr><a:defRPr sz=\"1600\"/></a:pPr><a:r><a:rPr "
       "b=\"1\"/><a:t>Output</a:t></a:r></a:p></c:rich></c:tx></c:title>"},
  };
  for (const auto& [plot_area, parts, chart] : cases) {
    ExpectParts(DrawFirst(ChartDeck(BarChart(chart, plot_area))), parts);
  }
}

// Data labels say what their point, series or group asks for: a cell range's text through the
// label's field, parts joined by the series' separator, none for a deleted point, pie shares;
// shares stacked to 100 % end the axis there and stand on the series below.
TEST_F(DrawingTest, ChartLabelsAndSharesFollowTheirSettings) {
  const std::string range_label =
      "<c:dLbls><c:dLbl><c:idx val=\"1\"/><c:tx><c:rich><a:bodyPr/><a:p><a:fld type=\"CELLRANGE\">"
      "<a:t>[CELLRANGE]</a:t></a:fld></a:p></c:rich></c:tx><c:showVal val=\"0\"/><c:extLst>"
      "<c:ext><c15:showDataLabelsRange val=\"1\"/></c:ext></c:extLst></c:dLbl></c:dLbls>"
      "<c:extLst><c:ext><c15:datalabelsRange><c15:dlblRangeCache><c:ptCount val=\"3\"/>"
      "<c:pt idx=\"1\"><c:v>Item B</c:v></c:pt></c15:dlblRangeCache></c15:datalabelsRange>"
      "</c:ext></c:extLst>";
  const std::string parts =
      "<c:dLbls><c:dLbl><c:idx val=\"2\"/><c:delete val=\"1\"/></c:dLbl><c:separator>; "
      "</c:separator><c:showVal val=\"1\"/><c:showCatName val=\"1\"/></c:dLbls>";
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"<c:scatterChart><c:scatterStyle val=\"marker\"/>" +
           With(SeriesOf("Sales", "c:yVal"), range_label) +
           "</c:scatterChart><c:valAx><c:axPos val=\"b\"/></c:valAx><c:valAx/>",
       {"text-anchor=\"start\" dominant-baseline=\"central\">Item B</text>", "![CELLRANGE]"}},
      {"<c:barChart>" + With(SeriesOf("Sales", "c:val"), parts) +
           "</c:barChart><c:catAx/><c:valAx/>",
       {">First; 1</text>", ">Second; 2</text>", "!>Third; 3</text>"}},
      {"<c:pieChart>" +
           With(SeriesOf("Sales", "c:val"), "<c:dLbls><c:showPercent val=\"1\"/></c:dLbls>") +
           "</c:pieChart>",
       {">17%</text>", ">33%</text>", ">50%</text>"}},
      {"<c:areaChart><c:grouping val=\"percentStacked\"/>" + SeriesOf("Sales", "c:val") +
           SeriesOf("Costs", "c:val") + "</c:areaChart><c:catAx/><c:valAx/>",
       {">100%</text>", ">90%</text>", "!>120%</text>",
        "<polygon points=\"107,28 225,28 343,28 343,111 225,111 107,111\""}},
  };
  for (const auto& [plot_area, expected] : cases) {
    ExpectParts(DrawFirst(ChartDeck(BarChart("", plot_area))), expected);
  }
}

// A text box drawn over a chart sits where its anchor says, in fractions of the chart.
TEST_F(DrawingTest, ChartUserShapesShowTheirText) {
  testing::DeckLayout layout = ChartDeck(BarChart(
      "", "<c:barChart>" + SeriesOf("Sales", "c:val") + "</c:barChart><c:catAx/><c:valAx/>"));
  layout.extra_parts.emplace_back(
      "ppt/charts/_rels/chart1.xml.rels",
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
          testing::Rel("rId1", "chartUserShapes", "../drawings/drawing1.xml") + "</Relationships>");
  layout.extra_parts.emplace_back(
      "ppt/drawings/drawing1.xml",
      "<c:userShapes xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:cdr=\"http://schemas.openxmlformats.org/drawingml/2006/chartDrawing\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><cdr:relSizeAnchor>"
      "<cdr:from><cdr:x>0.5</cdr:x><cdr:y>0.25</cdr:y></cdr:from><cdr:to><cdr:x>1</cdr:x>"
      "<cdr:y>0.5</cdr:y></cdr:to><cdr:sp><cdr:spPr><a:prstGeom prst=\"rect\"/><a:solidFill>"
      "<a:srgbClr val=\"FF0000\"/></a:solidFill></cdr:spPr><cdr:txBody><a:bodyPr/><a:p><a:r>"
      "<a:t>Note</a:t></a:r></a:p></cdr:txBody></cdr:sp></cdr:relSizeAnchor></c:userShapes>");
  ExpectParts(DrawFirst(layout),
              {"<rect x=\"210\" y=\"70\" width=\"200\" height=\"50\" fill=\"#ff0000\"", ">Note<"});
}

// A diagram its program never laid out shows its node texts, not its connections' texts.
TEST_F(DrawingTest, DiagramWithoutDrawnFormShowsItsNodeTexts) {
  testing::DeckLayout layout = testing::OneSlide(
      Frame("<dgm:relIds xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" "
            "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
            "r:dm=\"rId5\"/>"));
  layout.slides[0].rels = testing::Rel("rId5", "diagramData", "../diagrams/data1.xml");
  auto point = [](const std::string& type, const std::string& text) {
    return "<dgm:pt" + type + "><dgm:t><a:bodyPr/><a:p><a:r><a:t>" + text +
           "</a:t></a:r></a:p></dgm:t></dgm:pt>";
  };
  layout.extra_parts.emplace_back(
      "ppt/diagrams/data1.xml",
      "<dgm:dataModel xmlns:dgm=\"http://schemas.openxmlformats.org/drawingml/2006/diagram\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><dgm:ptLst>" +
          point(" type=\"doc\"", "Whole") + point("", "Meetings") +
          point(" type=\"sibTrans\"", "Link") + point("", "E-mail") +
          "</dgm:ptLst></dgm:dataModel>");
  ExpectParts(DrawFirst(layout), {">Meetings<", ">E-mail<", "!>Link<", "!>Whole<"});
}

TEST(DrawingDiagramTest, SmartArtPaintsItsShapesAndTexts) {
  auto deck = PackagePresentation::Open(FixturePath("pptx/pptx-automizer-smartart.pptx"));
  RecordingAssets assets;
  // Texts in the hexagons take the white of the shapes' font reference.
  ExpectParts(DrawSlide(*deck, 1, assets).Svg(),
              {"<g class=\"diagram\">", "color:#ffffff\">A1<", "color:#ffffff\">B1<", ">C2<"});
}

// An EMF preview (another program's chart) reaches the screen as SVG, drawn in the page over its
// frame: its words are text, its clip paths named apart from the page's.
TEST(DrawingPictureTest, EmfPicturesKeepTheirWordsAsText) {
  auto deck =
      PackagePresentation::Open(std::string(VINTREL_SOURCE_DIR) +
                                "/tests/fixtures/decks/tika__testMSChart-govdocs-428996.pptx");
  RecordingAssets assets;
  std::string svg = DrawShape(*deck, 1, 1, assets);
  ExpectParts(
      svg, {"x=\"0\" y=\"15.88\" width=\"708\" height=\"428.12\"",
            "<![CDATA[Tech Partners]]></text>", "<![CDATA[R&D Partners]]></text>",
            "id=\"s1-1-d1-clip-", "url(#s1-1-d1-clip-", "!<image", "!id=\"clip-", "!url(#clip-"});
  EXPECT_EQ(assets.types, std::vector<std::string>{"image/svg+xml"});
  pugi::xml_document parsed;
  EXPECT_TRUE(parsed.load_string(svg.c_str()));
}

// An embedded object shows its preview picture: one of its own, or (decks converted from the
// older binary format) the picture of the VML shape named by its `spid`.
TEST_F(DrawingTest, EmbeddedObjectsShowTheirPreview) {
  const std::string own =
      "<p:oleObj r:id=\"rId6\"><p:embed/><p:pic><p:nvPicPr><p:cNvPr id=\"3\" "
      "name=\"\"/><p:cNvPicPr/><p:nvPr/></p:nvPicPr><p:blipFill><a:blip "
      "r:embed=\"rId7\"/></p:blipFill><p:spPr/></p:pic></p:oleObj>";
  const std::string in_vml = "<p:oleObj spid=\"_x0000_s2\" r:id=\"rId6\"><p:embed/></p:oleObj>";
  for (const std::string& object : {own, in_vml}) {
    testing::DeckLayout layout = testing::OneSlide(Frame(object));
    layout.slides[0].rels = testing::Rel("rId5", "vmlDrawing", "../drawings/vmlDrawing1.vml") +
                            testing::Rel("rId6", "oleObject", "../embeddings/object.bin") +
                            testing::Rel("rId7", "image", "../media/preview.png");
    layout.extra_parts = {
        {"ppt/drawings/vmlDrawing1.vml",
         "<xml xmlns:v=\"urn:schemas-microsoft-com:vml\" xmlns:o=\"urn:schemas-microsoft-com:"
         "office:office\"><v:shape id=\"_x0000_s1\"/><v:shape id=\"_x0000_s2\"><v:imagedata "
         "o:relid=\"rId1\"/></v:shape></xml>"},
        {"ppt/drawings/_rels/vmlDrawing1.vml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
             testing::Rel("rId1", "image", "../media/preview.png") + "</Relationships>"},
        {"ppt/media/preview.png", ReadFile(VINTREL_SOURCE_DIR "/examples/data/pictures/north.png")},
        {"ppt/embeddings/object.bin", "object"}};
    layout.extra_content_types =
        "<Default Extension=\"vml\" ContentType=\"application/"
        "vnd.openxmlformats-officedocument.vmlDrawing\"/>";
    ExpectParts(DrawFirst(layout), {"<image href=\"/asset/", "width=\"400\" height=\"200\""});
  }
}

TEST(DrawingExampleTest, HiddenShapesLinkedPicturesAndChartsFromTheirCaches) {
  auto deck =
      PackagePresentation::Open(std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx");
  RecordingAssets assets;
  EXPECT_EQ(DrawShape(*deck, 3, 3, assets),
            "<g id=\"s3-3\" data-name=\"Region picture\" "
            "display=\"none\"/>");
  deck->slides().Item(3).Shapes().Item(3).SetVisible(true);
  ExpectParts(DrawShape(*deck, 3, 3, assets), {"<image href=\"/asset/1\""});
  EXPECT_EQ(assets.stored, std::vector<std::string>{
                               ReadFile(VINTREL_SOURCE_DIR "/examples/data/pictures/north.png")});
  deck->slides().Item(2).Shapes().Item(3).SetVisible(true);
  ExpectParts(DrawShape(*deck, 2, 3, assets),
              {">East</text>", ">North</text>", ">South</text>", ">West</text>"});
}

// Every shape drawn alone is exactly its element in the whole slide (what a screen swaps in),
// and every drawing is well-formed XML, on real presentations from several programs.
TEST(DrawingRealDecksTest, ShapesDrawnAloneMatchTheWholeSlide) {
  std::vector<std::string> decks = {std::string(VINTREL_SOURCE_DIR) + "/examples/sales-board.pptx"};
  for (const std::string& name : RealDecks()) decks.push_back(FixturePath("pptx/" + name));
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
