// What the chart drawing shares between its files: the series and groups read from a chart
// part, the look of its texts, and small SVG helpers. Not part of the host's interface.
#ifndef VINTREL_HOST_OOXML_DRAWING_CHART_PARTS_H_
#define VINTREL_HOST_OOXML_DRAWING_CHART_PARTS_H_

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing::chart {

struct Series {
  std::string name;
  std::vector<std::string> categories;  // for a scatter chart, its x values as written
  std::vector<std::optional<double>> values;
  std::vector<std::optional<double>> x_values;  // scatter and bubble charts only
  std::vector<std::optional<double>> sizes;     // bubble charts only
  std::string format;
  pugi::xml_node element;
  Color color;
};

struct Group {
  std::string kind;  // bar, line, scatter, bubble, area, pie, doughnut
  bool xy = false;   // placed by x and y values (scatter and bubble charts)
  bool horizontal = false;
  bool stacked = false;
  bool percent = false;
  bool vary_colors = false;
  double gap = 1.5;    // between clusters, in bar widths
  double overlap = 0;  // of neighbouring bars in a cluster, in bar widths (negative: apart)
  double hole = 0.5;
  pugi::xml_node element;
  std::vector<Series> series;
};

struct TextLook {
  double size = 10;
  Color color{89, 89, 89};
  bool bold = false;
  std::string family = "sans-serif";  // a CSS font family list
};

// The look of a chart text from its c:txPr, what is not given taken from `fallback`.
TextLook LookOf(pugi::xml_node text_properties, const TextLook& fallback, DrawingContext& context);
std::string Text(double x, double y, const std::string& text, const TextLook& look,
                 const char* anchor, const char* baseline = "central");
std::string Rect(double x, double y, double w, double h, const Color& color);
std::string Line(double x1, double y1, double x2, double y2, const std::optional<Stroke>& stroke);
std::string FormatValue(double value, std::string_view format);
// A format code showing dates (m/d/yyyy, d-mmm ...), and a day number in such a format.
bool IsDateFormat(std::string_view format);
std::string FormatDate(double serial, std::string_view format);
// A point's data label: its text, where it goes (c:dLblPos: t, b, l, r, ctr, outEnd, inEnd,
// inBase, bestFit) and its look.
struct PointLabel {
  std::string text;
  std::string position;
  TextLook look;
};
// The label of point `index` of a series, none when no part of it shows; `share` is the point's
// share of its series (pie charts), negative when it has none.
std::optional<PointLabel> LabelOf(const Group& group, const Series& series, size_t index,
                                  double share, const TextLook& look, DrawingContext& context);
// A label placed beside a point at (x, y), `gap` away from its middle.
std::string PointLabelText(const PointLabel& label, double x, double y, double gap);
// The width of a text of `characters` at `size` points, roughly, for laying labels out.
inline double TextWidth(size_t characters, double size) {
  return 0.55 * size * characters;
}

// Value, category and scatter groups drawn inside `plot` (what the title and legend leave of
// the chart's box `chart`) with their axes.
std::string DrawAxesChart(pugi::xml_node plot_area, const std::vector<Group>& groups,
                          const Box& chart, Box plot, const TextLook& look,
                          DrawingContext& context);

// The colour of point `index` of a series: the series' own, the theme's accents when the group
// varies its colours, or the point's own fill.
Color PointColor(const Group& group, const Series& series, size_t index, DrawingContext& context);
// A pie or doughnut chart filling `plot`; a 3-D pie (c:pie3DChart) is tilted as `view3d` says,
// its rim showing in front.
std::string DrawPie(const Group& group, const Box& plot, const TextLook& look,
                    pugi::xml_node view3d, DrawingContext& context);

// The shapes drawn over the chart in its user shapes part, placed in the chart's box.
std::string UserShapes(const std::string& chart_part, const Box& chart, DrawingContext& context);

}  // namespace vintrel::ooxml::drawing::chart

#endif  // VINTREL_HOST_OOXML_DRAWING_CHART_PARTS_H_
