#include "shell/selection_kind.h"

#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/shapes.h"

namespace vintrel::shell {
namespace {

struct Counts {
  // Linked shapes by source type.
  int clocks = 0;
  int text_fields = 0;
  int objects = 0;
  int graphs = 0;
  // Unlinked shapes that could be linked.
  int texts = 0;
  int unlinked_objects = 0;
  int unlinked_graphs = 0;
};

bool IsChartObject(host::Shape& shape) {
  return shape.Type() == host::shape_type::kEmbeddedOleObject &&
         shape.OLEFormat().ProgID().starts_with("MSGraph.Chart");
}

void CountUnlinked(host::Shape& shape, Counts& counts) {
  if (shape.HasTextFrame()) {
    ++counts.texts;
    return;
  }
  const int type = shape.Type();
  if (type == host::shape_type::kMedia || type == host::shape_type::kLinkedPicture ||
      type == host::shape_type::kLinkedOleObject) {
    ++counts.unlinked_objects;
  } else if (IsChartObject(shape)) {
    ++counts.unlinked_graphs;
  }
}

// The kind decided by the linked shapes alone.
int LinkedKind(const Counts& c) {
  using namespace selection_kind;
  if (c.clocks > 0 && c.text_fields == 0 && c.objects == 0 && c.graphs == 0) return kAllClock;
  if (c.text_fields > 0 && c.clocks == 0 && c.objects == 0 && c.graphs == 0) {
    return kAllDatabaseField;
  }
  if (c.objects > 0 && c.clocks == 0 && c.text_fields == 0 && c.graphs == 0) return kAllDataObject;
  if (c.graphs > 0 && c.clocks == 0 && c.text_fields == 0 && c.objects == 0) return kAllGraphs;
  if (c.clocks > 0 && c.text_fields > 0 && c.objects == 0 && c.graphs == 0) return kTextShapes;
  return kNotUsable;
}

int UnlinkedKind(const Counts& c) {
  using namespace selection_kind;
  if (c.texts > 0 && c.unlinked_objects == 0 && c.unlinked_graphs == 0) return kTextShapes;
  if (c.unlinked_objects > 0 && c.texts == 0 && c.unlinked_graphs == 0) return kAllDataObject;
  if (c.unlinked_graphs > 0 && c.texts == 0 && c.unlinked_objects == 0) return kAllGraphs;
  return kNotUsable;
}

int Classify(host::Selection& selection) {
  if (selection.Type() == host::selection_type::kNone) return selection_kind::kNotUsable;
  host::ShapeRange& range = selection.ShapeRange();
  const int count = range.Count();
  if (count == 0) return selection_kind::kNotUsable;
  Counts counts;
  for (int index = 1; index <= count; ++index) {
    host::Shape& shape = range.Item(index);
    clsshape reader;
    reader.SetShapeItem(shape);
    switch (reader.SourceType()) {
      case source_type::kNone:
        CountUnlinked(shape, counts);
        break;
      case source_type::kClock:
        ++counts.clocks;
        break;
      case source_type::kTextField:
        ++counts.text_fields;
        break;
      case source_type::kLinkedObject:
        ++counts.objects;
        break;
      case source_type::kGraph:
        ++counts.graphs;
        break;
      default:
        return selection_kind::kNotUsable;
    }
  }
  const bool any_linked =
      counts.clocks > 0 || counts.text_fields > 0 || counts.objects > 0 || counts.graphs > 0;
  return any_linked ? LinkedKind(counts) : UnlinkedKind(counts);
}

}  // namespace

int ClassifySelection(host::Selection& selection) noexcept {
  try {
    return Classify(selection);
  } catch (...) {
    return selection_kind::kNotUsable;
  }
}

std::string SelectionKindWord(int kind, bool has_connections) {
  switch (kind) {
    case selection_kind::kAllClock:
      return "AllClock";
    case selection_kind::kAllDatabaseField:
      return "AllDatabaseField";
    case selection_kind::kTextShapes:
      return has_connections ? "Connections" : "No Connections";
    case selection_kind::kAllDataObject:
      return "AllDataObject";
    case selection_kind::kAllGraphs:
      return "AllGraphs";
    default:
      return "NotUsable";
  }
}

}  // namespace vintrel::shell
