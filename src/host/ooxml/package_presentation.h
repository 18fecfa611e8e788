// A presentation backed by a .pptx (.pptm, .potx) package on disk.
#ifndef VINTREL_HOST_OOXML_PACKAGE_PRESENTATION_H_
#define VINTREL_HOST_OOXML_PACKAGE_PRESENTATION_H_

#include <functional>
#include <memory>
#include <string>

#include "host/ooxml/package.h"
#include "host/ooxml/package_slide.h"
#include "host/ooxml/part_tags.h"
#include "host/platform.h"
#include "host/presentation.h"
#include "host/show_display.h"

namespace vintrel::ooxml {

// ShowType and AdvanceMode from p:showPr in the presentation properties part.
class PackageShowSettings : public host::SlideShowSettings {
 public:
  explicit PackageShowSettings(Package& package) : package_(package) {}
  int ShowType() const override;
  int AdvanceMode() const override;
  // The show starts over after its last slide (p:showPr loop="1").
  bool Loop() const;

 private:
  pugi::xml_node ShowProperties() const;
  Package& package_;
};

class PackagePresentation : public host::Presentation {
 public:
  // Runs before Save writes the file (the application raises its PresentationSave event here);
  // an exception from it stops the save.
  using SaveHook = std::function<void(PackagePresentation&)>;

  // Opens the package at `path` (made absolute). `clipboard` is what chart data sheets paste
  // from; without one, Paste fails with a clear error.
  static std::unique_ptr<PackagePresentation> Open(const std::string& path,
                                                   host::Clipboard* clipboard = nullptr,
                                                   SaveHook before_save = nullptr);
  ~PackagePresentation() override;

  std::string FullName() const override { return full_name_; }
  std::string Name() const override;
  bool Saved() const override;
  void SetSaved(bool saved) override;
  void Save() override;
  void SaveCopyAs(const std::string& file_name) override;
  host::Slides& Slides() override { return *slides_; }
  host::Tags& Tags() override { return tags_; }
  host::SlideShowSettings& SlideShowSettings() override { return show_settings_; }
  host::SlideShowWindow* SlideShowWindow() override { return show_window_; }
  void UpdateLinks() override;

  Package& package() { return *package_; }
  host::Clipboard* clipboard() const { return clipboard_; }
  // The folder of FullName, against which relative links resolve.
  std::string Folder() const;
  PackageSlides& slides() { return *slides_; }
  // Set by the application while a show of this presentation runs.
  void set_show_window(host::SlideShowWindow* window) { show_window_ = window; }
  // The screen that hears of every visible change while the show runs; null otherwise.
  host::ShowDisplay* show_display() const { return show_window_ != nullptr ? display_ : nullptr; }
  void set_show_display(host::ShowDisplay* display) { display_ = display; }

 private:
  PackagePresentation(std::unique_ptr<Package> package, std::string full_name,
                      host::Clipboard* clipboard, SaveHook before_save);

  std::unique_ptr<Package> package_;
  std::string full_name_;
  host::Clipboard* clipboard_;
  SaveHook before_save_;
  PartTags tags_;
  PackageShowSettings show_settings_;
  std::unique_ptr<PackageSlides> slides_;
  host::SlideShowWindow* show_window_ = nullptr;
  host::ShowDisplay* display_ = nullptr;
  uint64_t saved_at_change_ = 0;
  bool marked_unsaved_ = false;
  // While the save event runs, and how often the file was written (see Save).
  bool in_save_event_ = false;
  uint64_t file_writes_ = 0;
};

// An absolute, lexically normal form of `path` (relative to the current folder).
std::string AbsolutePath(const std::string& path);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_PRESENTATION_H_
