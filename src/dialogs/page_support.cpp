#include "dialogs/page_support.h"

#include <charconv>

#include "host/application.h"
#include "host/common/text.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel::dialogs {
namespace {}  // namespace

std::vector<host::Shape*> SelectedShapes(const Context& ctx) {
  std::vector<host::Shape*> shapes;
  SkipFailure([&] {
    host::Application* app = ctx.module.host;
    if (app == nullptr) return;
    host::Selection& selection = app->ActiveWindow().Selection();
    if (selection.Type() != host::selection_type::kShapes) return;
    host::ShapeRange& range = selection.ShapeRange();
    for (int index = 1; index <= range.Count(); ++index) shapes.push_back(&range.Item(index));
  });
  return shapes;
}

std::optional<long> WholeNumber(const std::string& text) {
  const std::string trimmed(Trim(text, kSpaces));
  const char* begin = trimmed.data();
  const char* end = begin + trimmed.size();
  if (begin != end && *begin == '+') ++begin;
  long value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value);
  if (begin == end || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<double> Number(const std::string& text) {
  const std::string trimmed(Trim(text, kSpaces));
  const char* begin = trimmed.data();
  const char* end = begin + trimmed.size();
  if (begin != end && *begin == '+') ++begin;
  double value = 0;
  const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
  if (begin == end || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace vintrel::dialogs
