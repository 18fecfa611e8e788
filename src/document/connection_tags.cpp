#include "document/connection_tags.h"

#include "document/shape.h"
#include "document/tag_schema.h"
#include "support/failure_handling.h"

namespace vintrel {

std::vector<std::unique_ptr<clsConnection>> ReadConnectionTags(Context& ctx,
                                                               host::Presentation& presentation) {
  std::vector<std::unique_ptr<clsConnection>> connections;
  host::Tags& tags = presentation.Tags();
  const int count = tags.Count();
  for (int index = 1; index <= count; ++index) {
    const std::string name = tags.Name(index);
    if (!HasTagPrefix(name, tag::kConnection)) continue;
    auto connection = std::make_unique<clsConnection>(ctx);
    connection->SetActivePresentationName(presentation.FullName());
    connection->SetConnectionTagNumber(TagNumber(name, tag::kConnection));
    // The connection manager goes on with what was read when a value is damaged, so that
    // writing the list back does not lose the connection.
    SkipFailure([&] { connection->SetTagString(tags.Value(index)); });
    connections.push_back(std::move(connection));
  }
  return connections;
}

std::vector<std::string> ConnectionTagNumbers(
    const std::vector<std::unique_ptr<clsConnection>>& connections) {
  std::vector<std::string> numbers;
  for (const auto& connection : connections) numbers.push_back(connection->ConnectionTagNumber());
  return numbers;
}

clsConnection* FindConnection(const std::vector<std::unique_ptr<clsConnection>>& connections,
                              std::string_view connection_tag_number) {
  for (const auto& connection : connections) {
    if (connection->ConnectionTagNumber() == connection_tag_number) return connection.get();
  }
  return nullptr;
}

std::string DefaultConnectionName(int type, int existing_of_type) {
  std::string name;
  switch (type) {
    case connection_type::kDatabase:
      name = "New data connection";
      break;
    case connection_type::kExcel:
      name = "New Excel connection";
      break;
    default:
      name = "New text file connection";
      break;
  }
  if (existing_of_type >= 1) name += " " + std::to_string(existing_of_type + 1);
  return name;
}

void WriteConnectionTags(host::Presentation& presentation,
                         const std::vector<std::unique_ptr<clsConnection>>& connections) {
  host::Tags& tags = presentation.Tags();
  EnsureVersionTag(tags);
  DeleteTagsWithPrefix(tags, tag::kConnection);
  for (const auto& connection : connections) {
    tags.Add(ConnectionTagName(connection->ConnectionTagNumber()), connection->TagString());
  }

  host::Slides& slides = presentation.Slides();
  for (int slide_index = 1; slide_index <= slides.Count(); ++slide_index) {
    host::Shapes& shapes = slides.Item(slide_index).Shapes();
    for (int shape_index = 1; shape_index <= shapes.Count(); ++shape_index) {
      host::Shape& host_shape = shapes.Item(shape_index);
      clsshape shape;
      if (!SkipFailure([&] { shape.SetShapeItem(host_shape); })) continue;
      const std::string& number = shape.ConnectionTagNumber();
      if (number.empty() || FindConnection(connections, number) != nullptr) continue;
      shape.RemoveVintrel();
      if (host_shape.HasTextFrame()) host_shape.TextFrame().TextRange().SetText("");
    }
  }
}

}  // namespace vintrel
