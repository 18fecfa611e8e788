#include "host/memory/memory_shapes.h"

#include <algorithm>
#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"
#include "host/memory/host_environment.h"

namespace vintrel::host::memory {

namespace {

// The host names a new shape after its kind and a number unique in the presentation.
std::string KindName(int type) {
  switch (type) {
    case shape_type::kAutoShape:
      return "Rectangle";
    case shape_type::kGroup:
      return "Group";
    case shape_type::kEmbeddedOleObject:
    case shape_type::kLinkedOleObject:
      return "Object";
    case shape_type::kLinkedPicture:
    case shape_type::kPicture:
      return "Picture";
    case shape_type::kPlaceholder:
      return "Placeholder";
    case shape_type::kMedia:
      return "Media";
    case shape_type::kTextBox:
      return "TextBox";
    default:
      return "Shape";
  }
}

}  // namespace

int MemoryShapes::Count() const {
  Enter("Shapes.Count");
  return count();
}

host::Shape& MemoryShapes::Item(int index) {
  Enter("Shapes.Item");
  if (index < 1 || index > count()) {
    throw Error(kErrSubscriptOutOfRange, kMemoryHostSource,
                "Shapes.Item: index " + std::to_string(index) + " out of range");
  }
  return *shapes_[index - 1];
}

host::Shape& MemoryShapes::AddPicture(const std::string& file_name, bool link_to_file,
                                      bool /*save_with_document*/, double left, double top,
                                      double width, double height) {
  Enter("Shapes.AddPicture");
  HostEnvironment* env = environment();
  if (env != nullptr && env->file_system() != nullptr && !env->file_system()->Exists(file_name)) {
    throw Error(kErrFileNotFound, kMemoryHostSource,
                "Shapes.AddPicture: file not found: " + file_name);
  }
  MemoryShape& shape = Add(link_to_file ? shape_type::kLinkedPicture : shape_type::kPicture);
  shape.WithBounds(left, top, width < 0 ? 100 : width, height < 0 ? 100 : height)
      .WithPictureFile(file_name);
  if (link_to_file) shape.WithLink(file_name);
  MarkChanged();
  return shape;
}

MemoryShape& MemoryShapes::Add(int type, std::string name) {
  const int id = document() != nullptr ? document()->next_shape_id++ : count() + 1;
  if (name.empty()) name = KindName(type) + " " + std::to_string(id);
  shapes_.push_back(std::make_unique<MemoryShape>(*this, type, std::move(name)));
  return *shapes_.back();
}

MemoryShape& MemoryShapes::at(int position) {
  if (position < 1 || position > count()) {
    throw Error(kErrSubscriptOutOfRange, kMemoryHostSource,
                "no shape at position " + std::to_string(position));
  }
  return *shapes_[position - 1];
}

int MemoryShapes::PositionOf(const MemoryShape& shape) const {
  for (size_t i = 0; i < shapes_.size(); ++i) {
    if (shapes_[i].get() == &shape) return static_cast<int>(i) + 1;
  }
  return 0;
}

void MemoryShapes::Remove(MemoryShape& shape) {
  auto it = std::find_if(shapes_.begin(), shapes_.end(),
                         [&](const auto& entry) { return entry.get() == &shape; });
  if (it == shapes_.end()) return;
  shape.MarkDeleted();
  deleted_.push_back(std::move(*it));
  shapes_.erase(it);
}

void MemoryShapes::Reorder(MemoryShape& shape, int command) {
  const int index = PositionOf(shape) - 1;
  const int last = count() - 1;
  auto shift = [&](int from, int to) {
    // Moves one element from `from` to `to`, keeping the order of the others.
    if (from < to) {
      std::rotate(shapes_.begin() + from, shapes_.begin() + from + 1, shapes_.begin() + to + 1);
    } else if (from > to) {
      std::rotate(shapes_.begin() + to, shapes_.begin() + from, shapes_.begin() + from + 1);
    }
  };
  switch (command) {
    case z_order::kBringToFront:
      shift(index, last);
      break;
    case z_order::kSendToBack:
      shift(index, 0);
      break;
    case z_order::kBringForward:
      shift(index, std::min(index + 1, last));
      break;
    case z_order::kSendBackward:
      shift(index, std::max(index - 1, 0));
      break;
    default:
      throw Error(kErrInvalidArgument, kMemoryHostSource,
                  "Shape.ZOrder: no such command " + std::to_string(command));
  }
}

void MemoryShapes::CopyFrom(const MemoryShapes& other) {
  for (const auto& shape : other.shapes_) shapes_.push_back(shape->CloneInto(*this));
}

}  // namespace vintrel::host::memory
