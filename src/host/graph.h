// The chart data sheet members the add-in drives on an embedded chart object.
#ifndef VINTREL_HOST_GRAPH_H_
#define VINTREL_HOST_GRAPH_H_

#include <string>

namespace vintrel::host {

class DataSheetColumn {
 public:
  virtual ~DataSheetColumn() = default;
  // Whether the column takes part in the chart.
  virtual bool Include() const = 0;
  virtual void SetInclude(bool include) = 0;
  virtual std::string NumberFormat() const = 0;
  virtual void SetNumberFormat(const std::string& format) = 0;
};

class DataSheetCell {
 public:
  virtual ~DataSheetCell() = default;
  // Pastes the clipboard's TAB-separated text block with its first cell here: first line the
  // series or column names, then one line per record.
  virtual void Paste() = 0;
};

class DataSheet {
 public:
  virtual ~DataSheet() = default;
  // Cells.ClearContents: empties every cell of the sheet.
  virtual void ClearContents() = 0;
  // Cells(row, column), both from 1.
  virtual DataSheetCell& Cells(int row, int column) = 0;
  // Columns(i), from 1.
  virtual DataSheetColumn& Columns(int index) = 0;
  virtual int RowCount() const = 0;
  virtual int ColumnCount() const = 0;
};

class GraphApplication {
 public:
  virtual ~GraphApplication() = default;
  virtual host::DataSheet& DataSheet() = 0;
  // Redraws the chart from the data sheet.
  virtual void Update() = 0;
};

// OLEFormat.Object of a chart shape.
class GraphChart {
 public:
  virtual ~GraphChart() = default;
  virtual GraphApplication& Application() = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_GRAPH_H_
