#include "host/ooxml/drawing/drawing_table.h"

#include <algorithm>
#include <vector>

#include "host/ooxml/drawing/drawing_text.h"

namespace vintrel::ooxml::drawing {

namespace {

Color Mix(const Color& color, double weight_of_white) {
  auto mix = [&](int c) { return static_cast<int>(c + (255 - c) * weight_of_white); };
  return {mix(color.r), mix(color.g), mix(color.b), color.alpha};
}

// The fill a cell gets from the default table style when it names none itself.
std::optional<Paint> StyleFill(pugi::xml_node table_properties, size_t row,
                               DrawingContext& context) {
  if (!table_properties.attribute("tableStyleId") && !table_properties.child("a:tableStyleId")) {
    return std::nullopt;
  }
  Color accent = context.SchemeColor("accent1").value_or(Color{68, 114, 196});
  bool header = table_properties.attribute("firstRow").as_bool();
  bool banded = table_properties.attribute("bandRow").as_bool();
  Paint paint;
  paint.none = false;
  if (header && row == 0) {
    paint.color = accent;
  } else {
    size_t body_row = header ? row - 1 : row;
    paint.color = Mix(accent, banded && body_row % 2 == 1 ? 0.9 : 0.8);
  }
  return paint;
}

}  // namespace

std::string DrawTable(pugi::xml_node table, const Box& box, DrawingContext& context,
                      std::string& defs) {
  std::vector<double> columns;
  for (pugi::xml_node column : table.child("a:tblGrid").children("a:gridCol")) {
    columns.push_back(column.attribute("w").as_double() / kEmuPerPoint);
  }
  std::vector<pugi::xml_node> rows;
  std::vector<double> heights;
  for (pugi::xml_node row : table.children("a:tr")) {
    rows.push_back(row);
    heights.push_back(std::max(row.attribute("h").as_double() / kEmuPerPoint,
                               RowTextHeight(row, columns, context)));
  }
  pugi::xml_node table_properties = table.child("a:tblPr");
  bool header = table_properties.attribute("firstRow").as_bool();
  std::string content;
  double y = box.y;
  for (size_t r = 0; r < rows.size(); ++r) {
    double x = box.x;
    size_t c = 0;
    for (pugi::xml_node cell : rows[r].children("a:tc")) {
      if (c >= columns.size()) break;
      double width = 0;
      int span = std::max(1, cell.attribute("gridSpan").as_int(1));
      for (int s = 0; s < span && c + s < columns.size(); ++s) width += columns[c + s];
      double height = 0;
      int row_span = std::max(1, cell.attribute("rowSpan").as_int(1));
      for (int s = 0; s < row_span && r + s < heights.size(); ++s) height += heights[r + s];
      bool merged = cell.attribute("hMerge").as_bool() || cell.attribute("vMerge").as_bool();
      if (!merged) {
        pugi::xml_node properties = cell.child("a:tcPr");
        std::optional<Paint> fill = context.FillIn(properties);
        bool styled = !fill;
        if (!fill) fill = StyleFill(table_properties, r, context);
        styled = styled && fill;
        Box cell_box{x, y, width, height};
        content += "<rect x=\"" + Num(x) + "\" y=\"" + Num(y) + "\" width=\"" + Num(width) +
                   "\" height=\"" + Num(height) + "\"" + FillAttributes(fill, context, defs) +
                   (styled ? " stroke=\"#ffffff\" stroke-width=\"1\"" : "") + "/>";
        // Borders the cell names itself: left, right, top, bottom.
        const char* sides[] = {"a:lnL", "a:lnR", "a:lnT", "a:lnB"};
        for (int side = 0; side < 4; ++side) {
          std::optional<Stroke> stroke = context.LineOf(properties.child(sides[side]));
          if (!stroke || stroke->none) continue;
          double x1 = side == 1 ? x + width : x, x2 = side == 0 ? x : x + width;
          double y1 = side == 3 ? y + height : y, y2 = side == 2 ? y : y + height;
          content += "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) +
                     "\" y2=\"" + Num(y2) + "\"" + StrokeAttributes(stroke) + "/>";
        }
        pugi::xml_document body_properties;
        pugi::xml_node body = body_properties.append_child("a:bodyPr");
        body.append_attribute("lIns") = properties.attribute("marL").as_int(91440);
        body.append_attribute("rIns") = properties.attribute("marR").as_int(91440);
        body.append_attribute("tIns") = properties.attribute("marT").as_int(45720);
        body.append_attribute("bIns") = properties.attribute("marB").as_int(45720);
        body.append_attribute("anchor") = properties.attribute("anchor").as_string("t");
        TextStyles styles;
        styles.lists = {cell.child("a:txBody").child("a:lstStyle"), context.DefaultTextStyle(),
                        context.MasterTextStyle("other")};
        styles.bodies = {body};
        if (header && r == 0 && !properties.child("a:solidFill")) {
          styles.font_color = context.SchemeColor("lt1").value_or(Color{255, 255, 255});
        }
        content += DrawTextBody(cell.child("a:txBody"), styles, cell_box, context);
      }
      x += columns[c];
      ++c;
    }
    y += heights[r];
  }
  return content;
}

}  // namespace vintrel::ooxml::drawing
