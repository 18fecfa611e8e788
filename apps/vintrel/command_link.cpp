// vintrel link: links shapes to data the way the shape property pages do when closed with OK:
// a text field, a linked object's file reference, a chart's data block or a clock, or no link.
#include <charconv>
#include <iostream>
#include <optional>

#include "command.h"
#include "host_session.h"
#include "link_batch.h"
#include "open_presentation.h"
#include "shell/link_shape.h"

namespace vintrel::app {
namespace {

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
  std::optional<std::string> from;  // a file of links
};

shell::ShapeLink ParseLink(const Options& options) {
  const int kinds = !options.text.empty() + !options.object.empty() + options.chart.has_value() +
                    options.clock.has_value() + options.clear;
  if (kinds != 1) throw BadInput("give exactly one of --text, --object, --chart, --clock, --clear");
  if ((options.folder || options.extension) && options.object.empty()) {
    throw BadInput("--folder and --extension go with --object");
  }
  shell::ShapeLink link;
  const std::vector<std::string>& data = options.text.empty() ? options.object : options.text;
  if (!data.empty()) {
    link.kind =
        options.text.empty() ? shell::link_kind::kLinkedObject : shell::link_kind::kTextField;
    link.connection = data[0];
    link.column = data[1];
    // Read as the batch form reads it: plain digits, the same in every locale.
    const std::string& text = data[2];
    double row = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), row);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !(row > 0)) {
      throw BadInput("the row must be a number above 0, not " + text);
    }
    link.row = row;
    link.folder = options.folder.value_or("");
    link.extension = options.extension.value_or("");
  } else if (options.chart) {
    link.kind = shell::link_kind::kGraph;
    link.connection = *options.chart;
  } else if (options.clock) {
    link.kind = shell::link_kind::kClock;
    link.date_format = *options.clock;
  }
  if (const std::string problem = shell::LinkProblem(link); !problem.empty()) {
    throw BadInput(problem);
  }
  return link;
}

int Run(const Options& options) {
  if (options.from) {
    if (!options.text.empty() || !options.object.empty() || options.chart || options.clock ||
        options.clear || options.folder || options.extension) {
      throw BadInput("--from takes every link from the file; give no other link options");
    }
    return RunLinkBatch(options.file, *options.from);
  }
  if (options.slide == 0 || options.shapes.empty()) {
    throw BadInput("give --slide and --shape, or --from LINKS.tsv");
  }
  shell::ShapeLink link = ParseLink(options);
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  host::Slide& slide = FindSlide(presentation, options.slide);
  std::vector<host::Shape*> shapes;
  for (const std::string& name : options.shapes) {
    host::Shape& shape = FindShape(slide, name);
    const std::string problem = shell::ShapeLinkProblem(shape, link, name);
    if (!problem.empty()) throw BadInput(problem);
    shapes.push_back(&shape);
  }
  shell::LinkConnections connections(presentation);
  if (const std::string problem = connections.Check(link, std::cerr); !problem.empty()) {
    throw BadInput(problem);
  }
  for (host::Shape* shape : shapes) {
    shell::LinkShape(presentation, options.slide, *shape, link, connections, std::cerr);
  }
  presentation.Save();
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  auto options = std::make_shared<Options>();
  CLI::App* command =
      root.add_subcommand("link", "Link shapes to a connection's data, or to the clock");
  command->add_option("file", options->file, "Presentation (.pptx)")->required();
  CLI::Option* from = command->add_option(
      "--from", options->from,
      "A TAB file of links, one a line (see README: columns slide, shape, kind, connection, "
      "column, row, folder, extension, format); every line is checked before any is written");
  command->add_option("--slide", options->slide, "Slide number, from 1")->excludes(from);
  command->add_option("--shape", options->shapes, "Shape name or position, one or more")
      ->excludes(from);
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
