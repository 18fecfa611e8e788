// The native column chart of the example and the workbook embedded beside it. Both hold the
// same small block in the usual data sheet layout: categories in column A, the series name in
// B1 and its values below, on a sheet named Sheet1.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_CHART_PARTS_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_CHART_PARTS_H_

#include <string>
#include <vector>

namespace vintrel::example {

struct ChartData {
  std::string series_name;
  std::vector<std::string> categories;
  std::vector<double> values;  // one per category
};

// The chart part; its relationship rId1 must lead to the embedded workbook.
std::string ColumnChartXml(const ChartData& data);
// The embedded .xlsx package (its bytes).
std::string ChartWorkbook(const ChartData& data);

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_CHART_PARTS_H_
