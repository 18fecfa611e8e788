// vintrel connections: the connection manager on the command line. Lists, adds, edits and
// deletes a presentation's data connections and writes the whole list back as the manager does
// when closed with OK (shapes of a deleted connection lose their links and their text).
#include <iostream>
#include <optional>

#include "command.h"
#include "connections/connection.h"
#include "connections/tag_values.h"
#include "document/connection_tags.h"
#include "document/tag_schema.h"
#include "host_session.h"
#include "open_presentation.h"

namespace vintrel::app {
namespace {

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
    case connection_type::kTextFile:
      return "text";
    case connection_type::kDatabase:
      return "database";
    case connection_type::kExcel:
      return "excel";
    default:
      return "type " + std::to_string(type);
  }
}

std::string DefinitionText(const clsConnection& connection) {
  const std::string names = connection.ConnectionFirstRowFieldNames() ? ", first row names" : "";
  switch (connection.ConnectionType()) {
    case connection_type::kTextFile:
      return connection.ConnectionFileString() + names;
    case connection_type::kDatabase:
      return connection.ConnectionString() + " | " + connection.RecordsetSQL() + " | every " +
             FormatNumber(connection.RecordsetRefreshRate()) + " ms";
    case connection_type::kExcel:
      return connection.ConnectionFileString() + " | " + connection.ConnectionSheet() + "!" +
             connection.ConnectionRange() + names;
    default:
      return "";
  }
}

int KindOf(const Definition& definition) {
  const int kinds = definition.text_file.has_value() + definition.connection_string.has_value() +
                    definition.excel_file.has_value();
  if (kinds != 1) throw BadInput("give exactly one of --text, --database and --excel");
  if (definition.text_file) return connection_type::kTextFile;
  if (definition.connection_string) return connection_type::kDatabase;
  return connection_type::kExcel;
}

// Applies what was given; options of another kind are refused.
void Apply(const Definition& definition, clsConnection& connection) {
  const int type = connection.ConnectionType();
  const bool database = type == connection_type::kDatabase;
  const bool excel = type == connection_type::kExcel;
  if ((definition.text_file && type != connection_type::kTextFile) ||
      (definition.connection_string && !database) || (definition.excel_file && !excel) ||
      ((definition.sql || definition.refresh_rate) && !database) ||
      ((definition.sheet || definition.range) && !excel) ||
      ((definition.first_row_names || definition.no_first_row_names) && database)) {
    throw BadInput("an option does not fit a " + KindWord(type) + " connection");
  }
  if (definition.first_row_names && definition.no_first_row_names) {
    throw BadInput("--first-row-names and --no-first-row-names exclude each other");
  }
  if (definition.name) connection.SetConnectionDescription(*definition.name);
  if (definition.text_file) connection.SetConnectionFileString(*definition.text_file);
  if (definition.excel_file) connection.SetConnectionFileString(*definition.excel_file);
  if (definition.connection_string) connection.SetConnectionString(*definition.connection_string);
  if (definition.sql) connection.SetRecordsetSQL(*definition.sql);
  if (definition.refresh_rate) connection.SetRecordsetRefreshRate(*definition.refresh_rate);
  if (definition.sheet) connection.SetConnectionSheet(*definition.sheet);
  if (definition.range) connection.SetConnectionRange(*definition.range);
  if (definition.first_row_names) connection.SetConnectionFirstRowFieldNames(true);
  if (definition.no_first_row_names) connection.SetConnectionFirstRowFieldNames(false);
}

clsConnection& Existing(const std::vector<std::unique_ptr<clsConnection>>& connections,
                        const std::string& number) {
  clsConnection* connection = FindConnection(connections, number);
  if (connection == nullptr) throw BadInput("no connection " + number);
  return *connection;
}

int List(const std::string& file) {
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  for (const auto& connection : ReadConnectionTags(presentation)) {
    std::cout << connection->ConnectionTagNumber() << "\t" << KindWord(connection->ConnectionType())
              << "\t" << connection->ConnectionDescription() << "\t" << DefinitionText(*connection)
              << "\n";
  }
  return kExitOk;
}

int Add(const std::string& file, const Definition& definition) {
  const int type = KindOf(definition);
  if (type == connection_type::kDatabase && !definition.sql) {
    throw BadInput("a database connection needs --sql");
  }
  if (type == connection_type::kExcel && (!definition.sheet || !definition.range)) {
    throw BadInput("a workbook connection needs --sheet and --range");
  }
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  auto connections = ReadConnectionTags(presentation);
  const std::string number = NextConnectionTagNumber(ConnectionTagNumbers(connections));
  if (static_cast<int>(connections.size()) >= kMostConnections || number.size() > 2) {
    throw BadInput("no connection number left (the highest is 99)");
  }
  int of_type = 0;
  for (const auto& connection : connections) of_type += connection->ConnectionType() == type;

  auto connection = std::make_unique<clsConnection>();
  connection->SetActivePresentationName(presentation.FullName());
  connection->SetConnectionTagNumber(number);
  connection->SetConnectionType(type);
  connection->SetConnectionDescription(DefaultConnectionName(type, of_type));
  // A new database connection keeps "*" as its column list, as the manager writes it.
  if (type == connection_type::kDatabase) connection->SetRecordsetColumns("*");
  Apply(definition, *connection);
  connections.push_back(std::move(connection));
  WriteConnectionTags(presentation, connections);
  presentation.Save();
  std::cout << number << "\n";
  return kExitOk;
}

int Edit(const std::string& file, const std::string& number, const Definition& definition) {
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  auto connections = ReadConnectionTags(presentation);
  Apply(definition, Existing(connections, number));
  WriteConnectionTags(presentation, connections);
  presentation.Save();
  return kExitOk;
}

int Delete(const std::string& file, const std::string& number) {
  HostSession session;
  host::Presentation& presentation = OpenPresentation(session, file);
  auto connections = ReadConnectionTags(presentation);
  const clsConnection& doomed = Existing(connections, number);
  std::erase_if(connections, [&](const auto& connection) { return connection.get() == &doomed; });
  WriteConnectionTags(presentation, connections);
  presentation.Save();
  return kExitOk;
}

CommandAction Setup(CLI::App& root) {
  struct Options {
    std::string file;
    std::string number;
    Definition definition;
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
  CLI::App* edit = command->add_subcommand("edit", "Change what is given of a connection");
  edit->add_option("file", options->file, "Presentation (.pptx)")->required();
  edit->add_option("number", options->number, "Connection number, such as 01")->required();
  AddDefinitionOptions(*edit, options->definition);
  CLI::App* remove = command->add_subcommand(
      "delete", "Delete a connection; shapes linked to it lose their links and text");
  remove->add_option("file", options->file, "Presentation (.pptx)")->required();
  remove->add_option("number", options->number, "Connection number, such as 01")->required();

  return [=]() -> int {
    if (add->parsed()) return Add(options->file, options->definition);
    if (edit->parsed()) return Edit(options->file, options->number, options->definition);
    if (remove->parsed()) return Delete(options->file, options->number);
    if (options->file.empty()) throw BadInput("connections needs a presentation file");
    return List(options->file);
  };
}

CommandRegistration registration(30, Setup);

}  // namespace
}  // namespace vintrel::app
