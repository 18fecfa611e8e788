#include "host/ooxml/package_shape.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/ooxml/chart_data_sheet.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_slide.h"
#include "host/ooxml/shape_link.h"
#include "host/ooxml/shape_text.h"
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

}  // namespace vintrel::ooxml
