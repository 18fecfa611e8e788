#include "host/ooxml/package_shape.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>

#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/ooxml/chart_data_sheet.h"
#include "host/ooxml/image_info.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_slide.h"
#include "host/ooxml/shape_link.h"
#include "host/ooxml/shape_text.h"
#include "host/ooxml/slide_parts.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kSource[] = "vintrel.ooxml";
constexpr double kEmuPerPoint = 12700.0;

const std::initializer_list<std::string_view> kNvPrOrder = {
    "p:ph",        "a:audioCd",       "a:wavAudioFile", "a:audioFile",
    "a:videoFile", "a:quickTimeFile", "p:custDataLst",  "p:extLst"};
const std::initializer_list<std::string_view> kSpOrder = {"p:nvSpPr", "p:spPr", "p:style",
                                                          "p:txBody", "p:extLst"};

std::string LocalName(std::string_view name) {
  size_t colon = name.find(':');
  return std::string(colon == std::string_view::npos ? name : name.substr(colon + 1));
}

// The nv*Pr element of a shape (p:nvSpPr, p:nvPicPr, ..., p14:nvContentPartPr).
pugi::xml_node NonVisual(pugi::xml_node view) {
  for (pugi::xml_node child : view.children()) {
    if (LocalName(child.name()).rfind("nv", 0) == 0) return child;
  }
  return {};
}

pugi::xml_node DrawingProperties(pugi::xml_node view) {
  for (pugi::xml_node child : NonVisual(view).children()) {
    if (LocalName(child.name()) == "cNvPr") return child;
  }
  return {};
}

pugi::xml_node FindDescendant(pugi::xml_node node, const char* name) {
  return node.find_node([name](pugi::xml_node n) { return std::string_view(n.name()) == name; });
}

bool IsMedia(pugi::xml_node view) {
  pugi::xml_node nv = NonVisual(view).child("p:nvPr");
  return nv.child("a:videoFile") || nv.child("a:audioFile") || nv.child("a:quickTimeFile") ||
         nv.child("a:wavAudioFile") || FindDescendant(nv, "p14:media");
}

// The chart part of a graphic frame holding c:chart, or empty.
std::string ChartPart(Package& package, const std::string& slide_part, pugi::xml_node view) {
  pugi::xml_node chart = FindDescendant(view, "c:chart");
  if (!chart) return {};
  auto rel = package.Rel(slide_part, chart.attribute("r:id").value());
  if (!rel || rel->external) return {};
  std::string part = Package::ResolveTarget(slide_part, rel->target);
  return package.Has(part) ? part : std::string();
}

// A chart whose data lives in an outside workbook is a plain chart, not a data sheet object; so
// is one whose part does not parse (nothing can be filled into it).
bool ChartHasLinkedData(Package& package, const std::string& chart_part) {
  pugi::xml_node data;
  try {
    data = package.Xml(chart_part).document_element().child("c:externalData");
  } catch (const Error&) {
    return true;
  }
  if (!data) return false;
  auto rel = package.Rel(chart_part, data.attribute("r:id").value());
  return rel && rel->external;
}

std::string ReadWholeFile(const std::string& path, bool& ok) {
  std::ifstream in(path, std::ios::binary);
  ok = static_cast<bool>(in);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace

// ---- text

std::string ShapeTextRange::Text() const {
  return ReadBodyText(shape_.TextBody(false));
}

void ShapeTextRange::SetText(const std::string& text) {
  shape_.TextBody(false);  // fails for a deleted shape
  host::ShowDisplay* display = shape_.Display();
  const std::string old_text = display != nullptr ? Text() : std::string();
  for (pugi::xml_node view : shape_.views()) {
    if (std::string_view(view.name()) != "p:sp") continue;
    pugi::xml_node body = view.child("p:txBody");
    if (!body) {
      body = InsertInOrder(view, "p:txBody", kSpOrder);
      body.append_child("a:bodyPr");
      body.append_child("a:lstStyle");
      body.append_child("a:p");
    }
    WriteBodyText(body, text);
  }
  shape_.Touch();
  if (display != nullptr) {
    const std::string new_text = Text();
    if (new_text != old_text) display->TextChanged(shape_.Ref(), old_text, new_text);
  }
}

// ---- OLE

ShapeOleFormat::ShapeOleFormat(PackageShape& shape, std::string prog_id)
    : shape_(shape), prog_id_(std::move(prog_id)) {}

ShapeOleFormat::~ShapeOleFormat() = default;

host::GraphChart& ShapeOleFormat::Object() {
  if (chart_) return *chart_;
  PackageSlide& slide = shape_.slide();
  std::string part = prog_id_ == kChartProgId
                         ? ChartPart(slide.package(), slide.part(), shape_.view())
                         : std::string();
  if (part.empty()) {
    throw Error(
        kErrCannotCreateObject, kSource,
        "the object in shape \"" + shape_.Name() + "\" (" + prog_id_ + ") cannot be driven here");
  }
  chart_ = std::make_unique<ChartObject>(slide.package(), part, slide.presentation().clipboard());
  chart_->set_on_update([this] {
    if (host::ShowDisplay* display = shape_.Display()) display->ChartChanged(shape_.Ref());
  });
  return *chart_;
}

// ---- PackageShape

PackageShape::PackageShape(PackageShapes& shapes, pugi::xml_node top)
    : shapes_(shapes),
      top_(top),
      tags_(shapes.slide().package(), shapes.slide().part(),
            [this](bool create) -> pugi::xml_node {
              CheckAlive();
              pugi::xml_node nv = NonVisual(view()).child("p:nvPr");
              if (!create) return nv.child("p:custDataLst");
              if (!nv) {
                throw Error(kErrInvalidArgument, kSource,
                            "shape \"" + Name() + "\" cannot hold tags");
              }
              return GetOrInsert(nv, "p:custDataLst", kNvPrOrder);
            }),
      text_(*this) {
  Bind(top);
  type_ = DetectType();
}

void PackageShape::Bind(pugi::xml_node top) {
  top_ = top;
  views_.clear();
  if (std::string_view(top.name()) == "mc:AlternateContent") {
    for (pugi::xml_node branch : top.children()) {
      if (pugi::xml_node element =
              branch.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; })) {
        views_.push_back(element);
      }
    }
  }
  if (views_.empty()) views_.push_back(top);
  text_frame_ = std::string_view(views_.front().name()) == "p:sp";
}

pugi::xml_node PackageShape::top() const {
  shapes_.Rebind();
  return top_;
}

const std::vector<pugi::xml_node>& PackageShape::views() const {
  shapes_.Rebind();
  return views_;
}

PackageShape::~PackageShape() = default;

PackageSlide& PackageShape::slide() const {
  return shapes_.slide();
}

void PackageShape::Touch() const {
  slide().Touch();
}

void PackageShape::CheckAlive() const {
  if (deleted_) throw Error(kErrInvalidArgument, kSource, "the shape was deleted");
}

int PackageShape::DetectType() const {
  pugi::xml_node v = view();
  std::string_view name = v.name();
  Package& package = slide().package();
  pugi::xml_node nv_pr = NonVisual(v).child("p:nvPr");
  if (name == "p:sp") {
    if (nv_pr.child("p:ph")) return host::shape_type::kPlaceholder;
    if (NonVisual(v).child("p:cNvSpPr").attribute("txBox").as_bool()) {
      return host::shape_type::kTextBox;
    }
    std::string preset = v.child("p:spPr").child("a:prstGeom").attribute("prst").value();
    if (preset == "line") return host::shape_type::kLine;
    if (v.child("p:spPr").child("a:custGeom")) return host::shape_type::kFreeform;
    return host::shape_type::kAutoShape;
  }
  if (name == "p:cxnSp") return host::shape_type::kLine;
  if (name == "p:grpSp") return host::shape_type::kGroup;
  if (name == "p:pic") {
    if (IsMedia(v)) return host::shape_type::kMedia;
    if (LinkKindOf(v, package, slide().part()) == LinkKind::kPicture) {
      return host::shape_type::kLinkedPicture;
    }
    if (nv_pr.child("p:ph")) return host::shape_type::kPlaceholder;
    return host::shape_type::kPicture;
  }
  if (name == "p:graphicFrame") {
    std::string uri = FindDescendant(v, "a:graphicData").attribute("uri").value();
    if (uri.ends_with("/table")) return host::shape_type::kTable;
    if (uri.ends_with("/diagram")) return kShapeTypeSmartArt;
    if (FindDescendant(v, "p:oleObj")) {
      return LinkKindOf(v, package, slide().part()) == LinkKind::kObject
                 ? host::shape_type::kLinkedOleObject
                 : host::shape_type::kEmbeddedOleObject;
    }
    if (uri.ends_with("/chart")) {
      std::string part = ChartPart(package, slide().part(), v);
      if (!part.empty() && !ChartHasLinkedData(package, part)) {
        return host::shape_type::kEmbeddedOleObject;
      }
      return host::shape_type::kChart;
    }
    if (uri.find("chartex") != std::string::npos) return host::shape_type::kChart;
    return host::shape_type::kAutoShape;
  }
  if (LocalName(name) == "contentPart") return kShapeTypeInk;
  return host::shape_type::kAutoShape;
}

int PackageShape::ZOrderPosition() const {
  CheckAlive();
  return shapes_.IndexOf(*this);
}

void PackageShape::ZOrder(int command) {
  CheckAlive();
  shapes_.Move(*this, command);
}

std::string PackageShape::Name() const {
  CheckAlive();
  return DrawingProperties(view()).attribute("name").value();
}

void PackageShape::SetName(const std::string& name) {
  CheckAlive();
  std::string clean = host::XmlText(name);
  for (pugi::xml_node v : views()) {
    pugi::xml_node props = DrawingProperties(v);
    if (!props) continue;
    pugi::xml_attribute a = props.attribute("name");
    (a ? a : props.append_attribute("name")).set_value(clean.c_str());
  }
  Touch();
}

bool PackageShape::HasTextFrame() const {
  CheckAlive();
  return text_frame_;
}

host::TextFrame& PackageShape::TextFrame() {
  if (!HasTextFrame()) {
    throw Error(kErrInvalidArgument, kSource, "shape \"" + Name() + "\" has no text frame");
  }
  return text_;
}

pugi::xml_node PackageShape::TextBody(bool create) const {
  CheckAlive();
  pugi::xml_node body = view().child("p:txBody");
  if (body || !create || std::string_view(view().name()) != "p:sp") return body;
  body = InsertInOrder(view(), "p:txBody", kSpOrder);
  body.append_child("a:bodyPr");
  body.append_child("a:lstStyle");
  body.append_child("a:p");
  return body;
}

bool PackageShape::Visible() const {
  CheckAlive();
  return !DrawingProperties(view()).attribute("hidden").as_bool(false);
}

void PackageShape::SetVisible(bool visible) {
  CheckAlive();
  const bool was_visible = Visible();
  for (pugi::xml_node v : views()) {
    pugi::xml_node props = DrawingProperties(v);
    if (visible) {
      props.remove_attribute("hidden");
    } else if (props) {
      pugi::xml_attribute a = props.attribute("hidden");
      (a ? a : props.append_attribute("hidden")).set_value("1");
    }
  }
  Touch();
  if (host::ShowDisplay* display = Display(); display != nullptr && was_visible != visible) {
    display->VisibilityChanged(Ref(), visible);
  }
}

host::ShowDisplay* PackageShape::Display() const {
  if (deleted_) return nullptr;
  return slide().presentation().show_display();
}

host::ShapeRef PackageShape::Ref() const {
  return host::ShapeRef{slide().SlideIndex(), ZOrderPosition(), Name()};
}

pugi::xml_node PackageShape::Transform(pugi::xml_node v, bool create) const {
  std::string_view name = v.name();
  pugi::xml_node holder;
  const char* xfrm_name = "a:xfrm";
  if (name == "p:graphicFrame") {
    holder = v;
    xfrm_name = "p:xfrm";
  } else if (name == "p:grpSp") {
    holder = v.child("p:grpSpPr");
  } else {
    holder = v.child("p:spPr");
    if (!holder && create && (name == "p:sp" || name == "p:pic" || name == "p:cxnSp")) {
      holder = v.insert_child_after("p:spPr", NonVisual(v));
    }
  }
  if (!holder) return {};
  pugi::xml_node xfrm = holder.child(xfrm_name);
  if (xfrm || !create) return xfrm;
  // The shape takes its position from its placeholder; it gets its own, starting there.
  pugi::xml_node inherited;
  if (pugi::xml_node ph = NonVisual(v).child("p:nvPr").child("p:ph")) {
    inherited = slide().InheritedTransform(ph);
  }
  // a:xfrm leads spPr and grpSpPr; a frame's p:xfrm follows its non-visual properties.
  xfrm =
      holder == v ? v.insert_child_after(xfrm_name, NonVisual(v)) : holder.prepend_child(xfrm_name);
  pugi::xml_node off = xfrm.append_child("a:off");
  pugi::xml_node ext = xfrm.append_child("a:ext");
  off.append_attribute("x") = inherited.child("a:off").attribute("x").as_llong(0);
  off.append_attribute("y") = inherited.child("a:off").attribute("y").as_llong(0);
  ext.append_attribute("cx") = inherited.child("a:ext").attribute("cx").as_llong(0);
  ext.append_attribute("cy") = inherited.child("a:ext").attribute("cy").as_llong(0);
  return xfrm;
}

double PackageShape::Geometry(int which) const {
  CheckAlive();
  pugi::xml_node xfrm = Transform(view(), false);
  if (!xfrm) {
    if (pugi::xml_node ph = NonVisual(view()).child("p:nvPr").child("p:ph")) {
      xfrm = slide().InheritedTransform(ph);
    }
  }
  static const char* const kNode[] = {"a:off", "a:off", "a:ext", "a:ext"};
  static const char* const kAttribute[] = {"x", "y", "cx", "cy"};
  return xfrm.child(kNode[which]).attribute(kAttribute[which]).as_llong(0) / kEmuPerPoint;
}

void PackageShape::SetGeometry(int which, double points) {
  CheckAlive();
  if (!std::isfinite(points) || (which >= 2 && points < 0)) {
    throw Error(kErrInvalidArgument, kSource, "shape \"" + Name() + "\": invalid size or position");
  }
  static const char* const kNode[] = {"a:off", "a:off", "a:ext", "a:ext"};
  static const char* const kAttribute[] = {"x", "y", "cx", "cy"};
  long long emu = std::llround(points * kEmuPerPoint);
  for (pugi::xml_node v : views()) {
    pugi::xml_node xfrm = Transform(v, true);
    if (!xfrm) continue;
    pugi::xml_node node = xfrm.child(kNode[which]);
    if (!node) node = xfrm.append_child(kNode[which]);
    pugi::xml_attribute a = node.attribute(kAttribute[which]);
    (a ? a : node.append_attribute(kAttribute[which])).set_value(emu);
  }
  Touch();
}

void PackageShape::Delete() {
  CheckAlive();
  shapes_.Delete(*this);
}

host::OLEFormat& PackageShape::OLEFormat() {
  CheckAlive();
  if (!ole_) {
    std::string prog_id;
    if (pugi::xml_node ole = FindDescendant(view(), "p:oleObj")) {
      prog_id = ole.attribute("progId").value();
    } else if (type_ == host::shape_type::kEmbeddedOleObject) {
      prog_id = kChartProgId;
    } else {
      throw Error(kErrInvalidArgument, kSource,
                  "shape \"" + Name() + "\" does not hold an OLE object");
    }
    ole_ = std::make_unique<ShapeOleFormat>(*this, prog_id);
  }
  return *ole_;
}

host::LinkFormat& PackageShape::LinkFormat() {
  CheckAlive();
  if (!link_) {
    LinkKind kind = LinkKindOf(view(), slide().package(), slide().part());
    if (kind == LinkKind::kNone) {
      throw Error(kErrInvalidArgument, kSource, "shape \"" + Name() + "\" is not linked to a file");
    }
    link_ = std::make_unique<ShapeLink>(*this, kind);
  }
  return *link_;
}

// ---- PackageShapes

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
