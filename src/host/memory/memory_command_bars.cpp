#include "host/memory/memory_command_bars.h"

#include <algorithm>
#include <utility>

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

namespace {

const char* TypeName(int type) {
  switch (type) {
    case control_type::kButton:
      return "a button";
    case control_type::kComboBox:
      return "a combo box";
    case control_type::kPopup:
      return "a popup";
    default:
      return "a control";
  }
}

}  // namespace

MemoryCommandBarControl::MemoryCommandBarControl(MemoryCommandBarControls& siblings, int type,
                                                 bool temporary, FaultInjector* faults)
    : siblings_(siblings), type_(type), temporary_(temporary), faults_(faults) {
  if (type == control_type::kPopup) {
    children_ = std::make_unique<MemoryCommandBarControls>(faults);
  }
  if (type == control_type::kComboBox) width_ = 100;
}

MemoryCommandBarControl::~MemoryCommandBarControl() = default;

void MemoryCommandBarControl::Enter(std::string_view operation) const {
  if (deleted_) FailHostCall(kErrUnspecified, operation, "the control was deleted");
  if (faults_ != nullptr) faults_->Enter(operation, nullptr);
}

void MemoryCommandBarControl::RequireType(int type, std::string_view operation) const {
  if (type_ != type) {
    FailHostCall(kErrInvalidArgument, operation, std::string("only for ") + TypeName(type));
  }
}

int MemoryCommandBarControl::Type() const {
  Enter("CommandBarControl.Type");
  return type_;
}

std::string MemoryCommandBarControl::Caption() const {
  Enter("CommandBarControl.Caption");
  return caption_;
}

void MemoryCommandBarControl::SetCaption(const std::string& text) {
  Enter("CommandBarControl.SetCaption");
  caption_ = text;
}

std::string MemoryCommandBarControl::TooltipText() const {
  Enter("CommandBarControl.TooltipText");
  return tooltip_;
}

void MemoryCommandBarControl::SetTooltipText(const std::string& text) {
  Enter("CommandBarControl.SetTooltipText");
  tooltip_ = text;
}

bool MemoryCommandBarControl::BeginGroup() const {
  Enter("CommandBarControl.BeginGroup");
  return begin_group_;
}

void MemoryCommandBarControl::SetBeginGroup(bool value) {
  Enter("CommandBarControl.SetBeginGroup");
  begin_group_ = value;
}

bool MemoryCommandBarControl::Enabled() const {
  Enter("CommandBarControl.Enabled");
  return enabled_;
}

void MemoryCommandBarControl::SetEnabled(bool value) {
  Enter("CommandBarControl.SetEnabled");
  enabled_ = value;
}

bool MemoryCommandBarControl::Visible() const {
  Enter("CommandBarControl.Visible");
  return visible_;
}

void MemoryCommandBarControl::SetVisible(bool value) {
  Enter("CommandBarControl.SetVisible");
  visible_ = value;
}

int MemoryCommandBarControl::State() const {
  Enter("CommandBarControl.State");
  RequireType(control_type::kButton, "CommandBarControl.State");
  return state_;
}

void MemoryCommandBarControl::SetState(int state) {
  Enter("CommandBarControl.SetState");
  RequireType(control_type::kButton, "CommandBarControl.SetState");
  if (state != button_state::kUp && state != button_state::kDown) {
    FailHostCall(kErrInvalidArgument, "CommandBarControl.SetState", "no such state");
  }
  state_ = state;
}

int MemoryCommandBarControl::Index() const {
  Enter("CommandBarControl.Index");
  return index();
}

int MemoryCommandBarControl::index() const {
  return deleted_ ? 0 : siblings_.IndexOf(*this);
}

int MemoryCommandBarControl::Width() const {
  Enter("CommandBarControl.Width");
  return width_;
}

void MemoryCommandBarControl::SetWidth(int width) {
  Enter("CommandBarControl.SetWidth");
  if (width < 0) FailHostCall(kErrInvalidArgument, "CommandBarControl.SetWidth", "negative width");
  width_ = width;
}

int MemoryCommandBarControl::HelpContextId() const {
  Enter("CommandBarControl.HelpContextId");
  return help_context_id_;
}

void MemoryCommandBarControl::SetHelpContextId(int id) {
  Enter("CommandBarControl.SetHelpContextId");
  help_context_id_ = id;
}

void MemoryCommandBarControl::SetPicture(const ButtonImage& picture) {
  Enter("CommandBarControl.SetPicture");
  RequireType(control_type::kButton, "CommandBarControl.SetPicture");
  picture_ = picture;
}

void MemoryCommandBarControl::SetMask(const ButtonImage& mask) {
  Enter("CommandBarControl.SetMask");
  RequireType(control_type::kButton, "CommandBarControl.SetMask");
  mask_ = mask;
}

void MemoryCommandBarControl::Delete() {
  Enter("CommandBarControl.Delete");
  siblings_.Remove(*this);
}

void MemoryCommandBarControl::MarkDeleted() {
  deleted_ = true;
  if (children_) children_->MarkDeleted();
}

CommandBarControls& MemoryCommandBarControl::Controls() {
  Enter("CommandBarControl.Controls");
  RequireType(control_type::kPopup, "CommandBarControl.Controls");
  return *children_;
}

void MemoryCommandBarControl::AddItem(const std::string& text) {
  Enter("CommandBarControl.AddItem");
  RequireType(control_type::kComboBox, "CommandBarControl.AddItem");
  items_.push_back(text);
}

int MemoryCommandBarControl::ListCount() const {
  Enter("CommandBarControl.ListCount");
  RequireType(control_type::kComboBox, "CommandBarControl.ListCount");
  return static_cast<int>(items_.size());
}

std::string MemoryCommandBarControl::List(int index) const {
  Enter("CommandBarControl.List");
  RequireType(control_type::kComboBox, "CommandBarControl.List");
  if (index < 1 || index > static_cast<int>(items_.size())) {
    FailHostCall(kErrInvalidArgument, "CommandBarControl.List", "no item " + std::to_string(index));
  }
  return items_[index - 1];
}

int MemoryCommandBarControl::ListIndex() const {
  Enter("CommandBarControl.ListIndex");
  RequireType(control_type::kComboBox, "CommandBarControl.ListIndex");
  return list_index_;
}

void MemoryCommandBarControl::SetListIndex(int index) {
  Enter("CommandBarControl.SetListIndex");
  RequireType(control_type::kComboBox, "CommandBarControl.SetListIndex");
  if (index < 0 || index > static_cast<int>(items_.size())) {
    FailHostCall(kErrInvalidArgument, "CommandBarControl.SetListIndex",
                 "no item " + std::to_string(index));
  }
  list_index_ = index;
}

void MemoryCommandBarControl::OnClick(ClickHandler handler) {
  Enter("CommandBarControl.OnClick");
  RequireType(control_type::kButton, "CommandBarControl.OnClick");
  on_click_ = std::move(handler);
}

void MemoryCommandBarControl::OnChange(ChangeHandler handler) {
  Enter("CommandBarControl.OnChange");
  RequireType(control_type::kComboBox, "CommandBarControl.OnChange");
  on_change_ = std::move(handler);
}

void MemoryCommandBarControl::Execute() {
  Enter("CommandBarControl.Execute");
  if (!enabled_)
    FailHostCall(kErrUnspecified, "CommandBarControl.Execute", "the control is disabled");
  ++execute_count_;
  if (type_ == control_type::kButton) {
    bool cancel_default = false;
    // A copy: the handler may unsubscribe or delete this very control.
    ClickHandler handler = on_click_;
    if (handler) handler(*this, cancel_default);
    last_cancel_default_ = cancel_default;
  } else if (type_ == control_type::kComboBox) {
    ChangeHandler handler = on_change_;
    if (handler) handler(*this);
  }
}

void MemoryCommandBarControl::Choose(int index) {
  SetListIndex(index);
  Execute();
}

MemoryCommandBarControl& MemoryCommandBarControl::WithCaption(std::string caption) {
  caption_ = std::move(caption);
  return *this;
}

MemoryCommandBarControls::~MemoryCommandBarControls() = default;

void MemoryCommandBarControls::Enter(std::string_view operation) const {
  if (deleted_) FailHostCall(kErrUnspecified, operation, "the controls' owner was deleted");
  if (faults_ != nullptr) faults_->Enter(operation, nullptr);
}

int MemoryCommandBarControls::Count() const {
  Enter("CommandBarControls.Count");
  return count();
}

CommandBarControl& MemoryCommandBarControls::Item(int index) {
  Enter("CommandBarControls.Item");
  if (index < 1 || index > count()) {
    FailHostCall(kErrInvalidArgument, "CommandBarControls.Item",
                 "no control " + std::to_string(index));
  }
  return *controls_[index - 1];
}

CommandBarControl& MemoryCommandBarControls::Item(const std::string& caption) {
  Enter("CommandBarControls.Item");
  MemoryCommandBarControl* control = find(caption);
  if (control == nullptr) {
    FailHostCall(kErrInvalidArgument, "CommandBarControls.Item", "no control captioned " + caption);
  }
  return *control;
}

CommandBarControl& MemoryCommandBarControls::Add(int type, int before, bool temporary) {
  Enter("CommandBarControls.Add");
  if (type != control_type::kButton && type != control_type::kComboBox &&
      type != control_type::kPopup) {
    FailHostCall(kErrInvalidArgument, "CommandBarControls.Add", "no such control type");
  }
  if (before < 0 || before > count() + 1) {
    FailHostCall(kErrInvalidArgument, "CommandBarControls.Add",
                 "no position " + std::to_string(before));
  }
  return Insert(type, before, temporary);
}

MemoryCommandBarControl& MemoryCommandBarControls::Insert(int type, int before, bool temporary) {
  const int at = before == 0 ? count() : before - 1;
  auto it = controls_.insert(controls_.begin() + at, std::make_unique<MemoryCommandBarControl>(
                                                         *this, type, temporary, faults_));
  return **it;
}

MemoryCommandBarControl& MemoryCommandBarControls::at(int index) {
  if (index < 1 || index > count()) {
    FailHostCall(kErrInvalidArgument, "CommandBarControls", "no control " + std::to_string(index));
  }
  return *controls_[index - 1];
}

MemoryCommandBarControl* MemoryCommandBarControls::find(std::string_view caption) const {
  const std::string wanted = UpperAscii(caption);
  for (const auto& control : controls_) {
    if (UpperAscii(control->caption_) == wanted) return control.get();
  }
  return nullptr;
}

std::vector<std::string> MemoryCommandBarControls::captions() const {
  std::vector<std::string> captions;
  for (const auto& control : controls_) captions.push_back(control->caption_);
  return captions;
}

int MemoryCommandBarControls::IndexOf(const MemoryCommandBarControl& control) const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].get() == &control) return static_cast<int>(i) + 1;
  }
  return 0;
}

void MemoryCommandBarControls::Remove(MemoryCommandBarControl& control) {
  auto it = std::find_if(controls_.begin(), controls_.end(),
                         [&](const auto& entry) { return entry.get() == &control; });
  if (it == controls_.end()) return;
  control.MarkDeleted();
  deleted_controls_.push_back(std::move(*it));
  controls_.erase(it);
}

void MemoryCommandBarControls::MarkDeleted() {
  deleted_ = true;
  for (auto& control : controls_) control->MarkDeleted();
}

MemoryCommandBar::MemoryCommandBar(MemoryCommandBars& bars, std::string name, bool built_in,
                                   bool temporary, FaultInjector* faults)
    : bars_(bars),
      name_(std::move(name)),
      built_in_(built_in),
      temporary_(temporary),
      faults_(faults),
      controls_(faults) {}

void MemoryCommandBar::Enter(std::string_view operation) const {
  if (deleted_) FailHostCall(kErrUnspecified, operation, "the bar was deleted");
  if (faults_ != nullptr) faults_->Enter(operation, nullptr);
}

std::string MemoryCommandBar::Name() const {
  Enter("CommandBar.Name");
  return name_;
}

bool MemoryCommandBar::Visible() const {
  Enter("CommandBar.Visible");
  return visible_;
}

void MemoryCommandBar::SetVisible(bool value) {
  Enter("CommandBar.SetVisible");
  visible_ = value;
}

CommandBarControls& MemoryCommandBar::Controls() {
  Enter("CommandBar.Controls");
  return controls_;
}

void MemoryCommandBar::Delete() {
  Enter("CommandBar.Delete");
  if (built_in_) FailHostCall(kErrInvalidArgument, "CommandBar.Delete", "a built-in bar stays");
  bars_.RemoveBar(name_);
}

const std::vector<std::string>& MemoryCommandBars::MenuBarCaptions() {
  static const std::vector<std::string> captions = {
      "&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools", "Sli&de Show", "&Window", "&Help"};
  return captions;
}

MemoryCommandBars::MemoryCommandBars(FaultInjector* faults) : faults_(faults) {
  MemoryCommandBar& menu_bar = AddBar("Menu Bar", /*built_in=*/true, /*temporary=*/false);
  menu_bar.visible_ = true;
  for (const std::string& caption : MenuBarCaptions()) {
    menu_bar.controls_.Insert(control_type::kPopup, 0, false).WithCaption(caption);
  }
  // The context menus open on a right click; they start with the host's clipboard commands.
  for (const char* name : {"Shapes", "Pictures Context Menu", "OLE Object"}) {
    MemoryCommandBar& bar = AddBar(name, /*built_in=*/true, /*temporary=*/false);
    for (const char* caption : {"Cu&t", "&Copy", "&Paste"}) {
      bar.controls_.Insert(control_type::kButton, 0, false).WithCaption(caption);
    }
  }
}

MemoryCommandBars::~MemoryCommandBars() = default;

MemoryCommandBar& MemoryCommandBars::AddBar(std::string name, bool built_in, bool temporary) {
  bars_.push_back(
      std::make_unique<MemoryCommandBar>(*this, std::move(name), built_in, temporary, faults_));
  return *bars_.back();
}

CommandBar& MemoryCommandBars::Add(const std::string& name, int position, bool temporary) {
  if (faults_ != nullptr) faults_->Enter("CommandBars.Add", nullptr);
  if (find(name) != nullptr) {
    FailHostCall(kErrInvalidArgument, "CommandBars.Add", "a bar named " + name + " exists");
  }
  MemoryCommandBar& bar = AddBar(name, /*built_in=*/false, temporary);
  bar.position_ = position;
  return bar;
}

CommandBar& MemoryCommandBars::Item(const std::string& name) {
  if (faults_ != nullptr) faults_->Enter("CommandBars.Item", nullptr);
  MemoryCommandBar* bar = find(name);
  if (bar == nullptr) FailHostCall(kErrInvalidArgument, "CommandBars.Item", "no bar named " + name);
  return *bar;
}

MemoryCommandBar* MemoryCommandBars::find(std::string_view name) const {
  const std::string upper = UpperAscii(name);
  for (const auto& bar : bars_) {
    if (UpperAscii(bar->name_) == upper) return bar.get();
  }
  return nullptr;
}

bool MemoryCommandBars::RemoveBar(std::string_view name) {
  MemoryCommandBar* bar = find(name);
  if (bar == nullptr) return false;
  bar->deleted_ = true;
  bar->controls_.MarkDeleted();
  auto it = std::find_if(bars_.begin(), bars_.end(),
                         [&](const auto& entry) { return entry.get() == bar; });
  removed_.push_back(std::move(*it));
  bars_.erase(it);
  return true;
}

}  // namespace vintrel::host::memory
