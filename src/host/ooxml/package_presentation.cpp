#include "host/ooxml/package_presentation.h"

#include <unistd.h>

#include <climits>
#include <filesystem>
#include <string_view>
#include <vector>

#include "host/common/ascii.h"
#include "host/common/text.h"
#include "host/error.h"
#include "host/ooxml/package_shape.h"
#include "host/ooxml/shape_link.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

// p:presentation children in schema order, for placing p:custDataLst.
const std::initializer_list<std::string_view> kPresentationOrder = {"p:sldMasterIdLst",
                                                                    "p:notesMasterIdLst",
                                                                    "p:handoutMasterIdLst",
                                                                    "p:sldIdLst",
                                                                    "p:sldSz",
                                                                    "p:notesSz",
                                                                    "p:smartTags",
                                                                    "p:embeddedFontLst",
                                                                    "p:custShowLst",
                                                                    "p:photoAlbum",
                                                                    "p:custDataLst",
                                                                    "p:kinsoku",
                                                                    "p:defaultTextStyle",
                                                                    "p:modifyVerifier",
                                                                    "p:extLst"};

}  // namespace

std::string AbsolutePath(const std::string& path) {
  std::string joined = path;
  if (path.empty() || path[0] != '/') {
    char buffer[PATH_MAX];
    std::string cwd = ::getcwd(buffer, sizeof buffer) ? buffer : ".";
    joined = cwd + "/" + path;
  }
  return "/" + NormalizePath(joined);
}

int PackageShowSettings::ShowType() const {
  pugi::xml_node show = ShowProperties();
  if (show.child("p:kiosk")) return host::show_type::kKiosk;
  if (show.child("p:browse")) return host::show_type::kWindow;
  return host::show_type::kSpeaker;
}

int PackageShowSettings::AdvanceMode() const {
  pugi::xml_node show = ShowProperties();
  // useTimings defaults to true: slides advance on their timings unless it says "0".
  return show.attribute("useTimings").as_bool(true) ? host::advance_mode::kUseSlideTimings
                                                    : host::advance_mode::kManual;
}

bool PackageShowSettings::Loop() const {
  return ShowProperties().attribute("loop").as_bool(false);
}

pugi::xml_node PackageShowSettings::ShowProperties() const {
  for (const Relationship& rel : package_.Rels(package_.main_part())) {
    if (rel.Kind() != "presProps" || rel.external) continue;
    std::string part = Package::ResolveTarget(package_.main_part(), rel.target);
    if (!package_.Has(part)) return {};
    return package_.Xml(part).document_element().child("p:showPr");
  }
  return {};
}

std::unique_ptr<PackagePresentation> PackagePresentation::Open(const std::string& path,
                                                               host::Clipboard* clipboard,
                                                               SaveHook before_save) {
  std::string full = AbsolutePath(path);
  std::unique_ptr<Package> package = Package::Open(full);
  std::unique_ptr<PackagePresentation> self(
      new PackagePresentation(std::move(package), full, clipboard, std::move(before_save)));
  self->slides_ = std::make_unique<PackageSlides>(*self);
  self->saved_at_change_ = self->package_->change_count();
  return self;
}

PackagePresentation::PackagePresentation(std::unique_ptr<Package> package, std::string full_name,
                                         host::Clipboard* clipboard, SaveHook before_save)
    : package_(std::move(package)),
      full_name_(std::move(full_name)),
      clipboard_(clipboard),
      before_save_(std::move(before_save)),
      tags_(*package_, package_->main_part(),
            [this](bool create) -> pugi::xml_node {
              pugi::xml_document& doc = package_->Xml(package_->main_part());
              pugi::xml_node root = doc.document_element();
              if (!create) return root.child("p:custDataLst");
              return GetOrInsert(root, "p:custDataLst", kPresentationOrder);
            }),
      show_settings_(*package_) {}

PackagePresentation::~PackagePresentation() = default;

std::string PackagePresentation::Name() const {
  size_t slash = full_name_.rfind('/');
  return slash == std::string::npos ? full_name_ : full_name_.substr(slash + 1);
}

std::string PackagePresentation::Folder() const {
  size_t slash = full_name_.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : full_name_.substr(0, slash);
}

bool PackagePresentation::Saved() const {
  return !marked_unsaved_ && package_->change_count() == saved_at_change_;
}

void PackagePresentation::SetSaved(bool saved) {
  marked_unsaved_ = !saved;
  if (saved) saved_at_change_ = package_->change_count();
}

void PackagePresentation::Save() {
  // The save event lets the add-in blank its values, save, and fill them in again. A save from
  // inside the event writes without raising it again; when the event's handler has written the
  // file itself, the save that raised it has nothing left to write (writing now would store the
  // values the handler put back).
  if (before_save_ && !in_save_event_) {
    const uint64_t writes_before = file_writes_;
    in_save_event_ = true;
    try {
      before_save_(*this);
    } catch (...) {
      in_save_event_ = false;
      throw;
    }
    in_save_event_ = false;
    if (file_writes_ != writes_before) return;
  }
  package_->SaveAs(full_name_);
  ++file_writes_;
  SetSaved(true);
}

namespace {

std::string OwnerOfRelsPart(const std::string& name) {
  // "ppt/slides/_rels/slide1.xml.rels" holds the relationships of "ppt/slides/slide1.xml".
  constexpr std::string_view kFolder = "_rels/";
  constexpr std::string_view kExtension = ".rels";
  const size_t slash = name.rfind('/');
  const size_t start = slash == std::string::npos ? 0 : slash + 1;
  if (name.size() < kExtension.size() ||
      !EqualsNoCase(name.substr(name.size() - kExtension.size()), kExtension))
    return "";
  if (start < kFolder.size() ||
      !EqualsNoCase(name.substr(start - kFolder.size(), kFolder.size()), kFolder))
    return "";
  const std::string owner = name.substr(start, name.size() - start - kExtension.size());
  if (owner.empty()) return "";  // the package's own relationships
  return name.substr(0, start - kFolder.size()) + owner;
}

}  // namespace

void PackagePresentation::SaveCopyAs(const std::string& file_name) {
  bool was_saved = Saved();
  const std::string target = AbsolutePath(file_name);
  // Files linked relative to the presentation's folder are named from the copy's folder in the
  // copy, so that it shows the same files; the presentation itself keeps its targets.
  struct Moved {
    std::string part, id, target;
  };
  std::vector<Moved> moved;
  const std::string folder = Folder();
  const std::string copy_folder = std::filesystem::path(target).parent_path().string();
  auto restore = [&] {
    for (const Moved& link : moved) package_->SetRelTarget(link.part, link.id, link.target, true);
  };
  try {
    if (!folder.empty() && AbsolutePath(folder) != AbsolutePath(copy_folder)) {
      for (const std::string& name : package_->PartNames()) {
        const std::string part = OwnerOfRelsPart(name);
        if (part.empty()) continue;
        for (const Relationship& rel : package_->Rels(part)) {
          if (!rel.external || !IsRelativeLinkTarget(rel.target)) continue;
          const std::string path = DecodeLinkTarget(rel.target, folder);
          // Placeholders ("NULL", an unsaved "Book1") name no file: they stay as written.
          std::error_code ignored;
          if (!std::filesystem::exists(path, ignored)) continue;
          package_->SetRelTarget(part, rel.id, EncodeLinkTarget(path, copy_folder), true);
          moved.push_back({part, rel.id, rel.target});
        }
      }
    }
    package_->SaveCopyAs(target);
  } catch (...) {
    restore();
    SetSaved(was_saved);
    throw;
  }
  restore();
  // Writing flushes the model into the package, which counts as changes; the presentation
  // itself is exactly as saved or unsaved as before.
  SetSaved(was_saved);
}

void PackagePresentation::UpdateLinks() {
  // Every link is tried; the ones that failed are reported together at the end.
  std::string failures;
  for (int s = 1; s <= slides_->Count(); ++s) {
    host::Shapes& shapes = slides_->Item(s).Shapes();
    for (int i = 1; i <= shapes.Count(); ++i) {
      host::Shape& shape = shapes.Item(i);
      int type = shape.Type();
      if (type != host::shape_type::kLinkedPicture && type != host::shape_type::kLinkedOleObject) {
        continue;
      }
      try {
        shape.LinkFormat().Update();
      } catch (const Error& error) {
        failures += (failures.empty() ? "" : "; ") + std::string("slide ") + std::to_string(s) +
                    ": " + error.description();
      }
    }
  }
  if (!failures.empty()) {
    throw Error(kErrFileNotFound, "vintrel.ooxml", "some links could not be updated: " + failures);
  }
}

}  // namespace vintrel::ooxml
