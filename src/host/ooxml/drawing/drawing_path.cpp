#include "host/ooxml/drawing/drawing_path.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Angles in formulas count 60000ths of a degree.
constexpr double kAngleUnit = kPi / 180 / 60000;

// Names are compared without their prefix: the built-in definitions have none, slides say a:.
std::string_view LocalName(pugi::xml_node node) {
  std::string_view name = node.name();
  size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

pugi::xml_node Child(pugi::xml_node parent, std::string_view local) {
  for (pugi::xml_node child : parent.children()) {
    if (LocalName(child) == local) return child;
  }
  return {};
}

// Up to three arguments after the operator, split on spaces.
std::array<std::string_view, 4> Tokens(std::string_view formula) {
  std::array<std::string_view, 4> tokens;
  size_t count = 0;
  while (count < tokens.size()) {
    size_t start = formula.find_first_not_of(' ');
    if (start == std::string_view::npos) break;
    formula.remove_prefix(start);
    size_t end = std::min(formula.find(' '), formula.size());
    tokens[count++] = formula.substr(0, end);
    formula.remove_prefix(end);
  }
  return tokens;
}

}  // namespace

Guides::Guides(double width, double height) {
  double shorter = std::min(width, height), longer = std::max(width, height);
  values_ = {{"w", width},       {"h", height},         {"l", 0},          {"t", 0},
             {"r", width},       {"b", height},         {"hc", width / 2}, {"vc", height / 2},
             {"ss", shorter},    {"ls", longer},        {"cd2", 10800000}, {"cd4", 5400000},
             {"cd8", 2700000},   {"3cd4", 16200000},    {"3cd8", 8100000}, {"5cd8", 13500000},
             {"7cd8", 18900000}, {"21600000", 21600000}};
  for (int divisor : {2, 3, 4, 5, 6, 8, 10, 12, 16, 32}) {
    std::string suffix = "d" + std::to_string(divisor);
    values_["w" + suffix] = width / divisor;
    values_["h" + suffix] = height / divisor;
    values_["ss" + suffix] = shorter / divisor;
  }
}

void Guides::Define(std::string_view name, std::string_view formula) {
  values_[std::string(name)] = Evaluate(formula);
}

bool Guides::Has(std::string_view name) const {
  return values_.find(std::string(name)) != values_.end();
}

double Guides::Value(std::string_view token) const {
  if (token.empty()) return 0;
  if (auto found = values_.find(std::string(token)); found != values_.end()) {
    return found->second;
  }
  std::string text(token);
  char* end = nullptr;
  double value = std::strtod(text.c_str(), &end);
  return end == text.c_str() ? 0 : value;
}

double Guides::Evaluate(std::string_view formula) const {
  std::array<std::string_view, 4> tokens = Tokens(formula);
  std::string_view op = tokens[0];
  double x = Value(tokens[1]), y = Value(tokens[2]), z = Value(tokens[3]);
  if (op == "val") return x;
  if (op == "*/") return z == 0 ? 0 : x * y / z;
  if (op == "+-") return x + y - z;
  if (op == "+/") return z == 0 ? 0 : (x + y) / z;
  if (op == "?:") return x > 0 ? y : z;
  if (op == "abs") return std::abs(x);
  if (op == "at2") return std::atan2(y, x) / kAngleUnit;
  if (op == "cat2") return x * std::cos(std::atan2(z, y));
  if (op == "sat2") return x * std::sin(std::atan2(z, y));
  if (op == "cos") return x * std::cos(y * kAngleUnit);
  if (op == "sin") return x * std::sin(y * kAngleUnit);
  if (op == "tan") return x * std::tan(y * kAngleUnit);
  if (op == "max") return std::max(x, y);
  if (op == "min") return std::min(x, y);
  if (op == "mod") return std::sqrt(x * x + y * y + z * z);
  if (op == "pin") return y < x ? x : (y > z ? z : y);
  if (op == "sqrt") return x < 0 ? 0 : std::sqrt(x);
  return 0;
}

namespace {

// Writes one path's commands, keeping the current point in the path's own coordinates.
class PathWriter {
 public:
  PathWriter(const Guides& guides, const Box& box, double scale_x, double scale_y)
      : guides_(guides), box_(box), sx_(scale_x), sy_(scale_y) {}

  void Step(pugi::xml_node step) {
    std::string_view name = LocalName(step);
    if (name == "moveTo" || name == "lnTo") {
      pugi::xml_node point = Child(step, "pt");
      Point(name == "moveTo" ? 'M' : 'L', point);
    } else if (name == "quadBezTo" || name == "cubicBezTo") {
      data_ += name == "quadBezTo" ? "Q" : "C";
      for (pugi::xml_node point : step.children()) Point(0, point);
    } else if (name == "arcTo") {
      Arc(guides_.Value(step.attribute("wR").value()), guides_.Value(step.attribute("hR").value()),
          guides_.Value(step.attribute("stAng").value()) * kAngleUnit,
          guides_.Value(step.attribute("swAng").value()) * kAngleUnit);
    } else if (name == "close") {
      data_ += "Z ";
    }
  }

  std::string Data() {
    if (!data_.empty()) data_.pop_back();
    return std::move(data_);
  }

 private:
  void Point(char command, pugi::xml_node point) {
    x_ = guides_.Value(point.attribute("x").value());
    y_ = guides_.Value(point.attribute("y").value());
    if (command) data_ += command;
    data_ += Num(box_.x + x_ * sx_) + " " + Num(box_.y + y_ * sy_) + " ";
  }

  // Angles are seen from the ellipse's centre; the point on the ellipse in that direction has
  // the parametric angle below.
  static double Parametric(double rx, double ry, double angle) {
    if (rx <= 0 || ry <= 0) return angle;
    double t = std::atan2(rx * std::sin(angle), ry * std::cos(angle));
    // Keep whole turns, so a sweep past 180 degrees stays one.
    return t + 2 * kPi * std::round((angle - t) / (2 * kPi));
  }

  void Arc(double rx, double ry, double start, double sweep) {
    if (!std::isfinite(sweep) || !std::isfinite(start)) return;
    // More than a whole turn draws no more than one.
    sweep = std::clamp(sweep, -2 * kPi, 2 * kPi);
    if (std::abs(sweep) >= 2 * kPi - 1e-9) {
      // One arc cannot end where it starts: a full turn is drawn as two halves.
      Arc(rx, ry, start, sweep / 2);
      Arc(rx, ry, start + sweep / 2, sweep / 2);
      return;
    }
    double from = Parametric(rx, ry, start), to = Parametric(rx, ry, start + sweep);
    double center_x = x_ - rx * std::cos(from), center_y = y_ - ry * std::sin(from);
    x_ = center_x + rx * std::cos(to);
    y_ = center_y + ry * std::sin(to);
    data_ += "A" + Num(rx * sx_) + " " + Num(ry * sy_) + " 0 " +
             (std::abs(sweep) > kPi ? "1 " : "0 ") + (sweep > 0 ? "1 " : "0 ") +
             Num(box_.x + x_ * sx_) + " " + Num(box_.y + y_ * sy_) + " ";
  }

  const Guides& guides_;
  const Box& box_;
  double sx_, sy_;
  double x_ = 0, y_ = 0;
  std::string data_;
};

}  // namespace

namespace {

Guides GuidesOf(pugi::xml_node geometry, pugi::xml_node adjustments, const Box& box) {
  Guides guides(box.width * kEmuPerPoint, box.height * kEmuPerPoint);
  // The shape's own adjust values first; the definition's defaults only fill the gaps.
  for (pugi::xml_node guide : adjustments.children()) {
    guides.Define(guide.attribute("name").value(), guide.attribute("fmla").value());
  }
  for (pugi::xml_node guide : Child(geometry, "avLst").children()) {
    if (!guides.Has(guide.attribute("name").value())) {
      guides.Define(guide.attribute("name").value(), guide.attribute("fmla").value());
    }
  }
  for (pugi::xml_node guide : Child(geometry, "gdLst").children()) {
    guides.Define(guide.attribute("name").value(), guide.attribute("fmla").value());
  }
  return guides;
}

}  // namespace

Box TextRectangle(pugi::xml_node geometry, pugi::xml_node adjustments, const Box& box) {
  pugi::xml_node rect = Child(geometry, "rect");
  if (!rect) return box;
  Guides guides = GuidesOf(geometry, adjustments, box);
  double left = guides.Value(rect.attribute("l").value()) / kEmuPerPoint;
  double top = guides.Value(rect.attribute("t").value()) / kEmuPerPoint;
  double right = guides.Value(rect.attribute("r").value()) / kEmuPerPoint;
  double bottom = guides.Value(rect.attribute("b").value()) / kEmuPerPoint;
  if (right <= left || bottom <= top) return box;
  return {box.x + left, box.y + top, right - left, bottom - top};
}

std::vector<GeometryPath> EvaluateGeometry(pugi::xml_node geometry, pugi::xml_node adjustments,
                                           const Box& box) {
  Guides guides = GuidesOf(geometry, adjustments, box);
  std::vector<GeometryPath> paths;
  for (pugi::xml_node path : Child(geometry, "pathLst").children()) {
    // Without a size of its own, a path is in the shape's EMU.
    double path_width = path.attribute("w").as_double(0);
    double path_height = path.attribute("h").as_double(0);
    PathWriter writer(guides, box, path_width > 0 ? box.width / path_width : 1 / kEmuPerPoint,
                      path_height > 0 ? box.height / path_height : 1 / kEmuPerPoint);
    for (pugi::xml_node step : path.children()) writer.Step(step);
    GeometryPath result;
    result.data = writer.Data();
    if (result.data.empty()) continue;
    result.fill = path.attribute("fill").as_string("norm");
    std::string_view stroke = path.attribute("stroke").as_string("true");
    result.stroke = stroke != "0" && stroke != "false";
    paths.push_back(std::move(result));
  }
  return paths;
}

}  // namespace vintrel::ooxml::drawing
