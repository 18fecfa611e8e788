#include "board_package.h"

#include "board_slides.h"
#include "chart_parts.h"
#include "package_frame.h"
#include "shape_xml.h"

namespace vintrel::example {

std::vector<Part> BoardPackage(const std::string& picture_target) {
  const std::vector<SlidePart> slides = {SalesSlide(), ChartSlide("../charts/chart1.xml"),
                                         PictureSlide(picture_target)};
  const int count = static_cast<int>(slides.size());
  // Until the database fills it, the chart shows a neutral block of the same shape.
  const ChartData chart{"total", {"Region 1", "Region 2", "Region 3", "Region 4"}, {4, 3, 2, 1}};

  std::vector<Part> parts = {
      {"[Content_Types].xml", ContentTypesXml(count, 1)},
      {"_rels/.rels", PackageRelationshipsXml()},
      {"docProps/core.xml", CorePropertiesXml("Sales board")},
      {"docProps/app.xml", AppPropertiesXml(count)},
      {"ppt/presentation.xml", PresentationXml(count)},
      {"ppt/_rels/presentation.xml.rels", PresentationRelationshipsXml(count)},
      {"ppt/presProps.xml", PresentationPropertiesXml()},
      {"ppt/slideMasters/slideMaster1.xml", SlideMasterXml()},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels", SlideMasterRelationshipsXml()},
      {"ppt/slideLayouts/slideLayout1.xml", SlideLayoutXml()},
      {"ppt/slideLayouts/_rels/slideLayout1.xml.rels", SlideLayoutRelationshipsXml()},
      {"ppt/theme/theme1.xml", ThemeXml()},
  };
  for (int slide = 0; slide < count; ++slide) {
    const std::string name = "slide" + std::to_string(slide + 1) + ".xml";
    parts.push_back({"ppt/slides/" + name, slides[slide].xml});
    parts.push_back({"ppt/slides/_rels/" + name + ".rels", slides[slide].relationships});
  }
  parts.push_back({"ppt/charts/chart1.xml", ColumnChartXml(chart)});
  parts.push_back(
      {"ppt/charts/_rels/chart1.xml.rels",
       RelationshipsXml({{"rId1", "package", "../embeddings/Microsoft_Excel_Worksheet1.xlsx"}})});
  parts.push_back({"ppt/embeddings/Microsoft_Excel_Worksheet1.xlsx", ChartWorkbook(chart)});
  return parts;
}

}  // namespace vintrel::example
