// A native chart refilled through its data sheet: the block pasted from the clipboard becomes
// the chart's series caches and its embedded workbook.
#include "host/ooxml/chart_data_sheet.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/xml_util.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

using testing::PackageProblems;
using testing::ReadEntry;
using vintrel::testing::TempDir;

std::string Points(pugi::xml_node cache) {
  std::vector<std::string> points(cache.child("c:ptCount").attribute("val").as_uint());
  for (pugi::xml_node pt : cache.children("c:pt")) {
    points.at(pt.attribute("idx").as_uint()) = pt.child_value("c:v");
  }
  std::string out;
  for (const std::string& point : points) out += (out.empty() ? "" : ",") + point;
  return out;
}

// Each series of a chart part as "name|categories|values|values formula|format", a blank point
// an empty place between commas; `indices` gets the series' c:idx values.
std::vector<std::string> ReadSeries(const std::string& chart_xml,
                                    std::set<unsigned>* indices = nullptr) {
  pugi::xml_document doc;
  EXPECT_EQ(ParseXml(doc, chart_xml), "");
  std::vector<std::string> out;
  for (pugi::xpath_node found : doc.select_nodes("/*/c:chart/c:plotArea/*/c:ser")) {
    pugi::xml_node ser = found.node(), num = ser.child("c:val").child("c:numRef");
    out.push_back(Points(ser.child("c:tx").child("c:strRef").child("c:strCache")) + "|" +
                  Points(ser.child("c:cat").child("c:strRef").child("c:strCache")) + "|" +
                  Points(num.child("c:numCache")) + "|" + num.child_value("c:f") + "|" +
                  num.child("c:numCache").child_value("c:formatCode"));
    if (indices) indices->insert(ser.child("c:idx").attribute("val").as_uint());
  }
  return out;
}

class ChartDataSheet : public ::testing::Test {
 protected:
  void Open(const std::string& fixture) { Load(testing::CopyFixture(dir_, fixture)); }
  void Load(const std::string& path) {
    path_ = path;
    deck_ = PackagePresentation::Open(path_, &clipboard_);
  }
  // The chart on the first slide (the last one when there are several).
  host::GraphApplication& Graph() {
    host::Shapes& shapes = deck_->Slides().Item(1).Shapes();
    int found = 0;
    for (int i = 1; i <= shapes.Count(); ++i) {
      if (shapes.Item(i).Type() == host::shape_type::kEmbeddedOleObject) found = i;
    }
    EXPECT_EQ(shapes.Item(found).OLEFormat().ProgID().rfind("MSGraph.Chart", 0), 0u);
    return shapes.Item(found).OLEFormat().Object().Application();
  }
  ChartObject& Chart() { return dynamic_cast<ChartObject&>(Graph()); }
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
  std::vector<std::string> SavedSeries(std::set<unsigned>* indices = nullptr) {
    return ReadSeries(ChartXml(), indices);
  }
  std::string ChartXml() {
    deck_->Save();
    return ReadEntry(path_, "ppt/charts/chart1.xml");
  }
  // Whatever a test saved is a sound package.
  void TearDown() override { EXPECT_EQ(PackageProblems(path_), std::vector<std::string>()); }
  TempDir dir_;
  testing::TestClipboard clipboard_;
  std::string path_;
  std::unique_ptr<PackagePresentation> deck_;
};

using Strings = std::vector<std::string>;

// The sheet starts with what the chart shows and takes a paste anywhere, none without text.
TEST_F(ChartDataSheet, SheetStartsWithWhatTheChartShowsAndTakesPastes) {
  Open("poi-pie-chart.pptx");
  host::DataSheet& sheet = Graph().DataSheet();
  EXPECT_EQ(std::pair(sheet.RowCount(), sheet.ColumnCount()), std::pair(5, 2));
  EXPECT_EQ((Strings{Chart().CellText(1, 2), Chart().CellText(2, 1), Chart().CellText(2, 2)}),
            (Strings{"Sales", "1st Qtr", "8.1999999999999993"}));
  sheet.ClearContents();
  EXPECT_EQ(sheet.RowCount(), 0);
  clipboard_.SetText("a\tb\nc");
  sheet.Cells(2, 3).Paste();
  EXPECT_EQ((Strings{Chart().CellText(2, 4), Chart().CellText(3, 3)}), (Strings{"b", "c"}));
  EXPECT_EQ(std::pair(sheet.RowCount(), sheet.ColumnCount()), std::pair(3, 4));
  EXPECT_TRUE(deck_->Saved()) << "filling the sheet changes nothing until Update";
  clipboard_.Clear();
  EXPECT_THROW(sheet.Cells(1, 1).Paste(), Error);
  EXPECT_THROW(sheet.Cells(0, 1), Error);
  auto no_clipboard = PackagePresentation::Open(path_);
  host::Shape& other = no_clipboard->Slides().Item(1).Shapes().Item(2);
  EXPECT_THROW(other.OLEFormat().Object().Application().DataSheet().Cells(1, 1).Paste(), Error);
}

TEST_F(ChartDataSheet, MoreSeriesAreClonedFromTheLastFewerPointsDropTheirFormats) {
  Open("poi-pie-chart.pptx");
  Refill(Graph(), "Region\tSales\tCost\r\nNorth\t10\t4\r\nSouth\t20,5\tx\r\nEast\t1e3\t6\r\n");
  EXPECT_FALSE(deck_->Saved());
  std::set<unsigned> indices;
  // A cell that is not a number gives a blank point.
  EXPECT_EQ(SavedSeries(&indices),
            (Strings{"Sales|North,South,East|10,,1000|Sheet1!$B$2:$B$4|General",
                     "Cost|North,South,East|4,,6|Sheet1!$C$2:$C$4|General"}));
  EXPECT_EQ(indices.size(), 2u);

  // The embedded workbook holds the same block.
  std::string workbook =
      dir_.Write("book.xlsx", ReadEntry(path_, "ppt/embeddings/Microsoft_Excel_Worksheet1.xlsx"));
  testing::ExpectParts(
      ReadEntry(workbook, "xl/worksheets/sheet1.xml"),
      {"<dimension ref=\"A1:C4\"/>",
       "<c r=\"A2\" t=\"inlineStr\"><is><t>North</t></is></c><c r=\"B2\"><v>10</v></c>"});
  testing::ExpectParts(ReadEntry(workbook, "xl/workbook.xml"), {"name=\"Sheet1\""});

  // Refilled again with fewer points, the point formats beyond the data go.
  Refill(Graph(), "k\tv\r\na\t9\r\n");
  std::string xml = ChartXml();
  EXPECT_EQ(ReadSeries(xml), Strings{"v|a|9|Sheet1!$B$2:$B$2|General"});
  testing::ExpectParts(xml, {"!<c:dPt><c:idx val=\"1\"/>"});
  // An empty sheet keeps one series without points, so a later fill has a model.
  Graph().DataSheet().ClearContents();
  Graph().Update();
  Strings empty = SavedSeries();
  ASSERT_EQ(empty.size(), 1u);
  EXPECT_EQ(empty[0].rfind("|||", 0), 0u) << empty[0];
  Refill(Graph(), "k\tv\tw\r\na\t1\t2\r\n");
  EXPECT_EQ(SavedSeries().size(), 2u);
}

TEST_F(ChartDataSheet, FewerSeriesDropTheRestAndKeepTheSheetName) {
  Open("shapecrawler-002-hidden-slide-chart.pptx");
  Fill(Graph(), "Year\tPlan\r\n2024\t1.5\r\n2025\t2.5\r\n");
  Graph().DataSheet().Columns(2).SetNumberFormat("0.0");
  Graph().Update();
  std::string xml = ChartXml();
  EXPECT_EQ(ReadSeries(xml), Strings{"Plan|2024,2025|1.5,2.5|Лист1!$B$2:$B$3|0.0"});
  // The kept series keeps its colour.
  testing::ExpectParts(xml, {"accent1", "!Ряд 3"});
  // What the add-in does on the next refill: read the format, refill, set it back.
  deck_ = PackagePresentation::Open(path_, &clipboard_);
  std::string format = Graph().DataSheet().Columns(2).NumberFormat();
  EXPECT_EQ(format, "0.0");
  Fill(Graph(), "Year\tPlan\r\n2026\t4\r\n");
  Graph().DataSheet().Columns(2).SetNumberFormat(format);
  Graph().Update();
  EXPECT_EQ(SavedSeries(), Strings{"Plan|2026|4|Лист1!$B$2:$B$2|0.0"});
}

TEST_F(ChartDataSheet, ExtraSeriesTakeTheNextAccentColours) {
  Open("shapecrawler-002-hidden-slide-chart.pptx");
  Refill(Graph(), "Y\tA\tB\tC\tD\tE\r\n2024\t1\t2\t3\t4\t5\r\n");
  std::string xml = ChartXml();
  Strings colours;
  for (size_t at = xml.find("<c:ser>"); at != std::string::npos; at = xml.find("<c:ser>", at + 1)) {
    colours.push_back(xml.substr(xml.find("schemeClr val=\"accent", at) + 15, 7));
  }
  EXPECT_EQ(colours, (Strings{"accent1", "accent2", "accent3", "accent4", "accent5"}));
  EXPECT_EQ(xml.find("{00000002-8CC8-48F1-840A-4DE2C014BBEA}"),
            xml.rfind("{00000002-8CC8-48F1-840A-4DE2C014BBEA}"))
      << "clones get their own unique ids";
}

TEST_F(ChartDataSheet, DatesStayNumbersAndTextTurnsTheAxisToText) {
  const std::string line_chart =
      "<c:chartSpace xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\"><c:chart><c:plotArea>"
      "<c:lineChart><c:ser><c:idx val=\"0\"/><c:order val=\"0\"/><c:cat><c:numRef><c:f>"
      "Sheet1!$A$2:$A$2</c:f><c:numCache><c:formatCode>mmm\\-yy</c:formatCode><c:ptCount "
      "val=\"1\"/><c:pt idx=\"0\"><c:v>45000</c:v></c:pt></c:numCache></c:numRef></c:cat><c:val>"
      "<c:numRef><c:f>Sheet1!$B$2:$B$2</c:f></c:numRef></c:val><c:smooth val=\"0\"/></c:ser>"
      "</c:lineChart></c:plotArea></c:chart></c:chartSpace>";
  Load(dir_.Write("dates.pptx", testing::BuildDeck(testing::ChartDeck(line_chart))));
  host::GraphApplication& graph =
      deck_->Slides().Item(1).Shapes().Item(1).OLEFormat().Object().Application();
  for (const auto& [block, parts] : std::vector<std::pair<std::string, Strings>>{
           {"Month\tSales\r\n45292\t1\r\n45323\t2\r\n",
            {"<c:cat><c:numRef><c:f>Sheet1!$A$2:$A$3</c:f><c:numCache><c:formatCode>mmm\\-yy"
             "</c:formatCode><c:ptCount val=\"2\"/><c:pt idx=\"0\"><c:v>45292",
             // Values keep their place.
             "</c:val><c:smooth"}},
           {"Month\tSales\r\nJan\t1\r\n", {"<c:cat><c:strRef>"}}}) {
    Refill(graph, block);
    testing::ExpectParts(ChartXml(), parts);
  }
}

TEST_F(ChartDataSheet, ExcludedColumnsAreLeftOut) {
  Open("poi-pie-chart.pptx");
  const std::string block = "Name\tA\tB\tC\r\nx\t1\t2\t3\r\n";
  Fill(Graph(), block);
  Graph().DataSheet().Columns(3).SetInclude(false);
  EXPECT_EQ(Graph().DataSheet().Columns(4).NumberFormat(), "General");
  Graph().Update();
  // A series points at its own column.
  const Strings expected = {"A|x|1|Sheet1!$B$2:$B$2|General", "C|x|3|Sheet1!$D$2:$D$2|General"};
  EXPECT_EQ(SavedSeries(), expected);

  // The exclusion outlives the session: the chart's formulas show which column was left out.
  deck_ = PackagePresentation::Open(path_, &clipboard_);
  host::DataSheet& sheet = Graph().DataSheet();
  EXPECT_EQ((std::vector<bool>{sheet.Columns(2).Include(), sheet.Columns(3).Include(),
                               sheet.Columns(4).Include()}),
            (std::vector<bool>{true, false, true}));
  EXPECT_EQ(Chart().CellText(1, 4), "C");
  Refill(Graph(), block);
  EXPECT_EQ(SavedSeries(), expected);

  sheet.Columns(1).SetInclude(false);
  Graph().Update();
  testing::ExpectParts(ChartXml(), {"!<c:cat>"});
}

TEST(ChartNumbers, CellsParseAndFormulasNameTheirColumn) {
  const std::pair<const char*, std::optional<double>> parsed[] = {
      {" 1.5 ", 1.5}, {"+2e3", 2000}, {" ", {}},    {"1,5", {}},
      {"12abc", {}},  {"nan", {}},    {"0x10", {}}, {"+", {}}};
  for (const auto& [text, number] : parsed) {
    double value = 0;
    EXPECT_EQ(ParseNumber(text, value) ? std::optional(value) : std::nullopt, number) << text;
  }
  const std::pair<const char*, int> columns[] = {
      {"Sheet1!$C$2:$C$5", 3}, {"'My Sheet'!$AB$2:$AB$10", 28}, {"'[1]Table 120'!$X$107", 0},
      {"Sheet1!$C$3:$C$5", 0}, {"Sheet1!$C$2:$D$5", 0},         {"Sheet1!$C$2", 0},
      {"Sheet1!C2:C5", 0}};
  for (const auto& [formula, column] : columns)
    EXPECT_EQ(FormulaColumn(formula), column) << formula;
}

}  // namespace
}  // namespace vintrel::ooxml
