// vintrel link: links shapes to data the way the shape property pages do when closed with OK:
// a text field, a linked object's file reference, a chart's data block or a clock, or no link.
#include <iostream>
#include <optional>

#include "command.h"
#include "connections/connection.h"
#include "connections/tag_values.h"
#include "document/connection_tags.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/ascii.h"
#include "host_session.h"
#include "open_presentation.h"
#include "rendering/clock_text.h"
#include "rendering/graph_fill.h"
#include "rendering/linked_object.h"
#include "support/failure_handling.h"
#include "support/module_state.h"

namespace vintrel::app {
namespace {

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

struct Options {
  std::string file;
  int slide = 0;
  std::vector<std::string> shapes;
  std::vector<std::string> text;    // connection, column, row
  std::vector<std::string> object;  // connection, column, row
  std::optional<std::string> folder;
  std::optional<std::string> extension;
  std::optional<std::string> chart;
  std::optional<std::string> clock;
  bool clear = false;
};

// What the link names, checked before anything is written.
struct Link {
  int source_type = source_type::kNone;
  std::string connection;
  std::string column;
  double row = 0;
  std::string date_format;
};

Link ParseLink(const Options& options) {
  const int kinds = !options.text.empty() + !options.object.empty() + options.chart.has_value() +
                    options.clock.has_value() + options.clear;
  if (kinds != 1) throw BadInput("give exactly one of --text, --object, --chart, --clock, --clear");
  if ((options.folder || options.extension) && options.object.empty()) {
    throw BadInput("--folder and --extension go with --object");
  }
  Link link;
  const std::vector<std::string>& data = options.text.empty() ? options.object : options.text;
  if (!data.empty()) {
    link.source_type = options.text.empty() ? source_type::kLinkedObject : source_type::kTextField;
    link.connection = data[0];
    link.column = data[1];
    const std::optional<double> row = ParseNumber(data[2]);
    if (!row || *row <= 0) throw BadInput("the row must be a number above 0, not " + data[2]);
    link.row = *row;
  } else if (options.chart) {
    link.source_type = source_type::kGraph;
    link.connection = *options.chart;
  } else if (options.clock) {
    link.source_type = source_type::kClock;
    link.date_format = *options.clock;
    bool known = false;
    for (const char* format : rendering::kClockFormats) known |= link.date_format == format;
    if (!known) {
      throw BadInput("unknown clock format \"" + link.date_format +
                     "\" (General Date, Long Date, Short Date, Long Time or Short Time)");
    }
  }
  return link;
}

bool SameColumnName(const std::string& a, const std::string& b) {
  return EqualsNoCase(a, b);
}

// Opens the connection to check the column and takes its name as the data spells it, as the
// page's column list would; data that cannot be read is only a warning, since the file may be
// missing or the server down while the author works.
bool OpenAndCheckColumn(clsConnection& connection, Link& link) {
  try {
    connection.SetDesignMode(true);
    connection.OpenConnection();
    connection.OpenRecordset();
  } catch (const Error& failure) {
    std::cerr << "vintrel: warning: column \"" << link.column << "\" of connection "
              << link.connection << " not checked: " << failure.description() << "\n";
    return false;
  }
  const std::vector<std::string> columns = connection.Columns();
  if (columns.size() <= 1) {
    std::cerr << "vintrel: warning: connection " << link.connection << " delivered no columns; \""
              << link.column << "\" not checked\n";
    return false;
  }
  for (const std::string& column : columns) {
    if (SameColumnName(column, link.column)) {
      link.column = column;
      return true;
    }
  }
  throw BadInput("connection " + link.connection + " has no column \"" + link.column + "\"");
}

void CheckShapeKind(host::Shape& shape, const Link& link, const std::string& name) {
  const int type = shape.Type();
  switch (link.source_type) {
    case source_type::kTextField:
    case source_type::kClock:
      if (!shape.HasTextFrame()) throw BadInput("shape \"" + name + "\" holds no text");
      break;
    case source_type::kLinkedObject:
      if (type != host::shape_type::kLinkedPicture && type != host::shape_type::kLinkedOleObject &&
          type != host::shape_type::kMedia) {
        throw BadInput("shape \"" + name + "\" is no linked picture, linked object or media clip");
      }
      break;
    case source_type::kGraph: {
      std::string prog_id;
      SkipFailure([&] { prog_id = shape.OLEFormat().ProgID(); });
      if (prog_id.rfind("MSGraph.Chart", 0) != 0) {
        throw BadInput("shape \"" + name + "\" is no chart");
      }
      break;
    }
    default:
      break;
  }
}

// The page stores the folder without a trailing backslash.
std::string FolderOf(const Options& options) {
  std::string folder = options.folder.value_or("");
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

void WriteLink(host::Shape& host_shape, const Link& link, const Options& options) {
  clsshape shape;
  shape.SetShapeItem(host_shape);
  const int previous = shape.SourceType();
  shape.SetSourceType(link.source_type);
  switch (link.source_type) {
    case source_type::kNone:
      // As the pages' Clear: connection, column and row emptied, so their tags go.
      shape.SetNewConnectionTagNumber("");
      shape.SetNewColumnName("");
      shape.SetNewRow(0);
      break;
    case source_type::kClock:
      shape.SetNewDateFormat(link.date_format);
      break;
    case source_type::kGraph:
      shape.SetNewConnectionTagNumber(link.connection);
      break;
    default:
      shape.SetNewConnectionTagNumber(link.connection);
      shape.SetNewColumnName(link.column);
      shape.SetNewRow(link.row);
      if (link.source_type == source_type::kLinkedObject) {
        shape.SetNewObjectFolder(FolderOf(options));
        shape.SetNewObjectExtension(options.extension.value_or(""));
      }
      break;
  }
  shape.SetShapeTags();
  // A save hides linked charts and pictures until they are filled again; once unlinked nothing
  // fills them, so they are shown now, like any unlinked shape.
  if (link.source_type == source_type::kNone && previous == source_type::kGraph) {
    try {
      rendering::ClearGraph(host_shape);
    } catch (const Error& failure) {
      std::cerr << "vintrel: warning: the data of chart \"" << host_shape.Name()
                << "\" was not emptied: " << failure.description() << "\n";
      host_shape.SetVisible(true);
    }
  } else if (link.source_type == source_type::kNone && previous == source_type::kLinkedObject) {
    host_shape.SetVisible(true);
  }
}

int Run(const Options& options) {
  Link link = ParseLink(options);
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  host::Slide& slide = FindSlide(presentation, options.slide);
  std::vector<host::Shape*> shapes;
  for (const std::string& name : options.shapes) {
    host::Shape& shape = FindShape(slide, name);
    CheckShapeKind(shape, link, name);
    shapes.push_back(&shape);
  }

  const auto connections = ReadConnectionTags(presentation);
  clsConnection* connection = nullptr;
  bool readable = false;
  if (!link.connection.empty()) {
    connection = FindConnection(connections, link.connection);
    if (connection == nullptr) throw BadInput("no connection " + link.connection);
    if (!link.column.empty()) readable = OpenAndCheckColumn(*connection, link);
  }

  if (link.source_type == source_type::kClock) EnsureVersionTag(presentation.Tags());
  const int display_type = Module().current_display_type;
  for (host::Shape* shape : shapes) {
    WriteLink(*shape, link, options);
    if (link.source_type == source_type::kLinkedObject && readable) {
      // As the linked object page: the shape shows the file its data names now.
      const std::string reference =
          connection->GetValueObject(link.row, link.column, FolderOf(options),
                                     options.extension.value_or(""), display_type::kValue);
      bool defer_update = false;
      if (!rendering::SetLinkedObjectSource(presentation.FullName(), options.slide,
                                            shape->ZOrderPosition(), reference,
                                            /*hide_on_error=*/false, defer_update)) {
        std::cerr << "vintrel: warning: shape \"" << shape->Name() << "\" not relinked to \""
                  << reference << "\"\n";
      }
    }
    if (!shape->HasTextFrame()) continue;
    host::TextRange& text = shape->TextFrame().TextRange();
    if (link.source_type == source_type::kNone) {
      text.SetText("");
    } else if (link.source_type == source_type::kClock) {
      text.SetText(rendering::ClockText(link.date_format, display_type));
    } else if (link.source_type == source_type::kTextField && readable) {
      // An empty value is written as one blank, so the shape keeps its height.
      const std::string value =
          connection->GetValueDatabase(link.row, link.column, display_type, false);
      text.SetText(value.empty() ? " " : value);
    }
  }
  presentation.Save();
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command =
      root.add_subcommand("link", "Link shapes to a connection's data, or to the clock");
  command->add_option("file", options->file, "Presentation (.pptx)")->required();
  command->add_option("--slide", options->slide, "Slide number, from 1")->required();
  command->add_option("--shape", options->shapes, "Shape name or position, one or more")
      ->required();
  command->add_option("--text", options->text, "Text field: CONNECTION COLUMN ROW")->expected(3);
  command->add_option("--object", options->object, "Linked object: CONNECTION COLUMN ROW")
      ->expected(3);
  command->add_option("--folder", options->folder, "Folder put before the value (--object)");
  command->add_option("--extension", options->extension,
                      "Extension put after the value, with its dot (--object)");
  command->add_option("--chart", options->chart, "Chart fed from CONNECTION");
  command->add_option("--clock", options->clock,
                      "Clock: General Date, Long Date, Short Date, Long Time or Short Time");
  command->add_flag("--clear", options->clear, "Remove the link");
  return [options]() { return Run(*options); };
}

CommandRegistration registration(40, Setup);

}  // namespace
}  // namespace vintrel::app
