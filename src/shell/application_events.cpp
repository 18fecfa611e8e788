// The host's events: presentations opened, created, saved, printed and closed, the slide show's
// beginning, slides and end, and the selection changing.
#include "shell/application_object.h"

#include "connections/excel_status.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/event_loop.h"
#include "shell/check_data_access.h"
#include "shell/selection_kind.h"
#include "shell/settings.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/shell_helpers.h"

namespace vintrel::shell {
namespace {

// Lets pending events run; afterwards, whether `presentation` is still open in `host`: an event
// may have closed it, and a closed one is not touched (only addresses are compared).
bool StillOpenAfterEvents(const Context& ctx, host::Application* host,
                          const host::Presentation& presentation) {
  ctx.services.loop->DoEvents();
  if (host == nullptr) return true;
  host::Presentations& open = host->Presentations();
  for (int i = 1; i <= open.Count(); ++i) {
    if (&open.Item(i) == &presentation) return true;
  }
  return false;
}

}  // namespace

void Application::NewPresentation(host::Presentation& presentation) {
  try {
    Trace(DebugLevel::kEvent, "gppApp_NewPresentation");
    if (!StillOpenAfterEvents(ctx_, gpp_app_, presentation)) return;
    if (ctx_.module.offline_generation_running) {
      Trace(DebugLevel::kInformation, "New presentation due to offline generation");
      return;
    }
    auto entry = std::make_unique<clsPresentation>(ctx_);
    entry->SetActivePresentation(presentation);
    // The only open presentation starts a fresh collection: entries of presentations that
    // vanished without a close event go.
    if (gpp_app_ != nullptr && gpp_app_->Presentations().Count() == 1) presentations_.clear();
    presentations_.push_back(std::move(entry));
    SetControlsPresentation();
  } catch (...) {
    LogFailure(ctx_, CurrentFailure());
  }
}

void Application::PresentationOpen(host::Presentation& presentation) {
  try {
    Trace(DebugLevel::kEvent, "gppApp_PresentationOpen:" + presentation.FullName());
    if (!StillOpenAfterEvents(ctx_, gpp_app_, presentation)) return;
    auto entry = std::make_unique<clsPresentation>(ctx_);
    entry->SetOpenedFromFile(true);
    entry->SetActivePresentation(presentation);
    presentations_.push_back(std::move(entry));
    SetControlsPresentation();
    // Loading tags and filling values is no change of the user's.
    presentation.SetSaved(true);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(ctx_, failure);
    SkipFailure([&] { presentation.SetSaved(true); });
    // The entry being built goes with the failure; the host hears of it.
    std::erase_if(presentations_,
                  [&](const auto& entry) { return entry->ActivePresentation() == &presentation; });
    throw failure;
  }
}

void Application::PresentationClose(host::Presentation& presentation) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_PresentationClose"); });
  SkipFailure([&] {
    clsPresentation* entry = FindEntry(presentation);
    if (entry == nullptr) return;
    Trace(DebugLevel::kEvent, "gppApp_PresentationClose:" + presentation.FullName());
    std::erase_if(presentations_, [entry](const auto& item) { return item.get() == entry; });
  });
  SkipFailure([&] { SetControlsPresentation(); });
}

void Application::PresentationSave(host::Presentation& presentation) {
  Trace(DebugLevel::kEvent, "gppApp_PresentationSave");
  const ModuleState& state = ctx_.module;
  if (state.offline_generation_running || state.resetting_saved_state) return;
  // The add-in's own save below raises this event once more: the host just writes then.
  if (saving_ == &presentation) return;
  clsPresentation* entry = FindEntry(presentation);
  if (entry == nullptr) return;
  Trace(DebugLevel::kEvent, "gppApp_PresentationSave:" + presentation.FullName());
  saving_ = &presentation;
  SaveBlanked(*entry, [&] { presentation.Save(); });
  presentation.SetSaved(true);
}

void Application::SaveBlanked(clsPresentation& entry, const std::function<void()>& write) {
  try {
    entry.SetDisplayType();
    entry.PrepareSave();
    write();
  } catch (...) {
    saving_ = nullptr;
    // The user goes on working with the values shown, whatever became of the file.
    SkipFailure([&] { entry.FillValues(); });
    throw;
  }
  saving_ = nullptr;
  entry.FillValues();
}

void Application::SaveCopyAs(host::Presentation& presentation, const std::string& file_name) {
  Trace(DebugLevel::kEvent, "SaveCopyAs:" + file_name);
  clsPresentation* entry = FindEntry(presentation);
  if (entry == nullptr) {
    presentation.SaveCopyAs(file_name);
    return;
  }
  const bool saved = presentation.Saved();
  saving_ = &presentation;
  SaveBlanked(*entry, [&] { presentation.SaveCopyAs(file_name); });
  presentation.SetSaved(saved);
}

void Application::PresentationPrint(host::Presentation&) {
  // Printing shows every alert again, whatever a show or a command had switched off.
  SkipFailure([&] {
    if (gpp_app_ != nullptr && GetHostMajorVersion(*gpp_app_) >= 10) {
      gpp_app_->SetDisplayAlerts(host::alert_level::kAll);
    }
  });
}

void Application::SlideShowBegin(host::SlideShowWindow& window) {
  try {
    ctx_.module.errors_during_show = false;
    Trace(DebugLevel::kEvent, "gppApp_SlideShowBegin");
    ctx_.module.in_slide_show = true;
    host::Presentation& presentation = window.Presentation();
    if (!IsVintrelPresentation(presentation)) {
      Trace(DebugLevel::kVariable, "PresentationVintrelEnabled:0");
      return;
    }
    Trace(DebugLevel::kVariable, "PresentationVintrelEnabled:-1");
    const int ended_before = shows_ended_;
    if (ctx_.module.first_yield_pending) {
      ctx_.module.first_yield_pending = false;
      if (host::EventLoop* loop = ctx_.services.loop) loop->DoEvents();
      // An event that ran may have ended this show (and closed its presentation).
      if (shows_ended_ != ended_before) return;
    }
    if (presentation.SlideShowSettings().ShowType() == host::show_type::kKiosk) {
      window.View().SetPointerType(host::pointer_type::kAlwaysHidden);
    }
    ctx_.module.show_saved_state = presentation.Saved();
    if (runtime_) runtime_->EndShow();
    // Held here too: opening the connections lets events run, and one may end the show.
    const auto runtime = std::make_shared<clsRuntime>(ctx_);
    runtime_ = runtime;
    runtime->ShowProgressMeter = ReadSetting(ctx_, kSettingHideProgressMeterOpen) != "1";
    runtime->KeepLastGoodValues = ReadSetting(ctx_, kSettingKeepLastGoodValues) == "1";
    runtime->WatchFiles = ReadSetting(ctx_, kSettingWatchFiles) == "1";
    runtime->SetActivePresentation(presentation);
    if (runtime->ended()) return;
    runtime->StartTimers();
  } catch (...) {
    LogFailure(ctx_, CurrentFailure());
  }
}

void Application::SlideShowNextSlide(host::SlideShowWindow& window) {
  try {
    Trace(DebugLevel::kEvent, "gppApp_SlideShowNextSlide");
    if (const auto runtime = runtime_) runtime->SlideShowNextSlide(window);
  } catch (...) {
    LogFailure(ctx_, CurrentFailure());
  }
}

void Application::SlideShowEnd(host::Presentation& presentation) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_SlideShowEnd"); });
  ctx_.module.in_slide_show = false;
  ++shows_ended_;
  // A tick of the runtime may be running below this (it let events run): it stops at its next
  // step, and the runtime goes when the last such tick returns.
  if (runtime_) runtime_->EndShow();
  bool vintrel = false;
  SkipFailure([&] { vintrel = IsVintrelPresentation(presentation); });
  if (vintrel) {
    SkipFailure(
        [&] { Trace(DebugLevel::kEvent, "DisplayTypeModified:" + presentation.FullName()); });
    // Slides the show hid for lack of data are shown again.
    SkipFailure([&] {
      host::Slides& slides = presentation.Slides();
      for (int i = 1; i <= slides.Count(); ++i) {
        SkipFailure([&] { slides.Item(i).SlideShowTransition().SetHidden(false); });
      }
    });
    SkipFailure([&] {
      if (runtime_) runtime_->UnSetLinkedObjects();
    });
    SkipFailure([&] { presentation.SetSaved(ctx_.module.show_saved_state); });
  }
  runtime_.reset();
  SkipFailure([&] {
    if (!ctx_.module.errors_during_show) return;
    if (ReadSetting(ctx_, kSettingHideMsgBoxErrorsDuringPresentation) == "1") return;
    const int answer = ShowMessage(
        ctx_,
        "There were errors encountered during the presentation. Do you want to open the log "
        "file?",
        host::msg_box::kYesNo | host::msg_box::kExclamation);
    if (answer == host::msg_box::kYes) OpenErrorLog(ctx_);
  });
}

void Application::WindowActivate(host::Presentation&, host::DocumentWindow&) {
  SkipFailure([&] { SetControlsPresentation(); });
}

void Application::WindowSelectionChange(host::Selection& selection) {
  SkipFailure([&] { Trace(DebugLevel::kEvent, "gppApp_WindowSelectionChange"); });
  menus_.EnableSlideMenu(gpp_app_);
  const int kind = ClassifySelection(selection);
  auto word = [&](bool has_connections) {
    SkipFailure([&] { Trace(DebugLevel::kInformation, SelectionKindWord(kind, has_connections)); });
  };
  switch (kind) {
    case selection_kind::kAllClock:
      word(false);
      menus_.DisableTextFieldMenu();
      menus_.DisableDataObjectMenu();
      menus_.DisableGraphMenu();
      menus_.EnableClockMenu();
      break;
    case selection_kind::kAllDatabaseField:
      word(false);
      menus_.DisableClockMenu();
      menus_.DisableDataObjectMenu();
      menus_.DisableGraphMenu();
      menus_.EnableTextFieldMenu();
      break;
    case selection_kind::kTextShapes: {
      // Text shapes take a clock always, a text field only where there is a connection to link.
      clsPresentation* entry = presentations_.empty() ? nullptr : ActiveEntry();
      if (entry == nullptr) break;
      const bool has_connections = !entry->Connections().empty();
      word(has_connections);
      if (has_connections) {
        menus_.DisableDataObjectMenu();
        menus_.EnableClockMenu();
        menus_.EnableTextFieldMenu();
      } else {
        menus_.DisableTextFieldMenu();
        menus_.DisableDataObjectMenu();
        menus_.DisableGraphMenu();
        menus_.EnableClockMenu();
      }
      break;
    }
    case selection_kind::kAllDataObject:
      word(false);
      menus_.DisableClockMenu();
      menus_.DisableTextFieldMenu();
      menus_.DisableGraphMenu();
      menus_.EnableDataObjectMenu();
      break;
    case selection_kind::kAllGraphs:
      word(false);
      menus_.DisableClockMenu();
      menus_.DisableTextFieldMenu();
      menus_.DisableDataObjectMenu();
      menus_.EnableGraphMenu();
      break;
    default:
      word(false);
      menus_.DisableTextFieldMenu();
      menus_.DisableDataObjectMenu();
      menus_.DisableClockMenu();
      menus_.DisableGraphMenu();
      break;
  }
}

}  // namespace vintrel::shell
