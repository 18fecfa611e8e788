#include "host/ooxml/drawing/drawing_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kPi = 3.14159265358979;

// An adjust value of the preset (a:avLst/a:gd fmla="val N"), as a fraction of 100000.
double Adjust(pugi::xml_node geometry, const char* name, double fallback) {
  for (pugi::xml_node guide : geometry.child("a:avLst").children("a:gd")) {
    if (std::string_view(guide.attribute("name").value()) != name) continue;
    std::string_view formula = guide.attribute("fmla").value();
    if (formula.rfind("val ", 0) == 0) {
      return std::strtod(std::string(formula.substr(4)).c_str(), nullptr) / 100000;
    }
  }
  return fallback / 100000;
}

std::string Polygon(const std::vector<std::pair<double, double>>& points,
                    const std::string& attributes) {
  std::string text = "<polygon points=\"";
  for (size_t i = 0; i < points.size(); ++i) {
    if (i) text += ' ';
    text += Num(points[i].first) + "," + Num(points[i].second);
  }
  return text + "\"" + attributes + "/>";
}

bool IsLinePreset(std::string_view preset) {
  return preset == "line" || preset == "straightConnector1" ||
         preset.rfind("bentConnector", 0) == 0 || preset.rfind("curvedConnector", 0) == 0;
}

std::string CustomPath(pugi::xml_node geometry, const Box& box, const std::string& attributes) {
  std::string result;
  for (pugi::xml_node path : geometry.child("a:pathLst").children("a:path")) {
    double path_width = path.attribute("w").as_double(0);
    double path_height = path.attribute("h").as_double(0);
    double sx = path_width > 0 ? box.width / path_width : 1 / kEmuPerPoint;
    double sy = path_height > 0 ? box.height / path_height : 1 / kEmuPerPoint;
    auto x = [&](pugi::xml_node pt) { return Num(box.x + pt.attribute("x").as_double() * sx); };
    auto y = [&](pugi::xml_node pt) { return Num(box.y + pt.attribute("y").as_double() * sy); };
    std::string d;
    double current_x = 0, current_y = 0;
    for (pugi::xml_node step : path.children()) {
      std::string_view name = step.name();
      if (name == "a:moveTo" || name == "a:lnTo") {
        pugi::xml_node pt = step.child("a:pt");
        d += (name == "a:moveTo" ? "M" : "L") + x(pt) + " " + y(pt) + " ";
        current_x = pt.attribute("x").as_double() * sx;
        current_y = pt.attribute("y").as_double() * sy;
      } else if (name == "a:cubicBezTo" || name == "a:quadBezTo") {
        d += name == "a:cubicBezTo" ? "C" : "Q";
        for (pugi::xml_node pt : step.children("a:pt")) {
          d += x(pt) + " " + y(pt) + " ";
          current_x = pt.attribute("x").as_double() * sx;
          current_y = pt.attribute("y").as_double() * sy;
        }
      } else if (name == "a:arcTo") {
        double rx = step.attribute("wR").as_double() * sx;
        double ry = step.attribute("hR").as_double() * sy;
        double start = step.attribute("stAng").as_double() / 60000 * kPi / 180;
        double sweep = step.attribute("swAng").as_double() / 60000 * kPi / 180;
        double center_x = current_x - rx * std::cos(start);
        double center_y = current_y - ry * std::sin(start);
        current_x = center_x + rx * std::cos(start + sweep);
        current_y = center_y + ry * std::sin(start + sweep);
        d += "A" + Num(rx) + " " + Num(ry) + " 0 " + (std::abs(sweep) > kPi ? "1 " : "0 ") +
             (sweep > 0 ? "1 " : "0 ") + Num(box.x + current_x) + " " + Num(box.y + current_y) +
             " ";
      } else if (name == "a:close") {
        d += "Z ";
      }
    }
    if (d.empty()) continue;
    d.pop_back();
    std::string path_attributes = attributes;
    if (std::string_view(path.attribute("fill").value()) == "none") {
      path_attributes += " fill=\"none\"";
    }
    if (std::string_view(path.attribute("stroke").value()) == "0") {
      path_attributes += " stroke=\"none\"";
    }
    result += "<path d=\"" + d + "\"" + path_attributes + "/>";
  }
  return result;
}

}  // namespace

bool IsLineGeometry(pugi::xml_node properties) {
  return IsLinePreset(properties.child("a:prstGeom").attribute("prst").value());
}

std::string GeometryElement(pugi::xml_node properties, const Box& box,
                            const std::string& attributes) {
  if (pugi::xml_node custom = properties.child("a:custGeom")) {
    return CustomPath(custom, box, attributes);
  }
  pugi::xml_node geometry = properties.child("a:prstGeom");
  std::string_view preset = geometry.attribute("prst").value();
  double x = box.x, y = box.y, w = box.width, h = box.height;
  double shorter = std::min(w, h);
  if (IsLinePreset(preset)) {
    return "<line x1=\"" + Num(x) + "\" y1=\"" + Num(y) + "\" x2=\"" + Num(x + w) + "\" y2=\"" +
           Num(y + h) + "\"" + attributes + "/>";
  }
  if (preset == "ellipse") {
    return "<ellipse cx=\"" + Num(x + w / 2) + "\" cy=\"" + Num(y + h / 2) + "\" rx=\"" +
           Num(w / 2) + "\" ry=\"" + Num(h / 2) + "\"" + attributes + "/>";
  }
  if (preset == "triangle") {
    double apex = x + w * Adjust(geometry, "adj", 50000);
    return Polygon({{apex, y}, {x + w, y + h}, {x, y + h}}, attributes);
  }
  if (preset == "rtTriangle") return Polygon({{x, y}, {x + w, y + h}, {x, y + h}}, attributes);
  if (preset == "diamond") {
    return Polygon({{x + w / 2, y}, {x + w, y + h / 2}, {x + w / 2, y + h}, {x, y + h / 2}},
                   attributes);
  }
  if (preset == "parallelogram" || preset == "trapezoid") {
    double offset = shorter * Adjust(geometry, "adj", 25000);
    if (preset == "parallelogram") {
      return Polygon({{x + offset, y}, {x + w, y}, {x + w - offset, y + h}, {x, y + h}},
                     attributes);
    }
    return Polygon({{x + offset, y}, {x + w - offset, y}, {x + w, y + h}, {x, y + h}}, attributes);
  }
  if (preset == "hexagon") {
    double offset = shorter * Adjust(geometry, "adj", 25000);
    return Polygon({{x + offset, y},
                    {x + w - offset, y},
                    {x + w, y + h / 2},
                    {x + w - offset, y + h},
                    {x + offset, y + h},
                    {x, y + h / 2}},
                   attributes);
  }
  if (preset == "homePlate" || preset == "chevron") {
    double head = shorter * Adjust(geometry, "adj", 50000);
    std::vector<std::pair<double, double>> points = {
        {x, y}, {x + w - head, y}, {x + w, y + h / 2}, {x + w - head, y + h}, {x, y + h}};
    if (preset == "chevron") points.emplace_back(x + head, y + h / 2);
    return Polygon(points, attributes);
  }
  if (preset == "rightArrow" || preset == "leftArrow") {
    double shaft = h * Adjust(geometry, "adj1", 50000);
    double head = shorter * Adjust(geometry, "adj2", 50000);
    double top = y + (h - shaft) / 2, bottom = top + shaft;
    std::vector<std::pair<double, double>> points = {
        {x, top},           {x + w - head, top},   {x + w - head, y},
        {x + w, y + h / 2}, {x + w - head, y + h}, {x + w - head, bottom},
        {x, bottom}};
    if (preset == "leftArrow") {
      for (auto& point : points) point.first = 2 * x + w - point.first;
    }
    return Polygon(points, attributes);
  }
  if (preset == "roundRect") {
    double radius = shorter * Adjust(geometry, "adj", 16667);
    return "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
           Num(h) + "\" rx=\"" + Num(radius) + "\"" + attributes + "/>";
  }
  return "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
         Num(h) + "\"" + attributes + "/>";
}

}  // namespace vintrel::ooxml::drawing
