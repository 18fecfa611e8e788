#include "connections/excel_source.h"

#include <vector>

#include "connections/connection.h"
#include "connections/connection_paths.h"
#include "connections/excel_status.h"
#include "connections/source_support.h"
#include "host/common/client_recordset.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/module_state.h"

namespace vintrel::connections {
namespace {

constexpr const char* kSource = "clsConnection";

void Log(const std::string& message) {
  WriteDebugLog(DebugLevel::kInformation, kSource, message);
}

// What a cell shows; a cell that shows nothing although it holds a value shows the value.
std::string CellText(const host::Cell& cell) {
  if (!cell.text.empty()) return cell.text;
  return cell.value.ToText();
}

// Line feeds inside a cell become the line ends the rest of the add-in writes.
std::string WithLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
    out += text[i];
  }
  return out;
}

bool IsBlank(const std::string& text) {
  return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

}  // namespace

std::string ColumnLetter(int column) {
  if (column <= 26) return std::string(1, static_cast<char>(64 + column));
  std::string letters(1, static_cast<char>(64 + (column - 1) / 26));
  letters += static_cast<char>(65 + (column - 1) % 26);
  return letters;
}

ExcelSource::ExcelSource() = default;
ExcelSource::~ExcelSource() = default;

std::unique_ptr<host::Workbook> ExcelSource::OpenWorkbook(const std::string& path) {
  host::SpreadsheetApplication* application = Module().excel_application.get();
  if (application == nullptr) {
    throw Error(kErrCannotCreateObject, "Excel.Application",
                "The spreadsheet service is not running.");
  }
  return application->Open(path, host::OpenOptions{});
}

void ExcelSource::Open(clsConnection& connection) {
  Close(connection);
  const int status = ExcelStatus(true, false);
  if (status != excel_status::kNotRunning && status != excel_status::kStarted) return;

  const std::string path = NativePath(connection.ResolvedFileString());
  const std::string& sheet_name = connection.ConnectionSheet();
  try {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
      try {
        workbook_ = OpenWorkbook(path);
      } catch (...) {
        workbook_.reset();
        if (FailureIsMissingFile()) break;
        Wait(kOpenRetryWait);
        continue;
      }
      try {
        sheet_ = &workbook_->Sheets(sheet_name);
        file_time_ = FileTime(path);
        return;
      } catch (...) {
        break;  // the workbook opened; look for the sheet by comparing names below
      }
    }
    // The last try reports its failure; then the sheet is looked for name by name.
    Close(connection);
    workbook_ = OpenWorkbook(path);
    for (int i = 1; i <= workbook_->SheetCount(); ++i) {
      host::Worksheet& sheet = workbook_->Sheets(i);
      if (sheet.Name() == sheet_name) {
        sheet_ = &sheet;
        break;
      }
    }
    if (sheet_ == nullptr) {
      throw Error(kErrSubscriptOutOfRange, kSource, "Couldn't find sheet " + sheet_name);
    }
    file_time_ = FileTime(path);
  } catch (...) {
    const Error failure = CurrentFailure();
    Close(connection);
    WriteDebugLog(DebugLevel::kError, kSource, "eh openexcelconnection: " + failure.description());
    RaiseError(
        ErrorCode::kOpeningExcelFile, kSource,
        {connection.ConnectionDescription(), failure.description() + WindowsPathAdvice(path)});
  }
}

void ExcelSource::ReadRange(clsConnection& connection) {
  if (sheet_ == nullptr) {
    throw Error(kErrCannotCreateObject, "Excel.Application",
                "The spreadsheet service is not available.");
  }
  Log("OpenExcelFile");
  const std::vector<host::Cell> cells = sheet_->Range(connection.ConnectionRange());
  auto rows = std::make_unique<host::ClientRecordset>();
  rows->SetCursorLocation(host::cursor_location::kClient);
  rows->SetCursorType(host::cursor_type::kForwardOnly);
  Log("Create recordset");
  const bool names = connection.ConnectionFirstRowFieldNames();

  // First pass: one column per cell of the range's first row.
  std::vector<std::string> column_names;
  const int first_row = cells.empty() ? 0 : cells.front().row;
  for (const host::Cell& cell : cells) {
    if (cell.row != first_row) break;
    std::string name = ColumnLetter(cell.column);
    if (names) {
      const std::string text = CellText(cell);
      if (!text.empty()) name = text;
      for (const std::string& existing : column_names) {
        if (existing == name) RaiseError(ErrorCode::kDuplicatedColumnName, kSource, {name});
      }
    }
    column_names.push_back(name);
    rows->Fields().Append(name, host::data_type::kVarChar, host::kMaxFieldSize);
  }

  Log("Populate rs");
  rows->Open("");
  long highest_row_with_data = 0;
  int previous_row = -1;
  int position = -1;
  for (const host::Cell& cell : cells) {
    if (names && cell.row == first_row) continue;
    if (cell.row != previous_row) {
      if (previous_row != -1) rows->Update();
      rows->AddNew();
      position = 0;
      previous_row = cell.row;
    } else {
      ++position;
    }
    const std::string value = WithLineEnds(CellText(cell));
    if (names) {
      rows->Fields().Item(position).SetValue(value);
    } else {
      SkipFailure([&] { rows->Fields().Item(position).SetValue(value); });
    }
    if (!IsBlank(value)) highest_row_with_data = cell.row - first_row + (names ? 0 : 1);
  }
  if (previous_row != -1) rows->Update();
  Log("recordcount: " + std::to_string(rows->RecordCount()));

  // Blank rows at the end of the range are no data; blank rows between data stay.
  if (rows->RecordCount() > 0) {
    Log("end highestrowwithdata " + std::to_string(highest_row_with_data));
    if (rows->RecordCount() != highest_row_with_data) {
      rows->MoveLast();
      while (rows->RecordCount() > highest_row_with_data && !rows->IsBOF() && !rows->IsEOF()) {
        rows->Delete();
        rows->MovePrevious();
      }
    }
    rows->MoveFirst();
  }
  connection.SetRecordset(std::move(rows));
  Log("Closing excel");
  Close(connection);
}

void ExcelSource::OpenRecordset(clsConnection& connection) {
  if (!connection.Opened()) return;
  try {
    ReadRange(connection);
  } catch (...) {
    const Error failure = CurrentFailure();
    WriteDebugLog(DebugLevel::kError, kSource, "eh openexcelfile: " + failure.description());
    RaiseError(ErrorCode::kReadingExcelFile, kSource,
               {connection.ConnectionDescription(), failure.description()});
  }
}

void ExcelSource::Requery(clsConnection& connection, bool forced) {
  LogRequery(forced);
  try {
    const std::string path = NativePath(connection.ResolvedFileString());
    if (FileTime(path) == file_time_ && !forced) return;
    connection.OpenConnection();
    connection.OpenExcelFile();
    file_time_ = FileTime(path);
  } catch (...) {
    const Error failure = CurrentFailure();
    WriteDebugLog(DebugLevel::kError, kSource, "eh requeryexcel: " + failure.description());
    RaiseError(ErrorCode::kRequeryingExcelFile, kSource,
               {connection.ConnectionDescription(), failure.description()});
  }
}

void ExcelSource::Close(clsConnection& /*connection*/) noexcept {
  sheet_ = nullptr;
  if (workbook_ != nullptr) {
    // Marked saved first, so the spreadsheet never asks to save a workbook we only read.
    SkipFailure([&] { workbook_->SetSaved(true); });
    SkipFailure([&] { workbook_->Close(); });
  }
  workbook_.reset();
}

}  // namespace vintrel::connections
