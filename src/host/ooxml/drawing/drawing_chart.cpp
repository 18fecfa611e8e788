#include "host/ooxml/drawing/drawing_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

#include "host/error.h"
#include "host/ooxml/drawing/drawing_chart_parts.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml::drawing {

namespace chart {

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

namespace {

// A spreadsheet day number (days since 30 December 1899) as year, month and day.
void CivilDate(double serial, int& year, int& month, int& day) {
  // Days since 1 March of year 0 of the proleptic Gregorian calendar, then back to civil dates.
  long days = static_cast<long>(std::floor(serial)) - 25569 + 719468;  // 25569: to 1 Jan 1970
  long era = (days >= 0 ? days : days - 146096) / 146097;
  long of_era = days - era * 146097;
  long year_of_era = (of_era - of_era / 1460 + of_era / 36524 - of_era / 146096) / 365;
  long of_year = of_era - (365 * year_of_era + year_of_era / 4 - year_of_era / 100);
  long shifted_month = (5 * of_year + 2) / 153;
  day = static_cast<int>(of_year - (153 * shifted_month + 2) / 5 + 1);
  month = static_cast<int>(shifted_month < 10 ? shifted_month + 3 : shifted_month - 9);
  year = static_cast<int>(year_of_era + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

bool IsDateFormat(std::string_view format) {
  return format.find('y') != std::string_view::npos ||
         (format.find('d') != std::string_view::npos && format.find('m') != std::string_view::npos);
}

std::string FormatDate(double serial, std::string_view format) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  int year = 1900, month = 1, day = 1;
  CivilDate(serial, year, month, day);
  std::string text;
  for (size_t i = 0; i < format.size();) {
    char c = format[i];
    size_t run = format.find_first_not_of(c, i) == std::string_view::npos
                     ? format.size() - i
                     : format.find_first_not_of(c, i) - i;
    if (c == '[') {  // a locale or colour in brackets says nothing about the text
      size_t end = format.find(']', i);
      i = end == std::string_view::npos ? format.size() : end + 1;
      continue;
    }
    if (c == 'y') {
      text += run >= 3 ? std::to_string(year) : std::to_string(year % 100 + 100).substr(1);
    } else if (c == 'm') {
      std::string name = kMonths[month - 1];
      text += run >= 4   ? name
              : run == 3 ? name.substr(0, 3)
              : run == 2 ? std::to_string(month + 100).substr(1)
                         : std::to_string(month);
    } else if (c == 'd') {
      text += run >= 2 ? std::to_string(day + 100).substr(1) : std::to_string(day);
    } else if (c != '"' && c != '\\') {
      text.append(run, c);
    }
    i += run;
  }
  return text;
}

TextLook LookOf(pugi::xml_node text_properties, const TextLook& fallback, DrawingContext& context) {
  TextLook look = fallback;
  pugi::xml_node defaults = text_properties.child("a:p").child("a:pPr").child("a:defRPr");
  if (defaults.attribute("sz")) look.size = defaults.attribute("sz").as_double() / 100;
  if (defaults.attribute("b")) look.bold = defaults.attribute("b").as_bool();
  if (pugi::xml_node latin = defaults.child("a:latin")) {
    look.family = context.FontFamily(latin.attribute("typeface").value());
  }
  if (std::optional<Paint> paint = context.FillIn(defaults); paint && !paint->none) {
    look.color = paint->color;
  }
  return look;
}

std::string Text(double x, double y, const std::string& text, const TextLook& look,
                 const char* anchor, const char* baseline) {
  std::string element = "<text x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" font-size=\"" +
                        Num(look.size) + "\" fill=\"" + look.color.Hex() + "\" font-family=\"" +
                        Escape(look.family) + "\" text-anchor=\"" + anchor +
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

std::string Line(double x1, double y1, double x2, double y2, const std::optional<Stroke>& stroke) {
  return "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" +
         Num(y2) + "\"" + StrokeAttributes(stroke) + "/>";
}

}  // namespace chart

namespace {

using chart::Group;
using chart::Series;
using chart::TextLook;

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

std::vector<std::optional<double>> Numbers(const std::vector<std::string>& texts) {
  std::vector<std::optional<double>> numbers;
  for (const std::string& text : texts) {
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    numbers.push_back(text.empty() || *end ? std::nullopt : std::optional(value));
  }
  return numbers;
}

Color SeriesColor(pugi::xml_node element, int index, DrawingContext& context) {
  if (std::optional<Paint> paint = context.FillIn(element.child("c:spPr")); paint && !paint->none) {
    return paint->color;
  }
  if (std::optional<Stroke> line = context.LineOf(element.child("c:spPr").child("a:ln"));
      line && !line->none) {
    return line->color;
  }
  if (std::optional<Paint> marker = context.FillIn(element.child("c:marker").child("c:spPr"));
      marker && !marker->none) {
    return marker->color;
  }
  std::string accent = "accent" + std::to_string(index % 6 + 1);
  return context.SchemeColor(accent).value_or(Color{68, 114, 196});
}

Series ReadSeries(pugi::xml_node ser, int index, DrawingContext& context) {
  Series series;
  series.element = ser;
  pugi::xml_node title = ser.child("c:tx");
  std::vector<std::string> names = CacheTexts(title);
  series.name = !names.empty() ? names.front() : title.child("c:v").text().get();
  pugi::xml_node categories = ser.child("c:cat");
  if (!categories) categories = ser.child("c:xVal");
  series.categories = CacheTexts(categories);
  // Dates are kept as day numbers; they show in their format.
  std::string_view category_format =
      categories.child("c:numRef").child("c:numCache").child("c:formatCode").text().get();
  if (!ser.child("c:xVal") && chart::IsDateFormat(category_format)) {
    for (std::string& text : series.categories) {
      char* end = nullptr;
      double serial = std::strtod(text.c_str(), &end);
      if (!text.empty() && !*end) text = chart::FormatDate(serial, category_format);
    }
  }
  if (ser.child("c:xVal")) series.x_values = Numbers(series.categories);
  pugi::xml_node values = ser.child("c:val");
  if (!values) values = ser.child("c:yVal");
  series.format = values.child("c:numRef").child("c:numCache").child("c:formatCode").text().get();
  series.values = Numbers(CacheTexts(values));
  series.sizes = Numbers(CacheTexts(ser.child("c:bubbleSize")));
  series.color = SeriesColor(ser, index, context);
  return series;
}

// The kind of a plot area child, empty for what is not drawn.
std::string KindOf(std::string_view name) {
  if (name == "c:barChart" || name == "c:bar3DChart") return "bar";
  if (name == "c:lineChart" || name == "c:line3DChart") return "line";
  if (name == "c:scatterChart") return "scatter";
  if (name == "c:bubbleChart") return "bubble";
  if (name == "c:areaChart" || name == "c:area3DChart") return "area";
  if (name == "c:pieChart" || name == "c:pie3DChart" || name == "c:ofPieChart") return "pie";
  if (name == "c:doughnutChart") return "doughnut";
  return {};
}

std::vector<Group> ReadGroups(pugi::xml_node plot_area, DrawingContext& context) {
  std::vector<Group> groups;
  int series_index = 0;
  for (pugi::xml_node element : plot_area.children()) {
    Group group;
    group.kind = KindOf(element.name());
    if (group.kind.empty()) continue;
    group.element = element;
    group.xy = group.kind == "scatter" || group.kind == "bubble";
    group.horizontal =
        std::string_view(element.child("c:barDir").attribute("val").value()) == "bar";
    group.gap = element.child("c:gapWidth").attribute("val").as_double(150) / 100;
    group.overlap =
        std::clamp(element.child("c:overlap").attribute("val").as_double(0), -100.0, 100.0) / 100;
    group.hole = element.child("c:holeSize").attribute("val").as_double(50) / 100;
    std::string_view grouping = element.child("c:grouping").attribute("val").value();
    group.stacked = grouping == "stacked" || grouping == "percentStacked";
    group.percent = grouping == "percentStacked";
    group.vary_colors = element.child("c:varyColors").attribute("val").as_bool();
    for (pugi::xml_node ser : element.children("c:ser")) {
      group.series.push_back(ReadSeries(ser, series_index++, context));
    }
    groups.push_back(std::move(group));
  }
  return groups;
}

// The title as written; a title left empty, or a chart whose automatic title is kept, shows the
// only series' name, else "Chart Title".
std::string ChartTitle(pugi::xml_node chart, const std::vector<Group>& groups) {
  pugi::xml_node title = chart.child("c:title");
  pugi::xml_attribute deleted = chart.child("c:autoTitleDeleted").attribute("val");
  if (deleted.as_bool()) return {};
  if (!title && !deleted) return {};
  std::string text;
  for (pugi::xpath_node run : title.select_nodes(".//a:t")) text += run.node().text().get();
  if (!text.empty()) return text;
  size_t count = 0;
  for (const Group& group : groups) count += group.series.size();
  if (count == 1) {
    for (const Group& group : groups) {
      if (!group.series.empty()) return group.series.front().name;
    }
  }
  return title ? "Chart Title" : "";
}

// A title's look: two fifths larger than the chart's text unless its text properties or its own
// text's first run say otherwise.
TextLook TitleLook(pugi::xml_node title, const TextLook& look, DrawingContext& context) {
  TextLook title_look = chart::LookOf(
      title.child("c:txPr"), TextLook{look.size * 1.4, look.color, false, look.family}, context);
  pugi::xml_node rich = title.child("c:tx").child("c:rich");
  title_look = chart::LookOf(rich, title_look, context);
  pugi::xml_node run = rich.child("a:p").child("a:r").child("a:rPr");
  if (run.attribute("sz")) title_look.size = run.attribute("sz").as_double() / 100;
  if (run.attribute("b")) title_look.bold = run.attribute("b").as_bool();
  return title_look;
}

std::vector<std::pair<std::string, Color>> LegendEntries(pugi::xml_node legend,
                                                         const std::vector<Group>& groups,
                                                         DrawingContext& context) {
  std::vector<std::pair<std::string, Color>> entries;
  const Group& first = groups.front();
  if ((first.kind == "pie" || first.kind == "doughnut") && !first.series.empty()) {
    // A pie's legend names its categories.
    const Series& series = first.series.front();
    for (size_t i = 0; i < series.categories.size(); ++i) {
      entries.emplace_back(series.categories[i], chart::PointColor(first, series, i, context));
    }
    return entries;
  }
  for (const Group& group : groups) {
    for (const Series& series : group.series) entries.emplace_back(series.name, series.color);
  }
  // A legend down the side lists stacked series top down, as their stack shows them.
  std::string_view position = legend.child("c:legendPos").attribute("val").as_string("r");
  if (first.stacked && !first.horizontal && (position == "r" || position == "l")) {
    std::reverse(entries.begin(), entries.end());
  }
  return entries;
}

// The legend, taking its room from `plot`.
std::string Legend(pugi::xml_node legend, const std::vector<Group>& groups, const Box& box,
                   Box& plot, const TextLook& look, DrawingContext& context) {
  TextLook legend_look = chart::LookOf(legend.child("c:txPr"), look, context);
  std::vector<std::pair<std::string, Color>> entries = LegendEntries(legend, groups, context);
  std::string_view position = legend.child("c:legendPos").attribute("val").value();
  double size = legend_look.size, line = size * 1.5;
  auto entry_width = [&](const std::string& name) {
    return size * 1.5 + chart::TextWidth(name.size(), size) + 8;
  };
  std::string content;
  auto entry = [&](double x, double y, const std::string& name, const Color& color) {
    content += chart::Rect(x, y - size * 0.35, size * 0.7, size * 0.7, color);
    content += chart::Text(x + size, y, name, legend_look, "start");
  };
  if (position == "b" || position == "t") {
    // Entries side by side, in as many rows as the chart's width needs.
    std::vector<std::pair<size_t, double>> rows;  // first entry, width
    for (size_t i = 0; i < entries.size(); ++i) {
      double width = entry_width(entries[i].first);
      if (rows.empty() || rows.back().second + width > box.width - 16) rows.emplace_back(i, 0);
      rows.back().second += width;
    }
    double y =
        position == "b" ? plot.y + plot.height - line * (rows.size() - 0.5) : plot.y + line / 2;
    for (size_t r = 0; r < rows.size(); ++r, y += line) {
      size_t end = r + 1 < rows.size() ? rows[r + 1].first : entries.size();
      double x = box.x + (box.width - rows[r].second) / 2;
      for (size_t i = rows[r].first; i < end; ++i) {
        entry(x, y, entries[i].first, entries[i].second);
        x += entry_width(entries[i].first);
      }
    }
    plot.height -= line * rows.size();
    if (position == "t") plot.y += line * rows.size();
    return content;
  }
  double width = 0;
  for (const auto& item : entries) width = std::max(width, entry_width(item.first));
  double x = position == "l" ? plot.x : plot.x + plot.width - width;
  double y = plot.y + (plot.height - line * entries.size()) / 2 + line / 2;
  for (const auto& [name, color] : entries) {
    entry(x, y, name, color);
    y += line;
  }
  plot.width -= width;
  if (position == "l") plot.x += width;
  return content;
}

// The chart part's root; one that does not parse is drawn from what parses before its fault,
// held in `salvaged`.
pugi::xml_node ChartSpace(const std::string& chart_part, pugi::xml_document& salvaged,
                          DrawingContext& context) {
  try {
    return context.package().Xml(chart_part).document_element();
  } catch (const Error&) {
    if (!ParseXmlUpToFault(salvaged, context.package().ReadBytes(chart_part))) throw;
    return salvaged.document_element();
  }
}

}  // namespace

std::string DrawChart(const std::string& chart_part, const Box& box, DrawingContext& context) {
  pugi::xml_document salvaged;
  pugi::xml_node space = ChartSpace(chart_part, salvaged, context);
  pugi::xml_node chart = space.child("c:chart");
  std::vector<Group> groups = ReadGroups(chart.child("c:plotArea"), context);
  // Chart texts are in the theme's body font and text colour unless they say otherwise.
  TextLook look;
  look.family = context.FontFamily("+mn-lt");
  look.color = context.SchemeColor("tx1").value_or(Color{0, 0, 0});
  look = chart::LookOf(space.child("c:txPr"), look, context);

  std::string content;
  // The chart area in its first colour (a gradient would need definitions of its own).
  if (std::optional<Paint> paint = context.FillIn(space.child("c:spPr")); paint && !paint->none) {
    content += chart::Rect(box.x, box.y, box.width, box.height, paint->color);
  }
  Box plot{box.x + 8, box.y + 8, box.width - 16, box.height - 16};
  std::string title = ChartTitle(chart, groups);
  if (!title.empty()) {
    TextLook title_look = TitleLook(chart.child("c:title"), look, context);
    content += chart::Text(box.x + box.width / 2, plot.y + title_look.size * 0.6, title, title_look,
                           "middle");
    plot.y += title_look.size * 1.6;
    plot.height -= title_look.size * 1.6;
  }
  if (pugi::xml_node legend = chart.child("c:legend"); legend && !groups.empty()) {
    content += Legend(legend, groups, box, plot, look, context);
  }
  bool has_axes = false;
  for (const Group& group : groups) {
    has_axes = has_axes || (group.kind != "pie" && group.kind != "doughnut");
  }
  if (has_axes) {
    content += chart::DrawAxesChart(chart.child("c:plotArea"), groups, box, plot, look, context);
  } else {
    for (const Group& group : groups) {
      content += chart::DrawPie(group, plot, look, chart.child("c:view3D"), context);
    }
  }
  content += chart::UserShapes(chart_part, box, context);
  return "<g class=\"chart\">" + content + "</g>";
}

}  // namespace vintrel::ooxml::drawing
