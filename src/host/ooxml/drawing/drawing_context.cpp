#include "host/ooxml/drawing/drawing_context.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/common/ascii.h"
#include "host/ooxml/drawing/drawing_fonts.h"
#include "host/ooxml/shape_link.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml::drawing {

namespace {

std::string RelatedPart(Package& package, const std::string& part, const char* kind) {
  if (part.empty()) return {};
  for (const Relationship& rel : package.Rels(part)) {
    if (rel.Kind() == kind && !rel.external) {
      std::string target = Package::ResolveTarget(part, rel.target);
      return package.Has(target) ? target : std::string();
    }
  }
  return {};
}

}  // namespace

DrawingContext::DrawingContext(Package& package, std::string slide_part,
                               std::string presentation_folder, SvgAssets& assets)
    : package_(package),
      slide_part_(std::move(slide_part)),
      folder_(std::move(presentation_folder)),
      assets_(assets) {
  layout_part_ = RelatedPart(package_, slide_part_, "slideLayout");
  master_part_ = RelatedPart(package_, layout_part_, "slideMaster");
  theme_part_ = RelatedPart(package_, master_part_, "theme");
  if (!master_part_.empty()) {
    colors_.ReadMap(package_.Xml(master_part_).document_element().child("p:clrMap"));
  }
  for (const std::string& part : {layout_part_, slide_part_}) {
    if (part.empty()) continue;
    colors_.ReadMap(
        package_.Xml(part).document_element().child("p:clrMapOvr").child("a:overrideClrMapping"));
  }
  if (theme_part_.empty()) return;
  pugi::xml_node elements = package_.Xml(theme_part_).document_element().child("a:themeElements");
  colors_.ReadTheme(elements.child("a:clrScheme"));
  pugi::xml_node fonts = elements.child("a:fontScheme");
  major_font_ = fonts.child("a:majorFont").child("a:latin").attribute("typeface").value();
  minor_font_ = fonts.child("a:minorFont").child("a:latin").attribute("typeface").value();
}

std::optional<Color> DrawingContext::SchemeColor(std::string_view name) const {
  return colors_.Find(name);
}

std::optional<Color> DrawingContext::ColorIn(pugi::xml_node holder,
                                             const std::optional<Color>& placeholder) const {
  return drawing::ColorIn(holder, colors_, placeholder);
}

pugi::xml_node DrawingContext::FormatScheme() const {
  if (theme_part_.empty()) return {};
  return package_.Xml(theme_part_).document_element().child("a:themeElements").child("a:fmtScheme");
}

std::string DrawingContext::PartOf(pugi::xml_node node) const {
  for (const std::string* part : {&slide_part_, &layout_part_, &master_part_, &theme_part_}) {
    if (!part->empty() && node.root() == package_.Xml(*part).root()) return *part;
  }
  return {};
}

std::string DrawingContext::FontName(std::string_view typeface) const {
  if (typeface.rfind("+mj", 0) == 0) return major_font_;
  if (typeface.rfind("+mn", 0) == 0) return minor_font_;
  return std::string(typeface);
}

std::string DrawingContext::FontFamily(std::string_view typeface) const {
  return CssFontFamily(FontName(typeface));
}

namespace {

pugi::xml_node PlaceholderOf(pugi::xml_node shape) {
  pugi::xml_node non_visual =
      shape.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
  return non_visual.child("p:nvPr").child("p:ph");
}

std::string NormalPlaceholderType(std::string type) {
  if (type.empty()) return "body";
  if (type == "ctrTitle") return "title";
  if (type == "subTitle" || type == "obj") return "body";
  return type;
}

// The shape of `part` whose placeholder matches `placeholder`: by index first (layouts), else
// by type (the master has one placeholder of each type).
pugi::xml_node MatchingPlaceholder(Package& package, const std::string& part,
                                   pugi::xml_node placeholder, bool by_index) {
  if (part.empty()) return {};
  pugi::xml_node tree = package.Xml(part).document_element().child("p:cSld").child("p:spTree");
  std::string idx = placeholder.attribute("idx").value();
  std::string type = NormalPlaceholderType(placeholder.attribute("type").value());
  pugi::xml_node by_type;
  for (pugi::xml_node shape : tree.children()) {
    pugi::xml_node ph = PlaceholderOf(shape);
    if (!ph) continue;
    if (by_index && !idx.empty() && idx == ph.attribute("idx").value()) return shape;
    if (!by_type && NormalPlaceholderType(ph.attribute("type").value()) == type) by_type = shape;
  }
  return by_type;
}

}  // namespace

std::vector<pugi::xml_node> DrawingContext::PlaceholderAncestors(pugi::xml_node shape) const {
  std::vector<pugi::xml_node> ancestors;
  pugi::xml_node ph = PlaceholderOf(shape);
  if (!ph) return ancestors;
  bool on_slide = shape.root() == package_.Xml(slide_part_).root();
  if (on_slide) {
    if (pugi::xml_node layout = MatchingPlaceholder(package_, layout_part_, ph, true)) {
      ancestors.push_back(layout);
    }
  }
  if (shape.root() != package_.Xml(master_part_.empty() ? slide_part_ : master_part_).root()) {
    if (pugi::xml_node master = MatchingPlaceholder(package_, master_part_, ph, false)) {
      ancestors.push_back(master);
    }
  }
  return ancestors;
}

pugi::xml_node DrawingContext::MasterTextStyle(std::string_view placeholder_type) const {
  if (master_part_.empty()) return {};
  pugi::xml_node styles = package_.Xml(master_part_).document_element().child("p:txStyles");
  std::string type = NormalPlaceholderType(std::string(placeholder_type));
  if (type == "title") return styles.child("p:titleStyle");
  if (type == "body") return styles.child("p:bodyStyle");
  return styles.child("p:otherStyle");
}

pugi::xml_node DrawingContext::DefaultTextStyle() const {
  return package_.Xml(package_.main_part()).document_element().child("p:defaultTextStyle");
}

std::string DrawingContext::NextDefinitionId() {
  return definition_prefix_ + "-d" + std::to_string(++next_definition_);
}

std::string Num(double value) {
  if (!std::isfinite(value)) return "0";
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  std::string result = text;
  while (!result.empty() && result.back() == '0') result.pop_back();
  if (!result.empty() && result.back() == '.') result.pop_back();
  if (result == "-0") result = "0";
  return result;
}

std::string Escape(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        result += "&amp;";
        break;
      case '<':
        result += "&lt;";
        break;
      case '>':
        result += "&gt;";
        break;
      case '"':
        result += "&quot;";
        break;
      case '\'':
        result += "&#39;";
        break;
      default:
        // XML cannot hold most control characters; a tab shows as a space.
        if (static_cast<unsigned char>(c) < 32 && c != '\n') {
          if (c == '\t') result += ' ';
        } else {
          result += c;
        }
    }
  }
  return result;
}

pugi::xml_node DrawnElement(pugi::xml_node top) {
  if (std::string_view(top.name()) != "mc:AlternateContent") return top;
  pugi::xml_node branch = top.child("mc:Fallback");
  if (!branch.first_child()) branch = top.child("mc:Choice");
  return branch.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
}

}  // namespace vintrel::ooxml::drawing
