// The common ground of the in-memory document objects: each belongs to one presentation's
// document state and to an owner object. An object whose owner was deleted, or whose
// presentation was closed, no longer exists: the real host fails every call on such an object,
// and so do these. Deleted objects stay in memory (kept by their owner) so that a test or the
// code under test holding a reference gets an Error instead of a crash. References therefore
// stay valid as long as the presentation object lives; a MemoryApplication keeps closed
// presentations until it goes itself.
#ifndef VINTREL_HOST_MEMORY_MEMORY_OBJECT_H_
#define VINTREL_HOST_MEMORY_MEMORY_OBJECT_H_

#include <string_view>

namespace vintrel::host::memory {

class HostEnvironment;

// Per presentation: whether it changed since the last save, and whether it is still open.
struct DocumentState {
  HostEnvironment* environment = nullptr;
  bool saved = true;
  bool closed = false;
  int change_count = 0;  // changes made through the host interfaces
  int next_shape_id = 1;
};

class MemoryObject {
 public:
  // False once this object or one of its owners was deleted, or its presentation closed.
  bool Exists() const;
  // Whether this object is `other` or belongs to it (a shape's tags are within the shape and
  // within its slide).
  bool IsWithin(const MemoryObject& other) const;
  DocumentState* document() const { return document_; }
  HostEnvironment* environment() const;

 protected:
  // `document` and `owner` may be null (a free-standing object); neither is owned.
  MemoryObject(DocumentState* document, const MemoryObject* owner)
      : document_(document), owner_(owner) {}
  ~MemoryObject() = default;
  MemoryObject(const MemoryObject&) = delete;
  MemoryObject& operator=(const MemoryObject&) = delete;

  // Start of every host-interface call: fails when the object no longer exists or the
  // operation was armed to fail, and counts the call.
  void Enter(std::string_view operation) const;
  // A change through the host interfaces: the presentation is no longer saved.
  void MarkChanged() const;
  void MarkDeleted() { deleted_ = true; }

 private:
  DocumentState* document_;
  const MemoryObject* owner_;
  bool deleted_ = false;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_OBJECT_H_
