// An in-memory spreadsheet application: workbook files built in code (sheets of cells with
// displayed text, raw value and number format), opened read-only by path. The factory stands for
// the machine: it can lack the spreadsheet program, and it holds the files, so it must outlive
// every application and workbook it hands out. Everything the code under test does is recorded:
// opens with their options, closes, quits.
#ifndef VINTREL_HOST_MEMORY_MEMORY_SPREADSHEET_H_
#define VINTREL_HOST_MEMORY_MEMORY_SPREADSHEET_H_

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/error.h"
#include "host/spreadsheet.h"

namespace vintrel::host::memory {

// One sheet of a workbook file: its cells by (row, column).
class MemorySheetData {
 public:
  MemorySheetData(std::string name, int type) : name_(std::move(name)), type_(type) {}

  // Text as displayed and a text value.
  MemorySheetData& SetText(int row, int column, std::string text);
  // A number with its displayed text and number format.
  MemorySheetData& SetNumber(int row, int column, double number, std::string text,
                             std::string number_format = "General");
  MemorySheetData& SetCell(host::Cell cell);
  // Rows of texts from (row, column) on.
  MemorySheetData& SetTexts(int row, int column,
                            const std::vector<std::vector<std::string>>& texts);

  const std::string& name() const { return name_; }
  int type() const { return type_; }
  // The cell at a place; empty (only row and column set) when nothing was put there.
  host::Cell CellAt(int row, int column) const;

 private:
  std::string name_;
  int type_;
  std::map<std::pair<int, int>, host::Cell> cells_;
};

class MemoryWorkbookFile {
 public:
  MemorySheetData& AddSheet(std::string name, int type = sheet_type::kWorksheet);
  int sheet_count() const { return static_cast<int>(sheets_.size()); }
  MemorySheetData& sheet(int index) { return *sheets_.at(index - 1); }

 private:
  std::vector<std::unique_ptr<MemorySheetData>> sheets_;
};

struct WorkbookOpen {
  std::string file_name;
  OpenOptions options;
};

class MemorySpreadsheetFactory;

class MemoryWorksheet : public host::Worksheet {
 public:
  MemoryWorksheet(const bool& workbook_closed, MemorySheetData& data)
      : workbook_closed_(workbook_closed), data_(data) {}

  std::string Name() const override;
  int Type() const override;
  // "A1", "B2:D9" or "$B$2:$D$9", either corner first; fails for anything else.
  std::vector<host::Cell> Range(const std::string& a1) override;

 private:
  void Check(const char* operation) const;

  const bool& workbook_closed_;
  MemorySheetData& data_;
};

class MemoryWorkbook : public host::Workbook {
 public:
  MemoryWorkbook(MemorySpreadsheetFactory& factory, std::string file_name,
                 MemoryWorkbookFile& file);

  int SheetCount() const override;
  host::Worksheet& Sheets(int index) override;
  // Compared without case, as the spreadsheet does; fails when absent.
  host::Worksheet& Sheets(const std::string& name) override;
  void SetSaved(bool saved) override;
  // Every call on the workbook or its sheets fails afterwards.
  void Close() override;

  bool closed() const { return closed_; }
  bool saved() const { return saved_; }

 private:
  void Check(const char* operation) const;

  MemorySpreadsheetFactory& factory_;
  std::string file_name_;
  std::vector<std::unique_ptr<MemoryWorksheet>> sheets_;
  MemoryWorkbookFile& file_;
  bool closed_ = false;
  bool saved_ = false;
};

class MemorySpreadsheetApplication : public host::SpreadsheetApplication {
 public:
  explicit MemorySpreadsheetApplication(MemorySpreadsheetFactory& factory) : factory_(factory) {}

  // Fails (kErrFileNotFound) for a file the factory does not have, and as armed with FailOpens.
  std::unique_ptr<host::Workbook> Open(const std::string& file_name,
                                       const OpenOptions& options) override;
  std::unique_ptr<host::Workbook> Add() override;
  void SetIgnoreRemoteRequests(bool value) override;
  bool Visible() const override;
  // Every call fails afterwards.
  void Quit() override;

  bool ignore_remote_requests() const { return ignore_remote_requests_; }
  bool quit() const { return quit_; }

 private:
  void Check(const char* operation) const;

  MemorySpreadsheetFactory& factory_;
  bool ignore_remote_requests_ = false;
  bool quit_ = false;
  // Scratch workbooks live as long as the application, so a workbook added earlier stays valid.
  std::vector<std::unique_ptr<MemoryWorkbookFile>> scratch_;
};

class MemorySpreadsheetFactory : public host::SpreadsheetFactory {
 public:
  // Fails with kErrCannotCreateObject when set unavailable.
  std::unique_ptr<host::SpreadsheetApplication> CreateApplication() override;

  // Set-up.
  // A workbook file at a path; replaces one there (workbooks open on it must be closed first).
  MemoryWorkbookFile& AddWorkbook(const std::string& path);
  bool RemoveWorkbook(const std::string& path) { return files_.erase(path) != 0; }
  void set_available(bool available) { available_ = available; }
  // Applications report this as Visible (a user's own visible instance).
  void set_visible(bool visible) { visible_ = visible; }
  // The next `times` opens fail, as when the file is locked by another program.
  void FailOpens(int times) { failing_opens_ = times; }

  // Records.
  int applications_created() const { return applications_created_; }
  int quit_count() const { return quit_count_; }
  const std::vector<WorkbookOpen>& opens() const { return opens_; }
  int close_count() const { return close_count_; }
  // Workbooks closed without being marked saved first (the spreadsheet would ask the user).
  int unsaved_closes() const { return unsaved_closes_; }
  // Workbooks opened and not closed yet.
  int open_workbooks() const { return open_workbooks_; }

 private:
  friend class MemorySpreadsheetApplication;
  friend class MemoryWorkbook;

  bool available_ = true;
  bool visible_ = false;
  int failing_opens_ = 0;
  int applications_created_ = 0;
  int quit_count_ = 0;
  int close_count_ = 0;
  int unsaved_closes_ = 0;
  int open_workbooks_ = 0;
  std::vector<WorkbookOpen> opens_;
  std::map<std::string, std::unique_ptr<MemoryWorkbookFile>> files_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_SPREADSHEET_H_
