#include "host/memory/memory_slides.h"

#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

int MemorySlides::Count() const {
  Enter("Slides.Count");
  return count();
}

host::Slide& MemorySlides::Item(int index) {
  Enter("Slides.Item");
  if (index < 1 || index > count()) {
    throw Error(kErrSubscriptOutOfRange, kMemoryHostSource,
                "Slides.Item: index " + std::to_string(index) + " out of range");
  }
  return *slides_[index - 1];
}

MemorySlide& MemorySlides::Add() {
  slides_.push_back(std::make_unique<MemorySlide>(*this));
  return *slides_.back();
}

MemorySlide& MemorySlides::at(int index) {
  if (index < 1 || index > count()) {
    throw Error(kErrSubscriptOutOfRange, kMemoryHostSource,
                "no slide at index " + std::to_string(index));
  }
  return *slides_[index - 1];
}

int MemorySlides::IndexOf(const MemorySlide& slide) const {
  for (size_t i = 0; i < slides_.size(); ++i) {
    if (slides_[i].get() == &slide) return static_cast<int>(i) + 1;
  }
  return 0;
}

MemorySlide& MemorySlides::InsertCopyAfter(const MemorySlide& slide) {
  const int index = IndexOf(slide);
  auto it = slides_.insert(slides_.begin() + index, slide.CloneInto(*this));
  return **it;
}

void MemorySlides::Remove(MemorySlide& slide) {
  const int index = IndexOf(slide);
  if (index == 0) return;
  slide.MarkDeleted();
  deleted_.push_back(std::move(slides_[index - 1]));
  slides_.erase(slides_.begin() + index - 1);
}

void MemorySlides::CopyFrom(const MemorySlides& other) {
  for (const auto& slide : other.slides_) slides_.push_back(slide->CloneInto(*this));
}

}  // namespace vintrel::host::memory
