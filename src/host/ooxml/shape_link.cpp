#include "host/ooxml/shape_link.h"

#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "host/common/ascii.h"
#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/ooxml/image_info.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_shape.h"
#include "host/ooxml/package_slide.h"
#include "host/ooxml/slide_parts.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kSource[] = "vintrel.ooxml";

bool IsWindowsPath(std::string_view path) {
  return (path.size() >= 2 && path[1] == ':' &&
          std::isalpha(static_cast<unsigned char>(path[0]))) ||
         path.starts_with("\\\\");
}

// A URL scheme of two or more letters ("http:", "file:"), not a drive letter.
bool HasScheme(std::string_view text) {
  size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    char c = text[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
      return false;
    }
  }
  return true;
}

std::string PercentDecode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out.push_back(static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16)));
      i += 2;
    } else {
      out.push_back(text[i]);
    }
  }
  return out;
}

// Escapes what a URI cannot hold as is; non-ASCII stays raw and backslashes stay, as the host
// writes Windows paths.
std::string PercentEncode(std::string_view text) {
  std::string out;
  static const char kHex[] = "0123456789ABCDEF";
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u <= 0x20 || c == '%' || c == '#' || c == '?' || c == '"' || c == '<' || c == '>') {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string JoinRelative(const std::string& base_folder, std::string relative) {
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  if (base_folder.empty()) return relative;
  return AbsolutePath(base_folder + "/" + relative);
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<pugi::xml_node> AllNamed(pugi::xml_node root, const char* name) {
  std::vector<pugi::xml_node> out;
  root.find_node([&](pugi::xml_node n) {
    if (std::string_view(n.name()) == name) out.push_back(n);
    return false;
  });
  return out;
}

bool IsExternalTarget(Package& package, const std::string& part, const std::string& id) {
  auto rel = package.Rel(part, id);
  return rel && rel->external && rel->target != "NULL";
}

bool IsInside(pugi::xml_node node, pugi::xml_node ancestor) {
  for (pugi::xml_node up = node; up; up = up.parent()) {
    if (up == ancestor) return true;
  }
  return false;
}

// Whether an element outside `shape` refers to relationship `id`.
bool UsedOutside(pugi::xml_node root, const std::string& id, pugi::xml_node shape) {
  return static_cast<bool>(root.find_node([&](pugi::xml_node n) {
    for (pugi::xml_attribute a : n.attributes()) {
      if (id == a.value() && std::string_view(a.name()).rfind("r:", 0) == 0 &&
          !IsInside(n, shape)) {
        return true;
      }
    }
    return false;
  }));
}

}  // namespace

LinkKind LinkKindOf(pugi::xml_node shape, Package& package, const std::string& part) {
  std::string_view name = shape.name();
  if (name == "p:pic") {
    pugi::xml_node nv = shape.child("p:nvPicPr").child("p:nvPr");
    for (const char* media : {"a:videoFile", "a:audioFile", "a:quickTimeFile"}) {
      pugi::xml_node node = nv.child(media);
      if (node && IsExternalTarget(package, part, node.attribute("r:link").value())) {
        return LinkKind::kMedia;
      }
    }
    pugi::xml_node blip = shape.child("p:blipFill").child("a:blip");
    if (blip.attribute("r:link") &&
        IsExternalTarget(package, part, blip.attribute("r:link").value())) {
      return LinkKind::kPicture;
    }
    return LinkKind::kNone;
  }
  if (name == "p:graphicFrame") {
    for (pugi::xml_node ole : AllNamed(shape, "p:oleObj")) {
      if (ole.child("p:link") && IsExternalTarget(package, part, ole.attribute("r:id").value())) {
        return LinkKind::kObject;
      }
    }
  }
  return LinkKind::kNone;
}

std::string DecodeLinkTarget(const std::string& target, const std::string& base_folder) {
  if (StartsWithNoCase(target, "file://localhost/")) return PercentDecode(target.substr(16));
  if (StartsWithNoCase(target, "file:///")) {
    std::string rest = PercentDecode(target.substr(8));
    return IsWindowsPath(rest) ? rest : "/" + rest;
  }
  if (StartsWithNoCase(target, "file://")) return "//" + PercentDecode(target.substr(7));
  if (StartsWithNoCase(target, "file:")) return PercentDecode(target.substr(5));
  if (IsWindowsPath(target)) return target;
  if (HasScheme(target)) return target;
  std::string decoded = PercentDecode(target);
  if (!decoded.empty() && decoded[0] == '/') return decoded;
  return JoinRelative(base_folder, decoded);
}

bool IsRelativeLinkTarget(const std::string& target) {
  if (target.empty() || IsWindowsPath(target) || HasScheme(target)) return false;
  const std::string decoded = PercentDecode(target);
  return !decoded.empty() && decoded[0] != '/';
}

std::string EncodeLinkTarget(const std::string& path, const std::string& base_folder) {
  if (IsWindowsPath(path)) return "file:///" + PercentEncode(path);
  if (HasScheme(path)) return path;
  std::string absolute =
      !path.empty() && path[0] == '/' ? AbsolutePath(path) : JoinRelative(base_folder, path);
  // A file inside the presentation's folder is linked relative to it, as PowerPoint does, so
  // the folder keeps working when it is moved or copied. A colon is escaped there: it would
  // read back as a scheme.
  std::string folder = base_folder.empty() ? "" : AbsolutePath(base_folder);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  if (folder.size() > 1 && absolute.size() > folder.size() && absolute.starts_with(folder)) {
    std::string relative;
    for (char c : PercentEncode(absolute.substr(folder.size()))) {
      relative += c == ':' ? std::string("%3A") : std::string(1, c);
    }
    return relative;
  }
  return "file://" + PercentEncode(absolute);
}

std::vector<ShapeLink::Holder> ShapeLink::Holders() const {
  std::vector<Holder> out;
  for (pugi::xml_node view : shape_.views()) {
    switch (kind_) {
      case LinkKind::kPicture:
        for (pugi::xml_node blip : AllNamed(view, "a:blip")) {
          if (blip.attribute("r:link")) out.push_back({blip, "r:link"});
        }
        break;
      case LinkKind::kObject:
        for (pugi::xml_node ole : AllNamed(view, "p:oleObj")) {
          if (ole.child("p:link")) out.push_back({ole, "r:id"});
        }
        break;
      case LinkKind::kMedia:
        for (const char* media : {"a:videoFile", "a:audioFile", "a:quickTimeFile"}) {
          for (pugi::xml_node node : AllNamed(view, media)) out.push_back({node, "r:link"});
        }
        break;
      case LinkKind::kNone:
        break;
    }
  }
  if (out.empty()) {
    throw Error(kErrInvalidArgument, kSource,
                "shape \"" + shape_.Name() + "\" is no longer linked to a file");
  }
  return out;
}

std::string ShapeLink::RelId() const {
  Holder first = Holders().front();
  return first.node.attribute(first.attribute).value();
}

std::string ShapeLink::SourceFullName() const {
  PackageSlide& slide = shape_.slide();
  auto rel = slide.package().Rel(slide.part(), RelId());
  if (!rel) return {};
  return DecodeLinkTarget(rel->target, slide.presentation().Folder());
}

void ShapeLink::SetSourceFullName(const std::string& path) {
  if (path.empty()) {
    throw Error(kErrInvalidArgument, kSource, "SourceFullName: the file name is empty");
  }
  PackageSlide& slide = shape_.slide();
  Package& package = slide.package();
  std::string target = EncodeLinkTarget(host::XmlText(path), slide.presentation().Folder());
  std::vector<Holder> holders = Holders();
  std::string old_id = holders.front().node.attribute(holders.front().attribute).value();
  auto rel = package.Rel(slide.part(), old_id);
  // Another shape may use the same relationship (PowerPoint shares one between copies of a
  // linked picture); relinking this shape must leave that one alone.
  bool shared = UsedOutside(slide.xml().document_element(), old_id, shape_.top());
  if (shared || !rel) {
    std::string type = rel ? rel->type : std::string(kRelPrefix) + "image";
    std::string new_id = package.AddRel(slide.part(), type, target, true);
    for (const Holder& holder : holders) {
      if (old_id == holder.node.attribute(holder.attribute).value()) {
        holder.node.attribute(holder.attribute).set_value(new_id.c_str());
      }
    }
    shape_.Touch();
  } else {
    package.SetRelTarget(slide.part(), old_id, target, true);
  }
  // A picture is announced when Update has reloaded it; objects and media show the new file now.
  if (host::ShowDisplay* display = shape_.Display();
      display != nullptr && kind_ != LinkKind::kPicture) {
    display->PictureChanged(shape_.Ref(), path);
  }
}

int ShapeLink::AutoUpdate() const {
  if (kind_ != LinkKind::kObject) return picture_mode_;
  bool automatic = Holders().front().node.child("p:link").attribute("updateAutomatic").as_bool();
  return automatic ? host::link_update::kAutomatic : host::link_update::kManual;
}

void ShapeLink::SetAutoUpdate(int mode) {
  if (mode != host::link_update::kManual && mode != host::link_update::kAutomatic) {
    throw Error(kErrInvalidArgument, kSource, "AutoUpdate must be 1 (manual) or 2 (automatic)");
  }
  if (kind_ != LinkKind::kObject) {
    picture_mode_ = mode;
    return;
  }
  for (const Holder& holder : Holders()) {
    pugi::xml_node link = holder.node.child("p:link");
    if (mode == host::link_update::kAutomatic) {
      pugi::xml_attribute a = link.attribute("updateAutomatic");
      (a ? a : link.append_attribute("updateAutomatic")).set_value("1");
    } else {
      link.remove_attribute("updateAutomatic");
    }
  }
  shape_.Touch();
}

void ShapeLink::Update() {
  std::string path = SourceFullName();
  if (HasScheme(path) && !StartsWithNoCase(path, "file:"))
    return;  // a web address: nothing to reload
  if (IsWindowsPath(path) || !FileExists(path)) {
    throw Error(kErrFileNotFound, kSource,
                "shape \"" + shape_.Name() + "\": the linked file \"" + path + "\" was not found");
  }
  if (kind_ != LinkKind::kPicture) return;
  ReloadPicture(path);
  if (host::ShowDisplay* display = shape_.Display()) display->PictureChanged(shape_.Ref(), path);
}

void ShapeLink::ReloadPicture(const std::string& path) {
  PackageSlide& slide = shape_.slide();
  Package& package = slide.package();
  std::string bytes = ReadFile(path);
  std::optional<ImageInfo> info = ReadImageInfo(bytes);
  std::string extension = info ? info->extension : "";
  std::string content_type = info ? info->content_type : "";
  if (!info) {
    size_t dot = path.rfind('.');
    extension = dot == std::string::npos ? "" : LowerAscii(path.substr(dot + 1));
    static const std::pair<const char*, const char*> kOtherPictures[] = {{"emf", "image/x-emf"},
                                                                         {"wmf", "image/x-wmf"},
                                                                         {"tif", "image/tiff"},
                                                                         {"tiff", "image/tiff"},
                                                                         {"svg", "image/svg+xml"}};
    for (const auto& [known, type] : kOtherPictures) {
      if (extension == known) content_type = type;
    }
    if (content_type.empty()) {
      throw Error(kErrInvalidArgument, kSource,
                  "shape \"" + shape_.Name() + "\": \"" + path + "\" is not a picture");
    }
  }
  std::vector<pugi::xml_attribute> embeds;
  for (const Holder& holder : Holders()) {
    if (pugi::xml_attribute embed = holder.node.attribute("r:embed")) embeds.push_back(embed);
  }
  if (embeds.empty()) return;  // linked only: the host reads the file when it shows the slide
  std::string old_id = embeds.front().value();
  std::optional<Relationship> old_rel = package.Rel(slide.part(), old_id);
  std::string old_part =
      old_rel && !old_rel->external ? Package::ResolveTarget(slide.part(), old_rel->target) : "";
  size_t dot = old_part.rfind('.');
  std::string old_extension = dot == std::string::npos ? "" : LowerAscii(old_part.substr(dot + 1));
  if (old_extension == "jpg") old_extension = "jpeg";
  // A cached copy only this picture uses is refreshed in place: a show that reloads a picture
  // every few seconds must not pile up copies.
  if (!old_part.empty() && old_extension == extension &&
      !UsedOutside(slide.xml().document_element(), old_id, shape_.top()) &&
      CountReferences(package, old_part) == 1) {
    package.WriteBytes(old_part, std::move(bytes));
    return;
  }
  // Otherwise a new part and relationship: the old copy is shared with other pictures.
  std::string media = package.FreePartName("ppt/media/", "image", "." + extension);
  package.WriteBytes(media, std::move(bytes));
  package.EnsureDefault(extension, content_type);
  std::string new_id = package.AddRel(slide.part(), std::string(kRelPrefix) + "image",
                                      Package::RelativeTarget(slide.part(), media), false);
  for (pugi::xml_attribute embed : embeds) embed.set_value(new_id.c_str());
  shape_.Touch();
  if (old_rel && !UsedOutside(slide.xml().document_element(), old_id, pugi::xml_node())) {
    package.RemoveRel(slide.part(), old_id);
    if (!old_part.empty() && package.Has(old_part) && CountReferences(package, old_part) == 0) {
      package.RemovePart(old_part);
    }
  }
}

}  // namespace vintrel::ooxml
