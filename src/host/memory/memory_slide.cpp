#include "host/memory/memory_slide.h"

#include <utility>

#include "host/error.h"
#include "host/memory/fault_injector.h"
#include "host/memory/memory_slides.h"

namespace vintrel::host::memory {

bool MemorySlideShowTransition::Hidden() const {
  Enter("SlideShowTransition.Hidden");
  return hidden_;
}

void MemorySlideShowTransition::SetHidden(bool hidden) {
  Enter("SlideShowTransition.SetHidden");
  hidden_ = hidden;
  MarkChanged();
}

bool MemorySlideShowTransition::AdvanceOnClick() const {
  Enter("SlideShowTransition.AdvanceOnClick");
  return advance_on_click_;
}

void MemorySlideShowTransition::SetAdvanceOnClick(bool value) {
  Enter("SlideShowTransition.SetAdvanceOnClick");
  advance_on_click_ = value;
  MarkChanged();
}

bool MemorySlideShowTransition::AdvanceOnTime() const {
  Enter("SlideShowTransition.AdvanceOnTime");
  return advance_on_time_;
}

void MemorySlideShowTransition::SetAdvanceOnTime(bool value) {
  Enter("SlideShowTransition.SetAdvanceOnTime");
  advance_on_time_ = value;
  MarkChanged();
}

double MemorySlideShowTransition::AdvanceTime() const {
  Enter("SlideShowTransition.AdvanceTime");
  return advance_time_;
}

void MemorySlideShowTransition::SetAdvanceTime(double seconds) {
  Enter("SlideShowTransition.SetAdvanceTime");
  if (seconds < 0) {
    throw Error(kErrInvalidArgument, kMemoryHostSource,
                "SlideShowTransition.SetAdvanceTime: negative time");
  }
  advance_time_ = seconds;
  MarkChanged();
}

void MemorySlideShowTransition::CopyFrom(const MemorySlideShowTransition& other) {
  hidden_ = other.hidden_;
  advance_on_click_ = other.advance_on_click_;
  advance_on_time_ = other.advance_on_time_;
  advance_time_ = other.advance_time_;
}

MemorySlide::MemorySlide(MemorySlides& slides)
    : MemoryObject(slides.document(), &slides),
      slides_(slides),
      shapes_(slides.document(), this),
      tags_(slides.document(), this),
      transition_(slides.document(), this) {}

int MemorySlide::SlideIndex() const {
  Enter("Slide.SlideIndex");
  return slides_.IndexOf(*this);
}

host::Shapes& MemorySlide::Shapes() {
  Enter("Slide.Shapes");
  return shapes_;
}

host::Tags& MemorySlide::Tags() {
  Enter("Slide.Tags");
  return tags_;
}

host::SlideShowTransition& MemorySlide::SlideShowTransition() {
  Enter("Slide.SlideShowTransition");
  return transition_;
}

host::Slide& MemorySlide::Duplicate() {
  Enter("Slide.Duplicate");
  MarkChanged();
  return slides_.InsertCopyAfter(*this);
}

void MemorySlide::Delete() {
  Enter("Slide.Delete");
  MarkChanged();
  slides_.Remove(*this);
}

MemoryShape& MemorySlide::AddShape(int type, std::string name) {
  return shapes_.Add(type, std::move(name));
}

MemoryShape& MemorySlide::AddAutoShape(std::string name, bool with_text_frame) {
  MemoryShape& shape = AddShape(shape_type::kAutoShape, std::move(name));
  if (!with_text_frame) shape.WithoutTextFrame();
  return shape;
}

MemoryShape& MemorySlide::AddTextBox(std::string text, std::string name) {
  return AddShape(shape_type::kTextBox, std::move(name)).WithText(std::move(text));
}

MemoryShape& MemorySlide::AddPlaceholder(std::string text, std::string name) {
  return AddShape(shape_type::kPlaceholder, std::move(name)).WithText(std::move(text));
}

MemoryShape& MemorySlide::AddGroup(std::string name) {
  return AddShape(shape_type::kGroup, std::move(name));
}

MemoryShape& MemorySlide::AddEmbeddedObject(std::string prog_id, std::string name) {
  return AddShape(shape_type::kEmbeddedOleObject, std::move(name)).WithProgId(std::move(prog_id));
}

MemoryShape& MemorySlide::AddChart(std::string name, std::string prog_id) {
  return AddEmbeddedObject(std::move(prog_id), std::move(name));
}

MemoryShape& MemorySlide::AddLinkedObject(std::string source, std::string prog_id,
                                          std::string name) {
  return AddShape(shape_type::kLinkedOleObject, std::move(name))
      .WithProgId(std::move(prog_id))
      .WithLink(std::move(source));
}

MemoryShape& MemorySlide::AddLinkedPicture(std::string source, std::string name) {
  return AddShape(shape_type::kLinkedPicture, std::move(name))
      .WithLink(source)
      .WithPictureFile(source);
}

MemoryShape& MemorySlide::AddPicture(std::string name) {
  return AddShape(shape_type::kPicture, std::move(name));
}

MemoryShape& MemorySlide::AddMedia(std::string source, std::string name) {
  MemoryShape& shape = AddShape(shape_type::kMedia, std::move(name));
  if (!source.empty()) shape.WithLink(std::move(source));
  return shape;
}

int MemorySlide::index() const {
  return slides_.IndexOf(*this);
}

std::unique_ptr<MemorySlide> MemorySlide::CloneInto(MemorySlides& target) const {
  auto copy = std::make_unique<MemorySlide>(target);
  copy->shapes_.CopyFrom(shapes_);
  copy->tags_.CopyFrom(tags_);
  copy->transition_.CopyFrom(transition_);
  return copy;
}

}  // namespace vintrel::host::memory
