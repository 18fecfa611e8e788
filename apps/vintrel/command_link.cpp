// vintrel link: links shapes to data by filling in the shape property pages and closing them with
// OK: a text field, a linked object's file reference, a chart's data block or a clock, or no
// link. `--from` links many shapes at once without the pages (see link_batch.h).
#include <charconv>
#include <iostream>
#include <map>
#include <optional>

#include "command.h"
#include "host_session.h"
#include "link_batch.h"
#include "open_presentation.h"
#include "shell/link_shape.h"
#include "shell/presentation_report.h"
#include "terminal_command.h"

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
  bool interactive = false;
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

std::string Joined(const std::vector<std::string>& messages) {
  std::string text;
  for (const std::string& message : messages) text += (text.empty() ? "" : " ") + message;
  return text;
}

// The page that links a shape the way `link` asks: for --clear, the page of what the shape is.
shell::ShapeCommand PageFor(int kind, host::Shape& shape) {
  switch (kind) {
    case shell::link_kind::kTextField:
      return shell::kDataFieldProperties;
    case shell::link_kind::kLinkedObject:
      return shell::kDataObjectProperties;
    case shell::link_kind::kGraph:
      return shell::kGraphProperties;
    case shell::link_kind::kClock:
      return shell::kClockProperties;
    default:
      break;
  }
  const int linked = shell::DescribeLink(shape).source_type;
  if (linked == shell::link_kind::kLinkedObject) return shell::kDataObjectProperties;
  if (linked == shell::link_kind::kGraph) return shell::kGraphProperties;
  if (linked == shell::link_kind::kNone && !shape.HasTextFrame()) {
    shell::ShapeLink as;
    as.kind = shell::link_kind::kGraph;
    if (shell::ShapeLinkProblem(shape, as, "").empty()) return shell::kGraphProperties;
    as.kind = shell::link_kind::kLinkedObject;
    if (shell::ShapeLinkProblem(shape, as, "").empty()) return shell::kDataObjectProperties;
  }
  return shell::kDataFieldProperties;
}

const char* FormOf(shell::ShapeCommand page) {
  switch (page) {
    case shell::kDataObjectProperties:
      return "frmObjectFieldPropertyPage";
    case shell::kGraphProperties:
      return "frmGraphPropertyPage";
    case shell::kClockProperties:
      return "frmClockPropertyPage";
    default:
      return "frmTextFieldPropertyPage";
  }
}

// What a person does on the page to make the link.
std::vector<FormStep> PageSteps(const shell::ShapeLink& link, const std::string& row,
                                int connection_entry) {
  std::vector<FormStep> steps;
  switch (link.kind) {
    case shell::link_kind::kNone:
      steps.push_back({"cmdClear", std::nullopt});
      break;
    case shell::link_kind::kClock: {
      const int entry = shell::ClockFormatEntry(link.date_format);
      steps.push_back({"lstDatetimeFormats", std::nullopt, entry});
      break;
    }
    case shell::link_kind::kGraph:
      steps.push_back({"lstConnectionList", std::nullopt, connection_entry});
      break;
    default:
      steps.push_back({"cmbActiveConnection", std::nullopt, connection_entry});
      steps.push_back({"cmbColumns", link.column});
      steps.push_back({"txtRowIndex", row});
      if (link.kind == shell::link_kind::kLinkedObject) {
        const bool folder = !link.folder.empty();
        const bool extension = !link.extension.empty();
        steps.push_back({folder ? (extension ? "optFilename" : "optFilenameExtension")
                                : (extension ? "optFolderFilename" : "optFolderFilenameExtension"),
                         std::nullopt});
        if (folder) steps.push_back({"txtFolder", link.folder});
        if (extension) steps.push_back({"txtExtension", link.extension});
      }
      break;
  }
  steps.push_back({"cmdClose", std::nullopt});
  return steps;
}

// The page of what the shapes are, filled in by a person at the terminal.
int RunPageOnTerminal(const Options& options) {
  if (!options.text.empty() || !options.object.empty() || options.chart || options.clock ||
      options.clear || options.folder || options.extension) {
    throw BadInput("--interactive takes the link from the page; give no other link options");
  }
  return RunOnTerminal(options.file, [&](HostSession& session, host::Presentation& presentation) {
    host::Slide& slide = FindSlide(presentation, options.slide);
    std::string selection;
    shell::ShapeCommand page = shell::kDataFieldProperties;
    for (const std::string& name : options.shapes) {
      host::Shape& shape = FindShape(slide, name);
      page = PageFor(shell::link_kind::kNone, shape);
      selection += (selection.empty() ? "" : ",") + std::to_string(shape.ZOrderPosition());
    }
    session.Select(presentation, std::to_string(options.slide) + ":" + selection);
    session.addin()->ShapeCommandClick(page, shell::Application::Place::kMainMenu);
  });
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
  if (options.interactive) return RunPageOnTerminal(options);
  shell::ShapeLink link = ParseLink(options);
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, options.file);
  host::Slide& slide = FindSlide(presentation, options.slide);
  // The shapes each page is opened for, by position on the slide.
  std::map<shell::ShapeCommand, std::string> selections;
  for (const std::string& name : options.shapes) {
    host::Shape& shape = FindShape(slide, name);
    const std::string problem = shell::ShapeLinkProblem(shape, link, name);
    if (!problem.empty()) throw BadInput(problem);
    std::string& selection = selections[PageFor(link.kind, shape)];
    selection += (selection.empty() ? "" : ",") + std::to_string(shape.ZOrderPosition());
  }
  shell::LinkConnections connections(session.context(), presentation);
  if (const std::string problem = connections.Check(link, std::cerr); !problem.empty()) {
    throw BadInput(problem);
  }
  shell::Application* addin = session.addin();
  if (addin == nullptr || addin->FindEntry(presentation) == nullptr) {
    std::cerr << "vintrel: the add-in could not start\n";
    return kExitFailure;
  }
  int connection_entry = -1;
  const std::vector<shell::ConnectionFacts> listed =
      shell::DescribeConnections(session.context(), addin, presentation);
  for (size_t index = 0; index < listed.size(); ++index) {
    if (listed[index].number == link.connection) connection_entry = static_cast<int>(index);
  }
  const std::string row =
      options.text.empty() ? (options.object.empty() ? "" : options.object[2]) : options.text[2];
  CommandFrontEnd& front_end = session.front_end();
  for (const auto& [page, shapes] : selections) {
    front_end.FillForm(FormOf(page), PageSteps(link, row, connection_entry));
    session.Select(presentation, std::to_string(options.slide) + ":" + shapes);
    addin->ShapeCommandClick(page, shell::Application::Place::kMainMenu);
    if (!front_end.form_messages().empty()) throw BadInput(Joined(front_end.form_messages()));
    if (!front_end.FormShown(FormOf(page))) {
      std::cerr << "vintrel: the property page did not open\n";
      return kExitFailure;
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
  command
      ->add_flag("--interactive", options->interactive,
                 "Fill in the shapes' property page at the terminal instead (line prompts)")
      ->excludes(from);
  return [options]() { return Run(*options); };
}

CommandRegistration registration(40, Setup);

}  // namespace
}  // namespace vintrel::app
