#include "host/ooxml/drawing/drawing_fill.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <string>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kPi = 3.14159265358979;

std::optional<Paint> Solid(const std::optional<Color>& color) {
  Paint paint;
  if (!color) return paint;
  paint.none = false;
  paint.color = *color;
  return paint;
}

std::optional<Paint> Gradient(pugi::xml_node fill, const DrawingContext& context,
                              const std::optional<Color>& placeholder) {
  Paint paint;
  for (pugi::xml_node stop : fill.child("a:gsLst").children("a:gs")) {
    if (std::optional<Color> color = ColorIn(stop, context.colors(), placeholder)) {
      paint.stops.emplace_back(stop.attribute("pos").as_double() / 100000.0, *color);
    }
  }
  if (paint.stops.empty()) return Paint{};
  std::stable_sort(paint.stops.begin(), paint.stops.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  paint.none = false;
  paint.color = paint.stops.front().second;
  paint.angle = fill.child("a:lin").attribute("ang").as_double() / 60000.0;
  paint.scaled = fill.child("a:lin").attribute("scaled").as_bool();
  paint.rotate_with_shape = fill.attribute("rotWithShape").as_bool(true);
  if (pugi::xml_node path = fill.child("a:path")) {
    paint.radial = true;
    paint.rectangular = std::string_view(path.attribute("path").value()) == "rect";
    pugi::xml_node rect = path.child("a:fillToRect");
    const char* sides[] = {"l", "t", "r", "b"};
    for (int side = 0; side < 4; ++side) {
      paint.focus[side] = rect.attribute(sides[side]).as_double() / 100000.0;
    }
  }
  return paint;
}

// The preset patterns as 8 by 8 pixel tiles: whether pixel (x, y) takes the foreground.
// Shades (pct5 ... pct90) spread their share of pixels evenly by an ordered dither.
bool PatternPixel(std::string_view preset, int x, int y) {
  static const auto kDither = [] {
    // Each level of the 2 by 2 dither {0 2 / 3 1} nests in the one above.
    std::array<std::array<int, 8>, 8> matrix{};
    for (int yy = 0; yy < 8; ++yy) {
      for (int xx = 0; xx < 8; ++xx) {
        for (int level = 0; level < 3; ++level) {
          int bx = xx >> level & 1, by = yy >> level & 1;
          matrix[yy][xx] += (2 * (bx ^ by) + by) << (2 * (2 - level));
        }
      }
    }
    return matrix;
  }();
  if (preset.starts_with("pct")) {
    int percent = std::atoi(std::string(preset.substr(3)).c_str());
    return kDither[y][x] < percent * 64 / 100;
  }
  static const std::map<std::string_view, std::function<bool(int, int)>> kPixels = {
      {"horz", [](int, int y) { return y == 0; }},
      {"ltHorz", [](int, int y) { return y % 4 == 0; }},
      {"dkHorz", [](int, int y) { return y % 4 < 2; }},
      {"narHorz", [](int, int y) { return y % 2 == 0; }},
      {"dashHorz", [](int x, int y) { return (y == 0 && x < 4) || (y == 4 && x >= 4); }},
      {"vert", [](int x, int) { return x == 0; }},
      {"ltVert", [](int x, int) { return x % 4 == 0; }},
      {"dkVert", [](int x, int) { return x % 4 < 2; }},
      {"narVert", [](int x, int) { return x % 2 == 0; }},
      {"dashVert", [](int x, int y) { return (x == 0 && y < 4) || (x == 4 && y >= 4); }},
      {"cross", [](int x, int y) { return x == 0 || y == 0; }},
      {"lgGrid", [](int x, int y) { return x == 0 || y == 0; }},
      {"smGrid", [](int x, int y) { return x % 4 == 0 || y % 4 == 0; }},
      {"dotGrid", [](int x, int y) { return (y == 0 && x % 2 == 0) || (x == 0 && y % 2 == 0); }},
      {"dnDiag", [](int x, int y) { return (x - y + 8) % 4 < 2; }},
      {"ltDnDiag", [](int x, int y) { return (x - y + 8) % 4 == 0; }},
      {"dkDnDiag", [](int x, int y) { return (x - y + 8) % 4 < 3; }},
      {"wdDnDiag", [](int x, int y) { return (x - y + 8) % 8 < 3; }},
      {"dashDnDiag", [](int x, int y) { return (x - y + 8) % 4 == 0 && y % 4 < 2; }},
      {"upDiag", [](int x, int y) { return (x + y) % 4 < 2; }},
      {"ltUpDiag", [](int x, int y) { return (x + y) % 4 == 0; }},
      {"dkUpDiag", [](int x, int y) { return (x + y) % 4 < 3; }},
      {"wdUpDiag", [](int x, int y) { return (x + y) % 8 < 3; }},
      {"dashUpDiag", [](int x, int y) { return (x + y) % 4 == 0 && y % 4 < 2; }},
      {"diagCross", [](int x, int y) { return (x - y + 8) % 4 == 0 || (x + y) % 4 == 0; }},
      {"smCheck", [](int x, int y) { return (x / 2 + y / 2) % 2 == 0; }},
      {"lgCheck", [](int x, int y) { return (x / 4 + y / 4) % 2 == 0; }},
      {"horzBrick", [](int x, int y) { return y % 4 == 0 || x == (y < 4 ? 0 : 4); }},
      {"diagBrick", [](int x, int y) { return (x + y) % 8 == 7 || (x - y + 8) % 8 == 0; }},
      {"solidDmnd", [](int x, int y) { return std::abs(x - 4) + std::abs(y - 4) < 4; }},
      {"openDmnd", [](int x, int y) { return std::abs(x - 4) + std::abs(y - 4) == 4; }},
      {"dotDmnd", [](int x, int y) { return (x + y) % 4 == 0 && (x - y + 8) % 8 == 0; }},
      {"trellis", [](int x, int y) { return y % 2 == 0 ? true : (x + y) % 4 == 1; }},
      {"zigZag", [](int x, int y) { return y % 4 == std::abs(x % 8 - 4) % 4; }},
      {"wave", [](int x, int y) { return y % 4 == (x % 8 < 4 ? x % 4 / 2 : 1 - x % 4 / 2); }},
      {"weave", [](int x, int y) { return (x + y) % 4 == 0 || (x - y + 8) % 8 == 2; }},
      {"plaid", [](int x, int y) { return y < 2 || (x < 4 && (x + y) % 2 == 0); }},
      {"shingle", [](int x, int y) { return y == 7 - x % 8 / 2 || (y == 0 && x >= 4); }},
      {"divot", [](int x, int y) { return (y == 1 && x == 2) || (y == 5 && x == 6); }},
      {"sphere", [](int x, int y) { return std::abs(x - 3) + std::abs(y - 3) > 3; }},
      {"smConfetti", [](int x, int y) { return (x * 3 + y * 5) % 8 == 0; }},
      {"lgConfetti", [](int x, int y) { return (x * 3 + y * 5) % 8 < 2; }},
  };
  auto found = kPixels.find(preset);
  return found == kPixels.end() ? kDither[y][x] < 32 : found->second(x, y);
}

// The foreground pixels of a pattern as a path in pixels, made once per preset.
std::string PatternPath(const std::string& preset) {
  // Slides may be drawn on several threads at once.
  static std::mutex mutex;
  static std::map<std::string, std::string, std::less<>> paths;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = paths.find(preset);
  if (found != paths.end()) return found->second;
  std::string d;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      if (PatternPixel(preset, x, y)) {
        d += "M" + std::to_string(x) + " " + std::to_string(y) + "h1v1h-1z";
      }
    }
  }
  if (paths.size() > 256) paths.clear();  // unknown names in a hostile file
  return paths[preset] = d;
}

std::string Opacity(const char* attribute, const Color& color) {
  if (color.alpha >= 1) return {};
  return std::string(" ") + attribute + "=\"" + Num(color.alpha) + "\"";
}

std::string Stops(const Paint& paint) {
  std::string stops;
  for (const auto& [offset, color] : paint.stops) {
    stops += "<stop offset=\"" + Num(offset) + "\" stop-color=\"" + color.Hex() + "\"" +
             Opacity("stop-opacity", color) + "/>";
  }
  return stops;
}

// A gradient whose first and last stops fall on the box's far corners. The gradient is drawn in
// the box's unit square; at its true angle (not scaled) its direction there is stretched by the
// box's sides, so that its bands keep the angle on the slide.
std::string Linear(const Paint& paint, const std::string& id, const Box* box) {
  double radians = paint.angle * kPi / 180;
  double a = std::cos(radians), b = std::sin(radians);
  if (box && !paint.scaled && box->width > 0 && box->height > 0) {
    a *= box->width;
    b *= box->height;
  }
  double k = (std::abs(a) + std::abs(b)) / std::max(a * a + b * b, 1e-12);
  return "<linearGradient id=\"" + id + "\" x1=\"" + Num(0.5 - k * a / 2) + "\" y1=\"" +
         Num(0.5 - k * b / 2) + "\" x2=\"" + Num(0.5 + k * a / 2) + "\" y2=\"" +
         Num(0.5 + k * b / 2) + "\">" + Stops(paint) + "</linearGradient>";
}

// A path gradient: circles from the centre of the focus rectangle out to the farthest corner.
// Shape paths are drawn the same way.
std::string Radial(const Paint& paint, const std::string& id, const Box* box) {
  double fx = (paint.focus[0] + 1 - paint.focus[2]) / 2;
  double fy = (paint.focus[1] + 1 - paint.focus[3]) / 2;
  Box area = box ? *box : Box{0, 0, 1, 1};
  double cx = area.x + area.width * fx, cy = area.y + area.height * fy;
  double radius = 0;
  for (double x : {area.x, area.x + area.width}) {
    for (double y : {area.y, area.y + area.height})
      radius = std::max(radius, std::hypot(x - cx, y - cy));
  }
  return "<radialGradient id=\"" + id + "\"" + (box ? " gradientUnits=\"userSpaceOnUse\"" : "") +
         " cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"" + Num(radius) + "\">" +
         Stops(paint) + "</radialGradient>";
}

// A rectangle path gradient over `box`: four triangles from the focus to the box's sides, each
// with a linear gradient from the focus out to its side, so that the colours run in rectangles.
std::string Rectangular(const Paint& paint, const std::string& id, const Box& box,
                        std::string& defs) {
  double cx = box.width * (paint.focus[0] + 1 - paint.focus[2]) / 2;
  double cy = box.height * (paint.focus[1] + 1 - paint.focus[3]) / 2;
  const std::string w = Num(box.width), h = Num(box.height), x = Num(cx), y = Num(cy);
  struct Side {
    const char* name;
    std::string end_x, end_y, points;
  } sides[] = {{"t", x, "0", "0,0 " + w + ",0 " + x + "," + y},
               {"r", w, y, w + ",0 " + w + "," + h + " " + x + "," + y},
               {"b", x, h, w + "," + h + " 0," + h + " " + x + "," + y},
               {"l", "0", y, "0," + h + " 0,0 " + x + "," + y}};
  std::string content;
  for (const Side& side : sides) {
    defs += "<linearGradient id=\"" + id + side.name + "\" gradientUnits=\"userSpaceOnUse\" x1=\"" +
            x + "\" y1=\"" + y + "\" x2=\"" + side.end_x + "\" y2=\"" + side.end_y + "\">" +
            Stops(paint) + "</linearGradient>";
    content += "<polygon points=\"" + side.points + "\" fill=\"url(#" + id + side.name + ")\"/>";
  }
  return "<pattern id=\"" + id + "\" patternUnits=\"userSpaceOnUse\" x=\"" + Num(box.x) +
         "\" y=\"" + Num(box.y) + "\" width=\"" + w + "\" height=\"" + h + "\">" + content +
         "</pattern>";
}

std::string Pattern(const Paint& paint, const std::string& id) {
  // One pixel of the tile at 96 pixels per inch.
  return "<pattern id=\"" + id +
         "\" patternUnits=\"userSpaceOnUse\" width=\"6\" height=\"6\"><rect width=\"6\" "
         "height=\"6\" fill=\"" +
         paint.background.Hex() + "\"" + Opacity("fill-opacity", paint.background) +
         "/><path transform=\"scale(0.75)\" shape-rendering=\"crispEdges\" d=\"" +
         PatternPath(paint.pattern) + "\" fill=\"" + paint.color.Hex() + "\"" +
         Opacity("fill-opacity", paint.color) + "/></pattern>";
}

std::string PictureFill(const Picture& picture, const std::string& id, const Box* box,
                        DrawingContext& context, std::string& defs) {
  if (picture.tile && box && picture.size[0] > 0 && picture.size[1] > 0) {
    double width = picture.size[0] * picture.scale[0], height = picture.size[1] * picture.scale[1];
    return "<pattern id=\"" + id + "\" patternUnits=\"userSpaceOnUse\" x=\"" +
           Num(box->x + picture.offset[0]) + "\" y=\"" + Num(box->y + picture.offset[1]) +
           "\" width=\"" + Num(width) + "\" height=\"" + Num(height) + "\">" +
           PictureElement(picture, Box{0, 0, width, height}, context, defs) + "</pattern>";
  }
  return "<pattern id=\"" + id +
         "\" patternContentUnits=\"objectBoundingBox\" width=\"1\" height=\"1\">" +
         PictureElement(picture, Box{0, 0, 1, 1}, context, defs) + "</pattern>";
}

std::string Attributes(const std::optional<Paint>& paint, DrawingContext& context,
                       std::string& defs, const Box* box) {
  if (!paint || paint->none) return " fill=\"none\"";
  bool picture = paint->picture && !paint->picture->address.empty();
  if (!picture && paint->pattern.empty() && paint->stops.size() < 2) {
    return " fill=\"" + paint->color.Hex() + "\"" + Opacity("fill-opacity", paint->color);
  }
  std::string id = context.NextDefinitionId();
  if (picture) {
    std::string pattern = PictureFill(*paint->picture, id, box, context, defs);
    defs += pattern;
  } else if (!paint->pattern.empty()) {
    defs += Pattern(*paint, id);
  } else {
    if (paint->rectangular && box && box->width > 0 && box->height > 0) {
      std::string pattern = Rectangular(*paint, id, *box, defs);
      defs += pattern;
    } else {
      defs += paint->radial ? Radial(*paint, id, box) : Linear(*paint, id, box);
    }
  }
  return " fill=\"url(#" + id + ")\"";
}

}  // namespace

std::optional<Paint> FillOf(pugi::xml_node fill, const DrawingContext& context,
                            const std::optional<Color>& placeholder) {
  std::string_view name = fill.name();
  if (name == "a:noFill" || name == "a:grpFill") return Paint{};
  if (name == "a:solidFill") return Solid(ColorIn(fill, context.colors(), placeholder));
  if (name == "a:gradFill") return Gradient(fill, context, placeholder);
  if (name == "a:pattFill") {
    std::optional<Paint> paint =
        Solid(ColorIn(fill.child("a:fgClr"), context.colors(), placeholder).value_or(Color{}));
    paint->pattern = fill.attribute("prst").as_string("pct5");
    paint->background = ColorIn(fill.child("a:bgClr"), context.colors(), placeholder)
                            .value_or(Color{255, 255, 255});
    return paint;
  }
  if (name == "a:blipFill") {
    Paint paint;
    paint.picture = PictureOf(fill, context.PartOf(fill), context, placeholder);
    paint.none = paint.picture->address.empty();
    paint.color = Color{128, 128, 128};
    return paint;
  }
  return std::nullopt;
}

std::optional<Paint> DrawingContext::FillIn(pugi::xml_node properties,
                                            const std::optional<Color>& placeholder) const {
  for (pugi::xml_node fill : properties.children()) {
    if (std::optional<Paint> paint = FillOf(fill, *this, placeholder)) return paint;
  }
  return std::nullopt;
}

std::optional<Paint> DrawingContext::ThemeFill(pugi::xml_node reference) const {
  int index = reference.attribute("idx").as_int();
  if (!reference || index == 0) return std::nullopt;
  std::optional<Color> color = ReferenceColor(reference, colors_);
  pugi::xml_node styles =
      FormatScheme().child(index >= 1001 ? "a:bgFillStyleLst" : "a:fillStyleLst");
  int position = index >= 1001 ? index - 1000 : index;
  for (pugi::xml_node style : styles.children()) {
    if (--position > 0) continue;
    if (std::optional<Paint> paint = FillOf(style, *this, color)) return paint;
    break;
  }
  return color ? Solid(color) : std::nullopt;
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

std::optional<Stroke> DrawingContext::ThemeLine(pugi::xml_node reference) const {
  int index = reference.attribute("idx").as_int();
  if (!reference || index == 0) return std::nullopt;
  std::optional<Color> color = ReferenceColor(reference, colors_);
  int position = index;
  for (pugi::xml_node line : FormatScheme().child("a:lnStyleLst").children("a:ln")) {
    if (--position == 0) return LineOf(line, color);
  }
  if (!color) return std::nullopt;
  Stroke stroke;
  stroke.none = false;
  stroke.color = *color;
  return stroke;
}

std::string FillAttributes(const std::optional<Paint>& paint, DrawingContext& context,
                           std::string& defs) {
  return Attributes(paint, context, defs, nullptr);
}

std::string FillAttributes(const std::optional<Paint>& paint, DrawingContext& context,
                           std::string& defs, const Box& box) {
  return Attributes(paint, context, defs, &box);
}

std::string StrokeAttributes(const std::optional<Stroke>& stroke) {
  if (!stroke || stroke->none) return " stroke=\"none\"";
  std::string attributes =
      " stroke=\"" + stroke->color.Hex() + "\" stroke-width=\"" + Num(stroke->width) + "\"";
  attributes += Opacity("stroke-opacity", stroke->color);
  if (!stroke->dash.empty()) attributes += " stroke-dasharray=\"" + stroke->dash + "\"";
  return attributes;
}

}  // namespace vintrel::ooxml::drawing
