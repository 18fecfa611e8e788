// vintrel offline FILE -o OUT: "Create off-line presentation", then the host program's part of
// saving the copy it leaves open: OUT is a plain presentation with every value burnt in,
// scrolling slides unrolled into pages and linked pictures embedded. FILE is not changed.
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>

#include "command.h"
#include "host/error.h"
#include "host_session.h"
#include "open_presentation.h"
#include "shell/presentation_report.h"

namespace vintrel::app {
namespace {

struct OfflineOptions {
  std::string file;
  std::string output;
};

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  return std::filesystem::equivalent(a, b, error);
}

// The copy is written last, after all the work: a folder it cannot go into is found first.
void CheckOutputFolder(const std::string& output, const std::string& as_given) {
  const std::filesystem::path folder = std::filesystem::path(output).parent_path();
  std::error_code error;
  if (std::filesystem::is_directory(output, error)) {
    throw BadInput(as_given + ": is a folder; give the file name of the copy");
  }
  if (!std::filesystem::is_directory(folder, error)) {
    throw BadInput(as_given + ": no folder " + folder.string() + " to write the copy into");
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    throw BadInput(as_given + ": the folder " + folder.string() + " cannot be written to");
  }
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
    CheckOutputFolder(output, options->output);
    HostSession session;
    if (!session.addin_active()) {
      std::cerr << "vintrel: the add-in could not start\n";
      return kExitFailure;
    }
    host::Presentation& presentation = OpenPresentation(session, options->file);
    if (!shell::UsesAddin(presentation)) {
      throw BadInput(options->file + ": holds no Vintrel data; there is nothing to make off-line");
    }
    auto& open = session.host().Presentations();
    const int before = open.Count();
    const int errors_before = session.front_end().errors_shown();
    session.Click(session.controls().cmbCreateOfflinePPT, "the presentation holds no Vintrel data");
    // The copy is left open as the newest presentation, under its temporary name, also when the
    // work failed half-way (the failure was shown as the add-in's message box).
    host::Presentation* copy = open.Count() > before ? &open.Item(open.Count()) : nullptr;
    const std::string temporary = copy != nullptr ? copy->FullName() : std::string();
    // The temporary copy goes when the command ends, whatever happened.
    struct RemoveTemporary {
      const std::string& path;
      ~RemoveTemporary() {
        std::error_code ignored;
        if (!path.empty()) std::filesystem::remove(path, ignored);
      }
    } remove_temporary{temporary};
    if (copy == nullptr || session.front_end().errors_shown() > errors_before) return kExitFailure;
    copy->SaveCopyAs(output);
    std::cerr << "Saved " << output << " (" << copy->Slides().Count() << " slides)\n";
    return kExitOk;
  };
}

const CommandRegistration registration(70, SetupOffline);

}  // namespace
}  // namespace vintrel::app
