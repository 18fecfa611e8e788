// The workbook embedded in a chart part, rebuilt from the data sheet so that editing the chart's
// data in the host shows the block the chart was filled with.
#ifndef VINTREL_HOST_OOXML_CHART_WORKBOOK_H_
#define VINTREL_HOST_OOXML_CHART_WORKBOOK_H_

#include <string>
#include <vector>

namespace vintrel::ooxml {

// A minimal workbook (one sheet named `sheet_name`) holding `grid` from cell A1: numbers as
// numbers, everything else as text.
std::string BuildChartWorkbook(const std::string& sheet_name,
                               const std::vector<std::vector<std::string>>& grid);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_CHART_WORKBOOK_H_
