// The spreadsheet application the workbook source talks to: open a workbook read-only, find a
// sheet, and enumerate a range's cells with what the spreadsheet would display.
#ifndef VINTREL_HOST_SPREADSHEET_H_
#define VINTREL_HOST_SPREADSHEET_H_

#include <memory>
#include <string>
#include <vector>

namespace vintrel::host {

namespace sheet_type {
inline constexpr int kWorksheet = -4167;
inline constexpr int kChart = -4109;
}  // namespace sheet_type

// A cell's raw value, as the spreadsheet holds it.
struct CellValue {
  enum class Kind { kEmpty, kNumber, kText, kBoolean, kError, kDate };
  Kind kind = Kind::kEmpty;
  double number = 0;  // kNumber, kDate (serial day number), kBoolean (0/1)
  std::string text;   // kText, kError ("#DIV/0!")

  // The value converted to text the way the spreadsheet's automation would.
  std::string ToText() const;
};

struct Cell {
  int column = 0;    // from 1
  int row = 0;       // from 1
  std::string text;  // as displayed
  CellValue value;
  std::string number_format;
};

class Worksheet {
 public:
  virtual ~Worksheet() = default;
  virtual std::string Name() const = 0;
  virtual int Type() const = 0;  // sheet_type
  // The cells of an A1-style range ("A1:C10"), left to right then top to bottom.
  // Fails for a text that is not a range.
  virtual std::vector<Cell> Range(const std::string& a1) = 0;
};

class Workbook {
 public:
  virtual ~Workbook() = default;
  virtual int SheetCount() const = 0;
  virtual Worksheet& Sheets(int index) = 0;                // from 1
  virtual Worksheet& Sheets(const std::string& name) = 0;  // fails when absent
  virtual void SetSaved(bool saved) = 0;
  virtual void Close() = 0;
};

// Workbooks.Open arguments the add-in passes; the others stay omitted.
struct OpenOptions {
  int update_links = 3;
  bool read_only = true;
  bool editable = false;
  bool notify = false;
  bool add_to_mru = false;
};

class SpreadsheetApplication {
 public:
  virtual ~SpreadsheetApplication() = default;
  virtual std::unique_ptr<Workbook> Open(const std::string& file_name,
                                         const OpenOptions& options) = 0;
  // A new scratch workbook with one empty sheet.
  virtual std::unique_ptr<Workbook> Add() = 0;
  virtual void SetIgnoreRemoteRequests(bool value) = 0;
  virtual bool Visible() const = 0;
  virtual void Quit() = 0;
};

// Creates the spreadsheet application; fails (kErrCannotCreateObject) when it is unavailable.
class SpreadsheetFactory {
 public:
  virtual ~SpreadsheetFactory() = default;
  virtual std::unique_ptr<SpreadsheetApplication> CreateApplication() = 0;
};

}  // namespace vintrel::host

#endif  // VINTREL_HOST_SPREADSHEET_H_
