// frmDistribution, "Set distribution list": where and when a presentation is to be shown. The
// form is a model: a front end draws its text boxes, list and buttons and forwards the user's
// clicks; the form asks its questions and shows its messages through the platform's front end.
// It works on its own copy of the list and writes the presentation's tags only on OK.
#ifndef VINTREL_OFFLINE_DISTRIBUTION_DIALOG_H_
#define VINTREL_OFFLINE_DISTRIBUTION_DIALOG_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "connections/tag_values.h"
#include "host/forms.h"
#include "support/context.h"

namespace vintrel {

class clsPresentation;

class frmDistribution : public host::Form {
 public:
  static constexpr const char* kCaption = "Set distribution list";
  static constexpr const char* kComputerPrompt =
      "Select a computer on which the presentation will be shown.";
  static constexpr const char* kComputerNameRefused =
      "A computer name cannot contain a TAB or a line break.";

  // Opens the form with the default window: from the next full hour for two hours. Controls:
  // the date and time text boxes txtStartDate, txtStartTime, txtStopDate, txtStopTime (dates in
  // the short date form, times in the long time form), the list DistributionList and the
  // buttons cmdNew ("Add"), cmdDelete ("Delete"), cmdClose ("OK") and cmdCancel ("Cancel").
  explicit frmDistribution(Context& ctx);

  // Hands the presentation over: its stored list and window replace the defaults.
  void SetActivePresentation(clsPresentation& presentation);
  clsPresentation* ActivePresentation() const { return presentation_; }

  const std::vector<std::string>& DistributionList() const { return Items("DistributionList"); }
  // The selected entry (from 0), if any.
  std::optional<size_t> Selected() const;
  void Select(std::optional<size_t> index);

  bool cmdDeleteEnabled() const { return Enabled("cmdDelete"); }

  // Add: a computer from the picker, appended unless it is listed already or its name holds a
  // TAB or a line break.
  void cmdNew_Click();
  // Delete: removes the selected entry; the one now in its place (or the new last) is selected.
  void cmdDelete_Click();
  // OK: checks the dates (a date without a time is none), then writes the list and closes;
  // otherwise stays open.
  void cmdClose_Click();
  // Cancel: closes; nothing is written.
  void cmdCancel_Click();

  // Whether OK or Cancel closed the form, and whether OK wrote the list.
  bool closed() const { return closed_; }
  bool written() const { return written_; }

 private:
  void ShowWindow(LocalDateTime start, LocalDateTime stop);
  std::optional<LocalDateTime> BoxesDateTime(const std::string& date_box,
                                             const std::string& time_box) const;
  void ApplyButtonRule();

  Context& ctx_;
  clsPresentation* presentation_ = nullptr;
  bool closed_ = false;
  bool written_ = false;
};

// Date and time in the user's short date and long time forms, as the form's text boxes show
// them.
std::string ShortDateText(LocalDateTime value);
std::string LongTimeText(LocalDateTime value);

// "Clear distribution list": asks first; only Yes deletes the presentation's distribution tags.
// Returns whether they were deleted.
bool ClearDistributionList(clsPresentation& presentation);

// The form for the presentation, shown modally through the platform's front end.
void ShowDistributionList(clsPresentation& presentation);

}  // namespace vintrel

#endif  // VINTREL_OFFLINE_DISTRIBUTION_DIALOG_H_
