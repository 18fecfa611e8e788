// The add-in's single application object: it subscribes to the host's events, checks that the
// add-in can run, builds the user interface, and removes everything again at unload.
#ifndef VINTREL_SHELL_APPLICATION_OBJECT_H_
#define VINTREL_SHELL_APPLICATION_OBJECT_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/presentation_object.h"
#include "host/application.h"
#include "runtime/runtime.h"
#include "shell/command_controls.h"
#include "support/logs.h"

namespace vintrel::shell {

class Application : public host::ApplicationEvents {
 public:
  explicit Application(Context& ctx) : ctx_(ctx), menus_(ctx) {}
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;
  // The end of the object: drops every reference it holds, deletes nothing, writes nothing.
  ~Application() override;

  void InitHandler(host::Application& host, const std::string& prog_id);
  void UnInitHandler();

  // Host events.
  void NewPresentation(host::Presentation& presentation) override;
  void PresentationOpen(host::Presentation& presentation) override;
  void PresentationClose(host::Presentation& presentation) override;
  void PresentationSave(host::Presentation& presentation) override;
  void PresentationPrint(host::Presentation& presentation) override;
  void SlideShowBegin(host::SlideShowWindow& window) override;
  void SlideShowNextSlide(host::SlideShowWindow& window) override;
  void SlideShowEnd(host::Presentation& presentation) override;
  void WindowActivate(host::Presentation& presentation, host::DocumentWindow& window) override;
  void WindowSelectionChange(host::Selection& selection) override;

  // Stores the tool bar display combo's choice as the active presentation's display type (which
  // refills its shapes).
  void DisplayTypeModified();

  // The command handlers: what a click on each of the add-in's controls runs (the combo box: a
  // change). Each writes its handler's name as an Event line, skips its failures and works on
  // the entry of the host's active presentation; without one it does nothing more.
  enum class Place { kToolBar, kMainMenu, kShapesPopup, kPicturesPopup, kOlePopup };
  void ShapeCommandClick(ShapeCommand command, Place place);
  void RefreshDataNowClick(Place place);
  void CreateOfflinePPTClick(Place place);
  void GotoWebClick();
  void ProductHelpClick();
  void AboutProductClick();
  void DisplayTypeChange();
  // A button of the main menu's display submenu, by its position (1 to 6).
  void DisplayButtonClick(int position);
  void DisplayNothingClick();
  // The distribution commands; no control raises them, the host program calls them by name.
  void DistributionSetClick(Place place = Place::kMainMenu);
  void DistributionSendClick();
  void DistributionClearClick();
  // "Save a copy": the save handler's work for a copy written to `file_name`; the presentation
  // keeps its name and its saved state.
  void SaveCopyAs(host::Presentation& presentation, const std::string& file_name);

  // The entry of a presentation: the first whose host presentation has the same full name
  // (exact case); null when there is none or a name cannot be read.
  clsPresentation* FindEntry(host::Presentation& presentation) const;
  // The entry of the host's active presentation, or null.
  clsPresentation* ActiveEntry() const;
  const std::vector<std::unique_ptr<clsPresentation>>& presentations() const {
    return presentations_;
  }

  Context& context() const { return ctx_; }
  bool subscribed() const { return gpp_app_ != nullptr; }
  // The runtime of the running slide show, or null.
  clsRuntime* runtime() const { return runtime_.get(); }
  const std::string& prog_id() const { return prog_id_; }
  host::CommandBar* tool_bar() const { return menus_.tool_bar; }
  const std::vector<host::CommandBarControl*>& controls() const { return menus_.created; }
  const CommandControls& command_controls() const { return menus_; }

 private:
  // Where the tool bar, the context-menu entries and the main-menu popup are made, in that
  // order; every control made is recorded in controls_ so that UnInitHandler can delete it.
  void BuildUserInterface();
  // Subscribes every control made to its handler.
  void SubscribeControls();
  // The common frame of the handlers that act on the active entry: writes `handler` and then
  // `handler` + ":" + the presentation's full name, runs `action` with failures skipped, and
  // SetControlsPresentation afterwards when `set_controls`.
  void OnActiveEntry(const std::string& handler,
                     const std::function<void(clsPresentation&)>& action, bool set_controls);
  // The save handler's blank-write-refill around `write`.
  void SaveBlanked(clsPresentation& entry, const std::function<void()>& write);
  // Switches the commands to what the open presentations and the active window allow.
  void SetControlsPresentation();
  // Switches the shape commands to what a selection of shapes allows.
  void SetControlsTextField(host::Selection& selection);
  // A line of the debug log.
  void Trace(DebugLevel level, const std::string& message) const;
  // Whether the host's selection holds shapes (the object and chart pages need one).
  bool ShapesSelected() const;

  Context& ctx_;
  host::Application* gpp_app_ = nullptr;  // subscribed to the host's events while set
  std::string prog_id_;
  CommandControls menus_;
  std::vector<std::unique_ptr<clsPresentation>> presentations_;
  // Shared: a tick of the show's timers holds it until it returns, also past the show's end.
  std::shared_ptr<clsRuntime> runtime_;
  // Counts the shows ended: a handler that let events run sees whether its show ended meanwhile.
  int shows_ended_ = 0;
  // The presentation whose save this object is carrying out (the host raises the save event
  // again for the add-in's own save).
  host::Presentation* saving_ = nullptr;
};

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_APPLICATION_OBJECT_H_
