#include "offline/distribution.h"

#include <filesystem>

#include "connections/connection_paths.h"
#include "document/presentation_object.h"
#include "host/common/text.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/error_codes.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel {
namespace {

constexpr const char* kSource = "clsPresentation";

// The copy carries the folder it was sent from; the presentation keeps its own tags.
void SaveSentCopy(host::Presentation& presentation, const std::string& target) {
  host::Tags& tags = presentation.Tags();
  const std::string before = tags.Item(kSentFromTag);
  const std::string full_name = presentation.FullName();
  const size_t separator = full_name.find_last_of("/\\");
  if (separator == std::string::npos) {  // never saved: it names no files of its own
    presentation.SaveCopyAs(target);
    return;
  }
  tags.Add(kSentFromTag, full_name.substr(0, separator == 0 ? 1 : separator));
  auto restore = [&] {
    if (before.empty()) {
      tags.Delete(kSentFromTag);
    } else {
      tags.Add(kSentFromTag, before);
    }
  };
  try {
    presentation.SaveCopyAs(target);
  } catch (...) {
    SkipFailure(restore);
    throw;
  }
  restore();
}

}  // namespace

std::string GetDistributionFolder(const Context& ctx) {
  std::string folder;
  SkipFailure([&] {
    folder =
        ctx.services.settings->GetSetting("Quendra Vintrel 2002", "Info", "DistributionFolder");
  });
  if (Trim(folder, kSpaces).empty()) return folder;
  // Only the placeholder is resolved: a relative folder has nothing to be relative to.
  return NativePath(ctx, ResolveConnectionPath(ctx, folder, ""));
}

bool SendPresentation(clsPresentation& presentation) {
  Context& ctx = presentation.context();
  host::Presentation* host_presentation = presentation.ActivePresentation();
  if (host_presentation == nullptr) return false;
  bool saved = false;
  try {
    saved = host_presentation->Saved();
    presentation.SetDisplayType();
    presentation.PrepareSave();
    const std::string folder = GetDistributionFolder(ctx);
    if (Trim(folder, kSpaces).empty()) {
      ShowMessage(ctx, "Distribution folder not specified in Vintrel.INI file.",
                  host::msg_box::kExclamation | host::msg_box::kTopmost);
      presentation.FillValues(false);
      host_presentation->SetSaved(saved);
      return false;
    }
    std::error_code ignored;
    std::filesystem::create_directory(folder, ignored);
    const std::string target = (std::filesystem::path(folder) / host_presentation->Name()).string();
    WriteDebugLog(ctx, DebugLevel::kInformation, kSource, "Sending presentation to " + target);
    SaveSentCopy(*host_presentation, target);
    presentation.FillValues(false);
    host_presentation->SetSaved(saved);
  } catch (...) {
    const Error failure = CurrentFailure();
    RememberFailure(ctx, failure);
    ShowMessage(ctx, CompleteMessage(ErrorCode::kSendingPresentation, {failure.description()}),
                host::msg_box::kExclamation | host::msg_box::kTopmost);
    SkipFailure([&] { presentation.FillValues(false); });
    SkipFailure([&] { host_presentation->SetSaved(saved); });
    return false;
  }
  ShowMessage(ctx, "Presentation successfully sent.",
              host::msg_box::kInformation | host::msg_box::kTopmost);
  return true;
}

}  // namespace vintrel
