// In-memory command bars: the host's built-in bars ("Menu Bar" with the host's menus, and the
// context menus "Shapes", "Pictures Context Menu" and "OLE Object"), bars added at run time, and
// their buttons, combo boxes and popups. A deleted control or bar stays in memory, marked
// deleted, so references held elsewhere fail with an Error instead of crashing; it is no longer
// counted or found.
#ifndef VINTREL_HOST_MEMORY_MEMORY_COMMAND_BARS_H_
#define VINTREL_HOST_MEMORY_MEMORY_COMMAND_BARS_H_

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/command_bars.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

class MemoryCommandBarControls;
class MemoryCommandBars;

class MemoryCommandBarControl : public host::CommandBarControl {
 public:
  // Use MemoryCommandBarControls::Add rather than this.
  MemoryCommandBarControl(MemoryCommandBarControls& siblings, int type, bool temporary,
                          FaultInjector* faults);
  ~MemoryCommandBarControl() override;

  int Type() const override;
  std::string Caption() const override;
  void SetCaption(const std::string& text) override;
  std::string TooltipText() const override;
  void SetTooltipText(const std::string& text) override;
  bool BeginGroup() const override;
  void SetBeginGroup(bool value) override;
  bool Enabled() const override;
  void SetEnabled(bool value) override;
  bool Visible() const override;
  void SetVisible(bool value) override;
  // Buttons only.
  int State() const override;
  void SetState(int state) override;
  int Index() const override;
  int Width() const override;
  void SetWidth(int width) override;
  int HelpContextId() const override;
  void SetHelpContextId(int id) override;
  // Buttons only.
  void SetPicture(const ButtonImage& picture) override;
  void SetMask(const ButtonImage& mask) override;
  // Fails when already deleted.
  void Delete() override;
  // Popups only.
  CommandBarControls& Controls() override;
  // Combo boxes only.
  void AddItem(const std::string& text) override;
  int ListCount() const override;
  std::string List(int index) const override;
  int ListIndex() const override;
  // 0..ListCount; raises no event (the host raises change only for a person's choice).
  void SetListIndex(int index) override;
  // Buttons only.
  void OnClick(ClickHandler handler) override;
  // Combo boxes only.
  void OnChange(ChangeHandler handler) override;
  // Fails for a disabled control (nobody can click it). A button raises click with the
  // cancel-default flag cleared; a combo box raises change; a popup does nothing.
  void Execute() override;

  // What a person choosing item `index` of a combo box does: SetListIndex, then Execute.
  void Choose(int index);

  // Inspection, never failing and never counted.
  int type() const { return type_; }
  const std::string& caption() const { return caption_; }
  const std::string& tooltip() const { return tooltip_; }
  bool begin_group() const { return begin_group_; }
  bool enabled() const { return enabled_; }
  bool visible() const { return visible_; }
  int state() const { return state_; }
  int width() const { return width_; }
  int help_context_id() const { return help_context_id_; }
  bool temporary() const { return temporary_; }
  bool deleted() const { return deleted_; }
  int index() const;  // 0 once deleted
  const std::optional<ButtonImage>& picture() const { return picture_; }
  const std::optional<ButtonImage>& mask() const { return mask_; }
  const std::vector<std::string>& items() const { return items_; }
  int list_index() const { return list_index_; }
  bool has_click_handler() const { return static_cast<bool>(on_click_); }
  bool has_change_handler() const { return static_cast<bool>(on_change_); }
  // The cancel-default flag as the click handler left it on the last Execute.
  bool last_cancel_default() const { return last_cancel_default_; }
  int execute_count() const { return execute_count_; }
  // The items of a popup; null for other controls.
  MemoryCommandBarControls* popup_controls() { return children_.get(); }

  // Set-up for built-in controls.
  MemoryCommandBarControl& WithCaption(std::string caption);

 private:
  friend class MemoryCommandBarControls;
  class MemoryCommandBars;
  void Enter(std::string_view operation) const;
  void RequireType(int type, std::string_view operation) const;
  void MarkDeleted();  // with the items of a popup

  MemoryCommandBarControls& siblings_;
  int type_;
  bool temporary_;
  FaultInjector* faults_;
  std::string caption_;
  std::string tooltip_;
  bool begin_group_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  int state_ = button_state::kUp;
  int width_ = 24;
  int help_context_id_ = 0;
  std::optional<ButtonImage> picture_;
  std::optional<ButtonImage> mask_;
  std::vector<std::string> items_;
  int list_index_ = 0;
  ClickHandler on_click_;
  ChangeHandler on_change_;
  bool last_cancel_default_ = false;
  int execute_count_ = 0;
  bool deleted_ = false;
  std::unique_ptr<MemoryCommandBarControls> children_;
};

class MemoryCommandBarControls : public host::CommandBarControls {
 public:
  explicit MemoryCommandBarControls(FaultInjector* faults) : faults_(faults) {}
  ~MemoryCommandBarControls() override;

  int Count() const override;
  CommandBarControl& Item(int index) override;
  // The first control whose caption is `caption`, ampersands included, compared without case;
  // fails when none.
  CommandBarControl& Item(const std::string& caption) override;
  // Fails for an unknown type or a position outside 0..Count+1.
  CommandBarControl& Add(int type, int before = 0, bool temporary = true) override;

  // Inspection, not counted.
  int count() const { return static_cast<int>(controls_.size()); }
  MemoryCommandBarControl& at(int index);  // from 1; fails outside 1..count()
  // As Item(caption), but null when no control has that caption.
  MemoryCommandBarControl* find(std::string_view caption) const;
  std::vector<std::string> captions() const;
  bool deleted() const { return deleted_; }

 private:
  friend class MemoryCommandBarControl;
  friend class MemoryCommandBar;
  friend class MemoryCommandBars;
  void Enter(std::string_view operation) const;
  int IndexOf(const MemoryCommandBarControl& control) const;
  MemoryCommandBarControl& Insert(int type, int before, bool temporary);
  void Remove(MemoryCommandBarControl& control);
  void MarkDeleted();

  FaultInjector* faults_;
  std::vector<std::unique_ptr<MemoryCommandBarControl>> controls_;
  std::vector<std::unique_ptr<MemoryCommandBarControl>> deleted_controls_;
  bool deleted_ = false;
};

class MemoryCommandBar : public host::CommandBar {
 public:
  MemoryCommandBar(MemoryCommandBars& bars, std::string name, bool built_in, bool temporary,
                   FaultInjector* faults);

  std::string Name() const override;
  bool Visible() const override;
  void SetVisible(bool value) override;
  CommandBarControls& Controls() override;
  // Fails for a built-in bar and for a bar already deleted.
  void Delete() override;

  const std::string& name() const { return name_; }
  bool visible() const { return visible_; }
  // The position given to CommandBars.Add (0 for the host's own bars).
  int position() const { return position_; }
  bool built_in() const { return built_in_; }
  bool temporary() const { return temporary_; }
  bool deleted() const { return deleted_; }
  MemoryCommandBarControls& controls() { return controls_; }

 private:
  friend class MemoryCommandBars;
  void Enter(std::string_view operation) const;

  MemoryCommandBars& bars_;
  std::string name_;
  bool built_in_;
  bool temporary_;
  FaultInjector* faults_;
  bool visible_ = false;
  bool deleted_ = false;
  int position_ = 0;
  MemoryCommandBarControls controls_;
};

class MemoryCommandBars : public host::CommandBars {
 public:
  // Menu bar captions of the host, left to right.
  static const std::vector<std::string>& MenuBarCaptions();

  // With the built-in bars. `faults` (may be null, not owned) arms failures of the bars' calls
  // by operation name ("CommandBarControls.Add", "CommandBarControl.Delete", ...).
  explicit MemoryCommandBars(FaultInjector* faults = nullptr);
  ~MemoryCommandBars() override;

  // Fails when a bar of that name (compared without case) exists.
  CommandBar& Add(const std::string& name, int position, bool temporary) override;
  // Compared without case; fails when absent.
  CommandBar& Item(const std::string& name) override;

  // Inspection and set-up.
  MemoryCommandBar* find(std::string_view name) const;
  // Removes a bar, built-in or not, as if the host did not have it; false when absent.
  bool RemoveBar(std::string_view name);
  int count() const { return static_cast<int>(bars_.size()); }

 private:
  MemoryCommandBar& AddBar(std::string name, bool built_in, bool temporary);

  FaultInjector* faults_;
  std::vector<std::unique_ptr<MemoryCommandBar>> bars_;
  std::vector<std::unique_ptr<MemoryCommandBar>> removed_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_COMMAND_BARS_H_
