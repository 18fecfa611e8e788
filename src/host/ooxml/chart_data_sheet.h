// A native chart standing in for the old chart program's data sheet. The sheet is a grid of
// texts; Update writes it into the chart.
//
// How the sheet maps to the chart (the usual data sheet layout): row 1 holds the column names,
// column 1 the categories (its name in row 1 is not used), and every further column is one
// series whose name is its row-1 cell and whose values are the cells below. A column whose
// Include is off is left out of the chart (column 1 off: no categories). Cells that are not
// numbers give blank points. Series already in the chart keep their type, colours and
// formats; extra series are clones of the last one (in the next theme colour); surplus series
// are dropped. Each series' formula names its own sheet column, so when the chart is opened
// again its series return to their columns, a column left out stays excluded, and each
// column reports the number format its series has.
#ifndef VINTREL_HOST_OOXML_CHART_DATA_SHEET_H_
#define VINTREL_HOST_OOXML_CHART_DATA_SHEET_H_

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/graph.h"
#include "host/ooxml/package.h"
#include "host/platform.h"

namespace vintrel::ooxml {

class ChartObject : public host::GraphChart, public host::GraphApplication, public host::DataSheet {
 public:
  // `chart_part` is the chart's XML part; `clipboard` is where Paste reads from (may be null).
  ChartObject(Package& package, std::string chart_part, host::Clipboard* clipboard);
  ~ChartObject() override;

  host::GraphApplication& Application() override { return *this; }
  host::DataSheet& DataSheet() override { return *this; }
  void Update() override;

  void ClearContents() override;
  host::DataSheetCell& Cells(int row, int column) override;
  host::DataSheetColumn& Columns(int index) override;
  int RowCount() const override;
  int ColumnCount() const override;

  // The text of a cell, both from 1 (empty outside the sheet).
  std::string CellText(int row, int column) const;
  // Puts a TAB-separated block (lines end CRLF, CR or LF) with its first cell at row, column.
  void PasteText(int row, int column, const std::string& text);
  // Runs after every Update that wrote the chart.
  void set_on_update(std::function<void()> on_update) { on_update_ = std::move(on_update); }

 private:
  class Cell;
  class Column;
  void LoadFromChart();
  bool Included(int column) const;
  std::string NumberFormatOf(int column) const;

  Package& package_;
  std::string chart_part_;
  host::Clipboard* clipboard_;
  std::vector<std::vector<std::string>> grid_;  // [row][column], from 0
  std::map<std::pair<int, int>, std::unique_ptr<Cell>> cells_;
  std::map<int, std::unique_ptr<Column>> columns_;
  std::function<void()> on_update_;
};

// Parses a whole cell as a number ("1.5", "-2", "3e4"); false for anything else.
bool ParseNumber(const std::string& text, double& value);
// The sheet column (from 1) a series' values formula names when it has the data sheet layout
// ("Sheet1!$C$2:$C$5" -> 3); 0 for any other formula.
int FormulaColumn(const std::string& formula);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_CHART_DATA_SHEET_H_
