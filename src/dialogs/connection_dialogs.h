// The three dialogs that define one data connection: a text file, a database, or a range of a
// workbook sheet. The connection manager fills their properties from a connection, shows one
// modally and, unless it was cancelled, copies the properties back. Each dialog checks what it
// can while the author types (OK stays disabled until the definition is complete) and opens its
// source only briefly: to list a database's tables and views, to test a statement, or to list a
// workbook's sheets. Nothing is kept open when a dialog closes.
#ifndef VINTREL_DIALOGS_CONNECTION_DIALOGS_H_
#define VINTREL_DIALOGS_CONNECTION_DIALOGS_H_

#include <memory>
#include <string>

#include "host/data_access.h"
#include "host/forms.h"
#include "host/spreadsheet.h"
#include "support/context.h"

namespace vintrel {

// What the three dialogs share: the name box, OK ("cmdClose") enabled only when the definition
// is complete, Cancel ("cmdCancel") that empties the name and reports Cancelled.
class ConnectionDialog : public host::Form {
 public:
  bool Cancelled() const { return cancelled_; }
  std::string ConnectionName() const { return Text("txtConnectionName"); }
  void SetConnectionName(const std::string& name) { SetText("txtConnectionName", name); }
  // The presentation's full name, which relative files and data sources are resolved against.
  void SetActivePresentationName(std::string name) { presentation_name_ = std::move(name); }
  const std::string& ActivePresentationName() const { return presentation_name_; }

 protected:
  ConnectionDialog(Context& ctx, std::string name, std::string caption);
  // Adds OK and Cancel (last in tab order) and wires them.
  void AddButtons();
  // Whether every box OK needs is filled in.
  virtual bool Complete() const = 0;
  // What OK waits for while it is disabled (its tool tip); empty when the dialog says nothing.
  virtual std::string WhyIncomplete() const { return ""; }
  // OK's own checks before the dialog closes; false keeps it open.
  virtual bool Accept() { return true; }
  // Re-evaluates OK after a change of `control`.
  void WatchForCompleteness(const std::string& control);
  void UpdateOk();
  // `text` resolved against the presentation, as the dialog opens it.
  std::string Resolved(const std::string& text) const;

 private:
  std::string presentation_name_;
  bool cancelled_ = true;

 protected:
  Context& ctx_;
};

// frmTextFileConnection, "Text file connection".
class frmTextFileConnection : public ConnectionDialog {
 public:
  explicit frmTextFileConnection(Context& ctx);

  std::string TextFileString() const { return Text("txtFilename"); }
  void SetTextFileString(const std::string& file) { SetText("txtFilename", file); }
  bool FirstRowFieldNames() const { return Checked("chkFirstRowFieldNames"); }
  void SetFirstRowFieldNames(bool value) { SetValue("chkFirstRowFieldNames", value ? 1 : 0); }

 protected:
  bool Complete() const override;
};

// frmDatabaseConnection, "Database connection". The connection string box shows one part per
// line, typed or built by "Edit..." (frmConnectionString); the source is a stored table or view
// chosen from the database's list, or a statement. OK is enabled (and accepted) once the name,
// the string and the refresh rate are given and a data object is chosen or the statement holds
// more than blanks; while disabled its tool tip says what it waits for.
class frmDatabaseConnection : public ConnectionDialog {
 public:
  static constexpr const char* kOpenFailed = "Could not open connection to database.";
  static constexpr const char* kInvalidSql = "SQL statement is invalid.";
  static constexpr const char* kValidated = "SQL statement is validated successfully.";
  // What a disabled OK waits for, first missing first.
  static constexpr const char* kNoName = "Give the connection a name.";
  static constexpr const char* kNoConnectionString =
      "Enter a connection string, or build one with Edit....";
  static constexpr const char* kNoRefreshRate = "The refresh rate is a number of milliseconds.";
  static constexpr const char* kNoSource =
      "Choose a stored data object (a table or view), or enter an SQL statement.";

  explicit frmDatabaseConnection(Context& ctx);

  // The string as entered (one line); setting it shows it part by part, tests nothing and lists
  // the database's tables and views.
  std::string ConnectionString() const;
  void SetConnectionString(const std::string& text);
  // Milliseconds; a text that is not a number reads as 0 (OK stays disabled meanwhile).
  double RefreshRate() const;
  void SetRefreshRate(double milliseconds);
  // A text beginning with SELECT or EXEC (any letter case) is a statement; anything else names a
  // table or view of the list. Reading gives the statement or the chosen table or view.
  std::string SQL() const;
  void SetSQL(const std::string& text);

  // The Test button's work: opens the database and the source; a failure is shown and false.
  bool ValidateSource(bool tell_success);

 protected:
  bool Complete() const override { return WhyIncomplete().empty(); }
  std::string WhyIncomplete() const override;
  bool Accept() override { return ValidateSource(false); }

 private:
  void RefreshDataObjects();
  // Opens and closes the database with the box's string; a failure is shown.
  void TestConnectionString();
  void ChooseSource(bool statement);
  void cmdEditConnectionString_Click();
  // The box's string, or the one with the password while the box holds what the picker built
  // without it: the dialog lists tables and tests with the password the person gave.
  std::string ForOpening() const;

  // The resolved string the dialog's own tests last used.
  std::string tested_string_;
  std::string picked_;
  std::string picked_for_opening_;
};

// frmExcelConnection, "Excel connection". Keeps an empty scratch workbook while it exists: a
// range is checked by asking that workbook's sheet for it.
class frmExcelConnection : public ConnectionDialog {
 public:
  static constexpr const char* kInvalidRange =
      "Invalid range specification. Enter A1:B2 for cells A1, A2, B1 and B2.";
  static constexpr const char* kOpenFailed = "Could not open the workbook.";

  explicit frmExcelConnection(Context& ctx);
  ~frmExcelConnection() override;

  std::string ExcelFileString() const { return Text("txtFilename"); }
  // Sets the file and lists its worksheets.
  void SetExcelFileString(const std::string& file);
  std::string ExcelSheet() const { return Text("cmbSheet"); }
  // Chooses the listed sheet of that name (exact case), if there is one.
  void SetExcelSheet(const std::string& sheet);
  std::string ExcelRange() const { return Text("txtRange"); }
  void SetExcelRange(const std::string& range) { SetText("txtRange", range); }
  bool FirstRowFieldNames() const { return Checked("chkFirstRowFieldNames"); }
  void SetFirstRowFieldNames(bool value) { SetValue("chkFirstRowFieldNames", value ? 1 : 0); }

  // Two cell references joined by ":", both of which the scratch sheet takes as cells.
  bool ValidRange(const std::string& text) const;
  // The workbook's worksheets (chart sheets left out) into the sheet list; a workbook that
  // cannot be opened is told with its reason, and the list stays empty.
  void GetSheets();

 protected:
  bool Complete() const override;

 private:
  std::unique_ptr<host::Workbook> scratch_;
};

}  // namespace vintrel

#endif  // VINTREL_DIALOGS_CONNECTION_DIALOGS_H_
