#include "host/memory/memory_presentation.h"

#include <utility>

#include "host/memory/fault_injector.h"

namespace vintrel::host::memory {

int MemorySlideShowSettings::ShowType() const {
  Enter("SlideShowSettings.ShowType");
  return show_type_;
}

int MemorySlideShowSettings::AdvanceMode() const {
  Enter("SlideShowSettings.AdvanceMode");
  return advance_mode_;
}

namespace internal {

PresentationCore::PresentationCore(HostEnvironment* environment) {
  if (environment == nullptr) {
    own_environment = std::make_unique<HostEnvironment>();
    environment = own_environment.get();
  }
  state.environment = environment;
}

}  // namespace internal

MemoryPresentation::MemoryPresentation(std::string full_name)
    : internal::PresentationCore(nullptr),
      MemoryObject(&state, nullptr),
      full_name_(std::move(full_name)),
      slides_(&state, this),
      tags_(&state, this),
      settings_(&state, this) {}

MemoryPresentation::MemoryPresentation(std::string full_name, HostEnvironment& environment)
    : internal::PresentationCore(&environment),
      MemoryObject(&state, nullptr),
      full_name_(std::move(full_name)),
      slides_(&state, this),
      tags_(&state, this),
      settings_(&state, this) {}

MemoryPresentation::~MemoryPresentation() = default;

std::string MemoryPresentation::FullName() const {
  Enter("Presentation.FullName");
  return full_name_;
}

std::string MemoryPresentation::Name() const {
  Enter("Presentation.Name");
  const size_t slash = full_name_.find_last_of("/\\");
  return slash == std::string::npos ? full_name_ : full_name_.substr(slash + 1);
}

bool MemoryPresentation::Saved() const {
  Enter("Presentation.Saved");
  return state.saved;
}

void MemoryPresentation::SetSaved(bool saved) {
  Enter("Presentation.SetSaved");
  state.saved = saved;
}

void MemoryPresentation::Save() {
  Enter("Presentation.Save");
  ++save_count_;
  state.saved = true;
  state.environment->StoreFile(full_name_, CloneAs(full_name_, *state.environment));
}

void MemoryPresentation::SaveCopyAs(const std::string& file_name) {
  Enter("Presentation.SaveCopyAs");
  copies_saved_.push_back(file_name);
  state.environment->StoreFile(file_name, CloneAs(file_name, *state.environment));
}

host::Slides& MemoryPresentation::Slides() {
  Enter("Presentation.Slides");
  return slides_;
}

host::Tags& MemoryPresentation::Tags() {
  Enter("Presentation.Tags");
  return tags_;
}

host::SlideShowSettings& MemoryPresentation::SlideShowSettings() {
  Enter("Presentation.SlideShowSettings");
  return settings_;
}

host::SlideShowWindow* MemoryPresentation::SlideShowWindow() {
  Enter("Presentation.SlideShowWindow");
  return show_window_;
}

void MemoryPresentation::UpdateLinks() {
  Enter("Presentation.UpdateLinks");
  ++update_links_count_;
}

MemoryPresentation& MemoryPresentation::WithTag(std::string_view name, std::string_view value) {
  tags_.Put(name, value);
  return *this;
}

std::unique_ptr<MemoryPresentation> MemoryPresentation::CloneAs(
    std::string full_name, HostEnvironment& environment) const {
  auto copy = std::make_unique<MemoryPresentation>(std::move(full_name), environment);
  copy->slides_.CopyFrom(slides_);
  copy->tags_.CopyFrom(tags_);
  copy->settings_.set_show_type(settings_.show_type());
  copy->settings_.set_advance_mode(settings_.advance_mode());
  copy->state.next_shape_id = state.next_shape_id;
  return copy;
}

}  // namespace vintrel::host::memory
