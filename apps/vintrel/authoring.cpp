#include "authoring.h"

#include <filesystem>

#include "command.h"
#include "connections/tag_values.h"
#include "host/application.h"
#include "host/error.h"

namespace vintrel::app {

AuthoringSession::AuthoringSession(const std::string& file) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) throw BadInput("no such file: " + file);
  try {
    presentation_ = &session_.host().Presentations().Open(file);
  } catch (const Error& failure) {
    throw BadInput("cannot open " + file + ": " + failure.description());
  }
}

void AuthoringSession::Save() {
  presentation_->Save();
}

host::Slide& FindSlide(host::Presentation& presentation, int number) {
  host::Slides& slides = presentation.Slides();
  if (number < 1 || number > slides.Count()) {
    throw BadInput("no slide " + std::to_string(number) + " (the presentation has " +
                   std::to_string(slides.Count()) + ")");
  }
  return slides.Item(number);
}

host::Shape& FindShape(host::Slide& slide, const std::string& name_or_position) {
  host::Shapes& shapes = slide.Shapes();
  for (int index = 1; index <= shapes.Count(); ++index) {
    if (shapes.Item(index).Name() == name_or_position) return shapes.Item(index);
  }
  const std::optional<long> position = ParseWholeNumber(name_or_position);
  if (position && name_or_position.find_first_not_of("0123456789") == std::string::npos &&
      *position >= 1 && *position <= shapes.Count()) {
    return shapes.Item(static_cast<int>(*position));
  }
  throw BadInput("no shape \"" + name_or_position + "\" on slide " +
                 std::to_string(slide.SlideIndex()));
}

bool ParseOnOff(const std::string& option, const std::string& text) {
  if (text == "on") return true;
  if (text == "off") return false;
  throw BadInput(option + " takes on or off, not \"" + text + "\"");
}

}  // namespace vintrel::app
