#include "link_batch.h"

#include <array>
#include <charconv>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <vector>

#include "command.h"
#include "host/common/ascii.h"
#include "host/common/text.h"
#include "host_session.h"
#include "open_presentation.h"
#include "shell/argument_checks.h"
#include "shell/link_shape.h"

namespace vintrel::app {
namespace {

enum Field { kSlide, kShape, kKind, kConnection, kColumn, kRow, kFolder, kExtension, kFormat };
constexpr std::array<const char*, 9> kFieldNames = {
    "slide", "shape", "kind", "connection", "column", "row", "folder", "extension", "format"};
constexpr size_t kMostProblemsShown = 20;

// One line of the file, ready to write.
struct BatchLink {
  int slide = 0;
  host::Shape* shape = nullptr;
  shell::ShapeLink link;
};

// Which fields each kind takes; a value in any other field is a mistake worth stopping for.
bool KindTakes(int kind, Field field) {
  switch (field) {
    case kConnection:
      return kind == shell::link_kind::kTextField || kind == shell::link_kind::kLinkedObject ||
             kind == shell::link_kind::kGraph;
    case kColumn:
    case kRow:
      return kind == shell::link_kind::kTextField || kind == shell::link_kind::kLinkedObject;
    case kFolder:
    case kExtension:
      return kind == shell::link_kind::kLinkedObject;
    case kFormat:
      return kind == shell::link_kind::kClock;
    default:
      return true;
  }
}

std::optional<int> KindNamed(const std::string& text) {
  const std::string kind = LowerAscii(text);
  if (kind == "text") return shell::link_kind::kTextField;
  if (kind == "object") return shell::link_kind::kLinkedObject;
  if (kind == "chart") return shell::link_kind::kGraph;
  if (kind == "clock") return shell::link_kind::kClock;
  if (kind == "clear") return shell::link_kind::kNone;
  return std::nullopt;
}

std::optional<int> WholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoi(text);
}

// Reads one line into `out`; returns the problem, or empty text.
std::string ReadLine(const std::vector<std::string>& fields, const std::vector<int>& columns,
                     host::Presentation& presentation, shell::LinkConnections& connections,
                     BatchLink& out) {
  if (fields.size() > columns.size()) {
    return std::to_string(fields.size()) + " fields, the header names " +
           std::to_string(columns.size());
  }
  std::array<std::string, kFieldNames.size()> value;
  for (size_t i = 0; i < fields.size(); ++i) value[static_cast<size_t>(columns[i])] = fields[i];

  const std::string missing_slide = shell::SlideProblem(presentation, value[kSlide]);
  if (!missing_slide.empty()) return missing_slide;
  const std::optional<int> slide = WholeNumber(value[kSlide]);
  const std::optional<int> kind = KindNamed(value[kKind]);
  if (!kind) return "kind \"" + value[kKind] + "\" is none of text, object, chart, clock, clear";
  for (size_t field = kConnection; field < kFieldNames.size(); ++field) {
    if (!value[field].empty() && !KindTakes(*kind, static_cast<Field>(field))) {
      return std::string("a ") + LowerAscii(value[kKind]) + " link takes no " + kFieldNames[field];
    }
  }
  try {
    out.shape = &FindShape(presentation.Slides().Item(*slide), value[kShape]);
  } catch (const BadInput& missing) {
    return missing.what();
  }
  out.slide = *slide;
  shell::ShapeLink& link = out.link;
  link.kind = *kind;
  link.connection = value[kConnection];
  link.column = value[kColumn];
  link.folder = value[kFolder];
  link.extension = value[kExtension];
  link.date_format = value[kFormat];
  if (KindTakes(*kind, kRow)) {
    double row = 0;
    const std::string& text = value[kRow];
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(row > 0))
      return "the row must be a number above 0, not \"" + value[kRow] + "\"";
    link.row = row;
  }
  std::string problem = shell::LinkProblem(link);
  if (problem.empty()) problem = shell::ShapeLinkProblem(*out.shape, link, value[kShape]);
  if (problem.empty()) problem = connections.Check(link, std::cerr);
  return problem;
}

}  // namespace

int RunLinkBatch(const std::string& file, const std::string& links) {
  std::ifstream in(links, std::ios::binary);
  if (!in) throw BadInput(links + ": cannot be read");
  std::string line;
  if (!std::getline(in, line)) throw BadInput(links + ": empty; its first line names the columns");
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
  std::vector<int> columns;
  std::array<bool, kFieldNames.size()> named{};
  for (const std::string& name : Split(line, "\t")) {
    int found = -1;
    for (size_t i = 0; i < kFieldNames.size(); ++i) {
      if (LowerAscii(name) == kFieldNames[i]) found = static_cast<int>(i);
    }
    if (found < 0) {
      throw BadInput(links + ": unknown column \"" + name +
                     "\" (slide, shape, kind, connection, column, row, folder, extension, format)");
    }
    if (named[static_cast<size_t>(found)])
      throw BadInput(links + ": column \"" + name + "\" twice");
    named[static_cast<size_t>(found)] = true;
    columns.push_back(found);
  }
  for (const Field required : {kSlide, kShape, kKind}) {
    if (!named[required]) {
      throw BadInput(links + ": the first line must name the column \"" + kFieldNames[required] +
                     "\"");
    }
  }

  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  shell::LinkConnections connections(session.context(), presentation);
  std::vector<BatchLink> batch;
  std::vector<std::string> problems;
  size_t refused = 0;
  for (int number = 2; std::getline(in, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    BatchLink link;
    const std::string problem =
        ReadLine(Split(line, "\t"), columns, presentation, connections, link);
    if (problem.empty()) {
      batch.push_back(std::move(link));
      continue;
    }
    if (++refused <= kMostProblemsShown) {
      problems.push_back(links + " line " + std::to_string(number) + ": " + problem);
    }
  }
  if (refused > 0) {
    std::string text;
    for (const std::string& problem : problems) text += (text.empty() ? "" : "\n") + problem;
    if (refused > problems.size()) {
      text += "\n... " + std::to_string(refused - problems.size()) + " more lines refused";
    }
    throw BadInput(text + "\nnothing was written");
  }
  for (const BatchLink& link : batch) {
    shell::LinkShape(presentation, link.slide, *link.shape, link.link, connections, std::cerr);
  }
  presentation.Save();
  return kExitOk;
}

}  // namespace vintrel::app
