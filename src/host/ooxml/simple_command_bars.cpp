#include "host/ooxml/simple_command_bars.h"

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml {

namespace {
constexpr char kSource[] = "vintrel.ooxml";
}  // namespace

SimpleControl::SimpleControl(SimpleControls& owner, int type) : owner_(owner), type_(type) {}
SimpleControl::~SimpleControl() = default;

int SimpleControl::Index() const {
  return owner_.IndexOf(*this);
}

void SimpleControl::Delete() {
  owner_.Remove(*this);
}

host::CommandBarControls& SimpleControl::Controls() {
  if (type_ != host::control_type::kPopup) {
    throw Error(kErrInvalidArgument, kSource, "only a popup has controls");
  }
  if (!children_) children_ = std::make_unique<SimpleControls>();
  return *children_;
}

void SimpleControl::AddItem(const std::string& text) {
  if (type_ != host::control_type::kComboBox) {
    throw Error(kErrInvalidArgument, kSource, "only a combo box has items");
  }
  items_.push_back(text);
}

std::string SimpleControl::List(int index) const {
  if (index < 1 || index > ListCount()) {
    throw Error(kErrInvalidArgument, kSource, "List: index out of range");
  }
  return items_[index - 1];
}

void SimpleControl::SetListIndex(int index) {
  if (index < 0 || index > ListCount()) {
    throw Error(kErrInvalidArgument, kSource, "ListIndex: index out of range");
  }
  list_index_ = index;
}

void SimpleControl::Execute() {
  if (!enabled_) return;
  if (type_ == host::control_type::kComboBox) {
    if (change_) change_(*this);
    return;
  }
  bool cancel_default = false;
  if (click_) click_(*this, cancel_default);
}

SimpleControls::SimpleControls() = default;
SimpleControls::~SimpleControls() = default;

host::CommandBarControl& SimpleControls::Item(int index) {
  if (index < 1 || index > Count()) {
    throw Error(kErrInvalidArgument, kSource, "Controls: index out of range");
  }
  return *controls_[index - 1];
}

host::CommandBarControl& SimpleControls::Item(const std::string& caption) {
  for (auto& control : controls_) {
    if (LowerAscii(control->Caption()) == LowerAscii(caption)) return *control;
  }
  throw Error(kErrInvalidArgument, kSource, "Controls: no control \"" + caption + "\"");
}

host::CommandBarControl& SimpleControls::Add(int type, int before, bool /*temporary*/) {
  if (type != host::control_type::kButton && type != host::control_type::kComboBox &&
      type != host::control_type::kPopup) {
    throw Error(kErrInvalidArgument, kSource, "Controls.Add: unknown control type");
  }
  auto control = std::make_unique<SimpleControl>(*this, type);
  size_t at = before >= 1 && before <= Count() ? static_cast<size_t>(before - 1) : controls_.size();
  controls_.insert(controls_.begin() + at, std::move(control));
  return *controls_[at];
}

int SimpleControls::IndexOf(const SimpleControl& control) const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].get() == &control) return static_cast<int>(i) + 1;
  }
  throw Error(kErrInvalidArgument, kSource, "the control was deleted");
}

void SimpleControls::Remove(SimpleControl& control) {
  int index = IndexOf(control);
  removed_.push_back(std::move(controls_[index - 1]));
  controls_.erase(controls_.begin() + index - 1);
}

void SimpleBar::Delete() {
  owner_.Remove(*this);
}

SimpleCommandBars::SimpleCommandBars() {
  for (const char* name : {"Menu Bar", "Shapes", "Pictures Context Menu", "OLE Object"}) {
    bars_.push_back(std::make_unique<SimpleBar>(*this, name));
  }
  // The program's own menus, which an add-in places its menu among.
  host::CommandBarControls& menu_bar = bars_.front()->Controls();
  for (const char* caption : {"&File", "&Edit", "&View", "&Insert", "F&ormat", "&Tools",
                              "Sli&de Show", "&Window", "&Help"}) {
    menu_bar.Add(host::control_type::kPopup, 0, false).SetCaption(caption);
  }
}

host::CommandBar& SimpleCommandBars::Add(const std::string& name, int /*position*/,
                                         bool /*temporary*/) {
  for (auto& bar : bars_) {
    if (LowerAscii(bar->Name()) == LowerAscii(name)) {
      throw Error(kErrInvalidArgument, kSource, "a command bar \"" + name + "\" already exists");
    }
  }
  bars_.push_back(std::make_unique<SimpleBar>(*this, name));
  return *bars_.back();
}

host::CommandBar& SimpleCommandBars::Item(const std::string& name) {
  for (auto& bar : bars_) {
    if (LowerAscii(bar->Name()) == LowerAscii(name)) return *bar;
  }
  throw Error(kErrInvalidArgument, kSource, "no command bar \"" + name + "\"");
}

void SimpleCommandBars::Remove(SimpleBar& bar) {
  for (size_t i = 0; i < bars_.size(); ++i) {
    if (bars_[i].get() == &bar) {
      removed_.push_back(std::move(bars_[i]));
      bars_.erase(bars_.begin() + static_cast<long>(i));
      return;
    }
  }
}

}  // namespace vintrel::ooxml
