#ifndef VINTREL_HOST_MEMORY_MEMORY_SLIDE_H_
#define VINTREL_HOST_MEMORY_MEMORY_SLIDE_H_

#include <memory>
#include <string>

#include "host/memory/memory_object.h"
#include "host/memory/memory_shapes.h"
#include "host/memory/memory_tags.h"
#include "host/slides.h"

namespace vintrel::host::memory {

class MemorySlides;

class MemorySlideShowTransition : public host::SlideShowTransition, public MemoryObject {
 public:
  MemorySlideShowTransition(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner) {}

  bool Hidden() const override;
  void SetHidden(bool hidden) override;
  bool AdvanceOnClick() const override;
  void SetAdvanceOnClick(bool value) override;
  bool AdvanceOnTime() const override;
  void SetAdvanceOnTime(bool value) override;
  double AdvanceTime() const override;
  // Fails for a negative time.
  void SetAdvanceTime(double seconds) override;

  // Inspection and set-up, not counted.
  bool hidden() const { return hidden_; }
  void set_hidden(bool hidden) { hidden_ = hidden; }
  bool advance_on_click() const { return advance_on_click_; }
  bool advance_on_time() const { return advance_on_time_; }
  double advance_time() const { return advance_time_; }
  void CopyFrom(const MemorySlideShowTransition& other);

 private:
  bool hidden_ = false;
  bool advance_on_click_ = true;
  bool advance_on_time_ = false;
  double advance_time_ = 0;
};

class MemorySlide : public host::Slide, public MemoryObject {
 public:
  // Use MemoryPresentation::AddSlide rather than this.
  explicit MemorySlide(MemorySlides& slides);

  int SlideIndex() const override;
  host::Shapes& Shapes() override;
  host::Tags& Tags() override;
  host::SlideShowTransition& SlideShowTransition() override;
  // The copy, with copies of the shapes and tags, goes right after this slide.
  host::Slide& Duplicate() override;
  // Later slides move up one index; the object stays in memory but every further call on it (and
  // on its shapes) fails.
  void Delete() override;

  // Set-up helpers: a new shape on top of the others, with the host's defaults for its type. An
  // empty name becomes "<kind> <number>".
  MemoryShape& AddShape(int type, std::string name = "");
  MemoryShape& AddAutoShape(std::string name = "", bool with_text_frame = true);
  MemoryShape& AddTextBox(std::string text = "", std::string name = "");
  MemoryShape& AddPlaceholder(std::string text = "", std::string name = "");
  MemoryShape& AddGroup(std::string name = "");
  MemoryShape& AddEmbeddedObject(std::string prog_id, std::string name = "");
  // An embedded chart object with a data sheet (see MemoryGraphChart).
  MemoryShape& AddChart(std::string name = "", std::string prog_id = "MSGraph.Chart.8");
  MemoryShape& AddLinkedObject(std::string source, std::string prog_id = "Excel.Sheet.8",
                               std::string name = "");
  MemoryShape& AddLinkedPicture(std::string source, std::string name = "");
  MemoryShape& AddPicture(std::string name = "");
  // Linked when `source` is given, embedded (no LinkFormat) otherwise.
  MemoryShape& AddMedia(std::string source = "", std::string name = "");

  // Inspection, not counted.
  int index() const;  // 0 once deleted
  bool deleted() const { return !Exists(); }
  MemoryShapes& shapes() { return shapes_; }
  MemoryShape& shape(int position) { return shapes_.at(position); }
  MemoryTags& tags() { return tags_; }
  MemorySlideShowTransition& transition() { return transition_; }

  std::unique_ptr<MemorySlide> CloneInto(MemorySlides& target) const;

 private:
  friend class MemorySlides;

  MemorySlides& slides_;
  MemoryShapes shapes_;
  MemoryTags tags_;
  MemorySlideShowTransition transition_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_SLIDE_H_
