// vintrel connections: the connection manager on the command line. Lists and tests a
// presentation's data connections; adds, edits and deletes them through "Slide show properties"
// and its connection dialogs, filled in as a person would: what the dialogs refuse (a database
// that does not open, a sheet the workbook lacks, a range that is none) is the command's error,
// and nothing is written then. OK writes the whole list back (shapes of a deleted connection
// lose their links and their text).
#include <algorithm>
#include <charconv>
#include <iostream>
#include <optional>

#include "command.h"
#include "host/common/ascii.h"
#include "host/error.h"
#include "host_session.h"
#include "json_output.h"
#include "open_presentation.h"
#include "shell/command_controls.h"
#include "shell/connection_entries.h"
#include "terminal_command.h"

namespace vintrel::app {
namespace {

namespace connection_kind = shell::connection_kind;
using shell::ConnectionEntry;

// The manager lists at most 99 connections, and numbers above 99 fall outside the slide tables.
constexpr int kMostConnections = 99;

struct Definition {
  std::optional<std::string> text_file;
  std::optional<std::string> connection_string;
  std::optional<std::string> excel_file;
  std::optional<std::string> sql;
  std::optional<double> refresh_rate;
  std::optional<std::string> sheet;
  std::optional<std::string> range;
  std::optional<std::string> name;
  bool first_row_names = false;
  bool no_first_row_names = false;
};

void AddDefinitionOptions(CLI::App& command, Definition& definition) {
  command.add_option("--text", definition.text_file, "Text file (TAB-separated), may be relative");
  command.add_option("--database", definition.connection_string, "Connection string");
  command.add_option("--excel", definition.excel_file, "Workbook file, may be relative");
  command.add_option("--sql", definition.sql, "SQL statement or table name (database)");
  command.add_option("--refresh-rate", definition.refresh_rate,
                     "Milliseconds between two timed requeries (database)");
  command.add_option("--sheet", definition.sheet, "Sheet name (workbook)");
  command.add_option("--range", definition.range, "Cell range such as A1:C10 (workbook)");
  command.add_option("--name", definition.name, "Display name of the connection");
  command.add_flag("--first-row-names", definition.first_row_names,
                   "The first line or row holds the column names");
  command.add_flag("--no-first-row-names", definition.no_first_row_names,
                   "The first line or row holds data");
}

std::string KindWord(int type) {
  switch (type) {
    case connection_kind::kTextFile:
      return "text";
    case connection_kind::kDatabase:
      return "database";
    case connection_kind::kExcel:
      return "excel";
    default:
      return "type " + std::to_string(type);
  }
}

std::string DefinitionText(const ConnectionEntry& connection) {
  const std::string names = connection.first_row_names ? ", first row names" : "";
  switch (connection.type) {
    case connection_kind::kTextFile:
      return connection.file + names;
    case connection_kind::kDatabase:
      return connection.connection_string + " | " + connection.sql + " | every " +
             shell::NumberText(connection.refresh_rate) + " ms";
    case connection_kind::kExcel:
      return connection.file + " | " + connection.sheet + "!" + connection.range + names;
    default:
      return "";
  }
}

int KindOf(const Definition& definition) {
  const int kinds = definition.text_file.has_value() + definition.connection_string.has_value() +
                    definition.excel_file.has_value();
  if (kinds != 1) throw BadInput("give exactly one of --text, --database and --excel");
  if (definition.text_file) return connection_kind::kTextFile;
  if (definition.connection_string) return connection_kind::kDatabase;
  return connection_kind::kExcel;
}

// Applies what was given; options of another kind are refused.
void Apply(const Definition& definition, ConnectionEntry& connection) {
  const int type = connection.type;
  const bool database = type == connection_kind::kDatabase;
  const bool excel = type == connection_kind::kExcel;
  if ((definition.text_file && type != connection_kind::kTextFile) ||
      (definition.connection_string && !database) || (definition.excel_file && !excel) ||
      ((definition.sql || definition.refresh_rate) && !database) ||
      ((definition.sheet || definition.range) && !excel) ||
      ((definition.first_row_names || definition.no_first_row_names) && database)) {
    throw BadInput("an option does not fit a " + KindWord(type) + " connection");
  }
  if (definition.first_row_names && definition.no_first_row_names) {
    throw BadInput("--first-row-names and --no-first-row-names exclude each other");
  }
  if (definition.name) connection.description = *definition.name;
  if (definition.text_file) connection.file = *definition.text_file;
  if (definition.excel_file) connection.file = *definition.excel_file;
  if (definition.connection_string) connection.connection_string = *definition.connection_string;
  if (definition.sql) connection.sql = *definition.sql;
  if (definition.refresh_rate) connection.refresh_rate = *definition.refresh_rate;
  if (definition.sheet) connection.sheet = *definition.sheet;
  if (definition.range) connection.range = *definition.range;
  if (definition.first_row_names) connection.first_row_names = true;
  if (definition.no_first_row_names) connection.first_row_names = false;
}

const char* const kTabCaptions[] = {"Text files", "Databases", "Excel"};
const char* const kDialogs[] = {"frmTextFileConnection", "frmDatabaseConnection",
                                "frmExcelConnection"};

ConnectionEntry& Existing(std::vector<ConnectionEntry>& connections, const std::string& number) {
  // Compared as text, as the tags name them: "7" is not "07".
  const auto found =
      std::find_if(connections.begin(), connections.end(),
                   [&](const ConnectionEntry& entry) { return entry.number == number; });
  if (found == connections.end()) throw BadInput("no connection " + number);
  if (found->type < connection_kind::kTextFile || found->type > connection_kind::kExcel) {
    throw BadInput("connection " + number + " is of an unknown kind");
  }
  return *found;
}

// What the connection dialog is filled in with: every box of `target` (the definition wanted),
// each followed by a step elsewhere where leaving the box makes the dialog look at it (a
// database's tables are listed, a workbook's sheets, a range checked). `named`: the name is
// typed too (otherwise the dialog's offered name stays).
std::vector<FormStep> DialogSteps(const ConnectionEntry& target, bool named) {
  std::vector<FormStep> steps;
  if (named) steps.push_back({"txtConnectionName", target.description});
  const std::string first_row = target.first_row_names ? "1" : "0";
  switch (target.type) {
    case connection_kind::kTextFile:
      steps.push_back({"txtFilename", target.file});
      steps.push_back({"chkFirstRowFieldNames", first_row});
      break;
    case connection_kind::kDatabase: {
      steps.push_back({"txtRefreshRate", shell::NumberText(target.refresh_rate)});
      steps.push_back({"txtConnectionString", target.connection_string});
      const std::string& sql = target.sql;
      const size_t first = sql.find_first_not_of(" \t\r\n");
      const std::string upper = first == std::string::npos ? "" : UpperAscii(sql.substr(first));
      if (upper.starts_with("SELECT ") || upper.starts_with("EXEC ")) {
        steps.push_back({"optSQLStatement", "1"});
        steps.push_back({"txtSQLStatement", sql});
      } else {
        steps.push_back({"optTable", "1"});
        steps.push_back({"cmbDataObject", sql});
      }
      break;
    }
    case connection_kind::kExcel:
      steps.push_back({"txtFilename", target.file});
      steps.push_back({"chkFirstRowFieldNames", first_row});
      steps.push_back({"cmbSheet", target.sheet});
      steps.push_back({"txtRange", target.range});
      steps.push_back({"chkFirstRowFieldNames", first_row});
      break;
  }
  steps.push_back({"cmdClose", std::nullopt});
  return steps;
}

std::string Joined(const std::vector<std::string>& messages) {
  std::string text;
  for (const std::string& message : messages) {
    // The dialogs' messages put their details on a second line.
    std::string line = message;
    for (size_t at = line.find("\r\n"); at != std::string::npos; at = line.find("\r\n", at)) {
      line.replace(at, 2, " ");
    }
    text += (text.empty() ? "" : " ") + line;
  }
  return text;
}

// Opens "Slide show properties" from the tool bar as a person would, goes to the tab of `type`,
// takes `steps` there and in the connection dialog they open (`dialog_steps`), and presses OK.
// A message either form shows is the command's error, and nothing is written then.
void UseManager(HostSession& session, host::Presentation& presentation, int type,
                std::vector<FormStep> steps, std::vector<FormStep> dialog_steps) {
  shell::Application* addin = session.addin();
  if (addin == nullptr || addin->FindEntry(presentation) == nullptr) {
    throw BadInput("the add-in could not start");
  }
  steps.insert(steps.begin(), FormStep{"TabStrip1", kTabCaptions[type]});
  steps.push_back({"cmdClose", std::nullopt});
  CommandFrontEnd& front_end = session.front_end();
  if (!dialog_steps.empty()) front_end.FillForm(kDialogs[type], std::move(dialog_steps));
  front_end.FillForm("frmSlideShowPropertyPage", std::move(steps));
  session.Click(session.controls().tool_bar_commands[shell::kSlideShowProperties],
                "the presentation cannot take connections");
  if (!front_end.form_messages().empty()) throw BadInput(Joined(front_end.form_messages()));
  if (!front_end.FormShown("frmSlideShowPropertyPage")) {
    throw BadInput("\"Slide show properties\" did not open");
  }
}

// Where a connection stands in its tab's list: each tab lists its kind in tag order.
int ListPosition(const std::vector<ConnectionEntry>& connections,
                 const ConnectionEntry& connection) {
  int position = 0;
  for (const ConnectionEntry& other : connections) {
    if (&other == &connection) return position;
    position += other.type == connection.type;
  }
  return -1;
}

// Chooses the connection's entry (by position: two may bear the same name) and presses `button`.
std::vector<FormStep> ChooseEntry(const std::vector<ConnectionEntry>& connections,
                                  const ConnectionEntry& connection, const std::string& button) {
  const std::string tab = std::to_string(connection.type + 1);
  return {FormStep{"ConnectionList" + tab, std::nullopt, ListPosition(connections, connection)},
          FormStep{button + tab, std::nullopt}};
}

int List(const std::string& file) {
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  for (const ConnectionEntry& connection :
       shell::ReadConnectionEntries(session.context(), presentation)) {
    std::cout << connection.number << "\t" << KindWord(connection.type) << "\t"
              << connection.description << "\t" << DefinitionText(connection) << "\n";
  }
  return kExitOk;
}

int Add(const std::string& file, const Definition& definition) {
  const int type = KindOf(definition);
  if (type == connection_kind::kDatabase && !definition.sql) {
    throw BadInput("a database connection needs --sql");
  }
  if (type == connection_kind::kExcel && (!definition.sheet || !definition.range)) {
    throw BadInput("a workbook connection needs --sheet and --range");
  }
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  const auto before = shell::ReadConnectionEntries(session.context(), presentation);
  const std::string number = shell::NextConnectionNumber(before);
  if (static_cast<int>(before.size()) >= kMostConnections || number.size() > 2) {
    throw BadInput("no connection number left (the highest is 99)");
  }
  ConnectionEntry wanted;
  wanted.type = type;
  Apply(definition, wanted);
  UseManager(session, presentation, type, {{"cmdNew" + std::to_string(type + 1), std::nullopt}},
             DialogSteps(wanted, definition.name.has_value()));
  presentation.Save();
  std::cout << number << "\n";
  return kExitOk;
}

// The connection manager at the terminal: the person adds (or edits, or deletes) what they like.
int AddOnTerminal(const std::string& file) {
  return RunOnTerminal(file, [](HostSession& session, host::Presentation&) {
    session.Click(session.controls().tool_bar_commands[shell::kSlideShowProperties],
                  "the presentation cannot take connections");
  });
}

int Edit(const std::string& file, const std::string& number, const Definition& definition) {
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  auto connections = shell::ReadConnectionEntries(session.context(), presentation);
  ConnectionEntry& connection = Existing(connections, number);
  const std::vector<FormStep> choose = ChooseEntry(connections, connection, "cmdEdit");
  Apply(definition, connection);
  UseManager(session, presentation, connection.type, choose, DialogSteps(connection, true));
  presentation.Save();
  return kExitOk;
}

int Delete(const std::string& file, const std::string& number) {
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  auto connections = shell::ReadConnectionEntries(session.context(), presentation);
  const ConnectionEntry& doomed = Existing(connections, number);
  UseManager(session, presentation, doomed.type, ChooseEntry(connections, doomed, "cmdDelete"), {});
  presentation.Save();
  return kExitOk;
}

// The rows to show: "all", or a count.
long RowLimit(const std::string& text) {
  if (text == "all") return -1;
  long count = -1;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size() || count < 0) {
    throw BadInput("--rows takes a number or all, not " + text);
  }
  return count;
}

std::string Shown(const host::FieldValue& value, size_t width) {
  std::string text = value.value_or("");
  for (char& c : text) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  if (text.size() > width) text = text.substr(0, width - 3) + "...";
  return text;
}

// Opens the connection as the presentation does and shows its columns and first rows.
int Test(const std::string& file, const std::string& number, const std::string& rows_text,
         bool json) {
  const long limit = RowLimit(rows_text);
  // The connection's own failure is the answer here; the add-in's boxes would only repeat it.
  SessionOptions quiet;
  quiet.quiet = true;
  HostSession session(quiet);
  host::Presentation& presentation = OpenPresentation(session, file);
  auto connections = shell::ReadConnectionEntries(session.context(), presentation);
  Existing(connections, number);
  shell::ConnectionSample sample;
  try {
    sample =
        shell::SampleConnection(session.context(), session.addin(), presentation, number, limit);
  } catch (const Error& failure) {
    std::cerr << "vintrel: " << failure.description() << "\n";
    return kExitFailure;
  }
  const std::vector<std::string>& columns = sample.columns;
  const std::vector<std::vector<host::FieldValue>>& rows = sample.rows;
  const long records = sample.records;
  const long shown = static_cast<long>(rows.size());

  if (json) {
    Json table = Json::array();
    for (const std::vector<host::FieldValue>& row : rows) {
      Json values = Json::array();
      for (const host::FieldValue& value : row) values.push_back(JsonOptional(value));
      table.push_back(values);
    }
    Json out = {{"columns", columns}, {"records", records}, {"rows", table}};
    // What the source says of its rows (a text file's columns named by number).
    if (!sample.notes.empty()) out["notes"] = sample.notes;
    std::cout << JsonText(out) << "\n";
    return kExitOk;
  }

  // A table for people: columns as wide as their widest shown value, at most 30 characters.
  constexpr size_t kWidest = 30;
  std::vector<size_t> widths;
  for (const std::string& name : columns) widths.push_back(std::min(name.size(), kWidest));
  for (const auto& row : rows) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c) {
      widths[c] = std::max(widths[c], Shown(row[c], kWidest).size());
    }
  }
  auto line = [&](const std::vector<std::string>& cells) {
    std::string text;
    for (size_t c = 0; c < cells.size(); ++c) {
      std::string cell = cells[c];
      if (c + 1 < cells.size()) cell.resize(std::max(cell.size(), widths[c]), ' ');
      text += (c ? "  " : "") + cell;
    }
    std::cout << text << "\n";
  };
  std::vector<std::string> header;
  for (const std::string& name : columns) header.push_back(Shown(name, kWidest));
  line(header);
  for (const auto& row : rows) {
    std::vector<std::string> cells;
    for (const auto& value : row) cells.push_back(value ? Shown(value, kWidest) : "(null)");
    line(cells);
  }
  std::cout << records << (records == 1 ? " record" : " records");
  if (shown < records) std::cout << ", " << shown << " shown";
  std::cout << "\n";
  for (const std::string& note : sample.notes) std::cout << "Note: " << note << "\n";
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  struct Options {
    std::string file;
    std::string number;
    Definition definition;
    std::string rows = "10";
    bool json = false;
    bool interactive = false;
  };
  auto options = std::make_shared<Options>();
  CLI::App* command = root.add_subcommand(
      "connections", "List, add, edit or delete the data connections of a presentation");
  command->add_option("file", options->file, "Presentation (.pptx) whose connections to list");
  command->require_subcommand(0, 1);

  CLI::App* list = command->add_subcommand("list", "List number, kind, name and definition");
  list->add_option("file", options->file, "Presentation (.pptx)")->required();
  CLI::App* add = command->add_subcommand("add", "Add a connection; prints its number");
  add->add_option("file", options->file, "Presentation (.pptx)")->required();
  AddDefinitionOptions(*add, options->definition);
  add->add_flag("--interactive", options->interactive,
                "Fill in \"Slide show properties\" and the connection dialog at the terminal "
                "instead (line prompts; press Add on the kind's tab)");
  CLI::App* edit = command->add_subcommand("edit", "Change what is given of a connection");
  edit->add_option("file", options->file, "Presentation (.pptx)")->required();
  edit->add_option("number", options->number, "Connection number, such as 01")->required();
  AddDefinitionOptions(*edit, options->definition);
  CLI::App* remove = command->add_subcommand(
      "delete", "Delete a connection; shapes linked to it lose their links and text");
  remove->add_option("file", options->file, "Presentation (.pptx)")->required();
  remove->add_option("number", options->number, "Connection number, such as 01")->required();
  CLI::App* test = command->add_subcommand(
      "test", "Open a connection as the presentation does and show its columns and first rows");
  test->add_option("file", options->file, "Presentation (.pptx)")->required();
  test->add_option("number", options->number, "Connection number, such as 01")->required();
  test->add_option("--rows", options->rows, "How many rows to show, or all (default 10)");
  test->add_flag("--json", options->json,
                 "Write {\"columns\", \"records\", \"rows\"} as JSON, null for null values");

  return [=]() -> int {
    if (add->parsed() && options->interactive) return AddOnTerminal(options->file);
    if (add->parsed()) return Add(options->file, options->definition);
    if (edit->parsed()) return Edit(options->file, options->number, options->definition);
    if (remove->parsed()) return Delete(options->file, options->number);
    if (test->parsed()) return Test(options->file, options->number, options->rows, options->json);
    if (options->file.empty()) throw BadInput("connections needs a presentation file");
    return List(options->file);
  };
}

CommandRegistration registration(30, Setup);

}  // namespace
}  // namespace vintrel::app
