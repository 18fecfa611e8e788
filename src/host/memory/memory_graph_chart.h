// The data sheet of an embedded chart, as a grid of texts. Paste reads the clipboard of the
// presentation's environment and writes its TAB-separated block at the cell it was called on,
// which is what the chart program does with text on the clipboard.
#ifndef VINTREL_HOST_MEMORY_MEMORY_GRAPH_CHART_H_
#define VINTREL_HOST_MEMORY_MEMORY_GRAPH_CHART_H_

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/graph.h"
#include "host/memory/memory_object.h"

namespace vintrel::host::memory {

class MemoryDataSheet;

class MemoryDataSheetColumn : public host::DataSheetColumn, public MemoryObject {
 public:
  MemoryDataSheetColumn(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner) {}

  bool Include() const override;
  void SetInclude(bool include) override;
  std::string NumberFormat() const override;
  void SetNumberFormat(const std::string& format) override;

  bool include() const { return include_; }
  const std::string& number_format() const { return number_format_; }

 private:
  friend class MemoryDataSheet;
  bool include_ = true;
  std::string number_format_ = "General";
};

class MemoryDataSheetCell : public host::DataSheetCell, public MemoryObject {
 public:
  MemoryDataSheetCell(MemoryDataSheet& sheet, int row, int column);
  void Paste() override;

 private:
  MemoryDataSheet& sheet_;
  int row_;
  int column_;
};

class MemoryDataSheet : public host::DataSheet, public MemoryObject {
 public:
  MemoryDataSheet(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner) {}

  void ClearContents() override;
  // Fails for a row or column below 1.
  host::DataSheetCell& Cells(int row, int column) override;
  host::DataSheetColumn& Columns(int index) override;
  // The used extent: the last row and column holding a non-empty cell.
  int RowCount() const override;
  int ColumnCount() const override;

  // For tests.
  std::string Value(int row, int column) const;
  void SetValue(int row, int column, const std::string& text);
  // Rows 1..RowCount of columns 1..ColumnCount, empty cells as "".
  std::vector<std::vector<std::string>> Grid() const;
  MemoryDataSheetColumn& Column(int index);
  int clear_count() const { return clear_count_; }
  int paste_count() const { return paste_count_; }
  // The cell the last paste started at (0, 0 before any paste).
  std::pair<int, int> last_paste_origin() const { return last_paste_origin_; }

  void CopyFrom(const MemoryDataSheet& other);

 private:
  friend class MemoryDataSheetCell;
  void PasteAt(int row, int column);
  int UsedRows() const;
  int UsedColumns() const;

  std::map<std::pair<int, int>, std::string> values_;  // (row, column) -> text
  std::map<std::pair<int, int>, std::unique_ptr<MemoryDataSheetCell>> cells_;
  std::map<int, std::unique_ptr<MemoryDataSheetColumn>> columns_;
  int clear_count_ = 0;
  int paste_count_ = 0;
  std::pair<int, int> last_paste_origin_{0, 0};
};

class MemoryGraphApplication : public host::GraphApplication, public MemoryObject {
 public:
  MemoryGraphApplication(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner), sheet_(document, this) {}

  host::DataSheet& DataSheet() override;
  void Update() override;

  MemoryDataSheet& sheet() { return sheet_; }
  int update_count() const { return update_count_; }

 private:
  MemoryDataSheet sheet_;
  int update_count_ = 0;
};

// OLEFormat.Object of an in-memory chart shape.
class MemoryGraphChart : public host::GraphChart, public MemoryObject {
 public:
  MemoryGraphChart(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner), application_(document, this) {}

  host::GraphApplication& Application() override;

  MemoryGraphApplication& application() { return application_; }
  MemoryDataSheet& sheet() { return application_.sheet(); }

 private:
  MemoryGraphApplication application_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_GRAPH_CHART_H_
