// frmConnectionString, "Connection string": what the database dialog's "Edit..." opens to build
// its connection string. It lists an SQLite database file beside the ODBC data sources and the
// installed ODBC drivers the data access knows, asks for what the chosen one needs, shows the
// string as it will be written and opens it on Test. A password is used for Test only unless
// "Save password in the presentation" is ticked: only then does it go into the string.
#ifndef VINTREL_DIALOGS_CONNECTION_STRING_DIALOG_H_
#define VINTREL_DIALOGS_CONNECTION_STRING_DIALOG_H_

#include <string>
#include <vector>

#include "dialogs/connection_string_fields.h"
#include "host/forms.h"
#include "support/context.h"

namespace vintrel::dialogs {

class frmConnectionString : public host::Form {
 public:
  static constexpr const char* kSqliteEntry = "SQLite database file";
  static constexpr const char* kTestSucceeded = "Test connection succeeded.";
  static constexpr const char* kTestFailed = "Test connection failed.";

  explicit frmConnectionString(Context& ctx);

  // Chooses the kind the string names and fills its boxes; a data source or driver this computer
  // does not list is added to the list, marked so. A string none of the kinds makes, or an
  // empty one, leaves the SQLite file chosen with empty boxes.
  void SetConnectionString(const std::string& text);
  // The string as OK writes it: with the password only when it is to be saved.
  std::string ConnectionString() const { return Build(Checked("chkSavePassword")); }
  // The string with the password, for opening the database while the dialogs are open.
  std::string ConnectionStringForTest() const { return Build(true); }
  bool Cancelled() const { return cancelled_; }
  // The presentation's full name, which a relative database file is resolved against.
  void SetActivePresentationName(std::string name) { presentation_name_ = std::move(name); }

 private:
  struct Entry {
    SourceKind kind = SourceKind::kSqliteFile;
    std::string name;
    DriverFamily family = DriverFamily::kGeneric;
  };

  void AddControls();
  void ListSources();
  void AddEntry(const std::string& caption, Entry entry);
  int FindEntry(SourceKind kind, const std::string& name) const;
  const Entry& Chosen() const;
  ConnectionFields Fields() const;
  std::string Build(bool with_password) const;
  // Shows the boxes the chosen entry asks for and the string they make.
  void Update();
  void Browse();
  void Test();

  Context& ctx_;
  std::vector<Entry> entries_;
  // Parts of the string the dialog opened on that no box shows, and the entry they belong to.
  std::vector<std::string> other_parts_;
  int other_parts_entry_ = -1;
  std::string presentation_name_;
  bool cancelled_ = true;
};

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_CONNECTION_STRING_DIALOG_H_
