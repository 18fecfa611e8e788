// Pie and doughnut charts: slices clockwise from twelve o'clock, and 3-D pies tilted with
// their rim in front.
#include <algorithm>
#include <cmath>
#include <string>

#include "host/ooxml/drawing/drawing_chart_parts.h"

namespace vintrel::ooxml::drawing::chart {

namespace {

constexpr double kPi = 3.14159265358979;

std::string Slice(double cx, double cy, double radius, double inner, double angle, double sweep,
                  const Color& color) {
  if (sweep >= 2 * kPi - 1e-9) {
    return "<circle cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"" + Num(radius) +
           "\" fill=\"" + color.Hex() + "\"/>";
  }
  // Angles run clockwise from twelve o'clock.
  auto at = [&](double r, double a) {
    return Num(cx + r * std::sin(a)) + " " + Num(cy - r * std::cos(a));
  };
  std::string large = sweep > kPi ? "1" : "0";
  std::string d = "M" + at(radius, angle) + " A" + Num(radius) + " " + Num(radius) + " 0 " + large +
                  " 1 " + at(radius, angle + sweep);
  if (inner > 0) {
    d += " L" + at(inner, angle + sweep) + " A" + Num(inner) + " " + Num(inner) + " 0 " + large +
         " 0 " + at(inner, angle);
  } else {
    d += " L" + Num(cx) + " " + Num(cy);
  }
  return "<path d=\"" + d + " Z\" fill=\"" + color.Hex() +
         "\" stroke=\"#ffffff\" stroke-width=\"0.75\"/>";
}

// A 3-D pie's top face: the pie squashed by the tilt; its rim runs `depth` below where the
// top faces the viewer (from three to nine o'clock).
struct Tilted {
  double cx, cy, radius, ry, depth;
  std::string At(double a, double drop = 0) const {
    return Num(cx + radius * std::sin(a)) + " " + Num(cy - ry * std::cos(a) + drop);
  }
};

std::string TiltedSlice(const Tilted& pie, double angle, double sweep, const Color& color) {
  if (sweep >= 2 * kPi - 1e-9) {
    return "<ellipse cx=\"" + Num(pie.cx) + "\" cy=\"" + Num(pie.cy) + "\" rx=\"" +
           Num(pie.radius) + "\" ry=\"" + Num(pie.ry) + "\" fill=\"" + color.Hex() + "\"/>";
  }
  std::string radii = Num(pie.radius) + " " + Num(pie.ry);
  return "<path d=\"M" + Num(pie.cx) + " " + Num(pie.cy) + " L" + pie.At(angle) + " A" + radii +
         " 0 " + (sweep > kPi ? "1" : "0") + " 1 " + pie.At(angle + sweep) + " Z\" fill=\"" +
         color.Hex() + "\" stroke=\"#ffffff\" stroke-width=\"0.75\"/>";
}

// The part of a slice's rim that faces the viewer, a shade darker than its top.
std::string TiltedRim(const Tilted& pie, double angle, double sweep, const Color& color) {
  Color shaded{color.r * 3 / 4, color.g * 3 / 4, color.b * 3 / 4};
  std::string radii = Num(pie.radius) + " " + Num(pie.ry), rim;
  for (int turn = 0; turn < 3; ++turn) {
    double low = std::max(angle, kPi / 2 + 2 * kPi * turn);
    double high = std::min(angle + sweep, 3 * kPi / 2 + 2 * kPi * turn);
    if (high <= low) continue;
    rim += "<path d=\"M" + pie.At(low) + " A" + radii + " 0 0 1 " + pie.At(high) + " L" +
           pie.At(high, pie.depth) + " A" + radii + " 0 0 0 " + pie.At(low, pie.depth) +
           " Z\" fill=\"" + shaded.Hex() + "\"/>";
  }
  return rim;
}

// The cut faces of a slice pulled out of a 3-D pie: from its middle out to its two edges.
std::string TiltedWalls(const Tilted& pie, double angle, double sweep, const Color& color) {
  Color shaded{color.r * 2 / 3, color.g * 2 / 3, color.b * 2 / 3};
  std::string centre = Num(pie.cx) + " " + Num(pie.cy);
  std::string below = Num(pie.cx) + " " + Num(pie.cy + pie.depth), walls;
  for (double edge : {angle, angle + sweep}) {
    walls += "<path d=\"M" + centre + " L" + pie.At(edge) + " L" + pie.At(edge, pie.depth) + " L" +
             below + " Z\" fill=\"" + shaded.Hex() + "\"/>";
  }
  return walls;
}

// How far point `index` is pulled out of its pie, as a share of the radius (c:explosion of the
// point, else of the series).
double Explosion(const Series& series, size_t index) {
  double share = series.element.child("c:explosion").attribute("val").as_double(0);
  for (pugi::xml_node point : series.element.children("c:dPt")) {
    if (point.child("c:idx").attribute("val").as_uint() != index) continue;
    if (pugi::xml_node own = point.child("c:explosion")) share = own.attribute("val").as_double();
  }
  return std::clamp(share, 0.0, 400.0) / 100;
}

}  // namespace

Color PointColor(const Group& group, const Series& series, size_t index, DrawingContext& context) {
  Color color = series.color;
  if (group.vary_colors) {
    color = context.SchemeColor("accent" + std::to_string(index % 6 + 1)).value_or(color);
  }
  for (pugi::xml_node point : series.element.children("c:dPt")) {
    if (point.child("c:idx").attribute("val").as_uint() != index) continue;
    if (std::optional<Paint> paint = context.FillIn(point.child("c:spPr")); paint && !paint->none) {
      color = paint->color;
    }
  }
  return color;
}

std::string DrawPie(const Group& group, const Box& plot, const TextLook& look,
                    pugi::xml_node view3d, DrawingContext& context) {
  if (group.series.empty()) return {};
  const Series& series = group.series.front();
  double total = 0;
  for (const auto& value : series.values) total += value && *value > 0 ? *value : 0;
  if (total <= 0) return {};
  bool tilted = std::string_view(group.element.name()) == "c:pie3DChart";
  // Seen from rotX degrees above (30 unless the chart says), the rim a fifth of the radius deep;
  // slices pulled out leave the pie smaller.
  double elevation = std::clamp(view3d.child("c:rotX").attribute("val").as_double(30), 5.0, 90.0);
  double squash = tilted ? std::sin(elevation * kPi / 180) : 1;
  double depth_share = tilted ? 0.22 * std::cos(elevation * kPi / 180) : 0;
  double pulled = 0;
  for (size_t i = 0; i < series.values.size(); ++i) pulled = std::max(pulled, Explosion(series, i));
  double radius = std::min(plot.width / 2, plot.height / (2 * squash + depth_share)) / (1 + pulled);
  Tilted pie{plot.x + plot.width / 2, 0, radius, radius * squash, radius * depth_share};
  pie.cy = plot.y + plot.height / 2 - pie.depth / 2;
  double inner = group.kind == "doughnut" ? radius * group.hole : 0;
  double angle = group.element.child("c:firstSliceAng").attribute("val").as_double(0) * kPi / 180;
  std::string walls, rims, tops;
  for (size_t i = 0; i < series.values.size(); ++i) {
    double value = series.values[i].value_or(0);
    if (value <= 0) continue;
    double sweep = value / total * 2 * kPi, middle = angle + sweep / 2;
    Color color = PointColor(group, series, i, context);
    Tilted slice = pie;
    double out = Explosion(series, i);
    slice.cx += out * radius * std::sin(middle);
    slice.cy -= out * pie.ry * std::cos(middle);
    if (tilted) {
      if (pulled > 0) walls += TiltedWalls(slice, angle, sweep, color);
      rims += TiltedRim(slice, angle, sweep, color);
      tops += TiltedSlice(slice, angle, sweep, color);
    } else {
      tops += Slice(slice.cx, slice.cy, radius, inner, angle, sweep, color);
    }
    if (auto label = LabelOf(group, series, i, value / total, look, context)) {
      double r = (radius + inner) / 2 + (inner > 0 ? 0 : radius * 0.15);
      if (label->position == "outEnd") r = radius + label->look.size;
      tops += Text(slice.cx + r * std::sin(middle), slice.cy - r * squash * std::cos(middle),
                   label->text, label->look, "middle");
    }
    angle += sweep;
  }
  return walls + rims + tops;
}

}  // namespace vintrel::ooxml::drawing::chart
