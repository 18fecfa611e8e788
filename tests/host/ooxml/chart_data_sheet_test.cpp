// A native chart refilled through its data sheet: the block pasted from the clipboard becomes
// the chart's series caches and its embedded workbook.
#include "host/ooxml/chart_data_sheet.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "decks/deck_builder.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/xml_util.h"
#include "testing/temp_dir.h"

namespace vintrel::ooxml {
namespace {

using testing::PackageProblems;
using testing::ReadEntry;
using vintrel::testing::FixturePath;
using vintrel::testing::TempDir;

struct Series {
  std::string name;
  std::vector<std::string> categories;
  std::vector<std::string> values;  // "" for a blank point
  std::string values_formula;
  std::string format;
  unsigned idx;
};

std::vector<std::string> Points(pugi::xml_node cache) {
  std::vector<std::string> out(cache.child("c:ptCount").attribute("val").as_uint());
  for (pugi::xml_node pt : cache.children("c:pt")) {
    out.at(pt.attribute("idx").as_uint()) = pt.child_value("c:v");
  }
  return out;
}

std::vector<Series> ReadSeries(const std::string& chart_xml) {
  pugi::xml_document doc;
  EXPECT_EQ(ParseXml(doc, chart_xml), "");
  std::vector<Series> out;
  for (pugi::xml_node type :
       doc.document_element().child("c:chart").child("c:plotArea").children()) {
    for (pugi::xml_node ser : type.children("c:ser")) {
      Series s;
      s.name = Points(ser.child("c:tx").child("c:strRef").child("c:strCache")).at(0);
      s.categories = Points(ser.child("c:cat").child("c:strRef").child("c:strCache"));
      pugi::xml_node num = ser.child("c:val").child("c:numRef");
      s.values = Points(num.child("c:numCache"));
      s.values_formula = num.child_value("c:f");
      s.format = num.child("c:numCache").child_value("c:formatCode");
      s.idx = ser.child("c:idx").attribute("val").as_uint();
      out.push_back(s);
    }
  }
  return out;
}

class ChartDataSheet : public ::testing::Test {
 protected:
  void Open(const std::string& fixture) {
    path_ = dir_.Write("chart.pptx", vintrel::testing::ReadFile(FixturePath("pptx/" + fixture)));
    deck_ = PackagePresentation::Open(path_, &clipboard_);
  }
  host::GraphApplication& Graph(int slide, int shape) {
    host::Shape& chart = deck_->Slides().Item(slide).Shapes().Item(shape);
    EXPECT_EQ(chart.Type(), host::shape_type::kEmbeddedOleObject);
    EXPECT_EQ(chart.OLEFormat().ProgID().rfind("MSGraph.Chart", 0), 0u);
    return chart.OLEFormat().Object().Application();
  }
  // What the add-in does: clear, paste the block at A1, update.
  void Fill(host::GraphApplication& graph, const std::string& block) {
    graph.DataSheet().ClearContents();
    clipboard_.SetText(block);
    graph.DataSheet().Cells(1, 1).Paste();
    clipboard_.Clear();
  }
  void Refill(host::GraphApplication& graph, const std::string& block) {
    Fill(graph, block);
    graph.Update();
  }
  std::vector<Series> SavedSeries() { return ReadSeries(ChartXml("ppt/charts/chart1.xml")); }
  std::string ChartXml(const std::string& part) {
    deck_->Save();
    return ReadEntry(path_, part);
  }
  TempDir dir_;
  testing::TestClipboard clipboard_;
  std::string path_;
  std::unique_ptr<PackagePresentation> deck_;
};

TEST_F(ChartDataSheet, SheetStartsWithWhatTheChartShows) {
  Open("poi-pie-chart.pptx");
  host::DataSheet& sheet = Graph(1, 2).DataSheet();
  EXPECT_EQ(sheet.RowCount(), 5);
  EXPECT_EQ(sheet.ColumnCount(), 2);
  auto& chart =
      dynamic_cast<ChartObject&>(deck_->Slides().Item(1).Shapes().Item(2).OLEFormat().Object());
  EXPECT_EQ(chart.CellText(1, 2), "Sales");
  EXPECT_EQ(chart.CellText(2, 1), "1st Qtr");
  EXPECT_EQ(chart.CellText(2, 2), "8.1999999999999993");
  sheet.ClearContents();
  EXPECT_EQ(sheet.RowCount(), 0);
  EXPECT_TRUE(deck_->Saved()) << "filling the sheet changes nothing until Update";
}

TEST_F(ChartDataSheet, MoreSeriesThanTheChartHadAreClonedFromTheLast) {
  Open("poi-pie-chart.pptx");
  host::GraphApplication& graph = Graph(1, 2);
  Refill(graph, "Region\tSales\tCost\r\nNorth\t10\t4\r\nSouth\t20,5\tx\r\nEast\t1e3\t6\r\n");
  EXPECT_FALSE(deck_->Saved());
  std::vector<Series> series = SavedSeries();
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].name, "Sales");
  EXPECT_EQ(series[1].name, "Cost");
  EXPECT_NE(series[0].idx, series[1].idx);
  const std::vector<std::string> regions = {"North", "South", "East"};
  EXPECT_EQ(series[0].categories, regions);
  EXPECT_EQ(series[1].categories, regions);
  EXPECT_EQ(series[0].values, (std::vector<std::string>{"10", "", "1000"}))
      << "a cell that is not a number gives a blank point";
  EXPECT_EQ(series[1].values, (std::vector<std::string>{"4", "", "6"}));
  EXPECT_EQ(series[0].values_formula, "Sheet1!$B$2:$B$4");
  EXPECT_EQ(series[1].values_formula, "Sheet1!$C$2:$C$4");
  EXPECT_EQ(series[0].format, "General");
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());

  // The embedded workbook holds the same block.
  std::string workbook =
      dir_.Write("book.xlsx", ReadEntry(path_, "ppt/embeddings/Microsoft_Excel_Worksheet1.xlsx"));
  std::string sheet = ReadEntry(workbook, "xl/worksheets/sheet1.xml");
  EXPECT_NE(sheet.find("<dimension ref=\"A1:C4\"/>"), std::string::npos) << sheet;
  EXPECT_NE(
      sheet.find("<c r=\"A2\" t=\"inlineStr\"><is><t>North</t></is></c><c r=\"B2\"><v>10</v></c>"),
      std::string::npos)
      << sheet;
  EXPECT_NE(ReadEntry(workbook, "xl/workbook.xml").find("name=\"Sheet1\""), std::string::npos);
}

TEST_F(ChartDataSheet, FewerSeriesDropTheRestAndKeepTheSheetName) {
  Open("shapecrawler-002-hidden-slide-chart.pptx");
  host::Shapes& shapes = deck_->Slides().Item(1).Shapes();
  int chart_index = 0;
  for (int i = 1; i <= shapes.Count(); ++i) {
    if (shapes.Item(i).Type() == host::shape_type::kEmbeddedOleObject) chart_index = i;
  }
  ASSERT_GT(chart_index, 0);
  host::GraphApplication& graph = Graph(1, chart_index);
  Fill(graph, "Year\tPlan\r\n2024\t1.5\r\n2025\t2.5\r\n");
  graph.DataSheet().Columns(2).SetNumberFormat("0.0");
  graph.Update();
  std::string xml = ChartXml("ppt/charts/chart1.xml");
  std::vector<Series> series = ReadSeries(xml);
  ASSERT_EQ(series.size(), 1u);
  EXPECT_EQ(series[0].name, "Plan");
  EXPECT_EQ(series[0].values, (std::vector<std::string>{"1.5", "2.5"}));
  EXPECT_EQ(series[0].format, "0.0");
  // What the add-in does on the next refill: read the format, refill, set it back.
  deck_ = PackagePresentation::Open(path_, &clipboard_);
  host::GraphApplication& next = Graph(1, chart_index);
  std::string format = next.DataSheet().Columns(2).NumberFormat();
  EXPECT_EQ(format, "0.0");
  Fill(next, "Year\tPlan\r\n2026\t4\r\n");
  next.DataSheet().Columns(2).SetNumberFormat(format);
  next.Update();
  EXPECT_EQ(SavedSeries()[0].format, "0.0");
  EXPECT_EQ(series[0].values_formula, "Лист1!$B$2:$B$3");
  EXPECT_NE(xml.find("accent1"), std::string::npos) << "the kept series keeps its colour";
  EXPECT_EQ(xml.find("Ряд 3"), std::string::npos);
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());
}

TEST_F(ChartDataSheet, ExtraSeriesTakeTheNextAccentColours) {
  Open("shapecrawler-002-hidden-slide-chart.pptx");
  host::Shapes& shapes = deck_->Slides().Item(1).Shapes();
  for (int i = 1; i <= shapes.Count(); ++i) {
    if (shapes.Item(i).Type() != host::shape_type::kEmbeddedOleObject) continue;
    host::GraphApplication& graph = Graph(1, i);
    Refill(graph, "Y\tA\tB\tC\tD\tE\r\n2024\t1\t2\t3\t4\t5\r\n");
  }
  std::string xml = ChartXml("ppt/charts/chart1.xml");
  std::vector<std::string> colours;
  for (size_t at = xml.find("<c:ser>"); at != std::string::npos; at = xml.find("<c:ser>", at + 1)) {
    size_t colour = xml.find("schemeClr val=\"accent", at);
    colours.push_back(xml.substr(colour + 15, 7));
  }
  EXPECT_EQ(colours,
            (std::vector<std::string>{"accent1", "accent2", "accent3", "accent4", "accent5"}));
  std::vector<Series> series = ReadSeries(xml);
  ASSERT_EQ(series.size(), 5u);
  std::set<unsigned> indices;
  for (const Series& s : series) indices.insert(s.idx);
  EXPECT_EQ(indices.size(), 5u);
  EXPECT_EQ(xml.find("{00000002-8CC8-48F1-840A-4DE2C014BBEA}"),
            xml.rfind("{00000002-8CC8-48F1-840A-4DE2C014BBEA}"))
      << "clones get their own unique ids";
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());
}

TEST(ChartCategories, DatesStayNumbersAndTextTurnsTheAxisToText) {
  const std::string line_chart =
      "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:plotArea>"
      "<c:lineChart><c:ser><c:idx val=\"0\"/><c:order val=\"0\"/><c:cat><c:numRef><c:f>"
      "Sheet1!$A$2:$A$2</c:f><c:numCache><c:formatCode>mmm\\-yy</c:formatCode><c:ptCount "
      "val=\"1\"/><c:pt idx=\"0\"><c:v>45000</c:v></c:pt></c:numCache></c:numRef></c:cat><c:val>"
      "<c:numRef><c:f>Sheet1!$B$2:$B$2</c:f></c:numRef></c:val><c:smooth val=\"0\"/></c:ser>"
      "</c:lineChart></c:plotArea></c:chart></c:chartSpace>";
  testing::DeckLayout layout = testing::OneSlide(
      "<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id=\"2\" name=\"Chart\"/>"
      "<p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr><p:xfrm/><a:graphic><a:graphicData "
      "uri=\"http://schemas.openxmlformats.org/drawingml/2006/chart\"><c:chart xmlns:c=\"http://"
      "schemas.openxmlformats.org/drawingml/2006/chart\" r:id=\"rId2\"/></a:graphicData>"
      "</a:graphic></p:graphicFrame>");
  layout.slides[0].rels =
      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/chart\" Target=\"../charts/chart1.xml\"/>";
  layout.extra_parts = {{"ppt/charts/chart1.xml", line_chart}};
  layout.extra_content_types =
      "<Override PartName=\"/ppt/charts/chart1.xml\" ContentType=\"application/"
      "vnd.openxmlformats-officedocument.drawingml.chart+xml\"/>";
  TempDir dir;
  std::string path = dir.Write("dates.pptx", testing::BuildDeck(layout));
  testing::TestClipboard clipboard;
  auto deck = PackagePresentation::Open(path, &clipboard);
  host::GraphApplication& graph =
      deck->Slides().Item(1).Shapes().Item(1).OLEFormat().Object().Application();
  clipboard.SetText("Month\tSales\r\n45292\t1\r\n45323\t2\r\n");
  graph.DataSheet().Cells(1, 1).Paste();
  graph.Update();
  deck->Save();
  std::string xml = ReadEntry(path, "ppt/charts/chart1.xml");
  EXPECT_NE(xml.find("<c:cat><c:numRef><c:f>Sheet1!$A$2:$A$3</c:f><c:numCache><c:formatCode>"
                     "mmm\\-yy</c:formatCode><c:ptCount val=\"2\"/><c:pt idx=\"0\"><c:v>45292"),
            std::string::npos)
      << xml;
  EXPECT_LT(xml.find("</c:val>"), xml.find("<c:smooth")) << "values keep their place";
  clipboard.SetText("Month\tSales\r\nJan\t1\r\n");
  graph.DataSheet().ClearContents();
  graph.DataSheet().Cells(1, 1).Paste();
  graph.Update();
  deck->Save();
  EXPECT_NE(ReadEntry(path, "ppt/charts/chart1.xml").find("<c:cat><c:strRef>"), std::string::npos);
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
}

TEST_F(ChartDataSheet, ExcludedColumnsAreLeftOut) {
  Open("poi-pie-chart.pptx");
  host::GraphApplication& graph = Graph(1, 2);
  Fill(graph, "Name\tA\tB\tC\r\nx\t1\t2\t3\r\n");
  graph.DataSheet().Columns(3).SetInclude(false);
  EXPECT_FALSE(graph.DataSheet().Columns(3).Include());
  EXPECT_TRUE(graph.DataSheet().Columns(4).Include());
  EXPECT_EQ(graph.DataSheet().Columns(4).NumberFormat(), "General");
  graph.Update();
  std::vector<Series> series = SavedSeries();
  ASSERT_EQ(series.size(), 2u);
  EXPECT_EQ(series[0].name, "A");
  EXPECT_EQ(series[1].name, "C");
  EXPECT_EQ(series[1].values_formula, "Sheet1!$D$2:$D$2") << "a series points at its own column";

  // The exclusion outlives the session: the chart's formulas show which column was left out.
  deck_->Save();
  deck_ = PackagePresentation::Open(path_, &clipboard_);
  host::GraphApplication& again = Graph(1, 2);
  EXPECT_FALSE(again.DataSheet().Columns(3).Include());
  EXPECT_TRUE(again.DataSheet().Columns(2).Include());
  EXPECT_TRUE(again.DataSheet().Columns(4).Include());
  EXPECT_EQ(dynamic_cast<ChartObject&>(again).CellText(1, 4), "C");
  Refill(again, "Name\tA\tB\tC\r\nx\t1\t2\t3\r\n");
  EXPECT_EQ(SavedSeries().size(), 2u);

  // Column 1 off: no categories at all.
  again.DataSheet().Columns(1).SetInclude(false);
  again.Update();
  std::string xml = ChartXml("ppt/charts/chart1.xml");
  EXPECT_EQ(xml.find("<c:cat>"), std::string::npos);
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());
}

TEST_F(ChartDataSheet, RefillTwiceAndEmptyBlock) {
  Open("poi-pie-chart.pptx");
  host::GraphApplication& graph = Graph(1, 2);
  Refill(graph, "k\tv\r\na\t1\r\nb\t2\r\nc\t3\r\nd\t4\r\ne\t5\r\n");
  Refill(graph, "k\tv\r\na\t9\r\n");
  std::string xml = ChartXml("ppt/charts/chart1.xml");
  std::vector<Series> series = ReadSeries(xml);
  ASSERT_EQ(series.size(), 1u);
  EXPECT_EQ(series[0].values, std::vector<std::string>{"9"});
  EXPECT_EQ(xml.find("<c:dPt><c:idx val=\"1\"/>"), std::string::npos)
      << "point formats beyond the data go";
  // An empty sheet keeps one series without points, so a later fill has a model.
  graph.DataSheet().ClearContents();
  graph.Update();
  series = SavedSeries();
  ASSERT_EQ(series.size(), 1u);
  EXPECT_TRUE(series[0].values.empty());
  Refill(graph, "k\tv\tw\r\na\t1\t2\r\n");
  EXPECT_EQ(SavedSeries().size(), 2u);
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());
}

TEST_F(ChartDataSheet, PasteAtAnOffsetAndWithoutText) {
  Open("poi-pie-chart.pptx");
  host::GraphApplication& graph = Graph(1, 2);
  graph.DataSheet().ClearContents();
  clipboard_.SetText("a\tb\nc");
  graph.DataSheet().Cells(2, 3).Paste();
  auto& chart = dynamic_cast<ChartObject&>(graph);
  EXPECT_EQ(chart.CellText(2, 4), "b");
  EXPECT_EQ(chart.CellText(3, 3), "c");
  EXPECT_EQ(graph.DataSheet().RowCount(), 3);
  EXPECT_EQ(graph.DataSheet().ColumnCount(), 4);
  clipboard_.Clear();
  EXPECT_THROW(graph.DataSheet().Cells(1, 1).Paste(), Error);
  EXPECT_THROW(graph.DataSheet().Cells(0, 1), Error);
  auto no_clipboard = PackagePresentation::Open(path_);
  host::Shape& other = no_clipboard->Slides().Item(1).Shapes().Item(2);
  EXPECT_THROW(other.OLEFormat().Object().Application().DataSheet().Cells(1, 1).Paste(), Error);
}

TEST(ChartNumbers, CellsParseAndFormulasNameTheirColumn) {
  double value = 0;
  EXPECT_TRUE(ParseNumber(" 1.5 ", value));
  EXPECT_DOUBLE_EQ(value, 1.5);
  EXPECT_TRUE(ParseNumber("+2e3", value));
  EXPECT_DOUBLE_EQ(value, 2000);
  for (const char* text : {"", " ", "1,5", "12abc", "nan", "inf", "0x10", "+"}) {
    EXPECT_FALSE(ParseNumber(text, value)) << text;
  }
  EXPECT_EQ(FormulaColumn("Sheet1!$C$2:$C$5"), 3);
  EXPECT_EQ(FormulaColumn("'My Sheet'!$AB$2:$AB$10"), 28);
  for (const char* other : {"'[1]Table 120'!$X$107", "Sheet1!$C$3:$C$5", "Sheet1!$C$2:$D$5",
                            "Sheet1!$C$2", "", "Sheet1!C2:C5"}) {
    EXPECT_EQ(FormulaColumn(other), 0) << other;
  }
}

}  // namespace
}  // namespace vintrel::ooxml
