#include "shell/link_shape.h"

#include "host/common/ascii.h"

#include "connections/connection.h"
#include "connections/tag_values.h"
#include "document/connection_tags.h"
#include "document/shape.h"
#include "rendering/clock_text.h"
#include "rendering/graph_fill.h"
#include "rendering/linked_object.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel::shell {

int ClockFormatEntry(const std::string& format) {
  int entry = 0;
  for (const char* offered : rendering::kClockFormats) {
    if (format == offered) return entry;
    ++entry;
  }
  return -1;
}
namespace {

bool SameColumnName(const std::string& a, const std::string& b) {
  return EqualsNoCase(a, b);
}

// The page stores the folder without a trailing backslash.
std::string FolderOf(const ShapeLink& link) {
  std::string folder = link.folder;
  if (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  return folder;
}

}  // namespace

std::string LinkProblem(const ShapeLink& link) {
  switch (link.kind) {
    case link_kind::kTextField:
    case link_kind::kLinkedObject:
      if (link.column.empty()) return "a column is needed";
      if (!(link.row > 0)) return "the row must be a number above 0";
      [[fallthrough]];
    case link_kind::kGraph:
      if (link.connection.empty()) return "a connection is needed";
      break;
    case link_kind::kClock: {
      bool known = false;
      for (const char* format : rendering::kClockFormats) known |= link.date_format == format;
      if (!known) {
        return "unknown clock format \"" + link.date_format +
               "\" (General Date, Long Date, Short Date, Long Time or Short Time)";
      }
      break;
    }
    default:
      break;
  }
  return "";
}

std::string ShapeLinkProblem(host::Shape& shape, const ShapeLink& link, const std::string& name) {
  switch (link.kind) {
    case link_kind::kTextField:
    case link_kind::kClock:
      if (!shape.HasTextFrame()) return "shape \"" + name + "\" holds no text";
      break;
    case link_kind::kLinkedObject: {
      const int type = shape.Type();
      if (type != host::shape_type::kLinkedPicture && type != host::shape_type::kLinkedOleObject &&
          type != host::shape_type::kMedia) {
        return "shape \"" + name + "\" is no linked picture, linked object or media clip";
      }
      break;
    }
    case link_kind::kGraph: {
      std::string prog_id;
      SkipFailure([&] { prog_id = shape.OLEFormat().ProgID(); });
      if (prog_id.rfind("MSGraph.Chart", 0) != 0) return "shape \"" + name + "\" is no chart";
      break;
    }
    default:
      break;
  }
  return "";
}

LinkConnections::LinkConnections(Context& ctx, host::Presentation& presentation)
    : ctx_(ctx), connections_(ReadConnectionTags(ctx, presentation)) {}

LinkConnections::~LinkConnections() = default;

clsConnection* LinkConnections::Find(const std::string& number) const {
  return FindConnection(connections_, number);
}

bool LinkConnections::Readable(const std::string& number) const {
  const auto found = readable_.find(number);
  return found != readable_.end() && found->second;
}

std::string LinkConnections::Check(ShapeLink& link, std::ostream& warnings) {
  if (link.connection.empty()) return "";
  clsConnection* connection = Find(link.connection);
  if (connection == nullptr) return "no connection " + link.connection;
  if (link.column.empty()) return "";
  auto [opened, first] = readable_.try_emplace(link.connection, false);
  if (first) {
    try {
      connection->SetDesignMode(true);
      connection->OpenConnection();
      connection->OpenRecordset();
      opened->second = connection->Columns().size() > 1;
      if (!opened->second) {
        warnings << "vintrel: warning: connection " << link.connection
                 << " delivered no columns; columns not checked\n";
      }
    } catch (const Error& failure) {
      warnings << "vintrel: warning: columns of connection " << link.connection
               << " not checked: " << failure.description() << "\n";
    }
  }
  if (!opened->second) return "";
  for (const std::string& column : connection->Columns()) {
    if (SameColumnName(column, link.column)) {
      link.column = column;
      return "";
    }
  }
  return "connection " + link.connection + " has no column \"" + link.column + "\"";
}

void LinkShape(host::Presentation& presentation, int slide_index, host::Shape& host_shape,
               const ShapeLink& link, const LinkConnections& connections, std::ostream& warnings) {
  clsConnection* connection = connections.Find(link.connection);
  const bool readable = connection != nullptr && connections.Readable(link.connection);
  if (link.kind == link_kind::kClock) EnsureVersionTag(presentation.Tags());
  clsshape shape;
  shape.SetShapeItem(host_shape);
  const int previous = shape.SourceType();
  shape.SetSourceType(link.kind);
  switch (link.kind) {
    case link_kind::kNone:
      // As the pages' Clear: connection, column and row emptied, so their tags go.
      shape.SetNewConnectionTagNumber("");
      shape.SetNewColumnName("");
      shape.SetNewRow(0);
      break;
    case link_kind::kClock:
      shape.SetNewDateFormat(link.date_format);
      break;
    case link_kind::kGraph:
      shape.SetNewConnectionTagNumber(link.connection);
      break;
    default:
      shape.SetNewConnectionTagNumber(link.connection);
      shape.SetNewColumnName(link.column);
      shape.SetNewRow(link.row);
      if (link.kind == link_kind::kLinkedObject) {
        shape.SetNewObjectFolder(FolderOf(link));
        shape.SetNewObjectExtension(link.extension);
      }
      break;
  }
  shape.SetShapeTags();
  // A save hides linked charts and pictures until they are filled again; once unlinked nothing
  // fills them, so they are shown now, like any unlinked shape.
  if (link.kind == link_kind::kNone && previous == link_kind::kGraph) {
    try {
      rendering::ClearGraph(host_shape);
    } catch (const Error& failure) {
      warnings << "vintrel: warning: the data of chart \"" << host_shape.Name()
               << "\" was not emptied: " << failure.description() << "\n";
      host_shape.SetVisible(true);
    }
  } else if (link.kind == link_kind::kNone && previous == link_kind::kLinkedObject) {
    host_shape.SetVisible(true);
  }

  Context& ctx = connections.context();
  const int display_type = ctx.module.current_display_type;
  if (link.kind == link_kind::kLinkedObject && readable) {
    // As the linked object page: the shape shows the file its data names now.
    const std::string reference = connection->GetValueObject(link.row, link.column, FolderOf(link),
                                                             link.extension, display_type::kValue);
    bool defer_update = false;
    if (!rendering::SetLinkedObjectSource(ctx, presentation.FullName(), slide_index,
                                          host_shape.ZOrderPosition(), reference,
                                          /*hide_on_error=*/false, defer_update)) {
      warnings << "vintrel: warning: shape \"" << host_shape.Name() << "\" not relinked to \""
               << reference << "\"\n";
    }
  }
  if (!host_shape.HasTextFrame()) return;
  host::TextRange& text = host_shape.TextFrame().TextRange();
  if (link.kind == link_kind::kNone) {
    text.SetText("");
  } else if (link.kind == link_kind::kClock) {
    text.SetText(rendering::ClockText(ctx, link.date_format, display_type));
  } else if (link.kind == link_kind::kTextField && readable) {
    // An empty value is written as one blank, so the shape keeps its height.
    const std::string value =
        connection->GetValueDatabase(link.row, link.column, display_type, false);
    text.SetText(value.empty() ? " " : value);
  }
}

}  // namespace vintrel::shell
