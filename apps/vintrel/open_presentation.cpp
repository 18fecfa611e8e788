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

// The shape of that name, or at that position (from 1) when the text is a number that no shape
// has as its name; bad input when there is none.
host::Shape& FindShape(host::Slide& slide, const std::string& name_or_position) {
  host::Shapes& shapes = slide.Shapes();
  for (int index = 1; index <= shapes.Count(); ++index) {
    if (shapes.Item(index).Name() == name_or_position) return shapes.Item(index);
  }
  if (!name_or_position.empty() &&
      name_or_position.find_first_not_of("0123456789") == std::string::npos &&
      name_or_position.size() < 6) {
    const int position = std::stoi(name_or_position);
    if (position >= 1 && position <= shapes.Count()) return shapes.Item(position);
  }
  throw BadInput("no shape \"" + name_or_position + "\" on slide " +
                 std::to_string(slide.SlideIndex()));
}

}  // namespace vintrel::app
