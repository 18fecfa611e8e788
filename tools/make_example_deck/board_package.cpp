#include "board_package.h"

#include "board_slides.h"
#include "chart_parts.h"
#include "package_frame.h"
#include "shape_xml.h"

namespace vintrel::example {

std::vector<Part> BoardPackage(const std::string& picture_target) {
  pptx::Deck deck;
  deck.slides = {SalesSlide(), ChartSlide("../charts/chart1.xml"), PictureSlide(picture_target)};
  const int count = static_cast<int>(deck.slides.size());
  // Until the database fills it, the chart shows a neutral block of the same shape.
  const ChartData chart{"total", {"Region 1", "Region 2", "Region 3", "Region 4"}, {4, 3, 2, 1}};
  deck.master = SlideMasterXml();
  deck.layout = SlideLayoutXml();
  deck.theme = ThemeXml();
  deck.presentation_attributes = "saveSubsetFonts=\"1\"";
  deck.presentation_tail = DefaultTextStyleXml();
  deck.content_defaults = MoreContentDefaultsXml();
  deck.content_types = MoreContentTypesXml(1);
  deck.package_relationships = DocumentPropertiesRelationshipsXml();
  deck.package_parts = {{"docProps/core.xml", CorePropertiesXml("Sales board")},
                        {"docProps/app.xml", AppPropertiesXml(count)}};
  deck.more_parts = {
      {"ppt/charts/chart1.xml", ColumnChartXml(chart)},
      {"ppt/charts/_rels/chart1.xml.rels",
       pptx::RelationshipsXml(
           RelationshipXml({"rId1", "package", "../embeddings/Microsoft_Excel_Worksheet1.xlsx"}))},
      {"ppt/embeddings/Microsoft_Excel_Worksheet1.xlsx", ChartWorkbook(chart)},
  };
  std::vector<Part> parts;
  for (auto& [name, data] : pptx::DeckParts(deck)) parts.push_back({name, std::move(data)});
  return parts;
}

}  // namespace vintrel::example
