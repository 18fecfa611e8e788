// Command bars kept in memory for the package application: there is no screen, but the add-in
// builds its tool bar and menus and a front end (or a script) clicks them through Execute.
#ifndef VINTREL_HOST_OOXML_SIMPLE_COMMAND_BARS_H_
#define VINTREL_HOST_OOXML_SIMPLE_COMMAND_BARS_H_

#include <memory>
#include <string>
#include <vector>

#include "host/command_bars.h"

namespace vintrel::ooxml {

class SimpleControls;

class SimpleControl : public host::CommandBarControl {
 public:
  SimpleControl(SimpleControls& owner, int type);
  ~SimpleControl() override;
  int Type() const override { return type_; }
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& text) override { caption_ = text; }
  std::string TooltipText() const override { return tooltip_; }
  void SetTooltipText(const std::string& text) override { tooltip_ = text; }
  bool BeginGroup() const override { return begin_group_; }
  void SetBeginGroup(bool value) override { begin_group_ = value; }
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool value) override { enabled_ = value; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool value) override { visible_ = value; }
  int State() const override { return state_; }
  void SetState(int state) override { state_ = state; }
  int Index() const override;
  int Width() const override { return width_; }
  void SetWidth(int width) override { width_ = width; }
  int HelpContextId() const override { return help_id_; }
  void SetHelpContextId(int id) override { help_id_ = id; }
  void SetPicture(const host::ButtonImage& picture) override { picture_ = picture; }
  void SetMask(const host::ButtonImage& mask) override { mask_ = mask; }
  // What SetPicture and SetMask handed over, for front ends that draw the buttons.
  const host::ButtonImage& picture() const { return picture_; }
  const host::ButtonImage& mask() const { return mask_; }
  void Delete() override;
  host::CommandBarControls& Controls() override;
  void AddItem(const std::string& text) override;
  int ListCount() const override { return static_cast<int>(items_.size()); }
  std::string List(int index) const override;
  int ListIndex() const override { return list_index_; }
  void SetListIndex(int index) override;
  void OnClick(host::ClickHandler handler) override { click_ = std::move(handler); }
  void OnChange(host::ChangeHandler handler) override { change_ = std::move(handler); }
  void Execute() override;

 private:
  SimpleControls& owner_;
  int type_;
  std::string caption_, tooltip_;
  bool begin_group_ = false, enabled_ = true, visible_ = true;
  int state_ = host::button_state::kUp, width_ = 0, help_id_ = 0, list_index_ = 0;
  host::ButtonImage picture_, mask_;
  std::vector<std::string> items_;
  std::unique_ptr<SimpleControls> children_;
  host::ClickHandler click_;
  host::ChangeHandler change_;
};

class SimpleControls : public host::CommandBarControls {
 public:
  SimpleControls();
  ~SimpleControls() override;
  int Count() const override { return static_cast<int>(controls_.size()); }
  host::CommandBarControl& Item(int index) override;
  host::CommandBarControl& Item(const std::string& caption) override;
  host::CommandBarControl& Add(int type, int before = 0, bool temporary = true) override;
  int IndexOf(const SimpleControl& control) const;
  void Remove(SimpleControl& control);

 private:
  std::vector<std::unique_ptr<SimpleControl>> controls_;
  std::vector<std::unique_ptr<SimpleControl>> removed_;
};

class SimpleCommandBars;

class SimpleBar : public host::CommandBar {
 public:
  SimpleBar(SimpleCommandBars& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  bool Visible() const override { return visible_; }
  void SetVisible(bool value) override { visible_ = value; }
  host::CommandBarControls& Controls() override { return controls_; }
  void Delete() override;

 private:
  SimpleCommandBars& owner_;
  std::string name_;
  bool visible_ = false;
  SimpleControls controls_;
};

// Starts with the host's built-in bars the add-in extends: "Menu Bar", "Shapes",
// "Pictures Context Menu" and "OLE Object".
class SimpleCommandBars : public host::CommandBars {
 public:
  SimpleCommandBars();
  host::CommandBar& Add(const std::string& name, int position, bool temporary) override;
  host::CommandBar& Item(const std::string& name) override;
  void Remove(SimpleBar& bar);

 private:
  std::vector<std::unique_ptr<SimpleBar>> bars_;
  std::vector<std::unique_ptr<SimpleBar>> removed_;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_SIMPLE_COMMAND_BARS_H_
