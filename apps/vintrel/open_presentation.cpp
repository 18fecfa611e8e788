#include "open_presentation.h"

#include <filesystem>

#include "command.h"
#include "host/error.h"

namespace vintrel::app {

host::Presentation& OpenPresentation(HostSession& session, const std::string& file) {
  std::error_code error;
  const auto status = std::filesystem::status(file, error);
  if (!std::filesystem::exists(status)) throw BadInput(file + ": no such file");
  if (std::filesystem::is_directory(status)) throw BadInput(file + ": is a folder, not a file");
  try {
    return session.host().Presentations().Open(file);
  } catch (const Error& failure) {
    const std::string& why = failure.description();
    // The host usually names the file itself; say it once.
    if (why.find(file) != std::string::npos ||
        why.find(std::filesystem::path(file).filename().string()) != std::string::npos) {
      throw BadInput(why);
    }
    throw BadInput(file + ": " + why);
  }
}

host::Slide& FindSlide(host::Presentation& presentation, int number) {
  host::Slides& slides = presentation.Slides();
  if (number < 1 || number > slides.Count()) {
    throw BadInput("no slide " + std::to_string(number) + " (the presentation has " +
                   std::to_string(slides.Count()) + ")");
  }
  return slides.Item(number);
}

}  // namespace vintrel::app
