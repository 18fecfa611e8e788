// frmSlideShowPropertyPage, "Slide show properties": the connection manager of a presentation.
// One tab per kind of connection (text files, databases, workbooks), each with its list and its
// Add, Edit and Delete buttons. The form works on its own copies of the connections, read from
// the presentation's tags when it opens; OK hands the whole list to the presentation object,
// which rewrites the tags and unlinks the shapes of deleted connections. Cancel writes nothing.
#ifndef VINTREL_DIALOGS_SLIDE_SHOW_PROPERTY_PAGE_H_
#define VINTREL_DIALOGS_SLIDE_SHOW_PROPERTY_PAGE_H_

#include <memory>
#include <string>
#include <vector>

#include "connections/connection.h"
#include "host/forms.h"

namespace vintrel {

class clsPresentation;

class frmSlideShowPropertyPage : public host::Form {
 public:
  // Tabs, also the suffix of each tab's controls: ConnectionList1, TagList1, cmdNew1, ...
  static constexpr int kTextFileTab = 1;
  static constexpr int kDatabaseTab = 2;
  static constexpr int kExcelTab = 3;
  // Connection numbers have two digits, and the slide tables hold no more.
  static constexpr int kMostConnections = 99;

  // Loads the presentation's connections.
  explicit frmSlideShowPropertyPage(clsPresentation& presentation);

  clsPresentation& ActivePresentation() const { return presentation_; }
  // The next free connection number over the form's connections ("01", "02", ...).
  std::string NewConnectionTagNumber() const;
  // The name offered for a new connection on tab `tab`: "New data connection", then with " 2"...
  std::string DefaultConnectionName(int tab) const;
  // The form's own copies, in the order they will be written.
  const std::vector<std::unique_ptr<clsConnection>>& WorkingConnections() const {
    return connections_;
  }

  void SelectTab(int tab);
  void cmdNew_Click(int tab);
  void cmdEdit_Click(int tab);
  void cmdDelete_Click(int tab);
  void cmdClose_Click();
  void cmdCancel_Click();

 private:
  void Load();
  void ApplyButtonRule(int tab);
  clsConnection* Selected(int tab) const;
  // Shows the dialog of the tab's kind for the connection and stores what the user confirmed;
  // false when the user cancelled.
  bool AskForConnection(int tab, clsConnection& connection, bool is_new);
  // Whether the spreadsheet service can read workbooks: without it the Excel tab's buttons stay
  // off.
  bool excel_available_ = true;

  clsPresentation& presentation_;
  std::vector<std::unique_ptr<clsConnection>> connections_;
};

// The form for the presentation, shown modally through the platform's front end.
void ShowSlideShowProperties(clsPresentation& presentation);

}  // namespace vintrel

#endif  // VINTREL_DIALOGS_SLIDE_SHOW_PROPERTY_PAGE_H_
