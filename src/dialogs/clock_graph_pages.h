// frmClockPropertyPage ("Clock shape property page"): the selected text shapes show the current
// date and time in one of five formats. frmGraphPropertyPage ("Graph property page"): the
// selected charts show a connection's data. Both write the shapes' tags only on OK.
#ifndef VINTREL_DIALOGS_CLOCK_GRAPH_PAGES_H_
#define VINTREL_DIALOGS_CLOCK_GRAPH_PAGES_H_

#include <vector>

#include "document/shape.h"
#include "host/forms.h"

namespace vintrel {
class clsPresentation;
}  // namespace vintrel

namespace vintrel::dialogs {

class frmClockPropertyPage : public host::Form {
 public:
  static constexpr const char* kCaption = "Clock shape property page";
  frmClockPropertyPage(clsPresentation& presentation, std::vector<host::Shape*> shapes);

  void Activate() override;
  // The preview of the chosen format (nothing with "No preview" or no format chosen).
  void GetPreview();
  bool written() const { return written_; }

 private:
  void cmdClear_Click();
  void cmdClose_Click();

  clsPresentation& presentation_;
  std::vector<clsshape> shapes_;
  bool loaded_ = false;
  bool written_ = false;
};

class frmGraphPropertyPage : public host::Form {
 public:
  static constexpr const char* kCaption = "Graph property page";
  frmGraphPropertyPage(clsPresentation& presentation, std::vector<host::Shape*> shapes);

  void Activate() override;
  bool written() const { return written_; }

 private:
  void cmdClose_Click();

  clsPresentation& presentation_;
  std::vector<clsshape> shapes_;
  bool loaded_ = false;
  bool written_ = false;
};

void ShowClockProperties(clsPresentation& presentation);
void ShowGraphProperties(clsPresentation& presentation);

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_CLOCK_GRAPH_PAGES_H_
