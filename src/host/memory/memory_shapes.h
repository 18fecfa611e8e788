// The shapes of one in-memory slide, back to front. A shape's position is its place in this
// list: deleting a shape moves every later one down by one, and z-order commands move shapes
// within the list. Deleted shapes are kept aside (not reachable through Item) until the slide
// goes, so that references to them stay safe to call (and fail).
#ifndef VINTREL_HOST_MEMORY_MEMORY_SHAPES_H_
#define VINTREL_HOST_MEMORY_MEMORY_SHAPES_H_

#include <memory>
#include <string>
#include <vector>

#include "host/memory/memory_object.h"
#include "host/memory/memory_shape.h"
#include "host/shapes.h"

namespace vintrel::host::memory {

class MemoryShapes : public host::Shapes, public MemoryObject {
 public:
  MemoryShapes(DocumentState* document, const MemoryObject* slide)
      : MemoryObject(document, slide) {}

  int Count() const override;
  host::Shape& Item(int index) override;
  // Type 11 (linked picture) when linked to the file, else 13 (picture); a negative width or
  // height becomes 100 points. With a file system in the environment, fails (kErrFileNotFound)
  // for a file it does not have.
  host::Shape& AddPicture(const std::string& file_name, bool link_to_file, bool save_with_document,
                          double left, double top, double width = -1, double height = -1) override;

  // Set-up: a new shape on top of the others. An empty name becomes "<kind> <id>".
  MemoryShape& Add(int type, std::string name = "");
  // Inspection: the shape at a position from 1, failing outside 1..count().
  MemoryShape& at(int position);
  int count() const { return static_cast<int>(shapes_.size()); }
  // Shapes deleted so far, in the order of deletion.
  const std::vector<std::unique_ptr<MemoryShape>>& deleted_shapes() const { return deleted_; }

  void CopyFrom(const MemoryShapes& other);

 private:
  friend class MemoryShape;
  int PositionOf(const MemoryShape& shape) const;  // 0 when not present
  void Remove(MemoryShape& shape);
  void Reorder(MemoryShape& shape, int command);

  std::vector<std::unique_ptr<MemoryShape>> shapes_;
  std::vector<std::unique_ptr<MemoryShape>> deleted_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_SHAPES_H_
