#include "support/shell_helpers.h"

#include <algorithm>
#include <cctype>

#include "host/application.h"
#include "host/common/ascii.h"
#include "host/error.h"
#include "host/platform.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel {

std::string MakeTempFileName(const Context& ctx, std::string& prefix) {
  if (prefix.empty()) prefix = "TMP";
  host::FileSystem* files = ctx.services.files;
  try {
    return files->CreateUniqueFile(files->TempFolder(), prefix);
  } catch (...) {
    return "";
  }
}

std::string NormalizeUrl(const std::string& address) {
  if (StartsWithNoCase(address, "HTTP://")) return address;
  return "http://" + address;
}

void OpenUrl(const Context& ctx, const std::string& address) {
  SkipFailure([&] { ctx.services.shell->Open(NormalizeUrl(address)); });
}

int NextVisibleSlide(const Context& ctx, int current) {
  host::Application* app = ctx.module.host;
  if (app == nullptr) throw Error(kErrUnspecified, "modGlobalFunctions", "No host application");
  host::Slides& slides = app->ActivePresentation().Slides();
  const int count = slides.Count();
  for (int i = current + 1; i <= count; ++i) {
    if (!slides.Item(i).SlideShowTransition().Hidden()) return i;
  }
  for (int i = 1; i <= current - 1; ++i) {
    if (!slides.Item(i).SlideShowTransition().Hidden()) return i;
  }
  return count;
}

int GetHostMajorVersion(const host::Application& host) {
  const std::string version = host.Version();
  const size_t dot = version.find('.');
  if (dot == std::string::npos) {
    throw Error(kErrTypeMismatch, "modGlobalFunctions",
                "Host version '" + version + "' has no '.'");
  }
  const std::string major = version.substr(0, dot);
  int value = 0;
  bool any = false;
  for (char c : major) {
    if (c == ' ') continue;
    if (!std::isdigit(static_cast<unsigned char>(c))) {
      throw Error(kErrTypeMismatch, "modGlobalFunctions", "Host version '" + version + "'");
    }
    value = value * 10 + (c - '0');
    if (value > 32767) throw Error(6, "modGlobalFunctions", "Overflow");
    any = true;
  }
  if (!any) throw Error(kErrTypeMismatch, "modGlobalFunctions", "Host version '" + version + "'");
  return value;
}

std::string BrowseForComputer(const Context& ctx, const std::string& title) {
  std::string chosen;
  SkipFailure([&] { chosen = ctx.services.front_end->BrowseForComputer(title); });
  return chosen;
}

std::string BrowseForFolderPath(const Context& ctx, const std::string& title) {
  std::string chosen;
  SkipFailure([&] { chosen = ctx.services.front_end->BrowseForFolder(title); });
  return chosen;
}

void ShowHelpTopic(const Context& ctx, const std::string& help_file,
                   std::optional<int> context_id) {
  SkipFailure([&] { ctx.services.front_end->ShowHelp(help_file, context_id.value_or(0)); });
}

void SetFormTopmost(host::Form& form, bool topmost) {
  form.SetTopmost(topmost);
}

void SetFormTopmost(host::ProgressDisplay& display, bool topmost) {
  SkipFailure([&] { display.SetTopmost(topmost); });
}

void SetButtonImage(host::CommandBarControl& button, const host::ButtonImage& picture,
                    const host::ButtonImage& mask) {
  SkipFailure([&] {
    button.SetPicture(picture);
    button.SetMask(mask);
  });
}

}  // namespace vintrel
