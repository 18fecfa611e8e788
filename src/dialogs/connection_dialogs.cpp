#include "dialogs/connection_dialogs.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "connections/connection_paths.h"
#include "connections/database_source.h"
#include "connections/excel_status.h"
#include "connections/tag_values.h"
#include "dialogs/connection_string_dialog.h"
#include "dialogs/database_open.h"
#include "host/common/ascii.h"
#include "host/common/text.h"
#include "host/error.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel {
namespace {

using dialogs::BusyCursor;
using dialogs::CloseQuietly;
using dialogs::OpenDatabase;
using host::ControlKind;
using host::FormEvent;

constexpr const char* kFirstRowCaption = "The first row contains field names.";

void Tell(const Context& ctx, const std::string& text, int icon) {
  SkipFailure([&] { ShowMessage(ctx, text, icon); });
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::optional<double> NumberOf(const std::string& text) {
  const std::string trimmed(Trim(text));
  double value = 0;
  const auto [end, error] = std::from_chars(trimmed.data(), trimmed.data() + trimmed.size(), value);
  if (trimmed.empty() || error != std::errc() || end != trimmed.data() + trimmed.size()) {
    return std::nullopt;
  }
  return value;
}

constexpr const char* kExcelSource = "frmExcelConnection";

void LogExcel(Context& ctx, const std::string& message) {
  WriteDebugLog(ctx, DebugLevel::kInformation, kExcelSource, message);
}

}  // namespace

// --- Shared ---

ConnectionDialog::ConnectionDialog(Context& ctx, std::string name, std::string caption)
    : host::Form(std::move(name), std::move(caption)), ctx_(ctx) {
  Add(ControlKind::kLabel, "lblConnectionName", "Name:");
  Add(ControlKind::kTextBox, "txtConnectionName");
  WatchForCompleteness("txtConnectionName");
}

void ConnectionDialog::AddButtons() {
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");
  On("cmdClose", FormEvent::kClick, [this] {
    if (!Accept()) return;
    cancelled_ = false;
    Hide();
  });
  On("cmdCancel", FormEvent::kClick, [this] {
    SetText("txtConnectionName", "");
    cancelled_ = true;
    Hide();
  });
  UpdateOk();
}

void ConnectionDialog::WatchForCompleteness(const std::string& control) {
  const ControlKind kind = Get(control).kind;
  const bool clicks = kind == ControlKind::kCheckBox || kind == ControlKind::kOptionButton ||
                      kind == ControlKind::kListBox ||
                      (kind == ControlKind::kComboBox && !Get(control).editable);
  On(control, clicks ? FormEvent::kClick : FormEvent::kChange, [this] { UpdateOk(); });
}

void ConnectionDialog::UpdateOk() {
  if (!Has("cmdClose")) return;
  const bool complete = Complete();
  SetEnabled("cmdClose", complete);
  // A disabled OK says what it waits for, in every front end.
  SetToolTip("cmdClose", complete ? "" : WhyIncomplete());
}

std::string ConnectionDialog::Resolved(const std::string& text) const {
  return ResolveConnectionPath(ctx_, text, presentation_name_);
}

// --- Text file ---

frmTextFileConnection::frmTextFileConnection(Context& ctx)
    : ConnectionDialog(ctx, "frmTextFileConnection", "Text file connection") {
  Add(ControlKind::kLabel, "lblFilename", "File:");
  Add(ControlKind::kTextBox, "txtFilename");
  Add(ControlKind::kCommandButton, "cmdBrowseFileSystem", "Browse...");
  Add(ControlKind::kCheckBox, "chkFirstRowFieldNames", kFirstRowCaption);
  WatchForCompleteness("txtFilename");
  WatchForCompleteness("chkFirstRowFieldNames");
  On("cmdBrowseFileSystem", FormEvent::kClick, [this] {
    host::FrontEnd* front_end = ctx_.services.front_end;
    if (front_end == nullptr) return;
    const std::string chosen = front_end->BrowseForFile(
        "Open file", "Text (*.txt)|*.txt|All files|*.*", Text("txtFilename"));
    if (!chosen.empty()) SetText("txtFilename", chosen);
  });
  AddButtons();
}

bool frmTextFileConnection::Complete() const {
  return !Text("txtConnectionName").empty() && !Text("txtFilename").empty();
}

// --- Database ---

frmDatabaseConnection::frmDatabaseConnection(Context& ctx)
    : ConnectionDialog(ctx, "frmDatabaseConnection", "Database connection") {
  Add(ControlKind::kLabel, "lblRefreshRate", "Refresh rate:");
  Add(ControlKind::kTextBox, "txtRefreshRate");
  AddUpDown("udRefreshRate", "txtRefreshRate",
            {.min = 0, .max = 86400000 /* a day */, .increment = 1000});
  Add(ControlKind::kLabel, "lblRefreshRateUnit", "milliseconds");
  Add(ControlKind::kLabel, "lblConnectionString", "Connection string:");
  Add(ControlKind::kTextBox, "txtConnectionString").multi_line = true;
  Add(ControlKind::kCommandButton, "cmdEditConnectionString", "Edit...").tool_tip =
      "Build the connection string: an SQLite database file, an ODBC data source or an ODBC "
      "driver.";
  Add(ControlKind::kFrame, "frmSQL", "Source");
  Add(ControlKind::kOptionButton, "optTable", "Stored data object", "frmSQL");
  Add(ControlKind::kLabel, "lblDataObject", "Data object:", "frmSQL");
  Add(ControlKind::kComboBox, "cmbDataObject", "", "frmSQL").editable = false;
  Add(ControlKind::kOptionButton, "optSQLStatement", "SQL statement", "frmSQL");
  Add(ControlKind::kTextBox, "txtSQLStatement", "", "frmSQL").multi_line = true;
  Add(ControlKind::kCommandButton, "cmdTest", "Test", "frmSQL");
  for (const char* control : {"txtRefreshRate", "udRefreshRate", "txtConnectionString",
                              "cmbDataObject", "txtSQLStatement", "optTable", "optSQLStatement"}) {
    WatchForCompleteness(control);
  }
  On("optTable", FormEvent::kClick, [this] {
    if (Checked("optTable")) ChooseSource(false);
  });
  On("optSQLStatement", FormEvent::kClick, [this] {
    if (Checked("optSQLStatement")) ChooseSource(true);
  });
  On("cmdTest", FormEvent::kClick, [this] { ValidateSource(true); });
  On("cmdEditConnectionString", FormEvent::kClick, [this] { cmdEditConnectionString_Click(); });
  On("txtConnectionString", FormEvent::kLostFocus, [this] {
    const std::string text = ConnectionString();
    if (text.empty() || EqualsNoCase(Resolved(text), tested_string_)) return;
    TestConnectionString();
    RefreshDataObjects();
  });
  AddButtons();
  SetRefreshRate(0);
  ChooseSource(false);
}

std::string frmDatabaseConnection::ConnectionString() const {
  return ReplaceAll(Text("txtConnectionString"), ";\r\n", ";");
}

void frmDatabaseConnection::SetConnectionString(const std::string& text) {
  const std::string one_line = ReplaceAll(text, ";\r\n", ";");
  tested_string_ = Resolved(one_line);
  SetText("txtConnectionString", ReplaceAll(one_line, ";", ";\r\n"));
  RefreshDataObjects();
}

double frmDatabaseConnection::RefreshRate() const {
  return NumberOf(Text("txtRefreshRate")).value_or(0);
}

void frmDatabaseConnection::SetRefreshRate(double milliseconds) {
  SetText("txtRefreshRate", FormatNumber(milliseconds));
  Edit("udRefreshRate").value = static_cast<int>(std::trunc(milliseconds));
}

std::string frmDatabaseConnection::SQL() const {
  if (Checked("optSQLStatement")) return Text("txtSQLStatement");
  return ListIndex("cmbDataObject") >= 0 ? Text("cmbDataObject") : "";
}

void frmDatabaseConnection::SetSQL(const std::string& text) {
  const std::string trimmed(Trim(text));
  const bool statement = StartsWithNoCase(trimmed, "SELECT ") || StartsWithNoCase(trimmed, "EXEC ");
  if (statement) {
    SetText("txtSQLStatement", text);
    SetValue("optSQLStatement", 1);
  } else {
    const std::vector<std::string>& listed = Items("cmbDataObject");
    for (size_t i = 0; i < listed.size(); ++i) {
      if (listed[i] == text) SetListIndex("cmbDataObject", static_cast<int>(i));
    }
    SetValue("optTable", 1);
  }
  ChooseSource(statement);
}

void frmDatabaseConnection::ChooseSource(bool statement) {
  SetEnabled("txtSQLStatement", statement);
  SetEnabled("cmdTest", statement);
  SetEnabled("cmbDataObject", !statement);
  SetEnabled("lblDataObject", !statement);
  if (Checked(statement ? "optSQLStatement" : "optTable") == false) {
    SetValue(statement ? "optSQLStatement" : "optTable", 1);
  }
  UpdateOk();
}

std::string frmDatabaseConnection::WhyIncomplete() const {
  if (Text("txtConnectionName").empty()) return kNoName;
  if (Trim(ConnectionString()).empty()) return kNoConnectionString;
  if (!NumberOf(Text("txtRefreshRate"))) return kNoRefreshRate;
  // Blanks alone are no statement: the source would be empty.
  const bool source = Checked("optSQLStatement") ? !Trim(Text("txtSQLStatement")).empty()
                                                 : ListIndex("cmbDataObject") >= 0;
  return source ? "" : kNoSource;
}

void frmDatabaseConnection::RefreshDataObjects() {
  BusyCursor busy(ctx_);
  const int chosen = ListIndex("cmbDataObject");
  const std::string previous = chosen >= 0 ? Text("cmbDataObject") : "";
  std::vector<std::string> names;
  SkipFailure([&] {
    std::unique_ptr<host::Connection> database = OpenDatabase(ctx_, Resolved(ForOpening()));
    SkipFailure([&] { names = connections::DataObjectNames(*database); });
    CloseQuietly(*database);
  });
  SetItems("cmbDataObject", names);
  // The table chosen before stays chosen when the new database has it too.
  for (size_t i = 0; i < names.size() && !previous.empty(); ++i) {
    if (names[i] == previous) SetListIndex("cmbDataObject", static_cast<int>(i));
  }
  UpdateOk();
}

void frmDatabaseConnection::TestConnectionString() {
  BusyCursor busy(ctx_);
  tested_string_ = Resolved(ConnectionString());
  try {
    std::unique_ptr<host::Connection> database = OpenDatabase(ctx_, Resolved(ForOpening()));
    CloseQuietly(*database);
  } catch (const Error& failure) {
    Tell(ctx_, "Error while opening database . \r\n" + failure.description(),
         host::msg_box::kExclamation);
  }
}

void frmDatabaseConnection::cmdEditConnectionString_Click() {
  dialogs::frmConnectionString picker(ctx_);
  picker.SetActivePresentationName(ActivePresentationName());
  picker.SetConnectionString(ConnectionString());
  host::ShowModal(picker, ctx_.services.front_end);
  if (picker.Cancelled()) return;
  picked_ = picker.ConnectionString();
  picked_for_opening_ = picker.ConnectionStringForTest();
  SetText("txtConnectionString", ReplaceAll(picked_, ";", ";\r\n"));
  TestConnectionString();
  RefreshDataObjects();
}

std::string frmDatabaseConnection::ForOpening() const {
  const std::string text = ConnectionString();
  return text == picked_ ? picked_for_opening_ : text;
}

bool frmDatabaseConnection::ValidateSource(bool tell_success) {
  BusyCursor busy(ctx_);
  const std::string resolved = Resolved(ForOpening());
  std::unique_ptr<host::Connection> database;
  try {
    database = OpenDatabase(ctx_, resolved);
  } catch (const Error& failure) {
    Tell(ctx_, std::string(kOpenFailed) + "\r\n" + failure.description(),
         host::msg_box::kExclamation);
    return false;
  }
  try {
    // "SQL statement" chosen: the text is run as a statement, never taken for a table's name.
    connections::ProbeQuery(ctx_, *database, SQL(), resolved, Checked("optSQLStatement"));
  } catch (const Error& failure) {
    CloseQuietly(*database);
    Tell(ctx_, std::string(kInvalidSql) + "\r\n" + failure.description(),
         host::msg_box::kExclamation);
    return false;
  }
  CloseQuietly(*database);
  if (tell_success) Tell(ctx_, kValidated, host::msg_box::kInformation);
  return true;
}

// --- Excel ---

frmExcelConnection::frmExcelConnection(Context& ctx)
    : ConnectionDialog(ctx, "frmExcelConnection", "Excel connection") {
  Add(ControlKind::kLabel, "lblFilename", "File:");
  Add(ControlKind::kTextBox, "txtFilename");
  Add(ControlKind::kCommandButton, "cmdBrowseFileSystem", "Browse...");
  Add(ControlKind::kLabel, "lblSheet", "Sheet:");
  Add(ControlKind::kComboBox, "cmbSheet").editable = false;
  Add(ControlKind::kLabel, "lblRange", "Range:");
  Add(ControlKind::kTextBox, "txtRange").text = "A1:I10";
  Add(ControlKind::kCheckBox, "chkFirstRowFieldNames", kFirstRowCaption);
  for (const char* control : {"txtFilename", "cmbSheet", "txtRange", "chkFirstRowFieldNames"}) {
    WatchForCompleteness(control);
  }
  On("cmdBrowseFileSystem", FormEvent::kClick, [this] {
    host::FrontEnd* front_end = ctx_.services.front_end;
    if (front_end == nullptr) return;
    const std::string chosen = front_end->BrowseForFile(
        "Open Microsoft Excel file", "Excel (*.xls)|*.xls|All files|*.*", Text("txtFilename"));
    if (chosen.empty()) return;
    SetText("txtFilename", chosen);
    LogExcel(ctx_, "cmdBrowseFileSystemClick: " + chosen);
    GetSheets();
  });
  On("txtFilename", FormEvent::kLostFocus, [this] {
    if (Text("txtFilename").empty()) return;
    const int position = ListIndex("cmbSheet");
    GetSheets();
    if (position >= 0 && position < static_cast<int>(Items("cmbSheet").size())) {
      SetListIndex("cmbSheet", position);
    }
  });
  On("txtRange", FormEvent::kLostFocus, [this] {
    if (!ValidRange(Text("txtRange"))) Tell(ctx_, kInvalidRange, host::msg_box::kExclamation);
  });
  AddButtons();
  SetEnabled("cmbSheet", false);
  SetEnabled("txtRange", false);
  SkipFailure([&] {
    const int status = connections::ExcelStatus(ctx_, true, false);
    host::SpreadsheetApplication* application = ctx_.module.excel_application.get();
    if (status == connections::excel_status::kStarted && application != nullptr) {
      scratch_ = application->Add();
    }
  });
}

frmExcelConnection::~frmExcelConnection() {
  if (!scratch_) return;
  SkipFailure([&] { scratch_->SetSaved(true); });
  SkipFailure([&] { scratch_->Close(); });
}

void frmExcelConnection::SetExcelFileString(const std::string& file) {
  SetText("txtFilename", file);
  GetSheets();
}

void frmExcelConnection::SetExcelSheet(const std::string& sheet) {
  const std::vector<std::string>& listed = Items("cmbSheet");
  for (size_t i = 0; i < listed.size(); ++i) {
    if (listed[i] == sheet) SetListIndex("cmbSheet", static_cast<int>(i));
  }
}

bool frmExcelConnection::ValidRange(const std::string& text) const {
  LogExcel(ctx_, "ValidRange: " + text);
  bool valid = false;
  const size_t colon = text.find(':');
  if (colon != std::string::npos && scratch_) {
    const std::string first = text.substr(0, colon);
    const std::string last = text.substr(colon + 1);
    // Each end is one cell: "A1:B2:C3" names no rectangle an author means.
    valid = last.find(':') == std::string::npos && SkipFailure([&] {
              host::Worksheet& sheet = scratch_->Sheets(1);
              sheet.Range(first);
              sheet.Range(last);
            });
  }
  LogExcel(ctx_, "ValidRange: " + std::string(valid ? "True" : "False"));
  return valid;
}

void frmExcelConnection::GetSheets() {
  LogExcel(ctx_, "GetSheets");
  BusyCursor busy(ctx_);
  std::vector<std::string> sheets;
  std::string why;
  SkipFailure([&] {
    const int status = connections::ExcelStatus(ctx_, true, false);
    host::SpreadsheetApplication* application = ctx_.module.excel_application.get();
    if (status != connections::excel_status::kStarted || application == nullptr) return;
    std::unique_ptr<host::Workbook> workbook;
    try {
      workbook =
          application->Open(NativePath(ctx_, Resolved(Text("txtFilename"))), host::OpenOptions{});
    } catch (const Error& failure) {
      // Without the reason the author sees only an empty sheet list.
      why = failure.description();
      LogExcel(ctx_, "GetSheets: " + why);
      return;
    }
    SkipFailure([&] {
      for (int index = 1; index <= workbook->SheetCount(); ++index) {
        host::Worksheet& sheet = workbook->Sheets(index);
        const std::string name = sheet.Name();
        LogExcel(ctx_, "Processing sheet: " + name);
        if (sheet.Type() != host::sheet_type::kWorksheet) continue;
        sheets.push_back(name);
        LogExcel(ctx_, "worksheet added");
      }
    });
    SkipFailure([&] { workbook->SetSaved(true); });
    SkipFailure([&] { workbook->Close(); });
  });
  LogExcel(ctx_, "cmbSheet.listcount: " + std::to_string(sheets.size()));
  const bool any = !sheets.empty();
  if (!why.empty())
    Tell(ctx_, std::string(kOpenFailed) + "\r\n" + why, host::msg_box::kExclamation);
  SetItems("cmbSheet", std::move(sheets));
  SetEnabled("cmbSheet", any);
  SetEnabled("txtRange", any);
  UpdateOk();
}

bool frmExcelConnection::Complete() const {
  return !Text("txtConnectionName").empty() && !Text("txtFilename").empty() &&
         !Text("txtRange").empty() && ListIndex("cmbSheet") >= 0 && ValidRange(Text("txtRange"));
}

}  // namespace vintrel
