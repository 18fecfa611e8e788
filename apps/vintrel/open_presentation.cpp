#include "open_presentation.h"

#include <filesystem>

#include "command.h"
#include "host/error.h"
#include "shell/argument_checks.h"

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
  const std::string problem = shell::SlideProblem(presentation, number);
  if (!problem.empty()) throw BadInput(problem);
  return presentation.Slides().Item(number);
}

host::Shape& FindShape(host::Slide& slide, const std::string& name_or_position) {
  host::Shape* shape = shell::ShapeNamed(slide, name_or_position);
  if (shape == nullptr) throw BadInput(shell::ShapeProblemText(slide, name_or_position));
  return *shape;
}

}  // namespace vintrel::app
