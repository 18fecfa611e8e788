#include "offline/distribution_dialog.h"

#include <chrono>
#include <ctime>

#include "document/presentation.h"
#include "document/tag_schema.h"
#include "host/clock.h"
#include "host/platform.h"
#include "rendering/date_format.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/module_state.h"
#include "support/shell_helpers.h"

namespace vintrel {
namespace {

std::tm ToTm(LocalDateTime value) {
  using namespace std::chrono;
  const local_days day = floor<days>(value);
  const year_month_day date{day};
  const hh_mm_ss<seconds> time{value - day};
  std::tm out{};
  out.tm_year = static_cast<int>(date.year()) - 1900;
  out.tm_mon = static_cast<int>(static_cast<unsigned>(date.month())) - 1;
  out.tm_mday = static_cast<int>(static_cast<unsigned>(date.day()));
  out.tm_hour = static_cast<int>(time.hours().count());
  out.tm_min = static_cast<int>(time.minutes().count());
  out.tm_sec = static_cast<int>(time.seconds().count());
  out.tm_wday = static_cast<int>(weekday{day}.c_encoding());
  out.tm_yday = static_cast<int>((day - local_days{date.year() / January / 1}).count());
  out.tm_isdst = -1;
  return out;
}

// The wall clock's current local time, to the second.
LocalDateTime LocalNow() {
  const host::Clock* clock = Services().clock;
  const std::time_t now = std::chrono::system_clock::to_time_t(
      clock != nullptr ? clock->Now() : std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  using namespace std::chrono;
  const local_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
  return day + hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec};
}

void ShowMessageSafely(const std::string& text, int style) {
  SkipFailure([&] { ShowMessage(text, style); });
}

}  // namespace

std::string ShortDateText(LocalDateTime value) {
  return rendering::FormatDate(ToTm(value), "ddddd", rendering::CurrentRegionalForms());
}

std::string LongTimeText(LocalDateTime value) {
  return rendering::FormatDate(ToTm(value), "ttttt", rendering::CurrentRegionalForms());
}

frmDistribution::frmDistribution() {
  using namespace std::chrono;
  const LocalDateTime start = floor<hours>(LocalNow()) + hours{1};
  ShowWindow(start, start + minutes{120});
}

void frmDistribution::ShowWindow(LocalDateTime start, LocalDateTime stop) {
  txtStartDate = ShortDateText(start);
  txtStartTime = LongTimeText(start);
  txtStopDate = ShortDateText(stop);
  txtStopTime = LongTimeText(stop);
}

void frmDistribution::SetActivePresentation(clsPresentation& presentation) {
  presentation_ = &presentation;
  list_.clear();
  selected_.reset();
  SkipFailure([&] {
    host::Presentation* host_presentation = presentation.ActivePresentation();
    if (host_presentation == nullptr) return;
    host::Tags& tags = host_presentation->Tags();
    for (int index = 1; index <= tags.Count(); ++index) {
      SkipFailure([&] {
        const std::string name = tags.Name(index);
        if (HasTagPrefix(name, tag::kDistributionComputer)) {
          for (std::string& computer : DistributionComputers(tags.Value(index))) {
            list_.push_back(std::move(computer));
          }
          return;
        }
        const bool start = HasTagPrefix(name, tag::kDistributionStart);
        if (!start && !HasTagPrefix(name, tag::kDistributionStop)) return;
        const std::optional<LocalDateTime> value = ParseDateTime(tags.Value(index));
        if (!value) return;
        (start ? txtStartDate : txtStopDate) = ShortDateText(*value);
        (start ? txtStartTime : txtStopTime) = LongTimeText(*value);
      });
    }
  });
  if (!list_.empty()) selected_ = 0;
}

void frmDistribution::SetListIndex(std::optional<size_t> index) {
  selected_ = index && *index < list_.size() ? index : std::nullopt;
}

void frmDistribution::cmdNew_Click() {
  const std::string name = BrowseForComputer(kComputerPrompt);
  if (name.empty()) return;
  for (size_t index = 0; index < list_.size(); ++index) {
    if (list_[index] == name) {
      selected_ = index;
      ShowMessageSafely("This computer was already added to the distrubtion list.",
                        host::msg_box::kInformation);
      return;
    }
  }
  list_.push_back(name);
  selected_ = list_.size() - 1;
}

void frmDistribution::cmdDelete_Click() {
  if (!selected_) return;
  const size_t removed = *selected_;
  list_.erase(list_.begin() + static_cast<std::ptrdiff_t>(removed));
  if (list_.empty()) {
    selected_.reset();
  } else {
    selected_ = removed < list_.size() ? removed : list_.size() - 1;
  }
}

void frmDistribution::cmdClose_Click() {
  const std::optional<LocalDateTime> start = ParseDateTime(txtStartDate + " " + txtStartTime);
  if (!start) {
    ShowMessageSafely("No valid start date specified. Please specify date and time.",
                      host::msg_box::kExclamation);
  }
  const std::optional<LocalDateTime> stop = ParseDateTime(txtStopDate + " " + txtStopTime);
  if (!stop) {
    ShowMessageSafely("No valid end date specified. Please specify date and time.",
                      host::msg_box::kExclamation);
  }
  if (!start || !stop) return;
  if (*stop <= *start) {
    ShowMessageSafely("End date must be greater than the start date.", host::msg_box::kExclamation);
    return;
  }
  if (presentation_ != nullptr) {
    presentation_->SetDistributionListTags(start, stop, list_);
    written_ = true;
  }
  closed_ = true;
}

void frmDistribution::cmdCancel_Click() {
  closed_ = true;
}

bool ClearDistributionList(clsPresentation& presentation) {
  const int answer = ShowMessage(
      "Are you sure you want to clear the distribution list?",
      host::msg_box::kYesNoCancel | host::msg_box::kQuestion | host::msg_box::kDefaultButton2);
  if (answer != host::msg_box::kYes) return false;
  bool cleared = false;
  SkipFailure([&] {
    host::Presentation* host_presentation = presentation.ActivePresentation();
    WriteDebugLog(DebugLevel::kEvent, "Application",
                  "cbrDistributionClear_Click:" +
                      (host_presentation != nullptr ? host_presentation->FullName() : ""));
    WriteDebugLog(DebugLevel::kInformation, "Application", "Destribution cleared");
    presentation.DeleteDistributionListTags();
    cleared = true;
  });
  return cleared;
}

void ShowDistributionList(clsPresentation& presentation) {
  frmDistribution form;
  form.SetActivePresentation(presentation);
  if (host::FrontEnd* front_end = Services().front_end) front_end->ShowForm(form);
}

namespace {

[[noreturn]] void NoSuchControl(const std::string& control) {
  throw Error(kErrInvalidProcedureCall, "frmDistribution",
              "The form has no control \"" + control + "\" to change");
}

}  // namespace

std::vector<host::FormControlInfo> frmDistribution::Controls() const {
  using namespace host::form_control;
  return {{"lblStartDate", kLabel, "Start:"},
          {"txtStartDate", kTextBox, ""},
          {"txtStartTime", kTextBox, ""},
          {"lblStopDate", kLabel, "Stop:"},
          {"txtStopDate", kTextBox, ""},
          {"txtStopTime", kTextBox, ""},
          {"DistributionList", kList, ""},
          {"cmdNew", kButton, "Add", cmdNewEnabled()},
          {"cmdDelete", kButton, "Delete", cmdDeleteEnabled()},
          {"cmdClose", kButton, "OK"},
          {"cmdCancel", kButton, "Cancel"}};
}

std::string frmDistribution::Value(const std::string& control) const {
  if (control == "txtStartDate") return txtStartDate;
  if (control == "txtStartTime") return txtStartTime;
  if (control == "txtStopDate") return txtStopDate;
  if (control == "txtStopTime") return txtStopTime;
  if (control == "DistributionList") return selected_ ? list_[*selected_] : "";
  return "";
}

std::vector<std::string> frmDistribution::Items(const std::string& control) const {
  return control == "DistributionList" ? list_ : std::vector<std::string>{};
}

void frmDistribution::SetValue(const std::string& control, const std::string& value) {
  if (control == "txtStartDate") {
    txtStartDate = value;
  } else if (control == "txtStartTime") {
    txtStartTime = value;
  } else if (control == "txtStopDate") {
    txtStopDate = value;
  } else if (control == "txtStopTime") {
    txtStopTime = value;
  } else if (control == "DistributionList") {
    if (value.empty()) return SetListIndex(std::nullopt);
    for (size_t index = 0; index < list_.size(); ++index) {
      if (list_[index] == value) return SetListIndex(index);
    }
    throw Error(kErrInvalidProcedureCall, "frmDistribution",
                "\"" + value + "\" is not in the distribution list");
  } else {
    NoSuchControl(control);
  }
}

void frmDistribution::Click(const std::string& control) {
  if (control == "cmdNew") {
    cmdNew_Click();
  } else if (control == "cmdDelete" && cmdDeleteEnabled()) {
    cmdDelete_Click();
  } else if (control == "cmdClose") {
    cmdClose_Click();
  } else if (control == "cmdCancel") {
    cmdCancel_Click();
  } else {
    NoSuchControl(control);
  }
}

}  // namespace vintrel
