#include "offline/distribution_dialog.h"

#include <chrono>
#include <ctime>

#include "document/presentation_object.h"
#include "document/tag_schema.h"
#include "host/clock.h"
#include "host/platform.h"
#include "rendering/date_format.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"
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
LocalDateTime LocalNow(const Context& ctx) {
  const std::time_t now = std::chrono::system_clock::to_time_t(ctx.services.clock->Now());
  std::tm local{};
  localtime_r(&now, &local);
  using namespace std::chrono;
  const local_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
  return day + hours{local.tm_hour} + minutes{local.tm_min} + seconds{local.tm_sec};
}

// The form's messages stay above every window, as the form does.
void ShowMessageSafely(const Context& ctx, const std::string& text, int style) {
  SkipFailure([&] { ShowMessage(ctx, text, style | host::msg_box::kTopmost); });
}

}  // namespace

std::string ShortDateText(LocalDateTime value) {
  return rendering::FormatDate(ToTm(value), "ddddd", rendering::CurrentRegionalForms());
}

std::string LongTimeText(LocalDateTime value) {
  return rendering::FormatDate(ToTm(value), "ttttt", rendering::CurrentRegionalForms());
}

frmDistribution::frmDistribution(Context& ctx)
    : host::Form("frmDistribution", kCaption), ctx_(ctx) {
  using host::ControlKind;
  Add(ControlKind::kLabel, "lblStartDate", "Start:");
  Add(ControlKind::kTextBox, "txtStartDate");
  Add(ControlKind::kTextBox, "txtStartTime");
  Add(ControlKind::kLabel, "lblStopDate", "Stop:");
  Add(ControlKind::kTextBox, "txtStopDate");
  Add(ControlKind::kTextBox, "txtStopTime");
  Add(ControlKind::kListBox, "DistributionList");
  Add(ControlKind::kCommandButton, "cmdNew", "Add");
  Add(ControlKind::kCommandButton, "cmdDelete", "Delete");
  Add(ControlKind::kCommandButton, "cmdClose", "OK");
  Add(ControlKind::kCommandButton, "cmdCancel", "Cancel");
  SetDefaultButton("cmdClose");
  SetCancelButton("cmdCancel");
  On("DistributionList", host::FormEvent::kClick, [this] { ApplyButtonRule(); });
  On("cmdNew", host::FormEvent::kClick, [this] { cmdNew_Click(); });
  On("cmdDelete", host::FormEvent::kClick, [this] { cmdDelete_Click(); });
  On("cmdClose", host::FormEvent::kClick, [this] { cmdClose_Click(); });
  On("cmdCancel", host::FormEvent::kClick, [this] { cmdCancel_Click(); });
  ApplyButtonRule();
  using namespace std::chrono;
  const LocalDateTime start = floor<hours>(LocalNow(ctx_)) + hours{1};
  ShowWindow(start, start + minutes{120});
}

void frmDistribution::ShowWindow(LocalDateTime start, LocalDateTime stop) {
  SetText("txtStartDate", ShortDateText(start));
  SetText("txtStartTime", LongTimeText(start));
  SetText("txtStopDate", ShortDateText(stop));
  SetText("txtStopTime", LongTimeText(stop));
}

std::optional<size_t> frmDistribution::Selected() const {
  const int index = ListIndex("DistributionList");
  return index >= 0 ? std::optional<size_t>(static_cast<size_t>(index)) : std::nullopt;
}

void frmDistribution::Select(std::optional<size_t> index) {
  const bool listed = index && *index < DistributionList().size();
  SetListIndex("DistributionList", listed ? static_cast<int>(*index) : -1);
  ApplyButtonRule();
}

void frmDistribution::ApplyButtonRule() {
  SetEnabled("cmdDelete", Selected().has_value());
}

void frmDistribution::SetActivePresentation(clsPresentation& presentation) {
  presentation_ = &presentation;
  std::vector<std::string> list;
  SkipFailure([&] {
    host::Presentation* host_presentation = presentation.ActivePresentation();
    if (host_presentation == nullptr) return;
    host::Tags& tags = host_presentation->Tags();
    for (int index = 1; index <= tags.Count(); ++index) {
      SkipFailure([&] {
        const std::string name = tags.Name(index);
        if (HasTagPrefix(name, tag::kDistributionComputer)) {
          for (std::string& computer : DistributionComputers(tags.Value(index))) {
            list.push_back(std::move(computer));
          }
          return;
        }
        const bool start = HasTagPrefix(name, tag::kDistributionStart);
        if (!start && !HasTagPrefix(name, tag::kDistributionStop)) return;
        const std::optional<LocalDateTime> value = ParseDateTime(tags.Value(index));
        if (!value) return;
        SetText(start ? "txtStartDate" : "txtStopDate", ShortDateText(*value));
        SetText(start ? "txtStartTime" : "txtStopTime", LongTimeText(*value));
      });
    }
  });
  SetItems("DistributionList", std::move(list));
  Select(DistributionList().empty() ? std::nullopt : std::optional<size_t>(0));
}

void frmDistribution::cmdNew_Click() {
  const std::string name = BrowseForComputer(ctx_, kComputerPrompt);
  if (name.empty()) return;
  // The stored list separates its names with TABs: such a name would come back as two.
  if (name.find_first_of("\t\r\n") != std::string::npos) {
    ShowMessageSafely(ctx_, kComputerNameRefused, host::msg_box::kExclamation);
    return;
  }
  const std::vector<std::string>& list = DistributionList();
  for (size_t index = 0; index < list.size(); ++index) {
    if (list[index] == name) {
      Select(index);
      ShowMessageSafely(ctx_, "This computer was already added to the distrubtion list.",
                        host::msg_box::kInformation);
      return;
    }
  }
  AddItem("DistributionList", name);
  Select(DistributionList().size() - 1);
}

void frmDistribution::cmdDelete_Click() {
  const std::optional<size_t> selected = Selected();
  if (!selected) return;
  const size_t removed = *selected;
  RemoveItem("DistributionList", static_cast<int>(removed));
  const size_t left = DistributionList().size();
  Select(left == 0 ? std::nullopt : std::optional<size_t>(removed < left ? removed : left - 1));
}

// The date and time boxes read together; a box left empty makes no time (a date alone would
// silently mean midnight).
std::optional<LocalDateTime> frmDistribution::BoxesDateTime(const std::string& date_box,
                                                            const std::string& time_box) const {
  const auto blank = [](const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
  };
  if (blank(Text(date_box)) || blank(Text(time_box))) return std::nullopt;
  return ParseDateTime(Text(date_box) + " " + Text(time_box));
}

void frmDistribution::cmdClose_Click() {
  const std::optional<LocalDateTime> start = BoxesDateTime("txtStartDate", "txtStartTime");
  if (!start) {
    ShowMessageSafely(ctx_, "No valid start date specified. Please specify date and time.",
                      host::msg_box::kExclamation);
  }
  const std::optional<LocalDateTime> stop = BoxesDateTime("txtStopDate", "txtStopTime");
  if (!stop) {
    ShowMessageSafely(ctx_, "No valid end date specified. Please specify date and time.",
                      host::msg_box::kExclamation);
  }
  if (!start || !stop) return;
  if (*stop <= *start) {
    ShowMessageSafely(ctx_, "End date must be greater than the start date.",
                      host::msg_box::kExclamation);
    return;
  }
  if (presentation_ != nullptr) {
    presentation_->SetDistributionListTags(start, stop, DistributionList());
    written_ = true;
  }
  closed_ = true;
  Hide();
}

void frmDistribution::cmdCancel_Click() {
  closed_ = true;
  Hide();
}

bool ClearDistributionList(clsPresentation& presentation) {
  const int answer =
      ShowMessage(presentation.context(), "Are you sure you want to clear the distribution list?",
                  host::msg_box::kYesNoCancel | host::msg_box::kQuestion |
                      host::msg_box::kDefaultButton2 | host::msg_box::kTopmost);
  if (answer != host::msg_box::kYes) return false;
  bool cleared = false;
  SkipFailure([&] {
    host::Presentation* host_presentation = presentation.ActivePresentation();
    WriteDebugLog(presentation.context(), DebugLevel::kEvent, "Application",
                  "cbrDistributionClear_Click:" +
                      (host_presentation != nullptr ? host_presentation->FullName() : ""));
    WriteDebugLog(presentation.context(), DebugLevel::kInformation, "Application",
                  "Destribution cleared");
    presentation.DeleteDistributionListTags();
    cleared = true;
  });
  return cleared;
}

void ShowDistributionList(clsPresentation& presentation) {
  frmDistribution form(presentation.context());
  form.SetActivePresentation(presentation);
  host::ShowModal(form, presentation.context().services.front_end);
}

}  // namespace vintrel
