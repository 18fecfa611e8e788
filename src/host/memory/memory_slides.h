// The slides of an in-memory presentation, in order. A slide's index is its place here; deleted
// slides are kept aside until the presentation goes, so references to them stay safe to call.
#ifndef VINTREL_HOST_MEMORY_MEMORY_SLIDES_H_
#define VINTREL_HOST_MEMORY_MEMORY_SLIDES_H_

#include <memory>
#include <vector>

#include "host/memory/memory_object.h"
#include "host/memory/memory_slide.h"
#include "host/slides.h"

namespace vintrel::host::memory {

class MemorySlides : public host::Slides, public MemoryObject {
 public:
  MemorySlides(DocumentState* document, const MemoryObject* presentation)
      : MemoryObject(document, presentation) {}

  int Count() const override;
  host::Slide& Item(int index) override;

  // Set-up: a new slide at the end.
  MemorySlide& Add();
  // Inspection: the slide at an index from 1, failing outside 1..count().
  MemorySlide& at(int index);
  int count() const { return static_cast<int>(slides_.size()); }
  const std::vector<std::unique_ptr<MemorySlide>>& deleted_slides() const { return deleted_; }

  void CopyFrom(const MemorySlides& other);

 private:
  friend class MemorySlide;
  int IndexOf(const MemorySlide& slide) const;  // 0 when not present
  MemorySlide& InsertCopyAfter(const MemorySlide& slide);
  void Remove(MemorySlide& slide);

  std::vector<std::unique_ptr<MemorySlide>> slides_;
  std::vector<std::unique_ptr<MemorySlide>> deleted_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_SLIDES_H_
