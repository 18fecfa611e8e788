// The shapes of a slide's tree: finding them by position, moving them in the drawing order,
// deleting them and adding pictures.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/ooxml/image_info.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_shape.h"
#include "host/ooxml/package_slide.h"
#include "host/ooxml/shape_link.h"
#include "host/ooxml/slide_parts.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kSource[] = "vintrel.ooxml";
constexpr double kEmuPerPoint = 12700.0;

std::string LocalName(std::string_view name) {
  size_t colon = name.find(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

std::string ReadWholeFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

PackageShapes::PackageShapes(PackageSlide& slide) : slide_(slide) {
  Package& package = slide_.package();
  bound_serial_ = package.ParseSerial(slide_.part());
  checked_drops_ = package.slide_drops();
  for (pugi::xml_node element : ShapeElements()) {
    shapes_.push_back(std::make_unique<PackageShape>(*this, element));
  }
}

PackageShapes::~PackageShapes() = default;

std::vector<pugi::xml_node> PackageShapes::ShapeElements() const {
  std::vector<pugi::xml_node> out;
  for (pugi::xml_node child : Tree().children()) {
    if (child.type() != pugi::node_element) continue;
    std::string_view name = child.name();
    if (name == "p:nvGrpSpPr" || name == "p:grpSpPr" || name == "p:extLst") continue;
    out.push_back(child);
  }
  return out;
}

void PackageShapes::Rebind() const {
  Package& package = slide_.package();
  if (package.slide_drops() == checked_drops_) return;
  // A deleted slide's part is gone; its shapes fail on their own.
  if (!package.Has(slide_.part())) return;
  const uint64_t serial = package.ParseSerial(slide_.part());
  // Parsing the slide again may have dropped another: the count after it is the one checked.
  checked_drops_ = package.slide_drops();
  if (serial == bound_serial_) return;
  bound_serial_ = serial;
  // The part was written from the nodes the shapes had, so the shapes are where they were.
  std::vector<pugi::xml_node> elements = ShapeElements();
  if (elements.size() != shapes_.size()) {
    package.Fail("slide \"" + slide_.part() + "\" changed while it was not parsed");
  }
  for (size_t i = 0; i < elements.size(); ++i) shapes_[i]->Bind(elements[i]);
}

pugi::xml_node PackageShapes::Tree() const {
  pugi::xml_node tree = slide_.xml().document_element().child("p:cSld").child("p:spTree");
  if (!tree) slide_.package().Fail("slide \"" + slide_.part() + "\" has no shape tree");
  return tree;
}

host::Shape& PackageShapes::Item(int index) {
  if (index < 1 || index > Count()) {
    throw Error(kErrInvalidArgument, kSource,
                "Shapes: index " + std::to_string(index) + " is out of range (1 to " +
                    std::to_string(Count()) + ")");
  }
  return *shapes_[index - 1];
}

int PackageShapes::IndexOf(const PackageShape& shape) const {
  for (size_t i = 0; i < shapes_.size(); ++i) {
    if (shapes_[i].get() == &shape) return static_cast<int>(i) + 1;
  }
  return 0;
}

void PackageShapes::Move(PackageShape& shape, int command) {
  int from = IndexOf(shape) - 1;
  int last = Count() - 1;
  int to = from;
  switch (command) {
    case host::z_order::kBringToFront:
      to = last;
      break;
    case host::z_order::kSendToBack:
      to = 0;
      break;
    case host::z_order::kBringForward:
      to = std::min(from + 1, last);
      break;
    case host::z_order::kSendBackward:
      to = std::max(from - 1, 0);
      break;
    default:
      throw Error(kErrInvalidArgument, kSource,
                  "ZOrder: unknown command " + std::to_string(command));
  }
  if (to == from) return;
  pugi::xml_node tree = Tree();
  if (to > from) {
    tree.insert_move_after(shape.top(), shapes_[to]->top());
  } else {
    tree.insert_move_before(shape.top(), shapes_[to]->top());
  }
  std::unique_ptr<PackageShape> moving = std::move(shapes_[from]);
  shapes_.erase(shapes_.begin() + from);
  shapes_.insert(shapes_.begin() + to, std::move(moving));
  slide_.Touch();
}

void PackageShapes::Delete(PackageShape& shape) {
  int index = IndexOf(shape);
  std::set<std::string> ids;
  std::set<std::string> rel_ids;
  shape.top().find_node([&](pugi::xml_node n) {
    if (LocalName(n.name()) == "cNvPr") ids.insert(n.attribute("id").value());
    for (pugi::xml_attribute a : n.attributes()) {
      if (std::string_view(a.name()).rfind("r:", 0) == 0) rel_ids.insert(a.value());
    }
    return false;
  });
  pugi::xml_node root = slide_.xml().document_element();
  // Animations that target the shape would leave the slide broken; the slide's animation
  // timeline goes with them.
  if (pugi::xml_node timing = root.child("p:timing")) {
    bool targeted = static_cast<bool>(timing.find_node([&ids](pugi::xml_node n) {
      pugi::xml_attribute spid = n.attribute("spid");
      return spid && ids.count(spid.value()) != 0;
    }));
    if (targeted) root.remove_child(timing);
  }
  Tree().remove_child(shape.top());
  shape.deleted_ = true;
  deleted_.push_back(std::move(shapes_[index - 1]));
  shapes_.erase(shapes_.begin() + index - 1);
  slide_.Touch();
  // Its tags, chart or embedded object go with it unless something else uses them.
  DropUnusedRelationships(slide_.package(), slide_.part(), rel_ids);
}

void PackageShapes::MarkAllDeleted() {
  for (auto& shape : shapes_) shape->deleted_ = true;
}

int PackageShapes::NextShapeId() const {
  unsigned long long highest = 1;
  slide_.xml().document_element().find_node([&highest](pugi::xml_node n) {
    if (LocalName(n.name()) == "cNvPr") highest = std::max(highest, n.attribute("id").as_ullong());
    return false;
  });
  return static_cast<int>(highest + 1);
}

host::Shape& PackageShapes::AddPicture(const std::string& file_name, bool link_to_file,
                                       bool save_with_document, double left, double top,
                                       double width, double height) {
  if (!link_to_file && !save_with_document) {
    throw Error(kErrInvalidArgument, kSource,
                "AddPicture: a picture must be linked, saved with the document, or both");
  }
  std::string path = AbsolutePath(file_name);
  bool ok = false;
  std::string bytes = ReadWholeFile(path, ok);
  if (!ok) throw Error(kErrFileNotFound, kSource, "AddPicture: file not found: \"" + path + "\"");
  std::optional<ImageInfo> info = ReadImageInfo(bytes);
  if (!info) {
    throw Error(kErrInvalidArgument, kSource,
                "AddPicture: \"" + path + "\" is not a PNG, JPEG, GIF or BMP picture");
  }
  if (width < 0) width = info->width * 72.0 / info->dpi_x;
  if (height < 0) height = info->height * 72.0 / info->dpi_y;

  Package& package = slide_.package();
  const std::string& part = slide_.part();
  std::string blip = "<a:blip";
  if (save_with_document) {
    std::string media = package.FreePartName("ppt/media/", "image", "." + info->extension);
    package.WriteBytes(media, std::move(bytes));
    package.EnsureDefault(info->extension, info->content_type);
    std::string id = package.AddRel(part, std::string(kRelPrefix) + "image",
                                    Package::RelativeTarget(part, media), false);
    blip += " r:embed=\"" + id + "\"";
  }
  if (link_to_file) {
    std::string id = package.AddRel(part, std::string(kRelPrefix) + "image",
                                    EncodeLinkTarget(path, slide_.presentation().Folder()), true);
    blip += " r:link=\"" + id + "\"";
  }
  blip += "/>";
  int id = NextShapeId();
  std::string name = "Picture " + std::to_string(id - 1);
  pugi::xml_document fragment;
  std::ostringstream xml;
  xml << "<p:pic xmlns:p=\"" << kNsP << "\" xmlns:a=\"" << kNsA << "\" xmlns:r=\"" << kNsR
      << "\"><p:nvPicPr><p:cNvPr id=\"" << id << "\" name=\"" << name
      << "\"/><p:cNvPicPr><a:picLocks noChangeAspect=\"1\"/></p:cNvPicPr><p:nvPr/></p:nvPicPr>"
      << "<p:blipFill>" << blip << "<a:stretch><a:fillRect/></a:stretch></p:blipFill>"
      << "<p:spPr><a:xfrm><a:off x=\"" << std::llround(left * kEmuPerPoint) << "\" y=\""
      << std::llround(top * kEmuPerPoint) << "\"/><a:ext cx=\""
      << std::llround(width * kEmuPerPoint) << "\" cy=\"" << std::llround(height * kEmuPerPoint)
      << "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr></p:pic>";
  ParseXml(fragment, xml.str());
  pugi::xml_node pic = fragment.document_element();
  pic.remove_attribute("xmlns:p");
  pic.remove_attribute("xmlns:a");
  pic.remove_attribute("xmlns:r");
  pugi::xml_document& doc = slide_.xml();
  EnsureNamespace(doc, "a", kNsA);
  EnsureNamespace(doc, "r", kNsR);
  pugi::xml_node tree = Tree();
  pugi::xml_node ext = tree.child("p:extLst");
  pugi::xml_node added = ext ? tree.insert_copy_before(pic, ext) : tree.append_copy(pic);
  shapes_.push_back(std::make_unique<PackageShape>(*this, added));
  slide_.Touch();
  return *shapes_.back();
}

}  // namespace vintrel::ooxml
