// Small wrappers around the desktop's services and two host queries several commands share.
// None writes a log line; each returns empty text, 0 or nothing on failure unless it says so.
#ifndef VINTREL_SUPPORT_SHELL_HELPERS_H_
#define VINTREL_SUPPORT_SHELL_HELPERS_H_

#include <optional>
#include <string>

#include "host/command_bars.h"
#include "host/forms.h"
#include "host/platform.h"
#include "support/context.h"

namespace vintrel::host {
class Application;
}

namespace vintrel {

// A new, empty, uniquely named file in the user's temporary folder whose name begins with
// `prefix`; an empty prefix becomes "TMP" (and the caller's variable receives it). Empty text
// when no file could be made.
std::string MakeTempFileName(const Context& ctx, std::string& prefix);

// Opens a web address with the desktop's handler; an address that does not begin with
// "http://" (in any letter case) gets it in front. Only that one prefix is recognised.
void OpenUrl(const Context& ctx, const std::string& address);
// The address OpenUrl hands to the desktop.
std::string NormalizeUrl(const std::string& address);

// The next slide of the active presentation after `current` that is not hidden, wrapping to the
// first; the number of slides when every other slide is hidden. Fails when the host fails.
int NextVisibleSlide(const Context& ctx, int current);

// The part of the host's version text before its first "." as a number ("10.0" gives 10).
// Fails for a version text without ".".
int GetHostMajorVersion(const host::Application& host);

// A computer or folder chosen by the user, or empty text when cancelled.
std::string BrowseForComputer(const Context& ctx, const std::string& title);
std::string BrowseForFolderPath(const Context& ctx, const std::string& title);

// Opens the help file at its default topic, or at the topic of `context_id`.
void ShowHelpTopic(const Context& ctx, const std::string& help_file,
                   std::optional<int> context_id = std::nullopt);

// Keeps a form, or a progress window, above every other window while it is shown (a window
// the work it shows must not be hidden behind); front ends that draw windows honour it.
void SetFormTopmost(host::Form& form, bool topmost = true);
void SetFormTopmost(host::ProgressDisplay& display, bool topmost = true);

// Gives a tool bar button its picture and mask; a control without them is left as it is.
void SetButtonImage(host::CommandBarControl& button, const host::ButtonImage& picture,
                    const host::ButtonImage& mask);

}  // namespace vintrel

#endif  // VINTREL_SUPPORT_SHELL_HELPERS_H_
