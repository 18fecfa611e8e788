// The pages that link the selected shapes to a connection, a column and a row:
// frmTextFieldPropertyPage ("Text shape property page") for text shapes and
// frmObjectFieldPropertyPage ("Linked object property page") for linked pictures, linked objects
// and media clips, which adds where the file named by the data is found. Every choice is held
// as a pending value of each selected shape and written only by OK; the preview shows the value
// of the chosen row as it is now.
#ifndef VINTREL_DIALOGS_DATA_FIELD_PAGES_H_
#define VINTREL_DIALOGS_DATA_FIELD_PAGES_H_

#include <optional>
#include <string>
#include <vector>

#include "document/shape.h"
#include "host/forms.h"

namespace vintrel {
class clsPresentation;
class clsConnection;
}  // namespace vintrel

namespace vintrel::dialogs {

inline constexpr const char* kRetrievingPreview = "Retrieving value from data...";

// What the two pages share: the data connection frame, the preview, "No preview", Clear, OK and
// Cancel.
class DataFieldPage : public host::Form {
 public:
  // The page for `shapes` (the selection) of the presentation; `source_type` is what OK makes
  // of them (text field or linked object).
  DataFieldPage(std::string name, std::string caption, clsPresentation& presentation,
                std::vector<host::Shape*> shapes, int source_type);

  void Activate() override;

  // Whether OK closed the page.
  bool written() const { return written_; }

 protected:
  // The connection chosen in the connection box, if any.
  clsConnection* ChosenConnection() const;
  std::optional<double> ChosenRow() const;
  // Writes the pending values of every shape and shows what each shows now.
  virtual void WriteShape(clsshape& shape, clsConnection* connection) = 0;
  // Called before the tags are written (the linked object page takes its folder and extension).
  virtual void BeforeWrite() {}

  clsPresentation& presentation_;
  std::vector<clsshape> shapes_;
  int slide_index_ = 0;

 private:
  void Load();
  void ChooseConnection();
  void ChooseColumn();
  void RowChanged(bool leaving);
  void NoPreviewClicked();
  void Preview();
  void UpdateOk();
  void cmdClear_Click();
  void cmdClose_Click();

  int source_type_;
  bool loaded_ = false;
  bool loading_ = false;
  bool cleared_ = false;
  bool written_ = false;
};

class frmTextFieldPropertyPage : public DataFieldPage {
 public:
  static constexpr const char* kCaption = "Text shape property page";
  frmTextFieldPropertyPage(clsPresentation& presentation, std::vector<host::Shape*> shapes);

 protected:
  void WriteShape(clsshape& shape, clsConnection* connection) override;
};

class frmObjectFieldPropertyPage : public DataFieldPage {
 public:
  static constexpr const char* kCaption = "Linked object property page";
  static constexpr const char* kFolderPrompt = "Select a folder where the file can be found.";
  frmObjectFieldPropertyPage(clsPresentation& presentation, std::vector<host::Shape*> shapes);

  void Activate() override;

 protected:
  void WriteShape(clsshape& shape, clsConnection* connection) override;
  void BeforeWrite() override;

 private:
  // The folder and extension the chosen option keeps; the others are stored empty.
  void ApplyOption();
  std::string Folder() const;
  std::string Extension() const;
  bool options_loaded_ = false;
};

// The pages for the selection of the host's active window, shown modally through the
// platform's front end.
void ShowDataFieldProperties(clsPresentation& presentation);
void ShowDataObjectProperties(clsPresentation& presentation);

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_DATA_FIELD_PAGES_H_
