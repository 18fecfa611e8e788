// frmSlidePropertyPage, "Slide properties": one slide's settings. Tab "General": hide the slide
// in the show when its connections deliver no data, reload its linked objects when their files
// change. Tab "Scrolling": per connection shown on the slide, whether its rows scroll, how many
// rows a step moves and how long a step lasts. The page works on its own copy of the settings;
// OK writes the slide's tags and refills the slide's charts, Cancel writes nothing.
#ifndef VINTREL_DIALOGS_SLIDE_PROPERTY_PAGE_H_
#define VINTREL_DIALOGS_SLIDE_PROPERTY_PAGE_H_

#include <optional>
#include <string>
#include <vector>

#include "document/slide.h"
#include "host/forms.h"

namespace vintrel {
class clsPresentation;
class clsConnection;
}  // namespace vintrel

namespace vintrel::dialogs {

class frmSlidePropertyPage : public host::Form {
 public:
  static constexpr const char* kCaption = "Slide properties";
  // The step time offered for a connection that never scrolled, in milliseconds.
  static constexpr long kDefaultStepTime = 3000;

  // The page for slide `slide_index` (from 1) of the presentation; loaded when shown.
  frmSlidePropertyPage(clsPresentation& presentation, int slide_index);

  void Activate() override;

  const clsSlide& Settings() const { return settings_; }
  int SlideIndex() const { return slide_index_; }
  // The tag numbers of the connections listed, in list order.
  std::vector<std::string> UsedConnections() const;
  // Whether OK closed the page.
  bool written() const { return written_; }

 private:
  void Load();
  void ShowTab();
  void ShowSettings();
  void ApplyEnableRule();
  void Store();
  void SyncSpinner(const std::string& text_box, const std::string& spinner);
  const clsConnection* SelectedConnection() const;
  void cmdClose_Click();

  clsPresentation& presentation_;
  int slide_index_;
  clsSlide settings_;
  std::vector<const clsConnection*> used_;
  long default_step_ = 1;
  bool filling_ = false;
  bool loaded_ = false;
  bool written_ = false;
};

// Shows the page for the slide (without one: the slide in the active window) modally through the
// platform's front end.
void ShowSlideProperties(clsPresentation& presentation, std::optional<int> slide_index);

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_SLIDE_PROPERTY_PAGE_H_
