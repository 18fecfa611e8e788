#include "dialogs/connection_string_dialog.h"

#include "connections/connection_paths.h"
#include "dialogs/database_open.h"
#include "host/common/ascii.h"
#include "host/error.h"
#include "host/platform.h"
#include "support/failure_handling.h"

namespace vintrel::dialogs {
namespace {

using host::ControlKind;
using host::FormEvent;

// The boxes, each with its label, the kinds that ask for it and the field it fills.
struct Box {
  const char* label;
  const char* name;
  const char* caption;
  bool FieldSet::*asked;
  std::string ConnectionFields::*field;
};

constexpr Box kBoxes[] = {
    {"lblFile", "txtFile", "Database file:", &FieldSet::file, &ConnectionFields::file},
    {"lblServer", "txtServer", "Server:", &FieldSet::server, &ConnectionFields::server},
    {"lblPort", "txtPort", "Port:", &FieldSet::port, &ConnectionFields::port},
    {"lblDatabase", "txtDatabase", "Database:", &FieldSet::database, &ConnectionFields::database},
    {"lblUser", "txtUser", "User:", &FieldSet::user, &ConnectionFields::user},
    {"lblPassword", "txtPassword", "Password:", &FieldSet::password, &ConnectionFields::password},
};

constexpr const char* kPasswordNote =
    "Without the tick the password is used for Test only and is not written into the "
    "presentation; the computer that shows it must know it (its data source, ~/.pgpass).";

bool AllDigits(const std::string& text) {
  return text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

frmConnectionString::frmConnectionString(Context& ctx)
    : host::Form("frmConnectionString", "Connection string"), ctx_(ctx) {
  AddControls();
  ListSources();
  SetListIndex("lstSource", 0);
  Update();
}

void frmConnectionString::AddControls() {
  Add(ControlKind::kLabel, "lblSource", "Connect to:");
  Add(ControlKind::kListBox, "lstSource");
  On("lstSource", FormEvent::kClick, [this] { Update(); });
  for (const Box& box : kBoxes) {
    Add(ControlKind::kLabel, box.label, box.caption);
    Add(ControlKind::kTextBox, box.name);
    On(box.name, FormEvent::kChange, [this] { Update(); });
    if (box.field == &ConnectionFields::file) {
      Add(ControlKind::kCommandButton, "cmdBrowse", "Browse...");
      On("cmdBrowse", FormEvent::kClick, [this] { Browse(); });
    }
  }
  Edit("txtPassword").password = true;
  Add(ControlKind::kCheckBox, "chkSavePassword", "Save password in the presentation");
  On("chkSavePassword", FormEvent::kClick, [this] { Update(); });
  Add(ControlKind::kLabel, "lblPasswordNote", kPasswordNote);
  Add(ControlKind::kLabel, "lblConnectionString", "Connection string:");
  host::Control& shown = Add(ControlKind::kTextBox, "txtConnectionString");
  shown.locked = true;
  shown.multi_line = true;
  Add(ControlKind::kCommandButton, "cmdTest", "Test");
  On("cmdTest", FormEvent::kClick, [this] { Test(); });
  Add(ControlKind::kCommandButton, "cmdOK", "OK");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  SetDefaultButton("cmdOK");
  SetCancelButton("cmdCancel");
  On("cmdOK", FormEvent::kClick, [this] {
    cancelled_ = false;
    Hide();
  });
  On("cmdCancel", FormEvent::kClick, [this] {
    cancelled_ = true;
    Hide();
  });
}

void frmConnectionString::ListSources() {
  AddEntry(kSqliteEntry, {});
  const host::DataAccess* access = ctx_.services.data_access;
  if (access == nullptr) return;
  for (const host::OdbcDataSource& source : access->OdbcDataSources()) {
    AddEntry("Data source: " + source.name +
                 (source.description.empty() ? "" : " (" + source.description + ")"),
             {SourceKind::kDataSource, source.name, DriverFamily::kGeneric});
  }
  for (const host::OdbcDriver& driver : access->OdbcDrivers()) {
    std::string library;
    for (const auto& [key, value] : driver.attributes) {
      if (EqualsNoCase(key, "Driver")) library = value;
    }
    AddEntry("Driver: " + driver.name,
             {SourceKind::kDriver, driver.name, FamilyOf(driver.name, library)});
  }
}

void frmConnectionString::AddEntry(const std::string& caption, Entry entry) {
  AddItem("lstSource", caption);
  entries_.push_back(std::move(entry));
}

int frmConnectionString::FindEntry(SourceKind kind, const std::string& name) const {
  for (size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].kind == kind &&
        (kind == SourceKind::kSqliteFile || EqualsNoCase(entries_[i].name, name))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

const frmConnectionString::Entry& frmConnectionString::Chosen() const {
  const int index = ListIndex("lstSource");
  return entries_.at(index < 0 ? 0 : static_cast<size_t>(index));
}

void frmConnectionString::SetConnectionString(const std::string& text) {
  const std::optional<ConnectionFields> fields = ParseConnectionFields(text);
  if (!fields) return;
  int index = FindEntry(fields->kind, fields->name);
  if (index < 0) {
    const bool source = fields->kind == SourceKind::kDataSource;
    AddEntry((source ? "Data source: " : "Driver: ") + fields->name +
                 (source ? " (not defined on this computer)" : " (not installed)"),
             {fields->kind, fields->name, FamilyOf(fields->name)});
    index = static_cast<int>(entries_.size()) - 1;
  }
  other_parts_ = fields->other_parts;
  other_parts_entry_ = index;
  SetListIndex("lstSource", index);
  for (const Box& box : kBoxes) SetText(box.name, (*fields).*box.field);
  // A password the string already held was saved by whoever wrote it; OK keeps it there.
  SetValue("chkSavePassword", fields->password.empty() ? 0 : 1);
  Update();
}

ConnectionFields frmConnectionString::Fields() const {
  const Entry& entry = Chosen();
  ConnectionFields fields;
  fields.kind = entry.kind;
  fields.name = entry.name;
  for (const Box& box : kBoxes) fields.*box.field = Text(box.name);
  // Parts kept from the string the dialog opened on belong to what that string reached.
  if (ListIndex("lstSource") == other_parts_entry_) fields.other_parts = other_parts_;
  return fields;
}

std::string frmConnectionString::Build(bool with_password) const {
  return BuildConnectionString(Fields(), Chosen().family, with_password);
}

void frmConnectionString::Update() {
  const Entry& entry = Chosen();
  const FieldSet asked = FieldsFor(entry.kind, entry.family);
  for (const Box& box : kBoxes) {
    SetVisible(box.label, asked.*box.asked);
    SetVisible(box.name, asked.*box.asked);
  }
  SetVisible("cmdBrowse", asked.file);
  SetVisible("chkSavePassword", asked.password);
  SetVisible("lblPasswordNote", asked.password);
  const std::string port = DefaultPort(entry.family);
  SetToolTip("txtPort", port.empty() ? "" : "Empty: " + port);
  SetText("txtConnectionString", ConnectionString());
  const bool complete =
      (!asked.file || !Text("txtFile").empty()) && (!asked.port || AllDigits(Text("txtPort")));
  SetEnabled("cmdOK", complete);
  SetEnabled("cmdTest", complete);
}

void frmConnectionString::Browse() {
  host::FrontEnd* front_end = ctx_.services.front_end;
  if (front_end == nullptr) return;
  const std::string chosen = front_end->BrowseForFile(
      "Select database file", "SQLite databases (*.db)|*.db|All files|*.*", Text("txtFile"));
  if (!chosen.empty()) SetText("txtFile", chosen);
}

void frmConnectionString::Test() {
  const std::string resolved =
      ResolveConnectionPath(ctx_, ConnectionStringForTest(), presentation_name_);
  std::string failure;
  try {
    BusyCursor busy(ctx_);
    std::unique_ptr<host::Connection> database = OpenDatabase(ctx_, resolved);
    CloseQuietly(*database);
  } catch (const Error& error) {
    failure = error.description();
  }
  SkipFailure([&] {
    if (failure.empty()) {
      ShowMessage(ctx_, kTestSucceeded, host::msg_box::kInformation);
    } else {
      ShowMessage(ctx_, std::string(kTestFailed) + "\r\n" + failure, host::msg_box::kExclamation);
    }
  });
}

}  // namespace vintrel::dialogs
