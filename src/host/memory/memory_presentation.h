// An in-memory presentation: slides, tags, show settings, and the saved state the real host keeps
// (every change made through the host interfaces marks it as not saved). Save and SaveCopyAs
// store a copy in the environment's files, which Presentations.Open can open again.
#ifndef VINTREL_HOST_MEMORY_MEMORY_PRESENTATION_H_
#define VINTREL_HOST_MEMORY_MEMORY_PRESENTATION_H_

#include <memory>
#include <string>
#include <vector>

#include "host/memory/host_environment.h"
#include "host/memory/memory_object.h"
#include "host/memory/memory_slides.h"
#include "host/memory/memory_tags.h"
#include "host/presentation.h"

namespace vintrel::host::memory {

class MemorySlideShowSettings : public host::SlideShowSettings, public MemoryObject {
 public:
  MemorySlideShowSettings(DocumentState* document, const MemoryObject* owner)
      : MemoryObject(document, owner) {}

  int ShowType() const override;
  int AdvanceMode() const override;

  // Set-up, not counted.
  void set_show_type(int type) { show_type_ = type; }
  void set_advance_mode(int mode) { advance_mode_ = mode; }
  int show_type() const { return show_type_; }
  int advance_mode() const { return advance_mode_; }

 private:
  int show_type_ = show_type::kSpeaker;
  int advance_mode_ = advance_mode::kUseSlideTimings;
};

namespace internal {
// Constructed before the presentation's bases, which point at it.
struct PresentationCore {
  explicit PresentationCore(HostEnvironment* environment);
  std::unique_ptr<HostEnvironment> own_environment;
  DocumentState state;
};
}  // namespace internal

class MemoryPresentation : private internal::PresentationCore,
                           public host::Presentation,
                           public MemoryObject {
 public:
  // A free-standing presentation with an environment of its own.
  explicit MemoryPresentation(std::string full_name);
  // A presentation of an application; `environment` must outlive it.
  MemoryPresentation(std::string full_name, HostEnvironment& environment);
  ~MemoryPresentation() override;

  std::string FullName() const override;
  // The file name part of the full name (after the last '/' or '\').
  std::string Name() const override;
  bool Saved() const override;
  void SetSaved(bool saved) override;
  // Counts, marks saved and stores a copy under FullName in the environment's files.
  void Save() override;
  // Records the name and stores a copy under it; FullName and Saved stay.
  void SaveCopyAs(const std::string& file_name) override;
  host::Slides& Slides() override;
  host::Tags& Tags() override;
  host::SlideShowSettings& SlideShowSettings() override;
  host::SlideShowWindow* SlideShowWindow() override;
  void UpdateLinks() override;

  // Set-up.
  MemorySlide& AddSlide() { return slides_.Add(); }
  MemoryPresentation& WithTag(std::string_view name, std::string_view value);
  void set_full_name(std::string full_name) { full_name_ = std::move(full_name); }
  // Not counted as a host call.
  void set_saved(bool saved) { state.saved = saved; }

  // Inspection, not counted.
  const std::string& full_name() const { return full_name_; }
  MemorySlide& slide(int index) { return slides_.at(index); }
  MemorySlides& slides() { return slides_; }
  MemoryTags& tags() { return tags_; }
  MemorySlideShowSettings& settings() { return settings_; }
  bool saved() const { return state.saved; }
  bool closed() const { return state.closed; }
  // Changes made through the host interfaces since the presentation was made.
  int change_count() const { return state.change_count; }
  int save_count() const { return save_count_; }
  const std::vector<std::string>& copies_saved() const { return copies_saved_; }
  int update_links_count() const { return update_links_count_; }
  HostEnvironment& host_environment() const { return *state.environment; }

  // Used by the application: the running show's window (null when none), and closing.
  void set_show_window(host::SlideShowWindow* window) { show_window_ = window; }
  void MarkClosed() { state.closed = true; }

  // A copy of the content (slides, shapes, tags, settings) under another name; saved, no counts.
  std::unique_ptr<MemoryPresentation> CloneAs(std::string full_name,
                                              HostEnvironment& environment) const;

 private:
  std::string full_name_;
  MemorySlides slides_;
  MemoryTags tags_;
  MemorySlideShowSettings settings_;
  host::SlideShowWindow* show_window_ = nullptr;
  int save_count_ = 0;
  int update_links_count_ = 0;
  std::vector<std::string> copies_saved_;
};

}  // namespace vintrel::host::memory

#endif  // VINTREL_HOST_MEMORY_MEMORY_PRESENTATION_H_
