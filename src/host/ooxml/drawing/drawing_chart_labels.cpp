// Data labels: what a point's label says and where it goes, from the point's own c:dLbl, its
// series' c:dLbls and its group's c:dLbls, nearest first.
#include <array>
#include <string_view>

#include "host/ooxml/drawing/drawing_chart_parts.h"

namespace vintrel::ooxml::drawing::chart {

namespace {

// The label settings that apply to one point: its own c:dLbl, the series' and the group's c:dLbls.
using Chain = std::array<pugi::xml_node, 3>;

Chain ChainOf(const Group& group, const Series& series, size_t index) {
  pugi::xml_node labels = series.element.child("c:dLbls");
  pugi::xml_node point;
  for (pugi::xml_node label : labels.children("c:dLbl")) {
    if (label.child("c:idx").attribute("val").as_uint() == index) point = label;
  }
  return {point, labels, group.element.child("c:dLbls")};
}

pugi::xml_node Nearest(const Chain& chain, const char* name) {
  for (pugi::xml_node node : chain) {
    if (pugi::xml_node child = node.child(name)) return child;
  }
  return {};
}

bool Shows(const Chain& chain, const char* name) {
  return Nearest(chain, name).attribute("val").as_bool();
}

// Labels taken from a range of cells are kept in an extension of the series and switched on in
// one of the label settings.
bool ShowsRange(const Chain& chain) {
  for (pugi::xml_node node : chain) {
    pugi::xml_node flag = node.select_node("c:extLst/c:ext/c15:showDataLabelsRange").node();
    if (flag) return flag.attribute("val").as_bool();
  }
  return false;
}

std::string RangeText(const Series& series, size_t index) {
  pugi::xml_node cache =
      series.element.select_node("c:extLst/c:ext/c15:datalabelsRange/c15:dlblRangeCache").node();
  for (pugi::xml_node point : cache.children("c:pt")) {
    if (point.attribute("idx").as_uint() == index) return point.child("c:v").text().get();
  }
  return {};
}

struct Parts {
  std::string range, series, category, value, percent;
};

// A label its author wrote, with fields standing for the point's parts.
std::string RichText(pugi::xml_node rich, const Parts& parts) {
  std::string text;
  for (pugi::xml_node paragraph : rich.children("a:p")) {
    if (!text.empty()) text += ' ';
    for (pugi::xml_node run : paragraph.children()) {
      std::string_view name = run.name(), type = run.attribute("type").value();
      if (name == "a:r") text += run.child("a:t").text().get();
      if (name != "a:fld") continue;
      if (type == "CELLRANGE")
        text += parts.range;
      else if (type == "SERIESNAME")
        text += parts.series;
      else if (type == "CATEGORYNAME" || type == "XVALUE")
        text += parts.category;
      else if (type == "VALUE" || type == "YVALUE")
        text += parts.value;
      else if (type == "PERCENTAGE")
        text += parts.percent;
      else
        text += run.child("a:t").text().get();
    }
  }
  return text;
}

std::string DefaultPosition(const Group& group) {
  if (group.kind == "bar") return group.stacked ? "ctr" : "outEnd";
  if (group.kind == "line" || group.kind == "scatter") return "r";
  if (group.kind == "area") return "ctr";
  return "bestFit";
}

}  // namespace

std::optional<PointLabel> LabelOf(const Group& group, const Series& series, size_t index,
                                  double share, const TextLook& look, DrawingContext& context) {
  Chain chain = ChainOf(group, series, index);
  if (chain[0].child("c:delete").attribute("val").as_bool() ||
      chain[1].child("c:delete").attribute("val").as_bool()) {
    return std::nullopt;
  }
  bool range = ShowsRange(chain), name = Shows(chain, "c:showSerName"),
       category = Shows(chain, "c:showCatName"), value = Shows(chain, "c:showVal"),
       percent = Shows(chain, "c:showPercent") && share >= 0;
  if (!range && !name && !category && !value && !percent) return std::nullopt;
  Parts parts;
  parts.range = RangeText(series, index);
  parts.series = series.name;
  if (index < series.categories.size()) parts.category = series.categories[index];
  std::string format = series.format;
  if (pugi::xml_node number = Nearest(chain, "c:numFmt");
      number && !number.attribute("sourceLinked").as_bool()) {
    format = number.attribute("formatCode").value();
  }
  if (index < series.values.size() && series.values[index]) {
    parts.value = FormatValue(*series.values[index], format);
  }
  if (share >= 0) parts.percent = FormatValue(share, "0%");
  PointLabel label;
  if (pugi::xml_node rich = chain[0].child("c:tx").child("c:rich")) {
    label.text = RichText(rich, parts);
  } else {
    std::string separator = Nearest(chain, "c:separator").text().as_string(", ");
    for (auto [shown, text] : {std::pair{range, &parts.range},
                               {name, &parts.series},
                               {category, &parts.category},
                               {value, &parts.value},
                               {percent, &parts.percent}}) {
      if (!shown || text->empty()) continue;
      if (!label.text.empty()) label.text += separator;
      label.text += *text;
    }
  }
  for (char& c : label.text) c = c == '\n' || c == '\r' ? ' ' : c;
  if (label.text.empty()) return std::nullopt;
  label.position = Nearest(chain, "c:dLblPos").attribute("val").as_string();
  if (label.position.empty()) label.position = DefaultPosition(group);
  label.look = look;
  for (size_t i = chain.size(); i-- > 0;) {
    label.look = LookOf(chain[i].child("c:txPr"), label.look, context);
  }
  return label;
}

std::string PointLabelText(const PointLabel& label, double x, double y, double gap) {
  const std::string& at = label.position;
  double half = label.look.size * 0.6;
  if (at == "r") return Text(x + gap, y, label.text, label.look, "start");
  if (at == "l") return Text(x - gap, y, label.text, label.look, "end");
  if (at == "b") return Text(x, y + gap + half, label.text, label.look, "middle");
  if (at == "ctr") return Text(x, y, label.text, label.look, "middle");
  return Text(x, y - gap - half, label.text, label.look, "middle");
}

}  // namespace vintrel::ooxml::drawing::chart
