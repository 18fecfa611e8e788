// Charts with axes: bars and columns, lines, areas and scatter charts, their gridlines, tick
// labels and markers.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_chart_parts.h"

namespace vintrel::ooxml::drawing::chart {

namespace {

struct Scale {
  double low = 0, high = 1, step = 1;
};

// An automatic axis as spreadsheet programs make it: from zero (or below), a little room above
// the highest value (none for shares, which end at 100 %), then the smallest step of 1, 2 or 5
// times a power of ten that needs at most ten intervals.
Scale NiceScale(double low, double high, bool room = true) {
  low = std::min(low, 0.0);
  high = std::max(high, 0.0);
  if (high > 0 && room) high += (high - low) * 0.05;
  if (low < 0 && room) low -= (high - low) * 0.05;
  if (high == low) high = low + 1;
  double raw = (high - low) / 10;
  double magnitude = std::pow(10, std::floor(std::log10(raw)));
  double step = magnitude * 10;
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (factor * magnitude >= raw) {
      step = factor * magnitude;
      break;
    }
  }
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

// Where values and categories fall inside the plot.
struct Axes {
  Box plot;
  bool horizontal = false;  // bars running from left to right, categories bottom-up
  bool reversed = false;    // the category axis runs from its far end (orientation maxMin)
  size_t categories = 0;
  std::vector<std::string> names;
  Scale values;
  std::optional<Scale> x;  // a scatter chart's values across
  pugi::xml_node value_axis, category_axis;

  double ValueAt(double v) const {
    double fraction = (v - values.low) / (values.high - values.low);
    return horizontal ? plot.x + fraction * plot.width
                      : plot.y + plot.height - fraction * plot.height;
  }
  double XAt(double v) const { return plot.x + (v - x->low) / (x->high - x->low) * plot.width; }
  double Band() const { return (horizontal ? plot.height : plot.width) / categories; }
  // Categories run left to right, or bottom-up when they are listed down the side.
  size_t Slot(size_t i) const { return horizontal != reversed ? categories - 1 - i : i; }
  double BandStart(size_t i) const { return (horizontal ? plot.y : plot.x) + Band() * Slot(i); }
  // Where a point of category i lies: the middle of its band, or on the category's tick mark
  // when the value axis crosses there (area charts, crossBetween midCat).
  double CategoryAt(size_t i) const {
    if (!on_ticks || categories < 2) return BandStart(i) + Band() / 2;
    double length = horizontal ? plot.height : plot.width;
    return (horizontal ? plot.y : plot.x) + length * Slot(i) / (categories - 1);
  }
  // The width a category name has: its band, or the distance between tick marks.
  double LabelRoom() const {
    if (!on_ticks || categories < 2) return Band();
    return (horizontal ? plot.height : plot.width) / (categories - 1);
  }
  bool on_ticks = false;
  size_t label_lines = 1;  // lines of the longest category name
  bool slanted = false;    // category names written at a slant
};

bool ShowsLabels(pugi::xml_node axis) {
  return axis && !axis.child("c:delete").attribute("val").as_bool() &&
         std::string_view(axis.child("c:tickLblPos").attribute("val").value()) != "none";
}

void FindAxes(pugi::xml_node plot_area, bool scatter, Axes& axes) {
  for (pugi::xml_node axis : plot_area.children()) {
    std::string_view name = axis.name();
    std::string_view position = axis.child("c:axPos").attribute("val").value();
    bool across = position == "b" || position == "t";
    if (name == "c:catAx" || name == "c:dateAx" || (scatter && name == "c:valAx" && across)) {
      if (!axes.category_axis) axes.category_axis = axis;
    } else if (name == "c:valAx" && !axes.value_axis) {
      axes.value_axis = axis;
    }
  }
  axes.on_ticks = std::string_view(
                      axes.value_axis.child("c:crossBetween").attribute("val").value()) == "midCat";
  axes.reversed =
      std::string_view(
          axes.category_axis.child("c:scaling").child("c:orientation").attribute("val").value()) ==
      "maxMin";
}

// The range of values (of stacks, when stacked) and of a scatter chart's x values.
void Ranges(const std::vector<Group>& groups, Axes& axes) {
  double low = 0, high = 0, x_low = 0, x_high = 0;
  bool scatter = false, shares = false;
  for (const Group& group : groups) {
    std::vector<double> sums_up, sums_down;
    for (const Series& series : group.series) {
      axes.categories = std::max(axes.categories, series.values.size());
      if (axes.names.size() < series.categories.size()) axes.names = series.categories;
      sums_up.resize(axes.categories), sums_down.resize(axes.categories);
      for (size_t i = 0; i < series.values.size(); ++i) {
        double value = series.values[i].value_or(0);
        if (group.stacked) {
          (value >= 0 ? sums_up[i] : sums_down[i]) += value;
          low = std::min(low, sums_down[i]), high = std::max(high, sums_up[i]);
        } else {
          low = std::min(low, value), high = std::max(high, value);
        }
      }
      for (size_t i = 0; group.xy && i < series.values.size(); ++i) {
        double x = i < series.x_values.size() && series.x_values[i] ? *series.x_values[i] : i + 1.0;
        x_low = std::min(x_low, x), x_high = std::max(x_high, x);
        scatter = true;
      }
    }
    if (group.percent) low = std::min(low, 0.0), high = 1, shares = true;
  }
  axes.values = NiceScale(low, high, !shares);
  if (scatter) axes.x = NiceScale(x_low, x_high);
}

std::string ValueFormat(const std::vector<Group>& groups) {
  if (groups.front().percent) return "0%";
  return groups.front().series.empty() ? std::string() : groups.front().series.front().format;
}

// Room for the tick labels, taken from the plot.
// A category name broken at its spaces into lines no wider than `width`; empty when a single
// word is wider.
std::vector<std::string> Wrapped(const std::string& name, double width, double size) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < name.size()) {
    size_t end = name.find(' ', start);
    std::string word =
        name.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? name.size() : end + 1;
    if (TextWidth(word.size(), size) > width) return {};
    if (!lines.empty() && TextWidth(lines.back().size() + 1 + word.size(), size) <= width) {
      lines.back() += " " + word;
    } else {
      lines.push_back(word);
    }
  }
  return lines;
}

// How category names fit under their bands: on one line, broken into up to three lines at
// their spaces, or slanted (and then only every so many) when neither fits.
void FitCategoryLabels(const TextLook& look, Axes& axes) {
  double band = axes.LabelRoom();
  axes.label_lines = 1;
  for (const std::string& name : axes.names) {
    if (TextWidth(name.size(), look.size) <= band) continue;
    size_t lines = Wrapped(name, band * 1.1, look.size).size();
    if (lines == 0 || lines > 3) {
      axes.slanted = true;
      return;
    }
    axes.label_lines = std::max(axes.label_lines, lines);
  }
}

// Room for the tick labels, taken from the plot.
void Layout(const std::vector<Group>& groups, const TextLook& value_look,
            const TextLook& category_look, Axes& axes) {
  double label_width = 0;
  std::string format = ValueFormat(groups);
  for (double v = axes.values.low; v <= axes.values.high + axes.values.step / 2;
       v += axes.values.step) {
    label_width = std::max(label_width, 0.6 * value_look.size * FormatValue(v, format).size());
  }
  bool value_labels = ShowsLabels(axes.value_axis);
  bool category_labels = ShowsLabels(axes.category_axis);
  Box& plot = axes.plot;
  double widest = 0;
  for (const std::string& name : axes.names) {
    widest = std::max(widest, TextWidth(name.size(), category_look.size));
  }
  if (axes.horizontal) {
    double room = std::min(widest, plot.width * 0.4) + 6;
    if (category_labels) plot.x += room, plot.width -= room;
    if (value_labels) plot.height -= value_look.size * 1.6;
    return;
  }
  if (value_labels) plot.x += label_width + 6, plot.width -= label_width + 6;
  if (!category_labels) return;
  FitCategoryLabels(category_look, axes);
  double room = axes.slanted ? std::min(widest * 0.71, plot.height * 0.4) + category_look.size
                             : category_look.size * (0.6 + 1.2 * axes.label_lines);
  plot.height -= room;
}

std::string ValueAxis(const Axes& axes, const std::string& format, const TextLook& look,
                      DrawingContext& context) {
  pugi::xml_node gridlines = axes.value_axis.child("c:majorGridlines");
  std::optional<Stroke> grid;
  if (gridlines) {
    grid = context.LineOf(gridlines.child("c:spPr").child("a:ln"));
    if (!grid) grid = Stroke{false, Color{217, 217, 217}, 0.75, {}};
  }
  bool labels = ShowsLabels(axes.value_axis);
  const Box& plot = axes.plot;
  const Scale& scale = axes.values;
  std::string content;
  for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
    double p = axes.ValueAt(v);
    if (grid && !grid->none) {
      content += axes.horizontal ? Line(p, plot.y, p, plot.y + plot.height, grid)
                                 : Line(plot.x, p, plot.x + plot.width, p, grid);
    }
    if (!labels) continue;
    std::string label = FormatValue(std::abs(v) < scale.step * 1e-9 ? 0 : v, format);
    content += axes.horizontal ? Text(p, plot.y + plot.height + look.size, label, look, "middle")
                               : Text(plot.x - 6, p, label, look, "end");
  }
  return content;
}

// Category names under the plot; names too wide for their band turn to a slant, and when even
// slanted they would overlap only every so many is written.
std::string CategoryLabels(const Axes& axes, const TextLook& look) {
  if (!ShowsLabels(axes.category_axis)) return {};
  const Box& plot = axes.plot;
  double band = axes.LabelRoom();
  std::string content;
  if (axes.horizontal) {
    for (size_t i = 0; i < axes.categories; ++i) {
      std::string name = i < axes.names.size() ? axes.names[i] : std::to_string(i + 1);
      content += Text(plot.x - 6, axes.CategoryAt(i), name, look, "end");
    }
    return content;
  }
  size_t every = axes.slanted ? static_cast<size_t>(std::ceil(look.size * 1.4 / band)) : 1;
  double y = plot.y + plot.height + look.size;
  for (size_t i = 0; i < axes.categories; i += std::max<size_t>(every, 1)) {
    std::string name = i < axes.names.size() ? axes.names[i] : std::to_string(i + 1);
    double middle = axes.CategoryAt(i);
    if (axes.slanted) {
      std::string text = Text(middle, y - look.size * 0.3, name, look, "end");
      content += "<g transform=\"rotate(-45 " + Num(middle) + " " + Num(y - look.size * 0.3) +
                 ")\">" + text + "</g>";
      continue;
    }
    std::vector<std::string> lines = {name};
    if (axes.label_lines > 1) lines = Wrapped(name, band * 1.1, look.size);
    for (size_t line = 0; line < lines.size(); ++line) {
      content += Text(middle, y + line * look.size * 1.2, lines[line], look, "middle");
    }
  }
  return content;
}

std::string ScatterXAxis(const Axes& axes, const TextLook& look, DrawingContext& context) {
  std::string content;
  if (pugi::xml_node gridlines = axes.category_axis.child("c:majorGridlines")) {
    std::optional<Stroke> grid = context.LineOf(gridlines.child("c:spPr").child("a:ln"));
    if (!grid) grid = Stroke{false, Color{217, 217, 217}, 0.75, {}};
    for (double v = axes.x->low; v <= axes.x->high + axes.x->step / 2; v += axes.x->step) {
      content += Line(axes.XAt(v), axes.plot.y, axes.XAt(v), axes.plot.y + axes.plot.height, grid);
    }
  }
  if (!ShowsLabels(axes.category_axis)) return content;
  for (double v = axes.x->low; v <= axes.x->high + axes.x->step / 2; v += axes.x->step) {
    content += Text(axes.XAt(v), axes.plot.y + axes.plot.height + look.size,
                    FormatValue(std::abs(v) < axes.x->step * 1e-9 ? 0 : v, ""), look, "middle");
  }
  return content;
}

// A marker of a line or scatter series: c:symbol (circle, square, diamond, triangle, x ...),
// c:size in points; "none" draws nothing.
std::string Marker(pugi::xml_node marker, double x, double y, const Color& series_color,
                   DrawingContext& context) {
  std::string_view symbol = marker.child("c:symbol").attribute("val").as_string("circle");
  if (symbol == "none") return {};
  double r = marker.child("c:size").attribute("val").as_double(5) / 2;
  std::optional<Paint> paint = context.FillIn(marker.child("c:spPr"));
  Color fill = paint && !paint->none ? paint->color : series_color;
  std::optional<Stroke> line = context.LineOf(marker.child("c:spPr").child("a:ln"));
  std::string attributes = " fill=\"" + fill.Hex() + "\"";
  if (line && !line->none) attributes += StrokeAttributes(line);
  std::string points;
  if (symbol == "square") {
    return "<rect x=\"" + Num(x - r) + "\" y=\"" + Num(y - r) + "\" width=\"" + Num(2 * r) +
           "\" height=\"" + Num(2 * r) + "\"" + attributes + "/>";
  }
  if (symbol == "diamond") {
    points = Num(x) + "," + Num(y - r) + " " + Num(x + r) + "," + Num(y) + " " + Num(x) + "," +
             Num(y + r) + " " + Num(x - r) + "," + Num(y);
  } else if (symbol == "triangle") {
    points = Num(x) + "," + Num(y - r) + " " + Num(x + r) + "," + Num(y + r) + " " + Num(x - r) +
             "," + Num(y + r);
  }
  if (!points.empty()) return "<polygon points=\"" + points + "\"" + attributes + "/>";
  return "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(y) + "\" r=\"" + Num(r) + "\"" + attributes +
         "/>";
}

// Whether a line or scatter series shows markers: a line chart's c:marker flag, a scatter
// chart's style, and the series' own symbol.
bool HasMarkers(const Group& group, const Series& series) {
  std::string_view symbol =
      series.element.child("c:marker").child("c:symbol").attribute("val").value();
  if (symbol == "none" || group.kind == "bubble") return false;
  if (!symbol.empty()) return true;
  if (group.kind == "scatter") {
    std::string_view style = group.element.child("c:scatterStyle").attribute("val").value();
    return style != "line" && style != "smooth";
  }
  return group.element.child("c:marker").attribute("val").as_bool(false);
}

// Whether a line or scatter series is joined: not when its line has no fill, nor for a scatter
// chart styled as markers only.
bool Joined(const Group& group, const Series& series, DrawingContext& context) {
  std::optional<Stroke> line = context.LineOf(series.element.child("c:spPr").child("a:ln"));
  if ((line && line->none) || group.kind == "bubble") return false;
  if (group.kind != "scatter") return true;
  std::string_view style = group.element.child("c:scatterStyle").attribute("val").value();
  return style != "marker" && !style.empty();
}

// A bubble: its area (or width, as the chart says) in proportion to its size, the largest a
// quarter of the plot's shorter side across at the chart's bubble scale.
std::string Bubble(const Group& group, const Series& series, size_t i, double x, double y,
                   const Axes& axes, DrawingContext& context) {
  double largest = 0;
  for (const Series& each : group.series) {
    for (const std::optional<double>& size : each.sizes)
      largest = std::max(largest, size.value_or(0));
  }
  double size = i < series.sizes.size() ? series.sizes[i].value_or(0) : 0;
  if (largest <= 0 || size <= 0) return {};
  double share = size / largest;
  if (std::string_view(group.element.child("c:sizeRepresents").attribute("val").value()) != "w") {
    share = std::sqrt(share);
  }
  double scale = group.element.child("c:bubbleScale").attribute("val").as_double(100) / 100;
  double radius = std::min(axes.plot.width, axes.plot.height) * 0.125 * scale * share;
  std::optional<Stroke> line = context.LineOf(series.element.child("c:spPr").child("a:ln"));
  std::string look;
  if (series.color.alpha < 1) look = " fill-opacity=\"" + Num(series.color.alpha) + "\"";
  if (line && !line->none) {
    look += " stroke=\"" + line->color.Hex() + "\" stroke-width=\"" + Num(line->width) + "\"";
  }
  return "<circle cx=\"" + Num(x) + "\" cy=\"" + Num(y) + "\" r=\"" + Num(radius) + "\" fill=\"" +
         series.color.Hex() + "\"" + look + "/>";
}

struct Stacks {
  std::vector<double> up, down, totals;
};

// Where a bar of a cluster lies across its band: bars as wide as the gap (gapWidth) leaves, each
// overlapping the next by its overlap (negative: apart by that much).
std::pair<double, double> BarSpan(const Group& group, size_t s, size_t i, const Axes& axes) {
  double count = group.stacked ? 1 : static_cast<double>(group.series.size());
  double overlap = group.stacked ? 0 : group.overlap;
  double width = axes.Band() / (count - (count - 1) * overlap + group.gap);
  double step = width * (1 - overlap);
  // Series of a cluster follow the category axis: bottom-up when it runs down the side.
  size_t last = group.series.size() - 1;
  size_t slot = group.stacked ? 0 : (axes.horizontal != axes.reversed ? last - s : s);
  double cluster = width + step * (count - 1);
  return {axes.BandStart(i) + (axes.Band() - cluster) / 2 + step * slot, width};
}

std::string Bar(const Group& group, size_t s, size_t i, double base, double top, const Axes& axes) {
  auto [start, width] = BarSpan(group, s, i, axes);
  double a = axes.ValueAt(base), b = axes.ValueAt(top);
  const Color& color = group.series[s].color;
  return axes.horizontal ? Rect(a, start, b - a, width, color)
                         : Rect(start, b, width, a - b, color);
}

// A bar's label: past its end (outEnd), inside its end (inEnd), in its middle (ctr) or inside
// its base (inBase).
std::string BarLabel(const PointLabel& label, const Group& group, size_t s, size_t i, double base,
                     double top, const Axes& axes) {
  auto [start, width] = BarSpan(group, s, i, axes);
  double across = start + width / 2;
  double from = axes.ValueAt(base), to = axes.ValueAt(top);
  double direction = to >= from ? 1 : -1;
  double gap = axes.horizontal ? 4 : label.look.size * 0.7;
  const std::string& at = label.position;
  double along = at == "ctr"      ? (from + to) / 2
                 : at == "inEnd"  ? to - direction * gap
                 : at == "inBase" ? from + direction * gap
                                  : to + direction * gap;
  if (!axes.horizontal) return Text(across, along, label.text, label.look, "middle");
  bool forward = (at == "inEnd") != (direction > 0);
  const char* anchor = at == "ctr" ? "middle" : forward ? "end" : "start";
  return Text(along, across, label.text, label.look, anchor);
}

// An area's outline: along its values, then back along the values it is stacked on (or the zero
// line).
std::string AreaShape(const std::string& points,
                      const std::vector<std::pair<double, double>>& floor, const Series& series) {
  std::string closing;
  for (size_t i = floor.size(); i-- > 0;) {
    closing += " " + Num(floor[i].first) + "," + Num(floor[i].second);
  }
  return "<polygon points=\"" + points + closing + "\" fill=\"" + series.color.Hex() + "\"/>";
}

std::string SeriesShapes(const Group& group, size_t s, const Axes& axes, Stacks& stacks,
                         const TextLook& look, DrawingContext& context) {
  const Series& series = group.series[s];
  bool markers = group.kind != "bar" && group.kind != "area" && HasMarkers(group, series);
  pugi::xml_node marker = series.element.child("c:marker");
  double gap = (markers ? marker.child("c:size").attribute("val").as_double(5) / 2 : 0) + 3;
  std::string content, points, marks, labels;
  std::vector<std::pair<double, double>> floor;  // where an area's points stand
  for (size_t i = 0; i < series.values.size(); ++i) {
    if (!series.values[i]) continue;
    double value = *series.values[i], base = 0;
    if (group.percent && stacks.totals[i] > 0) value /= stacks.totals[i];
    if (group.stacked) {
      double& running = value >= 0 ? stacks.up[i] : stacks.down[i];
      base = running;
      running += value;
    }
    std::optional<PointLabel> label = LabelOf(group, series, i, -1, look, context);
    if (group.kind == "bar") {
      content += Bar(group, s, i, base, base + value, axes);
      if (label) labels += BarLabel(*label, group, s, i, base, base + value, axes);
      continue;
    }
    double along = axes.CategoryAt(i), across = axes.ValueAt(base + value);
    if (axes.x) {
      along = axes.XAt(i < series.x_values.size() && series.x_values[i] ? *series.x_values[i]
                                                                        : i + 1.0);
    }
    double x = axes.horizontal ? across : along, y = axes.horizontal ? along : across;
    double floor_across = axes.ValueAt(base);
    floor.emplace_back(axes.horizontal ? floor_across : along,
                       axes.horizontal ? along : floor_across);
    points += Num(x) + "," + Num(y) + " ";
    if (markers) marks += Marker(marker, x, y, series.color, context);
    if (group.kind == "bubble") marks += Bubble(group, series, i, x, y, axes, context);
    if (label && group.kind == "area" && label->position == "ctr") {
      double middle = (across + floor_across) / 2;
      labels += Text(axes.horizontal ? middle : x, axes.horizontal ? y : middle, label->text,
                     label->look, "middle");
    } else if (label) {
      labels += PointLabelText(*label, x, y, gap);
    }
  }
  if (points.empty()) return content + labels;
  points.pop_back();
  if (group.kind == "area") return content + AreaShape(points, floor, series) + labels;
  if (Joined(group, series, context)) {
    std::optional<Stroke> line = context.LineOf(series.element.child("c:spPr").child("a:ln"));
    content += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"" + series.color.Hex() +
               "\" stroke-width=\"" + Num(line ? line->width : 2.25) + "\"/>";
  }
  return content + marks + labels;
}

std::string GroupShapes(const Group& group, const Axes& axes, const TextLook& look,
                        DrawingContext& context) {
  Stacks stacks{std::vector<double>(axes.categories), std::vector<double>(axes.categories),
                std::vector<double>(axes.categories)};
  if (group.percent) {
    for (const Series& series : group.series) {
      for (size_t i = 0; i < series.values.size() && i < axes.categories; ++i) {
        stacks.totals[i] += std::abs(series.values[i].value_or(0));
      }
    }
  }
  std::string content;
  for (size_t s = 0; s < group.series.size(); ++s) {
    content += SeriesShapes(group, s, axes, stacks, look, context);
  }
  return content;
}

}  // namespace

// The plot area its author placed by hand (c:manualLayout, fractions of the chart in edge
// mode): the plot itself (inner) or the plot with its tick labels (outer).
std::optional<Box> ManualPlot(pugi::xml_node plot_area, const Box& chart, bool& inner) {
  pugi::xml_node layout = plot_area.child("c:layout").child("c:manualLayout");
  auto edge = [&](const char* mode) {
    return std::string_view(layout.child(mode).attribute("val").value()) == "edge";
  };
  if (!layout || !edge("c:xMode") || !edge("c:yMode")) return std::nullopt;
  double w = layout.child("c:w").attribute("val").as_double();
  double h = layout.child("c:h").attribute("val").as_double();
  if (w <= 0 || h <= 0) return std::nullopt;
  inner = std::string_view(layout.child("c:layoutTarget").attribute("val").value()) == "inner";
  return Box{chart.x + layout.child("c:x").attribute("val").as_double() * chart.width,
             chart.y + layout.child("c:y").attribute("val").as_double() * chart.height,
             w * chart.width, h * chart.height};
}

std::string DrawAxesChart(pugi::xml_node plot_area, const std::vector<Group>& groups,
                          const Box& chart, Box plot, const TextLook& look,
                          DrawingContext& context) {
  bool inner = false;
  std::optional<Box> manual = ManualPlot(plot_area, chart, inner);
  Axes axes;
  axes.plot = manual && !inner ? *manual : plot;
  axes.horizontal = !groups.empty() && groups.front().horizontal;
  bool scatter = !groups.empty() && groups.front().xy;
  FindAxes(plot_area, scatter, axes);
  Ranges(groups, axes);
  if (axes.categories == 0) return {};
  TextLook value_look = LookOf(axes.value_axis.child("c:txPr"), look, context);
  TextLook category_look = LookOf(axes.category_axis.child("c:txPr"), look, context);
  Layout(groups, value_look, category_look, axes);
  if (manual && inner) {
    axes.plot = *manual;
    axes.slanted = false;
    FitCategoryLabels(category_look, axes);
  }
  std::string content = ValueAxis(axes, ValueFormat(groups), value_look, context);
  content +=
      axes.x ? ScatterXAxis(axes, category_look, context) : CategoryLabels(axes, category_look);
  std::optional<Stroke> axis_line =
      context.LineOf(axes.category_axis.child("c:spPr").child("a:ln"));
  if (axis_line && !axis_line->none) {
    double zero = axes.ValueAt(0);
    const Box& area = axes.plot;
    content += axes.horizontal ? Line(zero, area.y, zero, area.y + area.height, axis_line)
                               : Line(area.x, zero, area.x + area.width, zero, axis_line);
  }
  for (const Group& group : groups) {
    if (group.kind == "pie" || group.kind == "doughnut") continue;
    content += GroupShapes(group, axes, look, context);
  }
  return content;
}

}  // namespace vintrel::ooxml::drawing::chart
