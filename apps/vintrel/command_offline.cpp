// vintrel offline FILE -o OUT: "Create off-line presentation", then the host program's part of
// saving the copy it leaves open: OUT is a plain presentation with every value burnt in,
// scrolling slides unrolled into pages and linked pictures embedded. FILE is not changed.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>

#include "command.h"
#include "document/presentation.h"
#include "host/error.h"
#include "host_session.h"
#include "offline/progress_meter.h"
#include "open_presentation.h"
#include "support/module_state.h"

namespace vintrel::app {
namespace {

struct OfflineOptions {
  std::string file;
  std::string output;
};

// The progress window as one line on the terminal, redrawn in place.
class TerminalProgress : public host::ProgressDisplay {
 public:
  void SetTitle(const std::string& title) override { title_ = title; }
  void SetStatus(const std::string& text) override {
    status_ = text;
    Draw(true);
  }
  void SetProgress(int value, int maximum) override {
    value_ = value;
    maximum_ = maximum;
    Draw(value == maximum);
  }
  void SetRemaining(const std::string& text) override { remaining_ = text; }
  void Close() override {
    if (drawn_) std::cerr << "\r\033[K" << std::flush;
    drawn_ = false;
  }

 private:
  void Draw(bool always) {
    const auto now = std::chrono::steady_clock::now();
    // Thousands of steps a second would spend their time on the terminal.
    if (!always && drawn_ && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    constexpr int kWidth = 30;
    const int filled = maximum_ > 0 ? value_ * kWidth / maximum_ : 0;
    std::cerr << "\r\033[K" << title_ << " [" << std::string(filled, '#')
              << std::string(kWidth - filled, '-') << "] " << value_ << "/" << maximum_ << " "
              << status_ << (remaining_.empty() ? "" : "  " + remaining_) << std::flush;
    drawn_ = true;
  }

  std::string title_, status_, remaining_;
  int value_ = 0;
  int maximum_ = 0;
  bool drawn_ = false;
  std::chrono::steady_clock::time_point last_{};
};

// The session's front end, with the progress bar on stderr when stderr is a terminal.
class ProgressFrontEnd : public host::FrontEnd {
 public:
  explicit ProgressFrontEnd(host::FrontEnd& inner) : inner_(inner) {}
  int MsgBox(const std::string& text, int style, const std::string& title) override {
    return inner_.MsgBox(text, style, title);
  }
  std::string BrowseForFolder(const std::string& title) override {
    return inner_.BrowseForFolder(title);
  }
  std::string BrowseForComputer(const std::string& title) override {
    return inner_.BrowseForComputer(title);
  }
  std::string BrowseForFile(const std::string& title, const std::string& filter,
                            const std::string& initial_path) override {
    return inner_.BrowseForFile(title, filter, initial_path);
  }
  void ShowHelp(const std::string& help_file, int context_id) override {
    inner_.ShowHelp(help_file, context_id);
  }
  void SetBusy(bool busy) override { inner_.SetBusy(busy); }
  std::unique_ptr<host::ProgressDisplay> OpenProgress() override {
    if (!isatty(STDERR_FILENO)) return nullptr;
    return std::make_unique<TerminalProgress>();
  }

 private:
  host::FrontEnd& inner_;
};

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

CommandAction SetupOffline(CLI::App& root) {
  auto options = std::make_shared<OfflineOptions>();
  CLI::App* command = root.add_subcommand(
      "offline",
      "Create the off-line presentation: values burnt in, scrolling slides unrolled into pages, "
      "linked pictures embedded, no data links left");
  command->add_option("file", options->file, "The presentation (.pptx)")->required();
  command->add_option("-o,--output", options->output, "Where to save the off-line copy")
      ->required();
  return [options] {
    const std::string output = std::filesystem::absolute(options->output).string();
    if (SameFile(options->file, output)) {
      throw BadInput(options->output + ": the off-line copy cannot replace the presentation");
    }
    HostSession session;
    if (!session.addin_active()) {
      std::cerr << "vintrel: the add-in could not start\n";
      return kExitFailure;
    }
    ProgressFrontEnd front_end(*Services().front_end);
    struct UseFrontEnd {
      host::FrontEnd* inner;
      ~UseFrontEnd() { Services().front_end = inner; }
    } use_front_end{Services().front_end};
    Services().front_end = &front_end;
    host::Presentation& presentation = OpenPresentation(session, options->file);
    clsPresentation* entry = session.EntryOf(presentation);
    if (entry == nullptr)
      throw BadInput(options->file + ": the presentation could not be taken up");
    if (!IsVintrelPresentation(presentation)) {
      throw BadInput(options->file + ": holds no Vintrel data; there is nothing to make off-line");
    }

    std::string temporary;
    std::optional<std::string> failure;
    host::Presentation* copy = nullptr;
    InstallOfflineCopy([&](frmProgressMeter& form) {
      temporary = form.copy_file_name();
      failure = form.failure();
      copy = form.copy();
    });
    entry->CreateOfflinePPT();
    // The temporary copy goes when the command ends, whatever happened.
    struct RemoveTemporary {
      const std::string& path;
      ~RemoveTemporary() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove(path, ignored);
      }
    } remove_temporary{temporary};
    // A failure was shown as the add-in's message box.
    if (failure || copy == nullptr) return kExitFailure;
    copy->SaveCopyAs(output);
    std::cerr << "Saved " << output << " (" << copy->Slides().Count() << " slides)\n";
    return kExitOk;
  };
}

const CommandRegistration registration(70, SetupOffline);

}  // namespace
}  // namespace vintrel::app
