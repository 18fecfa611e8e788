#include "host/ooxml/drawing/drawing_table.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_text.h"

namespace vintrel::ooxml::drawing {

namespace {

// The style a table falls back to when the deck does not define the one it names: the look
// PowerPoint gives a new table ("Medium Style 2 - Accent 1").
constexpr char kDefaultStyle[] =
    R"(<a:tblStyle xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main">)"
    R"(<a:wholeTbl><a:tcTxStyle><a:schemeClr val="dk1"/></a:tcTxStyle><a:tcStyle><a:tcBdr>)"
    R"(<a:left><a:ln w="12700"><a:solidFill><a:schemeClr val="lt1"/></a:solidFill></a:ln></a:left>)"
    R"(<a:right><a:ln w="12700"><a:solidFill><a:schemeClr val="lt1"/></a:solidFill></a:ln></a:right>)"
    R"(<a:top><a:ln w="12700"><a:solidFill><a:schemeClr val="lt1"/></a:solidFill></a:ln></a:top>)"
    R"(<a:bottom><a:ln w="12700"><a:solidFill><a:schemeClr val="lt1"/></a:solidFill></a:ln>)"
    R"(</a:bottom><a:insideH><a:ln w="12700"><a:solidFill><a:schemeClr val="lt1"/></a:solidFill>)"
    R"(</a:ln></a:insideH><a:insideV><a:ln w="12700"><a:solidFill><a:schemeClr val="lt1"/>)"
    R"(</a:solidFill></a:ln></a:insideV></a:tcBdr><a:fill><a:solidFill><a:schemeClr val="accent1">)"
    R"(<a:tint val="20000"/></a:schemeClr></a:solidFill></a:fill></a:tcStyle></a:wholeTbl>)"
    R"(<a:band1H><a:tcStyle><a:fill><a:solidFill><a:schemeClr val="accent1"><a:tint val="40000"/>)"
    R"(</a:schemeClr></a:solidFill></a:fill></a:tcStyle></a:band1H>)"
    R"(<a:band1V><a:tcStyle><a:fill><a:solidFill><a:schemeClr val="accent1"><a:tint val="40000"/>)"
    R"(</a:schemeClr></a:solidFill></a:fill></a:tcStyle></a:band1V>)"
    R"(<a:lastCol><a:tcTxStyle b="on"><a:schemeClr val="lt1"/></a:tcTxStyle><a:tcStyle><a:fill>)"
    R"(<a:solidFill><a:schemeClr val="accent1"/></a:solidFill></a:fill></a:tcStyle></a:lastCol>)"
    R"(<a:firstCol><a:tcTxStyle b="on"><a:schemeClr val="lt1"/></a:tcTxStyle><a:tcStyle><a:fill>)"
    R"(<a:solidFill><a:schemeClr val="accent1"/></a:solidFill></a:fill></a:tcStyle></a:firstCol>)"
    R"(<a:lastRow><a:tcTxStyle b="on"><a:schemeClr val="lt1"/></a:tcTxStyle><a:tcStyle><a:tcBdr>)"
    R"(<a:top><a:ln w="38100"><a:solidFill><a:schemeClr val="lt1"/></a:solidFill></a:ln></a:top>)"
    R"(</a:tcBdr><a:fill><a:solidFill><a:schemeClr val="accent1"/></a:solidFill></a:fill>)"
    R"(</a:tcStyle></a:lastRow><a:firstRow><a:tcTxStyle b="on"><a:schemeClr val="lt1"/>)"
    R"(</a:tcTxStyle><a:tcStyle><a:tcBdr><a:bottom><a:ln w="38100"><a:solidFill>)"
    R"(<a:schemeClr val="lt1"/></a:solidFill></a:ln></a:bottom></a:tcBdr><a:fill><a:solidFill>)"
    R"(<a:schemeClr val="accent1"/></a:solidFill></a:fill></a:tcStyle></a:firstRow></a:tblStyle>)";

pugi::xml_node DefaultStyle() {
  struct Parsed {
    Parsed() { document.load_string(kDefaultStyle); }
    pugi::xml_document document;
  };
  static const Parsed parsed;
  return parsed.document.document_element();
}

// The table style named by the table's properties: from the deck's table styles, else the
// default look. Empty for a table that names no style.
pugi::xml_node TableStyle(pugi::xml_node table_properties, DrawingContext& context) {
  pugi::xml_node id_element = table_properties.child("a:tableStyleId");
  std::string_view id =
      id_element ? id_element.text().get() : table_properties.attribute("tableStyleId").value();
  if (id.empty()) return {};
  Package& package = context.package();
  for (const Relationship& rel : package.Rels(package.main_part())) {
    if (rel.external || !rel.type.ends_with("/tableStyles")) continue;
    std::string part = Package::ResolveTarget(package.main_part(), rel.target);
    if (!package.Has(part)) break;
    for (pugi::xml_node style : package.Xml(part).document_element().children("a:tblStyle")) {
      if (id == style.attribute("styleId").value()) return style;
    }
  }
  return DefaultStyle();
}

// What the table style gives one cell, its parts laid over each other.
struct CellLook {
  std::optional<Paint> fill;
  std::optional<Stroke> sides[4];  // left, right, top, bottom
  RunLook text;
};

// Where a cell lies in the region a style part covers (the whole table, a row, a column).
struct Edges {
  bool left, right, top, bottom;
};

std::optional<Stroke> BorderOf(pugi::xml_node border, DrawingContext& context) {
  if (pugi::xml_node line = border.child("a:ln")) return context.LineOf(line);
  return context.ThemeLine(border.child("a:lnRef"));
}

void LayPart(pugi::xml_node part, const Edges& edges, DrawingContext& context, CellLook& look) {
  if (!part) return;
  pugi::xml_node cell_style = part.child("a:tcStyle");
  pugi::xml_node fill = cell_style.child("a:fill");
  if (std::optional<Paint> paint = context.FillIn(fill)) {
    look.fill = paint;
  } else if (std::optional<Paint> themed = context.ThemeFill(cell_style.child("a:fillRef"))) {
    look.fill = themed;
  }
  pugi::xml_node borders = cell_style.child("a:tcBdr");
  const char* names[4] = {edges.left ? "a:left" : "a:insideV",
                          edges.right ? "a:right" : "a:insideV", edges.top ? "a:top" : "a:insideH",
                          edges.bottom ? "a:bottom" : "a:insideH"};
  for (int side = 0; side < 4; ++side) {
    if (pugi::xml_node border = borders.child(names[side])) {
      look.sides[side] = BorderOf(border, context);
    }
  }
  pugi::xml_node text = part.child("a:tcTxStyle");
  if (!text) return;
  if (pugi::xml_node font = text.child("a:fontRef")) {
    RunLook reference = FontReferenceLook(font, context);
    look.text.typeface = reference.typeface;
    if (reference.color) look.text.color = reference.color;
  }
  if (pugi::xml_node latin = text.child("a:font").child("a:latin")) {
    look.text.typeface = latin.attribute("typeface").value();
  }
  if (text.attribute("b")) look.text.bold = std::string_view(text.attribute("b").value()) == "on";
  if (text.attribute("i")) look.text.italic = std::string_view(text.attribute("i").value()) == "on";
  if (std::optional<Color> color = context.ColorIn(text)) look.text.color = color;
}

struct Grid {
  size_t row, column, rows, columns;
};

// Parts in the order they override each other: the whole table, bands, then first and last
// columns and rows.
CellLook LookOf(pugi::xml_node style, pugi::xml_node flags, const Grid& at,
                DrawingContext& context) {
  CellLook look;
  if (!style) return look;
  auto flag = [&](const char* name) { return flags.attribute(name).as_bool(); };
  bool first_row = flag("firstRow"), last_row = flag("lastRow");
  bool first_column = flag("firstCol"), last_column = flag("lastCol");
  size_t last_r = at.rows - 1, last_c = at.columns - 1;
  Edges whole{at.column == 0, at.column == last_c, at.row == 0, at.row == last_r};
  Edges row_part{at.column == 0, at.column == last_c, true, true};
  Edges column_part{true, true, at.row == 0, at.row == last_r};
  LayPart(style.child("a:wholeTbl"), whole, context, look);
  if (flag("bandCol")) {
    size_t band = at.column - (first_column ? 1 : 0);
    LayPart(style.child(band % 2 == 0 ? "a:band1V" : "a:band2V"), column_part, context, look);
  }
  bool body_row = !(first_row && at.row == 0) && !(last_row && at.row == last_r);
  if (flag("bandRow") && body_row) {
    size_t band = at.row - (first_row ? 1 : 0);
    LayPart(style.child(band % 2 == 0 ? "a:band1H" : "a:band2H"), row_part, context, look);
  }
  if (first_column && at.column == 0)
    LayPart(style.child("a:firstCol"), column_part, context, look);
  if (last_column && at.column == last_c) {
    LayPart(style.child("a:lastCol"), column_part, context, look);
  }
  if (first_row && at.row == 0) LayPart(style.child("a:firstRow"), row_part, context, look);
  if (last_row && at.row == last_r) LayPart(style.child("a:lastRow"), row_part, context, look);
  return look;
}

}  // namespace

void RunLookList(const RunLook& look, pugi::xml_document& document) {
  pugi::xml_node list = document.append_child("a:lstStyle");
  for (int level = 1; level <= 9; ++level) {
    std::string name = "a:lvl" + std::to_string(level) + "pPr";
    pugi::xml_node run = list.append_child(name.c_str()).append_child("a:defRPr");
    if (look.bold) run.append_attribute("b") = "1";
    if (look.italic) run.append_attribute("i") = "1";
    if (look.color) {
      pugi::xml_node value = run.append_child("a:solidFill").append_child("a:srgbClr");
      value.append_attribute("val") = look.color->Hex().substr(1).c_str();
      if (look.color->alpha < 1) {
        value.append_child("a:alpha").append_attribute("val") =
            static_cast<int>(look.color->alpha * 100000);
      }
    }
    if (!look.typeface.empty()) {
      run.append_child("a:latin").append_attribute("typeface") = look.typeface.c_str();
    }
  }
}

RunLook FontReferenceLook(pugi::xml_node reference, DrawingContext& context) {
  RunLook look;
  std::string_view index = reference.attribute("idx").value();
  if (index == "minor") look.typeface = "+mn-lt";
  if (index == "major") look.typeface = "+mj-lt";
  look.color = context.ColorIn(reference);
  return look;
}

namespace {

std::string Border(int side, const Box& cell, const std::optional<Stroke>& stroke) {
  if (!stroke || stroke->none) return {};
  double x1 = side == 1 ? cell.x + cell.width : cell.x;
  double x2 = side == 0 ? cell.x : cell.x + cell.width;
  double y1 = side == 3 ? cell.y + cell.height : cell.y;
  double y2 = side == 2 ? cell.y : cell.y + cell.height;
  return "<line x1=\"" + Num(x1) + "\" y1=\"" + Num(y1) + "\" x2=\"" + Num(x2) + "\" y2=\"" +
         Num(y2) + "\"" + StrokeAttributes(stroke) + "/>";
}

std::string Cell(pugi::xml_node cell, const Box& box, const CellLook& look, DrawingContext& context,
                 std::string& defs) {
  pugi::xml_node properties = cell.child("a:tcPr");
  std::optional<Paint> fill = context.FillIn(properties);
  if (!fill) fill = look.fill;
  std::string content = "<rect x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" +
                        Num(box.width) + "\" height=\"" + Num(box.height) + "\"" +
                        FillAttributes(fill, context, defs) + "/>";
  // Borders the cell names itself win over the style's.
  const char* sides[] = {"a:lnL", "a:lnR", "a:lnT", "a:lnB"};
  for (int side = 0; side < 4; ++side) {
    std::optional<Stroke> stroke = context.LineOf(properties.child(sides[side]));
    content += Border(side, box, stroke ? stroke : look.sides[side]);
  }
  pugi::xml_document body_properties;
  pugi::xml_node body = body_properties.append_child("a:bodyPr");
  body.append_attribute("lIns") = properties.attribute("marL").as_int(91440);
  body.append_attribute("rIns") = properties.attribute("marR").as_int(91440);
  body.append_attribute("tIns") = properties.attribute("marT").as_int(45720);
  body.append_attribute("bIns") = properties.attribute("marB").as_int(45720);
  body.append_attribute("anchor") = properties.attribute("anchor").as_string("t");
  pugi::xml_document style_list;
  RunLookList(look.text, style_list);
  TextStyles styles;
  styles.lists = {cell.child("a:txBody").child("a:lstStyle"), style_list.document_element(),
                  context.DefaultTextStyle(), context.MasterTextStyle("other")};
  styles.bodies = {body};
  return content + DrawTextBody(cell.child("a:txBody"), styles, box, context);
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
  pugi::xml_node style = TableStyle(table_properties, context);
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
      if (!cell.attribute("hMerge").as_bool() && !cell.attribute("vMerge").as_bool()) {
        CellLook look =
            LookOf(style, table_properties, {r, c, rows.size(), columns.size()}, context);
        content += Cell(cell, {x, y, width, height}, look, context, defs);
      }
      x += columns[c];
      ++c;
    }
    y += heights[r];
  }
  return content;
}

}  // namespace vintrel::ooxml::drawing
