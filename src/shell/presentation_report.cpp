#include "shell/presentation_report.h"

#include "document/connection_tags.h"
#include "document/presentation_object.h"
#include "document/shape.h"
#include "shell/application_object.h"
#include "support/failure_handling.h"

namespace vintrel::shell {
namespace {

const char* SourceTypeName(int type) {
  switch (type) {
    case source_type::kClock:
      return "clock";
    case source_type::kTextField:
      return "text field";
    case source_type::kLinkedObject:
      return "linked object";
    case source_type::kGraph:
      return "chart";
    default:
      return "none";
  }
}

const char* ConnectionTypeName(int type) {
  switch (type) {
    case connection_type::kTextFile:
      return "text file";
    case connection_type::kDatabase:
      return "database";
    case connection_type::kExcel:
      return "workbook";
    default:
      return "unknown";
  }
}

ConnectionFacts Describe(const clsConnection& connection, bool opened) {
  ConnectionFacts facts;
  facts.number = connection.ConnectionTagNumber();
  facts.type = connection.ConnectionType();
  facts.type_name = ConnectionTypeName(facts.type);
  facts.description = connection.ConnectionDescription();
  SkipFailure([&] { facts.tag_string = connection.TagString(); });
  facts.opened = opened;
  if (!opened) return facts;
  facts.ready = connection.ConnectionReady();
  facts.records = connection.RecordCount();
  SkipFailure([&] { facts.columns = connection.Columns(); });
  // The first name is the row number's.
  if (!facts.columns.empty()) facts.columns.erase(facts.columns.begin());
  return facts;
}

}  // namespace

std::vector<ConnectionFacts> DescribeConnections(Context& ctx, const Application* addin,
                                                 host::Presentation& presentation) {
  std::vector<ConnectionFacts> list;
  if (clsPresentation* entry = addin != nullptr ? addin->FindEntry(presentation) : nullptr) {
    for (const auto& connection : entry->Connections()) list.push_back(Describe(*connection, true));
    return list;
  }
  ConnectionList owned;
  SkipFailure([&] { owned = ReadConnectionTags(ctx, presentation); });
  for (const auto& connection : owned) list.push_back(Describe(*connection, false));
  return list;
}

LinkFacts DescribeLink(host::Shape& shape) {
  LinkFacts facts;
  SkipFailure([&] {
    clsshape link;
    link.SetShapeItem(shape);
    if (!link.VintrelEnabled()) return;
    facts.linked = true;
    facts.source_type = link.SourceType();
    facts.source_type_name = SourceTypeName(facts.source_type);
    facts.connection = link.ConnectionTagNumber();
    facts.column = link.ColumnName();
    facts.row = link.Row();
    facts.date_format = link.DateFormat();
    facts.folder = link.ObjectFolder();
    facts.extension = link.ObjectExtension();
  });
  return facts;
}

DistributionFacts DescribeDistribution(const Application* addin, host::Presentation& presentation) {
  DistributionFacts facts;
  clsPresentation* entry = addin != nullptr ? addin->FindEntry(presentation) : nullptr;
  if (entry == nullptr) return facts;
  if (entry->DistributionStart()) facts.start = FormatDateTime(*entry->DistributionStart());
  if (entry->DistributionStop()) facts.stop = FormatDateTime(*entry->DistributionStop());
  facts.computers = entry->DistributionComputers();
  return facts;
}

bool UsesAddin(host::Presentation& presentation) {
  bool uses = false;
  SkipFailure([&] { uses = IsVintrelPresentation(presentation); });
  return uses;
}

}  // namespace vintrel::shell
