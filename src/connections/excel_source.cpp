#include "connections/excel_source.h"

#include <vector>

#include "connections/connection.h"
#include "connections/connection_paths.h"
#include "connections/excel_status.h"
#include "connections/source_support.h"
#include "host/common/cell_address.h"
#include "host/common/client_recordset.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel::connections {
namespace {

constexpr const char* kSource = "clsConnection";

void Log(clsConnection& connection, const std::string& message) {
  WriteDebugLog(connection.context(), DebugLevel::kInformation, kSource, message);
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

ExcelSource::ExcelSource() = default;
ExcelSource::~ExcelSource() = default;

std::unique_ptr<host::Workbook> ExcelSource::OpenWorkbook(clsConnection& connection,
                                                          const std::string& path) {
  host::SpreadsheetApplication* application = connection.context().module.excel_application.get();
  if (application == nullptr) {
    throw Error(kErrCannotCreateObject, "Excel.Application",
                "The spreadsheet service is not running.");
  }
  return application->Open(path, host::OpenOptions{});
}

void ExcelSource::Open(clsConnection& connection) {
  Close(connection);
  const int status = ExcelStatus(connection.context(), true, false);
  if (status != excel_status::kNotRunning && status != excel_status::kStarted) return;

  const std::string path = NativePath(connection.context(), connection.ResolvedFileString());
  const std::string& sheet_name = connection.ConnectionSheet();
  try {
    for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
      try {
        workbook_ = OpenWorkbook(connection, path);
      } catch (...) {
        workbook_.reset();
        if (FailureIsMissingFile()) break;
        Wait(connection.context(), kOpenRetryWait);
        continue;
      }
      try {
        sheet_ = &workbook_->Sheets(sheet_name);
        file_time_ = FileTime(connection.context(), path);
        return;
      } catch (...) {
        break;  // the workbook opened; look for the sheet by comparing names below
      }
    }
    // The last try reports its failure; then the sheet is looked for name by name.
    Close(connection);
    workbook_ = OpenWorkbook(connection, path);
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
    file_time_ = FileTime(connection.context(), path);
  } catch (...) {
    const Error failure = CurrentFailure();
    Close(connection);
    WriteDebugLog(connection.context(), DebugLevel::kError, kSource,
                  "eh openexcelconnection: " + failure.description());
    RaiseError(ErrorCode::kOpeningExcelFile, kSource,
               {connection.ConnectionDescription(),
                failure.description() + WindowsPathAdvice(connection.context(), path)});
  }
}

void ExcelSource::ReadRange(clsConnection& connection) {
  if (sheet_ == nullptr) {
    throw Error(kErrCannotCreateObject, "Excel.Application",
                "The spreadsheet service is not available.");
  }
  Log(connection, "OpenExcelFile");
  const std::vector<host::Cell> cells = sheet_->Range(connection.ConnectionRange());
  auto rows = std::make_unique<host::ClientRecordset>();
  rows->SetCursorLocation(host::cursor_location::kClient);
  rows->SetCursorType(host::cursor_type::kForwardOnly);
  Log(connection, "Create recordset");
  const bool names = connection.ConnectionFirstRowFieldNames();

  // First pass: one column per cell of the range's first row.
  std::vector<std::string> column_names;
  const int first_row = cells.empty() ? 0 : cells.front().row;
  for (const host::Cell& cell : cells) {
    if (cell.row != first_row) break;
    std::string name = ColumnLetters(cell.column);
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

  Log(connection, "Populate rs");
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
  Log(connection, "recordcount: " + std::to_string(rows->RecordCount()));

  // Blank rows at the end of the range are no data; blank rows between data stay.
  if (rows->RecordCount() > 0) {
    Log(connection, "end highestrowwithdata " + std::to_string(highest_row_with_data));
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
  Log(connection, "Closing excel");
  Close(connection);
}

void ExcelSource::OpenRecordset(clsConnection& connection) {
  if (!connection.Opened()) return;
  try {
    ReadRange(connection);
  } catch (...) {
    const Error failure = CurrentFailure();
    WriteDebugLog(connection.context(), DebugLevel::kError, kSource,
                  "eh openexcelfile: " + failure.description());
    RaiseError(ErrorCode::kReadingExcelFile, kSource,
               {connection.ConnectionDescription(), failure.description()});
  }
}

void ExcelSource::Requery(clsConnection& connection, bool forced) {
  LogRequery(connection.context(), forced);
  try {
    const std::string path = NativePath(connection.context(), connection.ResolvedFileString());
    if (FileTime(connection.context(), path) == file_time_ && !forced) return;
    connection.OpenConnection();
    connection.OpenExcelFile();
    file_time_ = FileTime(connection.context(), path);
  } catch (...) {
    const Error failure = CurrentFailure();
    WriteDebugLog(connection.context(), DebugLevel::kError, kSource,
                  "eh requeryexcel: " + failure.description());
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
