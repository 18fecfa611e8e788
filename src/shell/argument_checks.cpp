#include "shell/argument_checks.h"

namespace vintrel::shell {
namespace {

// Digits only, short enough to be a slide or shape position.
bool IsPosition(const std::string& text) {
  return !text.empty() && text.size() < 6 &&
         text.find_first_not_of("0123456789") == std::string::npos;
}

std::string HasText(int count) {
  return count == 0 ? "the presentation has no slides"
                    : "the presentation has " + std::to_string(count);
}

}  // namespace

std::string SlideProblem(host::Presentation& presentation, int number) {
  const int count = presentation.Slides().Count();
  if (number >= 1 && number <= count) return "";
  return "no slide " + std::to_string(number) + " (" + HasText(count) + ")";
}

std::string SlideProblem(host::Presentation& presentation, const std::string& number) {
  if (IsPosition(number)) return SlideProblem(presentation, std::stoi(number));
  return "no slide \"" + number + "\" (" + HasText(presentation.Slides().Count()) + ")";
}

host::Shape* ShapeNamed(host::Slide& slide, const std::string& name_or_position) {
  host::Shapes& shapes = slide.Shapes();
  for (int index = 1; index <= shapes.Count(); ++index) {
    if (shapes.Item(index).Name() == name_or_position) return &shapes.Item(index);
  }
  if (IsPosition(name_or_position)) {
    const int position = std::stoi(name_or_position);
    if (position >= 1 && position <= shapes.Count()) return &shapes.Item(position);
  }
  return nullptr;
}

std::string ShapeProblemText(host::Slide& slide, const std::string& name_or_position) {
  return "no shape \"" + name_or_position + "\" on slide " + std::to_string(slide.SlideIndex());
}

}  // namespace vintrel::shell
