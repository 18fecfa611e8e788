// LinkFormat of linked pictures, linked OLE objects and linked media. The link is an external
// relationship of the slide; its target is a URI as PowerPoint writes it (file:///C:\x%20y.png,
// file://localhost/Users/..., http://...) or a relative reference.
#ifndef VINTREL_HOST_OOXML_SHAPE_LINK_H_
#define VINTREL_HOST_OOXML_SHAPE_LINK_H_

#include <pugixml.hpp>
#include <string>
#include <utility>
#include <vector>

#include "host/ooxml/package.h"
#include "host/shapes.h"

namespace vintrel::ooxml {

class PackageShape;

enum class LinkKind { kNone, kPicture, kObject, kMedia };

// What kind of external link the shape element (of slide part `part`) carries, if any.
LinkKind LinkKindOf(pugi::xml_node shape, Package& package, const std::string& part);

// The path a user recognises for a link target: file URIs lose their scheme and percent
// escapes (Windows paths keep their backslashes), a relative target is resolved against
// `base_folder`; other URLs come back as written.
std::string DecodeLinkTarget(const std::string& target, const std::string& base_folder);
// The relationship target for a path or URL the user gives (relative paths are resolved
// against `base_folder` first): relative to `base_folder` when the file lies inside it, else a
// file URI.
std::string EncodeLinkTarget(const std::string& path, const std::string& base_folder);
// Whether a target names its file relative to the presentation's folder.
bool IsRelativeLinkTarget(const std::string& target);

class ShapeLink : public host::LinkFormat {
 public:
  ShapeLink(PackageShape& shape, LinkKind kind) : shape_(shape), kind_(kind) {}
  std::string SourceFullName() const override;
  void SetSourceFullName(const std::string& path) override;
  // Objects keep the mode in p:link updateAutomatic; pictures and media have no such setting
  // in the file, so theirs lives only while the presentation is open.
  int AutoUpdate() const override;
  void SetAutoUpdate(int mode) override;
  // Pictures: the cached copy stored in the package, if there is one, is replaced by the file's
  // current content (in place when only this picture uses it; otherwise the picture gets a copy
  // of its own). Objects and media: the file must exist (their previews are kept).
  void Update() override;

 private:
  struct Holder {
    pugi::xml_node node;
    const char* attribute;
  };
  std::vector<Holder> Holders() const;
  // Refreshes the cached copy of a linked picture from `path`.
  void ReloadPicture(const std::string& path);
  std::string RelId() const;

  PackageShape& shape_;
  LinkKind kind_;
  int picture_mode_ = host::link_update::kManual;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_SHAPE_LINK_H_
