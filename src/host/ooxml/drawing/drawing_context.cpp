#include "host/ooxml/drawing/drawing_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "host/ascii.h"
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

int Percent(pugi::xml_node modifier) {
  return modifier.attribute("val").as_int(100000);
}

double Clamp01(double value) {
  return std::clamp(value, 0.0, 1.0);
}

void ToHsl(const Color& c, double& h, double& s, double& l) {
  double r = c.r / 255.0, g = c.g / 255.0, b = c.b / 255.0;
  double high = std::max({r, g, b}), low = std::min({r, g, b});
  l = (high + low) / 2;
  if (high == low) {
    h = s = 0;
    return;
  }
  double d = high - low;
  s = l > 0.5 ? d / (2 - high - low) : d / (high + low);
  if (high == r) {
    h = (g - b) / d + (g < b ? 6 : 0);
  } else if (high == g) {
    h = (b - r) / d + 2;
  } else {
    h = (r - g) / d + 4;
  }
  h /= 6;
}

Color FromHsl(double h, double s, double l, double alpha) {
  auto channel = [](double p, double q, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  double r = l, g = l, b = l;
  if (s > 0) {
    double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
    double p = 2 * l - q;
    r = channel(p, q, h + 1.0 / 3);
    g = channel(p, q, h);
    b = channel(p, q, h - 1.0 / 3);
  }
  return {static_cast<int>(std::lround(r * 255)), static_cast<int>(std::lround(g * 255)),
          static_cast<int>(std::lround(b * 255)), alpha};
}

std::optional<Color> ParseHex(std::string_view hex) {
  if (hex.size() != 6) return std::nullopt;
  unsigned value = 0;
  for (char c : hex) {
    value <<= 4;
    if (c >= '0' && c <= '9') {
      value |= c - '0';
    } else if (c >= 'a' && c <= 'f') {
      value |= c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      value |= c - 'A' + 10;
    } else {
      return std::nullopt;
    }
  }
  return Color{static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xff),
               static_cast<int>(value & 0xff)};
}

std::optional<Color> PresetColor(std::string_view name) {
  static const std::map<std::string_view, std::string_view> kPresets = {
      {"black", "000000"},  {"white", "FFFFFF"},    {"red", "FF0000"},      {"green", "008000"},
      {"blue", "0000FF"},   {"yellow", "FFFF00"},   {"gray", "808080"},     {"grey", "808080"},
      {"orange", "FFA500"}, {"darkGray", "A9A9A9"}, {"lightGray", "D3D3D3"}};
  auto found = kPresets.find(name);
  return found == kPresets.end() ? std::nullopt : ParseHex(found->second);
}

Color ApplyModifiers(Color color, pugi::xml_node element) {
  for (pugi::xml_node modifier : element.children()) {
    std::string_view name = modifier.name();
    double value = Percent(modifier) / 100000.0;
    if (name == "a:alpha") {
      color.alpha = Clamp01(value);
    } else if (name == "a:lumMod" || name == "a:lumOff") {
      double h, s, l;
      ToHsl(color, h, s, l);
      l = Clamp01(name == "a:lumMod" ? l * value : l + value);
      color = FromHsl(h, s, l, color.alpha);
    } else if (name == "a:tint") {
      auto tint = [value](int c) { return static_cast<int>(std::lround(255 - (255 - c) * value)); };
      color = {tint(color.r), tint(color.g), tint(color.b), color.alpha};
    } else if (name == "a:shade") {
      auto shade = [value](int c) { return static_cast<int>(std::lround(c * value)); };
      color = {shade(color.r), shade(color.g), shade(color.b), color.alpha};
    }
  }
  return color;
}

const char* ContentTypeOf(std::string_view name) {
  size_t dot = name.rfind('.');
  std::string extension = LowerAscii(dot == std::string_view::npos ? "" : name.substr(dot));
  if (extension == ".png") return "image/png";
  if (extension == ".jpg" || extension == ".jpeg") return "image/jpeg";
  if (extension == ".gif") return "image/gif";
  if (extension == ".svg") return "image/svg+xml";
  if (extension == ".bmp") return "image/bmp";
  if (extension == ".webp") return "image/webp";
  return nullptr;  // EMF, WMF, TIFF: no browser draws them
}

}  // namespace

std::string Color::Hex() const {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", std::clamp(r, 0, 255), std::clamp(g, 0, 255),
                std::clamp(b, 0, 255));
  return text;
}

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
    for (pugi::xml_attribute a :
         package_.Xml(master_part_).document_element().child("p:clrMap").attributes()) {
      color_map_[a.name()] = a.value();
    }
  }
  for (const std::string& part : {layout_part_, slide_part_}) {
    if (part.empty()) continue;
    pugi::xml_node mapping =
        package_.Xml(part).document_element().child("p:clrMapOvr").child("a:overrideClrMapping");
    for (pugi::xml_attribute a : mapping.attributes()) color_map_[a.name()] = a.value();
  }
  if (theme_part_.empty()) return;
  pugi::xml_node elements = package_.Xml(theme_part_).document_element().child("a:themeElements");
  for (pugi::xml_node entry : elements.child("a:clrScheme").children()) {
    pugi::xml_node value = entry.first_child();
    std::optional<Color> color;
    if (std::string_view(value.name()) == "a:sysClr") {
      color = ParseHex(value.attribute("lastClr").value());
    } else {
      color = ParseHex(value.attribute("val").value());
    }
    std::string name = entry.name();
    if (color && name.rfind("a:", 0) == 0) scheme_[name.substr(2)] = *color;
  }
  pugi::xml_node fonts = elements.child("a:fontScheme");
  major_font_ = fonts.child("a:majorFont").child("a:latin").attribute("typeface").value();
  minor_font_ = fonts.child("a:minorFont").child("a:latin").attribute("typeface").value();
}

std::optional<Color> DrawingContext::SchemeColor(std::string_view name) const {
  auto mapped = color_map_.find(name);
  std::string_view key = mapped == color_map_.end() ? name : std::string_view(mapped->second);
  // Without a colour map, bg/tx names fall back to the light/dark theme colours they stand for.
  if (mapped == color_map_.end()) {
    if (name == "bg1") key = "lt1";
    if (name == "tx1") key = "dk1";
    if (name == "bg2") key = "lt2";
    if (name == "tx2") key = "dk2";
  }
  auto found = scheme_.find(key);
  if (found == scheme_.end()) return std::nullopt;
  return found->second;
}

std::optional<Color> DrawingContext::ColorIn(pugi::xml_node holder,
                                             const std::optional<Color>& placeholder) const {
  for (pugi::xml_node element : holder.children()) {
    std::string_view name = element.name();
    std::optional<Color> color;
    if (name == "a:srgbClr") {
      color = ParseHex(element.attribute("val").value());
    } else if (name == "a:schemeClr") {
      std::string_view scheme = element.attribute("val").value();
      color = scheme == "phClr" ? placeholder : SchemeColor(scheme);
    } else if (name == "a:sysClr") {
      color = ParseHex(element.attribute("lastClr").value());
      if (!color) color = Color{0, 0, 0};
    } else if (name == "a:prstClr") {
      color = PresetColor(element.attribute("val").value());
    } else if (name == "a:scrgbClr") {
      auto channel = [&](const char* attribute) {
        double linear = Clamp01(element.attribute(attribute).as_int() / 100000.0);
        double srgb =
            linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
        return static_cast<int>(std::lround(srgb * 255));
      };
      color = Color{channel("r"), channel("g"), channel("b")};
    } else if (name == "a:hslClr") {
      color = FromHsl(element.attribute("hue").as_double() / 21600000.0,
                      element.attribute("sat").as_double() / 100000.0,
                      element.attribute("lum").as_double() / 100000.0, 1.0);
    } else {
      continue;
    }
    if (!color) return std::nullopt;
    return ApplyModifiers(*color, element);
  }
  return std::nullopt;
}

std::optional<Paint> DrawingContext::FillIn(pugi::xml_node properties,
                                            const std::optional<Color>& placeholder) const {
  for (pugi::xml_node fill : properties.children()) {
    std::string_view name = fill.name();
    if (name == "a:noFill") return Paint{};
    if (name == "a:solidFill") {
      std::optional<Color> color = ColorIn(fill, placeholder);
      if (!color) return Paint{};
      Paint paint;
      paint.none = false;
      paint.color = *color;
      return paint;
    }
    if (name == "a:gradFill") {
      Paint paint;
      for (pugi::xml_node stop : fill.child("a:gsLst").children("a:gs")) {
        if (std::optional<Color> color = ColorIn(stop, placeholder)) {
          paint.stops.emplace_back(stop.attribute("pos").as_double() / 100000.0, *color);
        }
      }
      if (paint.stops.empty()) return Paint{};
      std::sort(paint.stops.begin(), paint.stops.end(),
                [](const auto& a, const auto& b) { return a.first < b.first; });
      paint.none = false;
      paint.color = paint.stops.front().second;
      paint.angle = fill.child("a:lin").attribute("ang").as_double() / 60000.0;
      return paint;
    }
    if (name == "a:blipFill" || name == "a:pattFill") {
      // Pictures and patterns as fills are shown as their first colour or not at all.
      Paint paint;
      if (std::optional<Color> color = ColorIn(fill.child("a:fgClr"), placeholder)) {
        paint.none = false;
        paint.color = *color;
      }
      return paint;
    }
  }
  return std::nullopt;
}

std::optional<Stroke> DrawingContext::LineOf(pugi::xml_node line,
                                             const std::optional<Color>& placeholder) const {
  if (!line) return std::nullopt;
  std::optional<Paint> paint = FillIn(line, placeholder);
  if (!paint) return std::nullopt;
  Stroke stroke;
  stroke.none = paint->none;
  stroke.color = paint->color;
  if (line.attribute("w")) stroke.width = line.attribute("w").as_double() / kEmuPerPoint;
  std::string_view dash = line.child("a:prstDash").attribute("val").value();
  double w = std::max(stroke.width, 0.75);
  if (dash == "dash" || dash == "lgDash" || dash == "sysDash") {
    stroke.dash = Num(w * 4) + " " + Num(w * 3);
  } else if (dash == "dot" || dash == "sysDot") {
    stroke.dash = Num(w) + " " + Num(w * 2);
  } else if (dash == "dashDot" || dash == "lgDashDot" || dash == "sysDashDot") {
    stroke.dash = Num(w * 4) + " " + Num(w * 2) + " " + Num(w) + " " + Num(w * 2);
  }
  return stroke;
}

std::optional<Paint> DrawingContext::ThemeFill(pugi::xml_node reference) const {
  int index = reference.attribute("idx").as_int();
  if (!reference || index == 0 || theme_part_.empty()) return std::nullopt;
  std::optional<Color> color = ColorIn(reference);
  pugi::xml_node styles = package_.Xml(theme_part_)
                              .document_element()
                              .child("a:themeElements")
                              .child("a:fmtScheme")
                              .child(index >= 1001 ? "a:bgFillStyleLst" : "a:fillStyleLst");
  int position = index >= 1001 ? index - 1000 : index;
  for (pugi::xml_node style : styles.children()) {
    if (--position > 0) continue;
    // The style list holds the fills side by side; look at this one alone.
    pugi::xml_document single;
    single.append_copy(style);
    if (std::optional<Paint> paint = FillIn(single, color)) return paint;
    break;
  }
  if (!color) return std::nullopt;
  Paint paint;
  paint.none = false;
  paint.color = *color;
  return paint;
}

std::optional<Stroke> DrawingContext::ThemeLine(pugi::xml_node reference) const {
  int index = reference.attribute("idx").as_int();
  if (!reference || index == 0 || theme_part_.empty()) return std::nullopt;
  std::optional<Color> color = ColorIn(reference);
  pugi::xml_node styles = package_.Xml(theme_part_)
                              .document_element()
                              .child("a:themeElements")
                              .child("a:fmtScheme")
                              .child("a:lnStyleLst");
  int position = index;
  for (pugi::xml_node line : styles.children("a:ln")) {
    if (--position == 0) return LineOf(line, color);
  }
  if (!color) return std::nullopt;
  Stroke stroke;
  stroke.none = false;
  stroke.color = *color;
  return stroke;
}

std::string DrawingContext::FontName(std::string_view typeface) const {
  if (typeface.rfind("+mj", 0) == 0) return major_font_;
  if (typeface.rfind("+mn", 0) == 0) return minor_font_;
  return std::string(typeface);
}

std::string DrawingContext::FontFamily(std::string_view typeface) const {
  return CssFontFamily(FontName(typeface));
}

std::string DrawingContext::PictureAddress(const std::string& part, const std::string& id,
                                           bool linked) const {
  std::optional<Relationship> rel = package_.Rel(part, id);
  if (!rel) return {};
  try {
    if (rel->external || linked) {
      std::string path = DecodeLinkTarget(rel->target, folder_);
      const char* type = ContentTypeOf(path);
      std::ifstream in(path, std::ios::binary);
      if (!type || !in) return {};
      std::ostringstream bytes;
      bytes << in.rdbuf();
      return assets_.Add(std::move(bytes).str(), type);
    }
    std::string target = Package::ResolveTarget(part, rel->target);
    const char* type = ContentTypeOf(target);
    if (!type || !package_.Has(target)) return {};
    return assets_.Add(package_.ReadBytes(target), type);
  } catch (const std::exception&) {
    // A picture that cannot be read is left out of the drawing; the show goes on.
    return {};
  }
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

std::string FillAttributes(const std::optional<Paint>& paint, DrawingContext& context,
                           std::string& defs) {
  if (!paint || paint->none) return " fill=\"none\"";
  if (paint->stops.size() < 2) {
    std::string attributes = " fill=\"" + paint->color.Hex() + "\"";
    if (paint->color.alpha < 1) attributes += " fill-opacity=\"" + Num(paint->color.alpha) + "\"";
    return attributes;
  }
  std::string id = context.NextDefinitionId();
  double radians = paint->angle * 3.14159265358979 / 180;
  double dx = std::cos(radians) / 2, dy = std::sin(radians) / 2;
  defs += "<linearGradient id=\"" + id + "\" x1=\"" + Num(0.5 - dx) + "\" y1=\"" + Num(0.5 - dy) +
          "\" x2=\"" + Num(0.5 + dx) + "\" y2=\"" + Num(0.5 + dy) + "\">";
  for (const auto& [offset, color] : paint->stops) {
    defs += "<stop offset=\"" + Num(offset) + "\" stop-color=\"" + color.Hex() + "\"";
    if (color.alpha < 1) defs += " stop-opacity=\"" + Num(color.alpha) + "\"";
    defs += "/>";
  }
  defs += "</linearGradient>";
  return " fill=\"url(#" + id + ")\"";
}

std::string StrokeAttributes(const std::optional<Stroke>& stroke) {
  if (!stroke || stroke->none) return " stroke=\"none\"";
  std::string attributes =
      " stroke=\"" + stroke->color.Hex() + "\" stroke-width=\"" + Num(stroke->width) + "\"";
  if (stroke->color.alpha < 1) {
    attributes += " stroke-opacity=\"" + Num(stroke->color.alpha) + "\"";
  }
  if (!stroke->dash.empty()) attributes += " stroke-dasharray=\"" + stroke->dash + "\"";
  return attributes;
}

pugi::xml_node DrawnElement(pugi::xml_node top) {
  if (std::string_view(top.name()) != "mc:AlternateContent") return top;
  pugi::xml_node branch = top.child("mc:Fallback");
  if (!branch.first_child()) branch = top.child("mc:Choice");
  return branch.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
}

}  // namespace vintrel::ooxml::drawing
