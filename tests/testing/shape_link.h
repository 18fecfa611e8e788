// A shape linked the way the shape property pages link it, for tests of what reads the links.
// Header-only, so the shared test library does not depend on the document layer.
#ifndef VINTREL_TESTS_TESTING_SHAPE_LINK_H_
#define VINTREL_TESTS_TESTING_SHAPE_LINK_H_

#include <string>

#include "document/shape.h"
#include "document/tag_schema.h"

namespace vintrel::testing {

// Empty texts and row 0 are left out, so they write no tag.
struct ShapeLink {
  int type;
  std::string connection = "", column = "";
  double row = 0;
  std::string date_format = "", folder = "", extension = "";
};

template <typename AnyShape>
AnyShape& LinkShape(AnyShape& shape, const ShapeLink& link) {
  clsshape writer;
  writer.SetShapeItem(shape);
  writer.SetSourceType(link.type);
  if (!link.connection.empty()) writer.SetNewConnectionTagNumber(link.connection);
  if (!link.column.empty()) writer.SetNewColumnName(link.column);
  if (link.row > 0) writer.SetNewRow(link.row);
  if (!link.date_format.empty()) writer.SetNewDateFormat(link.date_format);
  if (!link.folder.empty()) writer.SetNewObjectFolder(link.folder);
  if (!link.extension.empty()) writer.SetNewObjectExtension(link.extension);
  writer.SetShapeTags();
  return shape;
}

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_SHAPE_LINK_H_
