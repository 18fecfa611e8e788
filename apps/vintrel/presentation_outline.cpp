#include "presentation_outline.h"

#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "host/error.h"
#include "host/shapes.h"
#include "json_output.h"
#include "shell/presentation_report.h"

namespace vintrel::app {
namespace {

using shell::ConnectionFacts;
using shell::LinkFacts;

// Runs `step`; a failure leaves what it would have read empty.
template <typename Step>
void Try(Step&& step) {
  try {
    step();
  } catch (const Error&) {
  }
}

struct ShapeFacts {
  int position = 0;
  std::string name;
  int type = 0;
  bool has_text_frame = false;
  std::optional<std::string> text;
  bool visible = true;
  double left = 0, top = 0, width = 0, height = 0;
  std::optional<std::string> link;
  std::optional<std::string> prog_id;
};

// Reads what can be read; a member the shape does not have stays empty.
ShapeFacts Read(host::Shape& shape) {
  ShapeFacts facts;
  facts.position = shape.ZOrderPosition();
  facts.name = shape.Name();
  facts.type = shape.Type();
  facts.visible = shape.Visible();
  facts.left = shape.Left();
  facts.top = shape.Top();
  facts.width = shape.Width();
  facts.height = shape.Height();
  Try([&] {
    facts.has_text_frame = shape.HasTextFrame();
    if (facts.has_text_frame) facts.text = shape.TextFrame().TextRange().Text();
  });
  if (facts.type == host::shape_type::kLinkedOleObject ||
      facts.type == host::shape_type::kLinkedPicture || facts.type == host::shape_type::kMedia) {
    Try([&] { facts.link = shape.LinkFormat().SourceFullName(); });
  }
  if (facts.type == host::shape_type::kEmbeddedOleObject ||
      facts.type == host::shape_type::kLinkedOleObject) {
    Try([&] { facts.prog_id = shape.OLEFormat().ProgID(); });
  }
  return facts;
}

// Text for one line of the outline: paragraph and line breaks shown as the characters they are.
std::string OneLine(const std::string& text, size_t limit = 60) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += " / ";
    } else if (c == '\v') {
      out += " | ";
    } else if (c == '\n') {
      out += ' ';
    } else {
      out += c;
    }
  }
  if (out.size() > limit) out = out.substr(0, limit) + "...";
  return out;
}

Json TagsJson(host::Tags& tags) {
  Json out = Json::array();
  for (int i = 1; i <= tags.Count(); ++i) {
    out.push_back({{"name", tags.Name(i)}, {"value", tags.Value(i)}});
  }
  return out;
}

Json ConnectionJson(const ConnectionFacts& connection) {
  Json out = {{"number", connection.number},
              {"type", connection.type},
              {"description", connection.description},
              {"tagString", connection.tag_string}};
  if (connection.opened) {
    out["ready"] = connection.ready;
    out["records"] = JsonNumber(connection.records);
    out["columns"] = connection.columns;
  }
  return out;
}

Json LinkJson(const LinkFacts& link) {
  if (!link.linked) return nullptr;
  return {{"sourceType", link.source_type}, {"connection", link.connection},
          {"column", link.column},          {"row", JsonNumber(link.row)},
          {"dateFormat", link.date_format}, {"folder", link.folder},
          {"extension", link.extension}};
}

Json ShapeJson(host::Shape& shape) {
  const ShapeFacts facts = Read(shape);
  return {{"position", facts.position},
          {"name", facts.name},
          {"type", facts.type},
          {"hasTextFrame", facts.has_text_frame},
          {"text", JsonOptional(facts.text)},
          {"visible", facts.visible},
          {"left", JsonNumber(facts.left)},
          {"top", JsonNumber(facts.top)},
          {"width", JsonNumber(facts.width)},
          {"height", JsonNumber(facts.height)},
          {"link", JsonOptional(facts.link)},
          {"progId", JsonOptional(facts.prog_id)},
          {"tags", TagsJson(shape.Tags())},
          {"vintrel", LinkJson(shell::DescribeLink(shape))}};
}

}  // namespace

Json SlideOutlineJson(host::Slide& slide) {
  Json shapes = Json::array();
  host::Shapes& all = slide.Shapes();
  for (int s = 1; s <= all.Count(); ++s) shapes.push_back(ShapeJson(all.Item(s)));
  return {{"index", slide.SlideIndex()},
          {"hidden", slide.SlideShowTransition().Hidden()},
          {"tags", TagsJson(slide.Tags())},
          {"shapes", shapes}};
}

namespace {

// Tags whose names begin with `shown_elsewhere` are left out: the outline says what they mean on
// a line of its own.
void WriteTagsOutline(host::Tags& tags, const std::string& indent, std::ostream& out,
                      std::string_view shown_elsewhere = {}) {
  for (int i = 1; i <= tags.Count(); ++i) {
    const std::string name = tags.Name(i);
    if (!shown_elsewhere.empty() && name.rfind(shown_elsewhere, 0) == 0) continue;
    out << indent << "tag " << name << " = " << OneLine(tags.Value(i), 200) << "\n";
  }
}

}  // namespace

const char* ShapeTypeName(int type) {
  switch (type) {
    case host::shape_type::kAutoShape:
      return "autoshape";
    case host::shape_type::kChart:
      return "chart";
    case host::shape_type::kFreeform:
      return "freeform";
    case host::shape_type::kGroup:
      return "group";
    case host::shape_type::kEmbeddedOleObject:
      return "embedded object";
    case host::shape_type::kLine:
      return "line";
    case host::shape_type::kLinkedOleObject:
      return "linked object";
    case host::shape_type::kLinkedPicture:
      return "linked picture";
    case host::shape_type::kOleControlObject:
      return "control";
    case host::shape_type::kPicture:
      return "picture";
    case host::shape_type::kPlaceholder:
      return "placeholder";
    case host::shape_type::kMedia:
      return "media";
    case host::shape_type::kTextBox:
      return "text box";
    case host::shape_type::kTable:
      return "table";
    default:
      return "shape";
  }
}

void WriteOutline(Context& ctx, host::Presentation& presentation, const shell::Application* addin,
                  std::ostream& out) {
  host::Slides& slides = presentation.Slides();
  out << presentation.Name() << " (" << presentation.FullName() << "), " << slides.Count()
      << (slides.Count() == 1 ? " slide" : " slides") << "\n";
  WriteTagsOutline(presentation.Tags(), "  ", out, "QUENDRA CONNECTION");
  for (const ConnectionFacts& connection : shell::DescribeConnections(ctx, addin, presentation)) {
    out << "Connection " << connection.number << ": " << connection.description << " ["
        << connection.type_name << "]";
    if (connection.opened) {
      if (connection.ready) {
        out << ", " << static_cast<long>(connection.records) << " records";
      } else {
        out << ", not ready";
      }
    }
    out << "\n";
  }
  for (int i = 1; i <= slides.Count(); ++i) {
    host::Slide& slide = slides.Item(i);
    out << "Slide " << slide.SlideIndex();
    if (slide.SlideShowTransition().Hidden()) out << " (hidden)";
    out << "\n";
    WriteTagsOutline(slide.Tags(), "  ", out);
    host::Shapes& shapes = slide.Shapes();
    for (int s = 1; s <= shapes.Count(); ++s) {
      const ShapeFacts facts = Read(shapes.Item(s));
      out << "  " << facts.position << ". " << facts.name << " [" << ShapeTypeName(facts.type)
          << "]";
      if (!facts.visible) out << " (hidden)";
      if (facts.text) out << " \"" << OneLine(*facts.text) << "\"";
      if (facts.link) out << " -> " << *facts.link;
      if (facts.prog_id) out << " {" << *facts.prog_id << "}";
      const LinkFacts link = shell::DescribeLink(shapes.Item(s));
      if (link.linked) {
        out << " <= " << link.source_type_name;
        if (link.source_type == 1) {
          out << " " << link.date_format;
        } else if (!link.connection.empty()) {
          out << " " << link.connection;
          if (!link.column.empty()) out << " " << link.column;
          if (link.row > 0) out << " row " << JsonNumber(link.row).dump();
        }
      }
      out << "\n";
      WriteTagsOutline(shapes.Item(s).Tags(), "      ", out,
                       link.linked ? "QUENDRA COLUMN" : std::string_view());
    }
  }
}

Json ConnectionsOutlineJson(Context& ctx, host::Presentation& presentation,
                            const shell::Application* addin) {
  Json connections = Json::array();
  for (const ConnectionFacts& connection : shell::DescribeConnections(ctx, addin, presentation)) {
    connections.push_back(ConnectionJson(connection));
  }
  return connections;
}

void WriteOutlineJson(Context& ctx, host::Presentation& presentation,
                      const shell::Application* addin, std::ostream& out) {
  const Json connections = ConnectionsOutlineJson(ctx, presentation, addin);
  Json slides = Json::array();
  host::Slides& all = presentation.Slides();
  for (int i = 1; i <= all.Count(); ++i) slides.push_back(SlideOutlineJson(all.Item(i)));
  const Json outline = {{"file", presentation.FullName()},
                        {"tags", TagsJson(presentation.Tags())},
                        {"isVintrel", shell::UsesAddin(presentation)},
                        {"connections", connections},
                        {"slides", slides}};
  out << JsonText(outline) << "\n";
}

void PrintOutline(Context& ctx, host::Presentation& presentation, const shell::Application* addin,
                  bool json) {
  if (!json) return WriteOutline(ctx, presentation, addin, std::cout);
  std::ostringstream text;
  WriteOutlineJson(ctx, presentation, addin, text);
  std::cout << text.str();
}

}  // namespace vintrel::app
