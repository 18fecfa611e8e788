#include "host/ooxml/drawing/slide_drawing.h"

#include <algorithm>
#include <cmath>

#include "host/error.h"
#include "host/ooxml/drawing/drawing_chart.h"
#include "host/ooxml/drawing/drawing_context.h"
#include "host/ooxml/drawing/drawing_diagram.h"
#include "host/ooxml/drawing/drawing_effects.h"
#include "host/ooxml/drawing/drawing_geometry.h"
#include "host/ooxml/drawing/drawing_picture.h"
#include "host/ooxml/drawing/drawing_table.h"
#include "host/ooxml/drawing/drawing_text.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/package_slide.h"

namespace vintrel::ooxml {

namespace {

using drawing::Box;
using drawing::DrawingContext;
using drawing::kEmuPerPoint;
using drawing::Num;

constexpr char kSource[] = "vintrel.ooxml";

pugi::xml_node NonVisual(pugi::xml_node element) {
  return element.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
}

pugi::xml_node XfrmOf(pugi::xml_node element) {
  std::string_view name = element.name();
  if (name == "p:grpSp") return element.child("p:grpSpPr").child("a:xfrm");
  if (name == "p:graphicFrame") return element.child("p:xfrm");
  return element.child("p:spPr").child("a:xfrm");
}

struct Placement {
  Box box;
  double rotation = 0;  // degrees, clockwise
  bool flip_h = false, flip_v = false;
};

Placement PlacementOf(pugi::xml_node element, DrawingContext& context) {
  pugi::xml_node xfrm = XfrmOf(element);
  if (!xfrm.child("a:off")) {
    for (pugi::xml_node ancestor : context.PlaceholderAncestors(element)) {
      if ((xfrm = XfrmOf(ancestor)).child("a:off")) break;
    }
  }
  Placement placement;
  placement.box = {xfrm.child("a:off").attribute("x").as_double() / kEmuPerPoint,
                   xfrm.child("a:off").attribute("y").as_double() / kEmuPerPoint,
                   xfrm.child("a:ext").attribute("cx").as_double() / kEmuPerPoint,
                   xfrm.child("a:ext").attribute("cy").as_double() / kEmuPerPoint};
  placement.rotation = xfrm.attribute("rot").as_double() / 60000;
  placement.flip_h = xfrm.attribute("flipH").as_bool();
  placement.flip_v = xfrm.attribute("flipV").as_bool();
  return placement;
}

std::string Rotation(const Placement& placement) {
  if (placement.rotation == 0) return {};
  return " transform=\"rotate(" + Num(placement.rotation) + " " +
         Num(placement.box.x + placement.box.width / 2) + " " +
         Num(placement.box.y + placement.box.height / 2) + ")\"";
}

// Flips mirror the outline only: text stays readable, as on the slide.
std::string Flip(const Placement& placement) {
  if (!placement.flip_h && !placement.flip_v) return {};
  double cx = placement.box.x + placement.box.width / 2;
  double cy = placement.box.y + placement.box.height / 2;
  return " transform=\"translate(" + Num(cx) + " " + Num(cy) + ") scale(" +
         (placement.flip_h ? "-1 " : "1 ") + (placement.flip_v ? "-1" : "1") + ") translate(" +
         Num(-cx) + " " + Num(-cy) + ")\"";
}

bool HasText(pugi::xml_node body) {
  for (pugi::xpath_node text : body.select_nodes(".//a:t")) {
    if (text.node().text().get()[0] != '\0') return true;
  }
  return false;
}

class Drawer {
 public:
  Drawer(DrawingContext& context, double slide_width, double slide_height)
      : context_(context), slide_width_(slide_width), slide_height_(slide_height) {}

  // One element of a shape tree (of `part`), with its definitions appended to `defs`.
  std::string Element(pugi::xml_node top, const std::string& part, std::string& defs) {
    pugi::xml_node element = drawing::DrawnElement(top);
    std::string_view name = element.name();
    if (name == "p:sp" || name == "p:cxnSp") return Shape(element, defs);
    if (name == "p:pic") return Picture(element, part, defs);
    if (name == "p:grpSp") return Group(element, part, defs);
    if (name == "p:graphicFrame") return Frame(element, part, defs);
    return {};
  }

  std::string Backdrop() {
    std::string defs;
    std::string content = Background(defs);
    const std::string& slide = context_.slide_part();
    const std::string& layout = context_.layout_part();
    const std::string& master = context_.master_part();
    auto shows_master_shapes = [&](const std::string& part) {
      return part.empty() || context_.package()
                                 .Xml(part)
                                 .document_element()
                                 .attribute("showMasterSp")
                                 .as_bool(true);
    };
    if (shows_master_shapes(slide) && shows_master_shapes(layout)) {
      content += OwnShapes(master, defs);
    }
    if (shows_master_shapes(slide)) content += OwnShapes(layout, defs);
    return "<g class=\"backdrop\">" + (defs.empty() ? "" : "<defs>" + defs + "</defs>") + content +
           "</g>";
  }

 private:
  // The slide's background: its own, else its layout's, else its master's; white without one.
  drawing::Paint BackgroundPaint() {
    for (const std::string& part :
         {context_.slide_part(), context_.layout_part(), context_.master_part()}) {
      if (part.empty()) continue;
      pugi::xml_node background =
          context_.package().Xml(part).document_element().child("p:cSld").child("p:bg");
      if (!background) continue;
      std::optional<drawing::Paint> paint;
      if (pugi::xml_node properties = background.child("p:bgPr")) {
        paint = context_.FillIn(properties);
      } else {
        paint = context_.ThemeFill(background.child("p:bgRef"));
      }
      if (paint) return *paint;
    }
    drawing::Paint white;
    white.none = false;
    white.color = {255, 255, 255};
    return white;
  }

  std::string Background(std::string& defs) {
    const std::string width = Num(slide_width_), height = Num(slide_height_);
    drawing::Paint paint = BackgroundPaint();
    // A background that lets light through (a picture, a colour's alpha) shows white below.
    bool opaque = !paint.none && !paint.picture && paint.pattern.empty() &&
                  paint.stops.size() < 2 && paint.color.alpha >= 1;
    return (opaque ? ""
                   : "<rect width=\"" + width + "\" height=\"" + height + "\" fill=\"#ffffff\"/>") +
           "<rect width=\"" + width + "\" height=\"" + height + "\"" +
           drawing::FillAttributes(paint, context_, defs, SlideBox()) + "/>";
  }

  Box SlideBox() const { return Box{0, 0, slide_width_, slide_height_}; }

  // The shapes of a layout or master that show on its slides (placeholders do not).
  std::string OwnShapes(const std::string& part, std::string& defs) {
    if (part.empty()) return {};
    std::string content;
    pugi::xml_node tree =
        context_.package().Xml(part).document_element().child("p:cSld").child("p:spTree");
    for (pugi::xml_node top : tree.children()) {
      pugi::xml_node element = drawing::DrawnElement(top);
      if (NonVisual(element).child("p:nvPr").child("p:ph")) continue;
      if (NonVisual(element).child("p:cNvPr").attribute("hidden").as_bool()) continue;
      content += Element(top, part, defs);
    }
    return content;
  }

  std::string Shape(pugi::xml_node element, std::string& defs) {
    Placement placement = Place(element);
    pugi::xml_node properties = element.child("p:spPr");
    std::vector<pugi::xml_node> ancestors = context_.PlaceholderAncestors(element);
    pugi::xml_node style = element.child("p:style");

    std::optional<drawing::Paint> fill = context_.FillIn(properties);
    if (properties.child("a:grpFill")) fill = group_fill_;
    for (size_t i = 0; !fill && i < ancestors.size(); ++i) {
      fill = context_.FillIn(ancestors[i].child("p:spPr"));
    }
    if (!fill) fill = context_.ThemeFill(style.child("a:fillRef"));
    // A shape filled with the slide's background shows the background where it lies.
    bool background_fill = element.attribute("useBgFill").as_bool();
    if (background_fill) fill = BackgroundPaint();
    pugi::xml_node line = properties.child("a:ln");
    std::optional<drawing::Stroke> stroke = context_.LineOf(line);
    for (size_t i = 0; !stroke && i < ancestors.size(); ++i) {
      stroke = context_.LineOf(ancestors[i].child("p:spPr").child("a:ln"));
    }
    if (!stroke) {
      stroke = context_.ThemeLine(style.child("a:lnRef"));
      if (stroke && line.attribute("w"))
        stroke->width = line.attribute("w").as_double() / kEmuPerPoint;
    }
    pugi::xml_node geometry_source = properties;
    for (pugi::xml_node ancestor : ancestors) {
      if (geometry_source.child("a:prstGeom") || geometry_source.child("a:custGeom")) break;
      geometry_source = ancestor.child("p:spPr");
    }
    bool line_only = drawing::IsLineGeometry(geometry_source);
    if (line_only) fill.reset();
    // A fill that does not turn with its shape keeps its angle on the slide.
    if (fill && !fill->rotate_with_shape) fill->angle -= placement.rotation;

    std::string content;
    if ((fill && !fill->none) || (stroke && !stroke->none)) {
      std::string outline = drawing::GeometryElement(
          geometry_source, placement.box,
          drawing::FillAttributes(fill, context_, defs,
                                  background_fill ? SlideBox() : placement.box),
          drawing::StrokeAttributes(stroke) +
              drawing::LineEndAttributes(line, stroke, context_, defs));
      std::string flip = Flip(placement);
      if (!flip.empty()) outline = "<g" + flip + ">" + outline + "</g>";
      content += WithEffects(outline, properties, style, placement, defs);
    }
    pugi::xml_node body = element.child("p:txBody");
    if (body && HasText(body)) {
      content += drawing::DrawTextBody(
          body, drawing::TextStylesOf(element, context_),
          drawing::TextBoxOf(geometry_source, placement.box, placement.flip_h, placement.flip_v),
          context_);
    }
    std::string rotation = Rotation(placement);
    return rotation.empty() ? content : "<g" + rotation + ">" + content + "</g>";
  }

  // `content` under the filter that draws the effects of the shape in `placement`.
  std::string WithEffects(const std::string& content, pugi::xml_node properties,
                          pugi::xml_node style, const Placement& placement, std::string& defs) {
    std::string filter =
        drawing::EffectAttributes(drawing::EffectsOf(properties, style, context_), placement.box,
                                  placement.rotation, context_, defs);
    return filter.empty() ? content : "<g" + filter + ">" + content + "</g>";
  }

  std::string Picture(pugi::xml_node element, const std::string& part, std::string& defs) {
    Placement placement = Place(element);
    pugi::xml_node properties = element.child("p:spPr");
    const Box& box = placement.box;
    std::string content = drawing::PictureElement(
        drawing::PictureOf(element.child("p:blipFill"), part, context_), box, context_, defs);
    // A picture in another outline (an ellipse, a rounded rectangle) shows inside it.
    std::string_view preset = properties.child("a:prstGeom").attribute("prst").value();
    if (!content.empty() &&
        (properties.child("a:custGeom") || (!preset.empty() && preset != "rect"))) {
      std::string id = context_.NextDefinitionId();
      defs += "<clipPath id=\"" + id + "\">" + drawing::GeometryElement(properties, box, "", "") +
              "</clipPath>";
      content = "<g clip-path=\"url(#" + id + ")\">" + content + "</g>";
    }
    std::string flip = Flip(placement);
    if (!flip.empty() && !content.empty()) content = "<g" + flip + ">" + content + "</g>";
    std::optional<drawing::Stroke> stroke = context_.LineOf(properties.child("a:ln"));
    if (!stroke) stroke = context_.ThemeLine(element.child("p:style").child("a:lnRef"));
    if (stroke && !stroke->none) {
      content += drawing::GeometryElement(properties, box, " fill=\"none\"",
                                          drawing::StrokeAttributes(stroke));
    }
    content = WithEffects(content, properties, element.child("p:style"), placement, defs);
    std::string rotation = Rotation(placement);
    return rotation.empty() ? content : "<g" + rotation + ">" + content + "</g>";
  }

  // A group's shapes are placed in the slide's space here rather than under a scaling
  // transform: shapes stay rectangles whatever the group's proportions, lines and text keep
  // their sizes, and a group whose shapes' space is a thousandth of its size loses no precision.
  std::string Group(pugi::xml_node element, const std::string& part, std::string& defs) {
    pugi::xml_node xfrm = XfrmOf(element);
    Placement placement = Place(element);
    double child_x = xfrm.child("a:chOff").attribute("x").as_double() / kEmuPerPoint;
    double child_y = xfrm.child("a:chOff").attribute("y").as_double() / kEmuPerPoint;
    double child_width = xfrm.child("a:chExt").attribute("cx").as_double() / kEmuPerPoint;
    double child_height = xfrm.child("a:chExt").attribute("cy").as_double() / kEmuPerPoint;
    double sx = child_width > 0 ? placement.box.width / child_width : 1;
    double sy = child_height > 0 ? placement.box.height / child_height : 1;
    std::string content;
    // Shapes of the group that take the group's fill (a:grpFill) take it from here.
    std::optional<drawing::Paint> outer_fill = group_fill_;
    if (std::optional<drawing::Paint> own = context_.FillIn(element.child("p:grpSpPr"))) {
      group_fill_ = own;
    }
    // A flipped group mirrors its shapes about its middle; each shape is drawn mirrored itself,
    // so that its text stays readable.
    GroupSpace outer_space = space_;
    space_ = {placement.flip_h,
              placement.flip_v,
              child_x + child_width / 2,
              child_y + child_height / 2,
              sx,
              sy,
              placement.box.x - child_x * sx,
              placement.box.y - child_y * sy};
    for (pugi::xml_node child : element.children()) {
      std::string_view name = child.name();
      if (name == "p:nvGrpSpPr" || name == "p:grpSpPr" || name == "p:extLst") continue;
      if (NonVisual(drawing::DrawnElement(child)).child("p:cNvPr").attribute("hidden").as_bool()) {
        continue;
      }
      content += Element(child, part, defs);
    }
    group_fill_ = outer_fill;
    space_ = outer_space;
    std::string rotation = Rotation(placement);
    return rotation.empty() ? content : "<g" + rotation + ">" + content + "</g>";
  }

  // A chart whose part does not parse is left out; the rest of the slide is drawn.
  std::string ChartOrNothing(const std::string& chart_part, const Placement& placement) {
    try {
      return drawing::DrawChart(chart_part, placement.box, context_);
    } catch (const Error&) {
      return {};
    }
  }

  std::string Frame(pugi::xml_node element, const std::string& part, std::string& defs) {
    Placement placement = Place(element);
    pugi::xml_node data = element.child("a:graphic").child("a:graphicData");
    std::string content;
    if (pugi::xml_node table = data.child("a:tbl")) {
      content = drawing::DrawTable(table, placement.box, context_, defs);
    } else if (pugi::xml_node chart = data.child("c:chart")) {
      std::optional<Relationship> rel =
          context_.package().Rel(part, chart.attribute("r:id").value());
      if (rel && !rel->external) {
        std::string chart_part = Package::ResolveTarget(part, rel->target);
        if (context_.package().Has(chart_part)) content = ChartOrNothing(chart_part, placement);
      }
    } else if (pugi::xml_node diagram = data.child("dgm:relIds")) {
      content = drawing::DrawDiagram(diagram, part, placement.box, context_, defs);
    } else if (pugi::xml_node preview = data.select_node(".//p:pic").node()) {
      // An embedded object shows its preview picture.
      content =
          drawing::PictureElement(drawing::PictureOf(preview.child("p:blipFill"), part, context_),
                                  placement.box, context_, defs);
    } else if (pugi::xml_node object = data.select_node(".//p:oleObj").node()) {
      content = drawing::PictureElement(drawing::OlePreviewOf(object, part, context_),
                                        placement.box, context_, defs);
    }
    std::string rotation = Rotation(placement);
    return rotation.empty() ? content : "<g" + rotation + ">" + content + "</g>";
  }

  DrawingContext& context_;
  double slide_width_, slide_height_;
  // Where `element` is drawn on the slide: mirrored as the group it is in is, then carried
  // from the group's space into the slide's.
  Placement Place(pugi::xml_node element) {
    Placement placement = PlacementOf(element, context_);
    Box& box = placement.box;
    if (space_.mirror_h) {
      box.x = 2 * space_.axis_x - box.x - box.width;
      placement.flip_h = !placement.flip_h;
      placement.rotation = -placement.rotation;
    }
    if (space_.mirror_v) {
      box.y = 2 * space_.axis_y - box.y - box.height;
      placement.flip_v = !placement.flip_v;
      placement.rotation = -placement.rotation;
    }
    box = {box.x * space_.sx + space_.dx, box.y * space_.sy + space_.dy, box.width * space_.sx,
           box.height * space_.sy};
    return placement;
  }

  // The space of the group the shape being drawn is in: slide = group * s + d.
  struct GroupSpace {
    bool mirror_h = false, mirror_v = false;
    double axis_x = 0, axis_y = 0;  // in the group's space
    double sx = 1, sy = 1, dx = 0, dy = 0;
  };

  std::optional<drawing::Paint> group_fill_;
  GroupSpace space_;
};

PackageSlide& SlideAt(PackagePresentation& presentation, int slide) {
  if (slide < 1 || slide > presentation.slides().Count()) {
    throw Error(kErrInvalidArgument, kSource,
                "drawing: slide " + std::to_string(slide) + " is out of range (1 to " +
                    std::to_string(presentation.slides().Count()) + ")");
  }
  return static_cast<PackageSlide&>(presentation.slides().Item(slide));
}

std::vector<pugi::xml_node> TopShapes(PackageSlide& slide) {
  std::vector<pugi::xml_node> shapes;
  pugi::xml_node tree = slide.xml().document_element().child("p:cSld").child("p:spTree");
  for (pugi::xml_node child : tree.children()) {
    if (child.type() != pugi::node_element) continue;
    std::string_view name = child.name();
    if (name == "p:nvGrpSpPr" || name == "p:grpSpPr" || name == "p:extLst") continue;
    shapes.push_back(child);
  }
  return shapes;
}

std::string TopShape(Drawer& drawer, pugi::xml_node top, const std::string& part, int slide,
                     int position) {
  pugi::xml_node properties = NonVisual(drawing::DrawnElement(top)).child("p:cNvPr");
  std::string head = "<g id=\"" + ShapeElementId(slide, position) + "\" data-name=\"" +
                     drawing::Escape(properties.attribute("name").value()) + "\"";
  if (properties.attribute("hidden").as_bool()) return head + " display=\"none\"/>";
  std::string defs;
  std::string content = drawer.Element(top, part, defs);
  return head + ">" + (defs.empty() ? "" : "<defs>" + defs + "</defs>") + content + "</g>";
}

void SlideSize(PackagePresentation& presentation, double& width, double& height) {
  Package& package = presentation.package();
  pugi::xml_node size = package.Xml(package.main_part()).document_element().child("p:sldSz");
  width = size.attribute("cx").as_double(9144000) / kEmuPerPoint;
  height = size.attribute("cy").as_double(6858000) / kEmuPerPoint;
}

// The number slide-number fields show: the slide's position, counted from the presentation's
// first slide number.
int ShownSlideNumber(PackagePresentation& presentation, int slide) {
  Package& package = presentation.package();
  pugi::xml_node root = package.Xml(package.main_part()).document_element();
  return slide - 1 + root.attribute("firstSlideNum").as_int(1);
}

}  // namespace

std::string ShapeElementId(int slide, int shape) {
  return "s" + std::to_string(slide) + "-" + std::to_string(shape);
}

std::string SlideDrawing::Svg() const {
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " +
                    drawing::Num(width) + " " + drawing::Num(height) + "\">" + backdrop;
  for (const std::string& shape : shapes) svg += shape;
  return svg + "</svg>";
}

SlideDrawing DrawSlide(PackagePresentation& presentation, int slide, SvgAssets& assets) {
  PackageSlide& package_slide = SlideAt(presentation, slide);
  SlideDrawing result;
  SlideSize(presentation, result.width, result.height);
  DrawingContext backdrop_context(presentation.package(), package_slide.part(),
                                  presentation.Folder(), assets);
  backdrop_context.set_slide_number(ShownSlideNumber(presentation, slide));
  Drawer drawer(backdrop_context, result.width, result.height);
  result.backdrop = drawer.Backdrop();
  std::vector<pugi::xml_node> shapes = TopShapes(package_slide);
  for (size_t i = 0; i < shapes.size(); ++i) {
    // Each shape numbers its definitions on its own, as when it is drawn again alone.
    DrawingContext context(presentation.package(), package_slide.part(), presentation.Folder(),
                           assets);
    context.set_definition_prefix(ShapeElementId(slide, static_cast<int>(i + 1)));
    context.set_slide_number(backdrop_context.slide_number());
    Drawer shape_drawer(context, result.width, result.height);
    result.shapes.push_back(
        TopShape(shape_drawer, shapes[i], package_slide.part(), slide, static_cast<int>(i + 1)));
  }
  return result;
}

std::string SlideDrawingVersion(PackagePresentation& presentation, int slide) {
  Package& package = presentation.package();
  const std::string& part = SlideAt(presentation, slide).part();
  uint64_t latest = 0;
  // A part the drawing reads, with its relationships (a chart's workbook, a layout's master).
  const auto note = [&](const std::string& named) {
    latest =
        std::max({latest, package.ChangedAt(named), package.ChangedAt(Package::RelsPartOf(named))});
  };
  note(part);
  for (const Relationship& rel : package.Rels(part)) {
    if (!rel.external) note(Package::ResolveTarget(part, rel.target));
  }
  const std::string& main = package.main_part();
  note(main);
  for (const Relationship& rel : package.Rels(main)) {
    if (!rel.external && rel.Kind() == "tags") note(Package::ResolveTarget(main, rel.target));
  }
  return part + "@" + std::to_string(slide) + ":" + std::to_string(latest);
}

std::string DrawShape(PackagePresentation& presentation, int slide, int shape, SvgAssets& assets) {
  PackageSlide& package_slide = SlideAt(presentation, slide);
  std::vector<pugi::xml_node> shapes = TopShapes(package_slide);
  if (shape < 1 || shape > static_cast<int>(shapes.size())) {
    throw Error(kErrInvalidArgument, kSource,
                "drawing: shape " + std::to_string(shape) + " of slide " + std::to_string(slide) +
                    " is out of range");
  }
  DrawingContext context(presentation.package(), package_slide.part(), presentation.Folder(),
                         assets);
  context.set_definition_prefix(ShapeElementId(slide, shape));
  context.set_slide_number(ShownSlideNumber(presentation, slide));
  Drawer drawer(context, 0, 0);
  return TopShape(drawer, shapes[shape - 1], package_slide.part(), slide, shape);
}

}  // namespace vintrel::ooxml
