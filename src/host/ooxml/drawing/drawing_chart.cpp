#include "host/ooxml/drawing/drawing_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kPi = 3.14159265358979;

struct Series {
  std::string name;
  std::vector<std::string> categories;
  std::vector<std::optional<double>> values;
  std::string format;
  pugi::xml_node element;
  Color color;
};

struct Group {
  std::string kind;  // bar, line, area, pie, doughnut
  bool horizontal = false;
  bool stacked = false;
  bool percent = false;
  bool vary_colors = false;
  double gap = 1.5;
  double hole = 0.5;
  pugi::xml_node element;
  std::vector<Series> series;
};

// Points of a string or number cache, by index, up to ptCount.
std::vector<std::string> CacheTexts(pugi::xml_node reference) {
  pugi::xml_node cache = reference.child("c:strRef").child("c:strCache");
  if (!cache) cache = reference.child("c:numRef").child("c:numCache");
  if (!cache) cache = reference.child("c:strLit");
  if (!cache) cache = reference.child("c:numLit");
  if (!cache) {
    // Categories on several levels: the innermost level names the points.
    cache = reference.child("c:multiLvlStrRef").child("c:multiLvlStrCache").child("c:lvl");
  }
  size_t count = cache.child("c:ptCount").attribute("val").as_uint();
  std::vector<std::string> texts(std::min<size_t>(count, 10000));
  for (pugi::xml_node point : cache.children("c:pt")) {
    size_t index = point.attribute("idx").as_uint();
    if (index >= texts.size()) texts.resize(std::min<size_t>(index + 1, 10000));
    if (index < texts.size()) texts[index] = point.child("c:v").text().get();
  }
  return texts;
}

std::string FormatValue(double value, std::string_view format) {
  char text[64];
  if (format.find('%') != std::string_view::npos) {
    std::snprintf(text, sizeof text, "%.0f%%", value * 100);
  } else if (format.find("0.00") != std::string_view::npos) {
    std::snprintf(text, sizeof text, "%.2f", value);
  } else if (format.find("0.0") != std::string_view::npos) {
    std::snprintf(text, sizeof text, "%.1f", value);
  } else {
    std::snprintf(text, sizeof text, "%.10g", value);
  }
  return text;
}

struct TextLook {
  double size = 10;
  Color color{89, 89, 89};
  bool bold = false;
};

TextLook LookOf(pugi::xml_node text_properties, const TextLook& fallback, DrawingContext& context) {
  TextLook look = fallback;
  pugi::xml_node defaults = text_properties.child("a:p").child("a:pPr").child("a:defRPr");
  if (defaults.attribute("sz")) look.size = defaults.attribute("sz").as_double() / 100;
  if (defaults.attribute("b")) look.bold = defaults.attribute("b").as_bool();
  if (std::optional<Paint> paint = context.FillIn(defaults); paint && !paint->none) {
    look.color = paint->color;
  }
  return look;
}

std::string Text(double x, double y, const std::string& text, const TextLook& look,
                 const char* anchor, const char* baseline = "central") {
  std::string element = "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" +
                        Num(look.size) + "\" fill=\"" + look.color.Hex() +
                        "\" font-family=\"sans-serif\" text-anchor=\"" + anchor +
                        "\" dominant-baseline=\"" + baseline + "\"";
  if (look.bold) element += " font-weight=\"bold\"";
  return element + ">" + Escape(text) + "</text>";
}

std::string Rect(double x, double y, double w, double h, const Color& color) {
  if (w < 0) x += w, w = -w;
  if (h < 0) y += h, h = -h;
  return "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(w) + "\" height=\"" +
         Num(h) + "\" fill=\"" + color.Hex() + "\"/>";
}

Color SeriesColor(pugi::xml_node element, int index, DrawingContext& context) {
  if (std::optional<Paint> paint = context.FillIn(element.child("c:spPr")); paint && !paint->none) {
    return paint->color;
  }
  if (std::optional<Stroke> line = context.LineOf(element.child("c:spPr").child("a:ln"));
      line && !line->none) {
    return line->color;
  }
  std::string accent = "accent" + std::to_string(index % 6 + 1);
  return context.SchemeColor(accent).value_or(Color{68, 114, 196});
}

std::vector<Group> ReadGroups(pugi::xml_node plot_area, DrawingContext& context) {
  std::vector<Group> groups;
  int series_index = 0;
  for (pugi::xml_node element : plot_area.children()) {
    std::string_view name = element.name();
    Group group;
    group.element = element;
    if (name == "c:barChart" || name == "c:bar3DChart") {
      group.kind = "bar";
      group.horizontal =
          std::string_view(element.child("c:barDir").attribute("val").value()) == "bar";
      group.gap = element.child("c:gapWidth").attribute("val").as_double(150) / 100;
    } else if (name == "c:lineChart" || name == "c:line3DChart" || name == "c:scatterChart") {
      group.kind = "line";
    } else if (name == "c:areaChart" || name == "c:area3DChart") {
      group.kind = "area";
    } else if (name == "c:pieChart" || name == "c:pie3DChart" || name == "c:ofPieChart") {
      group.kind = "pie";
    } else if (name == "c:doughnutChart") {
      group.kind = "doughnut";
      group.hole = element.child("c:holeSize").attribute("val").as_double(50) / 100;
    } else {
      continue;
    }
    std::string_view grouping = element.child("c:grouping").attribute("val").value();
    group.stacked = grouping == "stacked" || grouping == "percentStacked";
    group.percent = grouping == "percentStacked";
    group.vary_colors = element.child("c:varyColors").attribute("val").as_bool();
    for (pugi::xml_node ser : element.children("c:ser")) {
      Series series;
      series.element = ser;
      pugi::xml_node title = ser.child("c:tx");
      std::vector<std::string> names = CacheTexts(title);
      series.name = !names.empty() ? names.front() : title.child("c:v").text().get();
      pugi::xml_node categories = ser.child("c:cat");
      if (!categories) categories = ser.child("c:xVal");
      series.categories = CacheTexts(categories);
      pugi::xml_node values = ser.child("c:val");
      if (!values) values = ser.child("c:yVal");
      series.format =
          values.child("c:numRef").child("c:numCache").child("c:formatCode").text().get();
      for (const std::string& text : CacheTexts(values)) {
        char* end = nullptr;
        double value = std::strtod(text.c_str(), &end);
        series.values.push_back(text.empty() || *end ? std::nullopt : std::optional(value));
      }
      series.color = SeriesColor(ser, series_index++, context);
      group.series.push_back(std::move(series));
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

bool ShowsValues(const Group& group, const Series& series) {
  pugi::xml_node labels = series.element.child("c:dLbls");
  if (!labels) labels = group.element.child("c:dLbls");
  return labels.child("c:showVal").attribute("val").as_bool();
}

std::string ChartTitle(pugi::xml_node chart, const std::vector<Group>& groups) {
  pugi::xml_node title = chart.child("c:title");
  if (!title || chart.child("c:autoTitleDeleted").attribute("val").as_bool()) return {};
  std::string text;
  for (pugi::xpath_node run : title.select_nodes(".//a:t")) text += run.node().text().get();
  if (text.empty() && groups.size() == 1 && groups.front().series.size() == 1) {
    text = groups.front().series.front().name;
  }
  return text;
}

struct Scale {
  double low = 0, high = 1, step = 1;
};

Scale NiceScale(double low, double high) {
  low = std::min(low, 0.0);
  high = std::max(high, 0.0);
  if (high == low) high = low + 1;
  double raw = (high - low) / 5;
  double magnitude = std::pow(10, std::floor(std::log10(raw)));
  double step = magnitude;
  for (double factor : {1.0, 2.0, 2.5, 5.0, 10.0}) {
    if (factor * magnitude >= raw) {
      step = factor * magnitude;
      break;
    }
  }
  return {std::floor(low / step) * step, std::ceil(high / step) * step, step};
}

std::string DrawPie(const Group& group, const Box& plot, const TextLook& look,
                    DrawingContext& context) {
  if (group.series.empty()) return {};
  const Series& series = group.series.front();
  double total = 0;
  for (const auto& value : series.values) total += value && *value > 0 ? *value : 0;
  if (total <= 0) return {};
  double radius = std::min(plot.width, plot.height) / 2;
  double cx = plot.x + plot.width / 2, cy = plot.y + plot.height / 2;
  double inner = group.kind == "doughnut" ? radius * group.hole : 0;
  double angle = group.element.child("c:firstSliceAng").attribute("val").as_double(0) * kPi / 180;
  std::string content;
  for (size_t i = 0; i < series.values.size(); ++i) {
    double value = series.values[i].value_or(0);
    if (value <= 0) continue;
    double sweep = value / total * 2 * kPi;
    Color color = series.color;
    if (group.vary_colors) {
      color = context.SchemeColor("accent" + std::to_string(i % 6 + 1)).value_or(color);
    }
    for (pugi::xml_node point : series.element.children("c:dPt")) {
      if (point.child("c:idx").attribute("val").as_uint() != i) continue;
      if (std::optional<Paint> paint = context.FillIn(point.child("c:spPr"));
          paint && !paint->none) {
        color = paint->color;
      }
    }
    // Angles run clockwise from twelve o'clock.
    auto at = [&](double r, double a) {
      return Num(cx + r * std::sin(a)) + " " + Num(cy - r * std::cos(a));
    };
    std::string large = sweep > kPi ? "1" : "0";
    std::string d = "M" + at(radius, angle) + " A" + Num(radius) + " " + Num(radius) + " 0 " +
                    large + " 1 " + at(radius, angle + sweep);
    if (inner > 0) {
      d += " L" + at(inner, angle + sweep) + " A" + Num(inner) + " " + Num(inner) + " 0 " + large +
           " 0 " + at(inner, angle);
    } else {
      d += " L" + Num(cx) + " " + Num(cy);
    }
    if (sweep >= 2 * kPi - 1e-9) {
      content += "<circle cx=\"" + Num(cx) + "\" cy=\"" + Num(cy) + "\" r=\"" + Num(radius) +
                 "\" fill=\"" + color.Hex() + "\"/>";
    } else {
      content += "<path d=\"" + d + " Z\" fill=\"" + color.Hex() +
                 "\" stroke=\"#ffffff\" stroke-width=\"0.75\"/>";
    }
    if (ShowsValues(group, series)) {
      double middle = angle + sweep / 2, r = (radius + inner) / 2 + (inner > 0 ? 0 : radius * 0.15);
      content += Text(cx + r * std::sin(middle), cy - r * std::cos(middle),
                      FormatValue(value, series.format), look, "middle");
    }
    angle += sweep;
  }
  return content;
}

}  // namespace

std::string DrawChart(const std::string& chart_part, const Box& box, DrawingContext& context) {
  pugi::xml_node space = context.package().Xml(chart_part).document_element();
  pugi::xml_node chart = space.child("c:chart");
  std::vector<Group> groups = ReadGroups(chart.child("c:plotArea"), context);
  TextLook look = LookOf(space.child("c:txPr"), TextLook{}, context);

  std::string content;
  // The chart area in its first colour (a gradient would need definitions of its own).
  if (std::optional<Paint> paint = context.FillIn(space.child("c:spPr")); paint && !paint->none) {
    content += "<rect x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" + Num(box.width) +
               "\" height=\"" + Num(box.height) + "\" fill=\"" + paint->color.Hex() + "\"/>";
  }
  Box plot{box.x + 8, box.y + 8, box.width - 16, box.height - 16};
  std::string title = ChartTitle(chart, groups);
  if (!title.empty()) {
    TextLook title_look = LookOf(chart.child("c:title").child("c:txPr"),
                                 TextLook{look.size * 1.4, look.color, false}, context);
    content +=
        Text(box.x + box.width / 2, plot.y + title_look.size * 0.6, title, title_look, "middle");
    plot.y += title_look.size * 1.6;
    plot.height -= title_look.size * 1.6;
  }

  // The legend: series names, or a pie's categories.
  if (pugi::xml_node legend = chart.child("c:legend"); legend && !groups.empty()) {
    TextLook legend_look = LookOf(legend.child("c:txPr"), look, context);
    std::vector<std::pair<std::string, Color>> entries;
    const Group& first = groups.front();
    if ((first.kind == "pie" || first.kind == "doughnut") && !first.series.empty()) {
      const Series& series = first.series.front();
      for (size_t i = 0; i < series.categories.size(); ++i) {
        Color color =
            first.vary_colors
                ? context.SchemeColor("accent" + std::to_string(i % 6 + 1)).value_or(series.color)
                : series.color;
        entries.emplace_back(series.categories[i], color);
      }
    } else {
      for (const Group& group : groups) {
        for (const Series& series : group.series) entries.emplace_back(series.name, series.color);
      }
    }
    std::string_view position = legend.child("c:legendPos").attribute("val").value();
    double line = legend_look.size * 1.5;
    if (position == "b" || position == "t") {
      double width = 0;
      for (const auto& entry : entries)
        width += legend_look.size * (1.5 + 0.55 * entry.first.size()) + 8;
      double x = box.x + (box.width - width) / 2;
      double y = position == "b" ? plot.y + plot.height - line / 2 : plot.y + line / 2;
      for (const auto& [name, color] : entries) {
        content += Rect(x, y - legend_look.size * 0.35, legend_look.size * 0.7,
                        legend_look.size * 0.7, color);
        content += Text(x + legend_look.size, y, name, legend_look, "start");
        x += legend_look.size * (1.5 + 0.55 * name.size()) + 8;
      }
      plot.height -= line;
      if (position == "t") plot.y += line;
    } else {
      double widest = 0;
      for (const auto& entry : entries) widest = std::max(widest, 0.55 * entry.first.size());
      double width = legend_look.size * (widest + 1.5) + 8;
      double x = position == "l" ? plot.x : plot.x + plot.width - width;
      double y = plot.y + (plot.height - line * entries.size()) / 2 + line / 2;
      for (const auto& [name, color] : entries) {
        content += Rect(x, y - legend_look.size * 0.35, legend_look.size * 0.7,
                        legend_look.size * 0.7, color);
        content += Text(x + legend_look.size, y, name, legend_look, "start");
        y += line;
      }
      plot.width -= width;
      if (position == "l") plot.x += width;
    }
  }

  bool has_axes = false;
  for (const Group& group : groups)
    has_axes = has_axes || (group.kind != "pie" && group.kind != "doughnut");
  if (!has_axes) {
    for (const Group& group : groups) content += DrawPie(group, plot, look, context);
    return "<g class=\"chart\">" + content + "</g>";
  }

  // Axes: categories along one side, values along the other.
  pugi::xml_node value_axis = chart.child("c:plotArea").child("c:valAx");
  pugi::xml_node category_axis = chart.child("c:plotArea").child("c:catAx");
  TextLook value_look = LookOf(value_axis.child("c:txPr"), look, context);
  TextLook category_look = LookOf(category_axis.child("c:txPr"), look, context);
  size_t categories = 0;
  std::vector<std::string> names;
  double low = 0, high = 0;
  for (const Group& group : groups) {
    std::vector<double> sums_up, sums_down;
    for (const Series& series : group.series) {
      categories = std::max(categories, series.values.size());
      if (names.size() < series.categories.size()) names = series.categories;
      sums_up.resize(categories), sums_down.resize(categories);
      for (size_t i = 0; i < series.values.size(); ++i) {
        double value = series.values[i].value_or(0);
        if (group.stacked) {
          (value >= 0 ? sums_up[i] : sums_down[i]) += value;
          low = std::min(low, sums_down[i]);
          high = std::max(high, sums_up[i]);
        } else {
          low = std::min(low, value);
          high = std::max(high, value);
        }
      }
    }
    if (group.percent) low = std::min(low, 0.0), high = 1;
  }
  if (categories == 0) return "<g class=\"chart\">" + content + "</g>";
  Scale scale = NiceScale(low, high);
  bool horizontal = !groups.empty() && groups.front().horizontal;
  std::string value_format =
      groups.front().series.empty() ? std::string() : groups.front().series.front().format;
  if (groups.front().percent) value_format = "0%";
  bool value_labels = !value_axis.child("c:delete").attribute("val").as_bool();
  bool category_labels = !category_axis.child("c:delete").attribute("val").as_bool();
  double label_width = 0;
  for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
    label_width =
        std::max(label_width, 0.6 * value_look.size * FormatValue(v, value_format).size());
  }
  if (horizontal) {
    double widest = 0;
    for (const std::string& name : names) widest = std::max(widest, 0.55 * name.size());
    if (category_labels)
      plot.x += widest * category_look.size + 6, plot.width -= widest * category_look.size + 6;
    if (value_labels) plot.height -= value_look.size * 1.6;
  } else {
    if (value_labels) plot.x += label_width + 6, plot.width -= label_width + 6;
    if (category_labels) plot.height -= category_look.size * 1.8;
  }
  // Positions: along the category direction and along the value direction.
  auto value_at = [&](double v) {
    double fraction = (v - scale.low) / (scale.high - scale.low);
    return horizontal ? plot.x + fraction * plot.width
                      : plot.y + plot.height - fraction * plot.height;
  };
  double band = (horizontal ? plot.height : plot.width) / categories;
  auto band_start = [&](size_t i) { return horizontal ? plot.y + band * i : plot.x + band * i; };

  std::optional<Stroke> grid =
      value_axis.child("c:majorGridlines")
          ? context.LineOf(value_axis.child("c:majorGridlines").child("c:spPr").child("a:ln"))
          : std::nullopt;
  if (value_axis.child("c:majorGridlines") && !grid) {
    grid = Stroke{false, Color{217, 217, 217}, 0.75, {}};
  }
  for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
    double p = value_at(v);
    if (grid && !grid->none) {
      content += horizontal ? "<line x1=\"" + Num(p) + "\" y1=\"" + Num(plot.y) + "\" x2=\"" +
                                  Num(p) + "\" y2=\"" + Num(plot.y + plot.height) + "\"" +
                                  StrokeAttributes(grid) + "/>"
                            : "<line x1=\"" + Num(plot.x) + "\" y1=\"" + Num(p) + "\" x2=\"" +
                                  Num(plot.x + plot.width) + "\" y2=\"" + Num(p) + "\"" +
                                  StrokeAttributes(grid) + "/>";
    }
    if (value_labels) {
      std::string label = FormatValue(std::abs(v) < scale.step * 1e-9 ? 0 : v, value_format);
      content += horizontal
                     ? Text(p, plot.y + plot.height + value_look.size, label, value_look, "middle")
                     : Text(plot.x - 6, p, label, value_look, "end");
    }
  }
  if (category_labels) {
    for (size_t i = 0; i < categories; ++i) {
      std::string name = i < names.size() ? names[i] : std::to_string(i + 1);
      double middle = band_start(i) + band / 2;
      content += horizontal ? Text(plot.x - 6, middle, name, category_look, "end")
                            : Text(middle, plot.y + plot.height + category_look.size, name,
                                   category_look, "middle");
    }
  }
  std::optional<Stroke> axis_line = context.LineOf(category_axis.child("c:spPr").child("a:ln"));
  if (axis_line && !axis_line->none) {
    double zero = value_at(0);
    content += horizontal ? "<line x1=\"" + Num(zero) + "\" y1=\"" + Num(plot.y) + "\" x2=\"" +
                                Num(zero) + "\" y2=\"" + Num(plot.y + plot.height) + "\"" +
                                StrokeAttributes(axis_line) + "/>"
                          : "<line x1=\"" + Num(plot.x) + "\" y1=\"" + Num(zero) + "\" x2=\"" +
                                Num(plot.x + plot.width) + "\" y2=\"" + Num(zero) + "\"" +
                                StrokeAttributes(axis_line) + "/>";
  }

  TextLook label_look = look;
  for (const Group& group : groups) {
    size_t count = group.series.size();
    std::vector<double> up(categories), down(categories), totals(categories);
    if (group.percent) {
      for (const Series& series : group.series) {
        for (size_t i = 0; i < series.values.size(); ++i)
          totals[i] += std::abs(series.values[i].value_or(0));
      }
    }
    for (size_t s = 0; s < count; ++s) {
      const Series& series = group.series[s];
      pugi::xml_node labels = series.element.child("c:dLbls");
      if (!labels) labels = group.element.child("c:dLbls");
      TextLook this_label = LookOf(labels.child("c:txPr"), label_look, context);
      bool show_values = ShowsValues(group, series);
      std::string points;
      for (size_t i = 0; i < series.values.size(); ++i) {
        if (!series.values[i]) continue;
        double value = *series.values[i];
        if (group.percent && totals[i] > 0) value /= totals[i];
        double base = 0;
        if (group.stacked) {
          double& running = value >= 0 ? up[i] : down[i];
          base = running;
          running += value;
        }
        double top = base + value;
        if (group.kind == "bar") {
          double width = group.stacked ? band / (1 + group.gap) : band / (count + group.gap);
          double start = band_start(i) + (band - (group.stacked ? width : width * count)) / 2 +
                         (group.stacked ? 0 : width * s);
          double a = value_at(base), b = value_at(top);
          content += horizontal ? Rect(a, start, b - a, width, series.color)
                                : Rect(start, b, width, a - b, series.color);
          if (show_values) {
            std::string label = FormatValue(*series.values[i], series.format);
            content += horizontal ? Text(b + 4, start + width / 2, label, this_label, "start")
                                  : Text(start + width / 2, b - this_label.size * 0.7, label,
                                         this_label, "middle");
          }
        } else {
          double along = band_start(i) + band / 2, across = value_at(top);
          points += horizontal ? Num(across) + "," + Num(along) + " "
                               : Num(along) + "," + Num(across) + " ";
          if (show_values) {
            content +=
                Text(horizontal ? across + 4 : along, horizontal ? along : across - this_label.size,
                     FormatValue(*series.values[i], series.format), this_label,
                     horizontal ? "start" : "middle");
          }
        }
      }
      if (group.kind == "line" && !points.empty()) {
        std::optional<Stroke> line = context.LineOf(series.element.child("c:spPr").child("a:ln"));
        double width = line ? line->width : 2.25;
        content += "<polyline points=\"" + points.substr(0, points.size() - 1) +
                   "\" fill=\"none\" stroke=\"" + series.color.Hex() + "\" stroke-width=\"" +
                   Num(width) + "\"/>";
      } else if (group.kind == "area" && !points.empty()) {
        double zero = value_at(0);
        double first = band_start(0) + band / 2;
        double last = band_start(series.values.size() - 1) + band / 2;
        std::string closing =
            horizontal ? Num(zero) + "," + Num(last) + " " + Num(zero) + "," + Num(first)
                       : Num(last) + "," + Num(zero) + " " + Num(first) + "," + Num(zero);
        content += "<polygon points=\"" + points + closing + "\" fill=\"" + series.color.Hex() +
                   "\" fill-opacity=\"0.85\"/>";
      }
    }
  }
  return "<g class=\"chart\">" + content + "</g>";
}

}  // namespace vintrel::ooxml::drawing
