#include "host/ooxml/drawing/drawing_text.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include "host/ooxml/drawing/drawing_bullets.h"
#include "host/ooxml/drawing/drawing_fields.h"
#include "host/ooxml/drawing/drawing_fonts.h"
#include "host/ooxml/drawing/drawing_line_breaks.h"

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kDefaultFontSize = 18;  // points, when no style gives a size

pugi::xml_attribute FirstAttribute(const std::vector<pugi::xml_node>& chain, const char* name) {
  for (pugi::xml_node node : chain) {
    if (pugi::xml_attribute attribute = node.attribute(name)) return attribute;
  }
  return {};
}

pugi::xml_node FirstChild(const std::vector<pugi::xml_node>& chain, const char* name) {
  for (pugi::xml_node node : chain) {
    if (pugi::xml_node child = node.child(name)) return child;
  }
  return {};
}

// The nearest body's auto-fit choice (a box's a:noAutofit overrides its layout's a:normAutofit).
pugi::xml_node AutoFit(const std::vector<pugi::xml_node>& bodies) {
  for (pugi::xml_node body : bodies) {
    for (const char* name : {"a:normAutofit", "a:noAutofit", "a:spAutoFit"}) {
      if (pugi::xml_node fit = body.child(name)) return fit;
    }
  }
  return {};
}

bool IsTrue(pugi::xml_attribute attribute) {
  std::string_view value = attribute.value();
  return value == "1" || value == "true";
}

// Everything a text body's paragraphs share while they are drawn.
struct Body {
  Body(const TextStyles& text_styles, DrawingContext& drawing_context)
      : styles(text_styles), context(drawing_context) {}
  const TextStyles& styles;
  DrawingContext& context;
  double font_scale = 1;      // normAutofit's font scale
  double line_reduction = 0;  // normAutofit's line-spacing reduction (a share of a line)
  std::tm now{};
  Numbering numbering;
  bool first_paragraph = true;
  bool no_wrap = false;
};

struct Level {
  std::vector<pugi::xml_node> paragraph;  // a:pPr, then a:lvlNpPr of each list style
  std::vector<pugi::xml_node> runs;       // a:defRPr of the same, nearest first
  // How many of `runs` come from the paragraph and the shape's own list style: those set the
  // text colour before the shape style's font colour does; the rest come after it.
  size_t own_runs = 0;
  int depth = 0;
};

Level LevelOf(pugi::xml_node paragraph_properties, const TextStyles& styles) {
  Level result;
  result.depth = std::clamp(paragraph_properties.attribute("lvl").as_int(), 0, 8);
  std::string name = "a:lvl" + std::to_string(result.depth + 1) + "pPr";
  if (paragraph_properties) result.paragraph.push_back(paragraph_properties);
  size_t own_paragraphs = result.paragraph.size();
  for (size_t i = 0; i < styles.lists.size(); ++i) {
    if (pugi::xml_node properties = styles.lists[i].child(name.c_str())) {
      result.paragraph.push_back(properties);
      if (i == 0) own_paragraphs = result.paragraph.size();
    }
  }
  for (size_t i = 0; i < result.paragraph.size(); ++i) {
    if (pugi::xml_node defaults = result.paragraph[i].child("a:defRPr")) {
      result.runs.push_back(defaults);
      if (i < own_paragraphs) result.own_runs = result.runs.size();
    }
  }
  return result;
}

// A run's properties followed by its paragraph's defaults; `own` counts the entries that come
// before the shape style's font colour.
struct RunChain {
  std::vector<pugi::xml_node> nodes;
  size_t own = 0;
};

RunChain RunChainOf(pugi::xml_node properties, const Level& level) {
  RunChain chain;
  if (properties) chain.nodes.push_back(properties);
  chain.own = chain.nodes.size() + level.own_runs;
  chain.nodes.insert(chain.nodes.end(), level.runs.begin(), level.runs.end());
  return chain;
}

double FontSize(const RunChain& chain, double scale) {
  pugi::xml_attribute size = FirstAttribute(chain.nodes, "sz");
  return (size ? size.as_double() / 100 : kDefaultFontSize) * scale;
}

std::string FamilyOf(const RunChain& chain, const DrawingContext& context) {
  pugi::xml_node latin = FirstChild(chain.nodes, "a:latin");
  return latin ? context.FontName(latin.attribute("typeface").value()) : std::string();
}

std::optional<Color> TextColor(const RunChain& chain, const Body& body) {
  auto fill_in = [&](size_t from, size_t to) -> std::optional<Color> {
    for (size_t i = from; i < to && i < chain.nodes.size(); ++i) {
      if (std::optional<Paint> paint = body.context.FillIn(chain.nodes[i])) {
        return paint->none ? Color{0, 0, 0, 0} : paint->color;
      }
    }
    return std::nullopt;
  };
  if (std::optional<Color> own = fill_in(0, chain.own)) return own;
  if (body.styles.font_color) return body.styles.font_color;
  if (std::optional<Color> inherited = fill_in(chain.own, chain.nodes.size())) return inherited;
  return body.context.SchemeColor("tx1");
}

std::string RunStyle(const RunChain& chain, const Body& body) {
  double size = FontSize(chain, body.font_scale);
  // Raised and lowered text is smaller, moved by its share of the size.
  int baseline = FirstAttribute(chain.nodes, "baseline").as_int();
  std::string css = "font-size:" + Num(baseline != 0 ? size * 2 / 3 : size) + "px";
  if (baseline != 0) css += ";vertical-align:" + Num(size * baseline / 100000) + "px";
  if (std::string family = FamilyOf(chain, body.context); !family.empty()) {
    css += ";font-family:" + CssFontFamily(family);
  }
  if (IsTrue(FirstAttribute(chain.nodes, "b"))) css += ";font-weight:bold";
  if (IsTrue(FirstAttribute(chain.nodes, "i"))) css += ";font-style:italic";
  std::string decoration;
  if (pugi::xml_attribute u = FirstAttribute(chain.nodes, "u");
      u && std::string_view(u.value()) != "none") {
    decoration += " underline";
  }
  if (pugi::xml_attribute s = FirstAttribute(chain.nodes, "strike");
      s && std::string_view(s.value()) != "noStrike") {
    decoration += " line-through";
  }
  // Linked text shows in the theme's link colour, underlined.
  std::optional<Color> color;
  if (!chain.nodes.empty() && chain.nodes[0].child("a:hlinkClick")) {
    color = body.context.SchemeColor("hlink");
    if (decoration.find("underline") == std::string::npos) decoration += " underline";
  }
  if (!color) color = TextColor(chain, body);
  if (!decoration.empty()) css += ";text-decoration:" + decoration.substr(1);
  if (color) {
    css += ";color:" + color->Hex();
    if (color->alpha < 1) css += ";opacity:" + Num(color->alpha);
  }
  if (std::string_view(FirstAttribute(chain.nodes, "cap").value()) == "all") {
    css += ";text-transform:uppercase";
  }
  if (pugi::xml_attribute spacing = FirstAttribute(chain.nodes, "spc")) {
    css += ";letter-spacing:" + Num(spacing.as_double() / 100) + "px";
  }
  if (std::optional<Color> highlight = body.context.ColorIn(
          chain.nodes.empty() ? pugi::xml_node() : chain.nodes[0].child("a:highlight"))) {
    css += ";background-color:" + highlight->Hex();
  }
  return css;
}

// The text of a run or field as the browser must get it: symbol fonts mapped to Unicode.
std::string RunText(pugi::xml_node run, const RunChain& chain, const Body& body) {
  std::string text = std::string_view(run.name()) == "a:fld"
                         ? FieldText(run, body.context.slide_number(), body.now)
                         : run.child("a:t").text().get();
  for (const char* font : {"a:sym", "a:latin"}) {
    pugi::xml_node typeface = FirstChild(chain.nodes, font);
    std::string family = body.context.FontName(typeface.attribute("typeface").value());
    if (IsSymbolFont(family)) return SymbolText(family, text);
  }
  return text;
}

// The presentation program's single line is 1.2 times the font size whatever the font, with
// the first baseline at about the size below the top (as LibreOffice draws decks too).
constexpr double kSingleLine = 1.2;
constexpr double kFirstBaseline = 0.995;

// Spacing before or after a paragraph in points: a share of the paragraph's font size, or
// points.
double Spacing(pugi::xml_node spacing, double font_size) {
  if (pugi::xml_node points = spacing.child("a:spcPts")) {
    return points.attribute("val").as_double() / 100;
  }
  if (pugi::xml_node percent = spacing.child("a:spcPct")) {
    return percent.attribute("val").as_double() / 100000 * font_size;
  }
  return 0;
}

// Line spacing as CSS. The presentation program puts a line's extra spacing above its text (and
// takes reduced spacing from above it) and its baseline where the font's own ascent does not
// decide; CSS shares the spacing above and below and puts the baseline by the font's ascent and
// descent, so the paragraph's text moves by the difference.
std::string LineSpacing(const Level& level, double size, const FontMetrics& font,
                        const Body& body) {
  double line = size * kSingleLine * std::max(1 - body.line_reduction, 0.1);
  if (pugi::xml_node spacing = FirstChild(level.paragraph, "a:lnSpc")) {
    if (pugi::xml_node percent = spacing.child("a:spcPct")) {
      double factor = percent.attribute("val").as_double() / 100000 - body.line_reduction;
      line = size * kSingleLine * std::max(factor, 0.1);
    } else if (pugi::xml_node points = spacing.child("a:spcPts")) {
      line = points.attribute("val").as_double() / 100;
    }
  }
  double wanted = kFirstBaseline * size + line - kSingleLine * size;
  double css = (line - (font.ascent + font.descent) * size) / 2 + font.ascent * size;
  std::string text = ";line-height:" + Num(line / size);
  if (std::abs(wanted - css) >= 0.01) text += ";position:relative;top:" + Num(wanted - css) + "px";
  return text;
}

std::string ParagraphStyle(const Level& level, double size, double strut, const FontMetrics& font,
                           bool first, const Body& body) {
  std::string css = "margin:0;font-size:" + Num(strut) + "px";
  std::string_view align = FirstAttribute(level.paragraph, "algn").value();
  if (align == "ctr") css += ";text-align:center";
  if (align == "r") css += ";text-align:right";
  if (align == "just" || align == "dist") css += ";text-align:justify";
  // Unwrapped lines keep their alignment when they are wider than the box: right-aligned text
  // runs out to the left, centred text to both sides.
  if (body.no_wrap) {
    css += std::string(";width:max-content;align-self:") + (align == "r"     ? "flex-end"
                                                            : align == "ctr" ? "center"
                                                                             : "flex-start");
  }
  // A right-to-left paragraph starts at the right: its margin and bullet are there.
  bool rtl = FirstAttribute(level.paragraph, "rtl").as_bool();
  if (rtl) css += ";direction:rtl";
  if (pugi::xml_attribute margin = FirstAttribute(level.paragraph, "marL")) {
    css += std::string(rtl ? ";padding-right:" : ";padding-left:") +
           Num(margin.as_double() / kEmuPerPoint) + "px";
  }
  if (pugi::xml_attribute indent = FirstAttribute(level.paragraph, "indent")) {
    css += ";text-indent:" + Num(indent.as_double() / kEmuPerPoint) + "px";
  }
  css += LineSpacing(level, size, font, body);
  // The first paragraph's spacing before does not move it from the top of the box.
  pugi::xml_node before = FirstChild(level.paragraph, "a:spcBef");
  if (before && !first) css += ";margin-top:" + Num(Spacing(before, size)) + "px";
  if (pugi::xml_node after = FirstChild(level.paragraph, "a:spcAft")) {
    css += ";margin-bottom:" + Num(Spacing(after, size)) + "px";
  }
  return css;
}

// The bullet as an element of its own: with a hanging indent (negative `indent`) it fills the
// indent, so the text starts at the margin as it does on the slide.
std::string BulletElement(const Level& level, const RunChain& first, Body& body) {
  FirstRun run{FontSize(first, body.font_scale), FamilyOf(first, body.context),
               TextColor(first, body)};
  Bullet bullet = BulletOf(level.paragraph, level.depth, run, body.numbering, body.context);
  if (bullet.text.empty()) return {};
  double indent = FirstAttribute(level.paragraph, "indent").as_double() / kEmuPerPoint;
  // The bullet's own font (often taller than the text's) does not make its line taller.
  std::string css = bullet.css + ";text-indent:0;line-height:0";
  std::string text = Escape(bullet.text);
  if (indent < 0) {
    css += ";display:inline-block;min-width:" + Num(-indent) + "px";
  } else {
    text += "\u00a0";
  }
  return "<span style=\"" + Escape(css) + "\">" + text + "</span>";
}

std::string Paragraph(pugi::xml_node paragraph, Body& body) {
  pugi::xml_node properties = paragraph.child("a:pPr");
  Level level = LevelOf(properties, body.styles);
  pugi::xml_node first_run = paragraph.find_child([](pugi::xml_node n) {
    std::string_view name = n.name();
    return name == "a:r" || name == "a:fld";
  });
  // The paragraph's own size (its first run's) makes spacing and empty lines right.
  RunChain first =
      RunChainOf(first_run ? first_run.child("a:rPr") : paragraph.child("a:endParaRPr"), level);
  double size = FontSize(first, body.font_scale);
  std::string family = FamilyOf(first, body.context);
  if (family.empty()) family = body.context.FontName("+mn-lt");
  FontMetrics font = DrawnMetrics(family);
  std::string content;
  if (!first_run) {
    // An empty paragraph shows no bullet and does not count in a numbering.
    content = "<span style=\"" + Escape(RunStyle(first, body)) + "\"><br/></span>";
  } else {
    content = BulletElement(level, first, body);
    for (pugi::xml_node run : paragraph.children()) {
      std::string_view name = run.name();
      if (name == "a:br") {
        content += "<br/>";
      } else if (name == "a:r" || name == "a:fld") {
        RunChain chain = RunChainOf(run.child("a:rPr"), level);
        content += "<span style=\"" + Escape(RunStyle(chain, body)) + "\">" +
                   Escape(RunText(run, chain, body)) + "</span>";
      }
    }
  }
  // The paragraph's own font sets its lines' strut: in another font a line would grow. Its
  // size is the smallest of the paragraph's, since a line is as tall as the largest text on it
  // (a heading's second, smaller line is not spaced as its first).
  double strut = size;
  bool exact = FirstChild(level.paragraph, "a:lnSpc").child("a:spcPts");
  for (pugi::xml_node run : paragraph.children("a:r")) {
    if (exact) break;  // lines spaced in points are all as tall
    if (run.child("a:t").text().get()[0] == '\0') continue;
    strut = std::min(strut, FontSize(RunChainOf(run.child("a:rPr"), level), body.font_scale));
  }
  std::string css = ParagraphStyle(level, size, strut, font, body.first_paragraph, body) +
                    ";font-family:" + CssFontFamily(family);

  body.first_paragraph = false;
  return "<p style=\"" + Escape(css) + "\">" + content + "</p>";
}

// The height of a cell's text: its paragraphs broken into lines at the cell's width in the font
// the browser draws, and the cell's margins.
double CellTextHeight(pugi::xml_node cell, double width, DrawingContext& context) {
  pugi::xml_node properties = cell.child("a:tcPr");
  double available = width - (properties.attribute("marL").as_double(91440) +
                              properties.attribute("marR").as_double(91440)) /
                                 kEmuPerPoint;
  double height = (properties.attribute("marT").as_double(45720) +
                   properties.attribute("marB").as_double(45720)) /
                  kEmuPerPoint;
  TextStyles styles;
  styles.lists = {cell.child("a:txBody").child("a:lstStyle"), context.DefaultTextStyle(),
                  context.MasterTextStyle("other")};
  for (pugi::xml_node paragraph : cell.child("a:txBody").children("a:p")) {
    Level level = LevelOf(paragraph.child("a:pPr"), styles);
    pugi::xml_node run = paragraph.child("a:r");
    RunChain chain = RunChainOf(run ? run.child("a:rPr") : paragraph.child("a:endParaRPr"), level);
    double size = FontSize(chain, 1);
    std::string family = FamilyOf(chain, context);
    if (family.empty()) family = context.FontName("+mn-lt");
    std::string text;
    for (pugi::xml_node part : paragraph.children()) {
      text += std::string_view(part.name()) == "a:br" ? "\n" : part.child("a:t").text().get();
    }
    height += LineCount(text, size, DrawnWidths(family), available) * size * kSingleLine;
  }
  return height;
}

std::tm LocalNow() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

}  // namespace

TextStyles TextStylesOf(pugi::xml_node shape, DrawingContext& context) {
  TextStyles styles;
  pugi::xml_node body = shape.child("p:txBody");
  styles.lists.push_back(body.child("a:lstStyle"));
  styles.bodies.push_back(body.child("a:bodyPr"));
  std::vector<pugi::xml_node> ancestors = context.PlaceholderAncestors(shape);
  for (pugi::xml_node ancestor : ancestors) {
    styles.lists.push_back(ancestor.child("p:txBody").child("a:lstStyle"));
    styles.bodies.push_back(ancestor.child("p:txBody").child("a:bodyPr"));
  }
  pugi::xml_node non_visual =
      shape.find_child([](pugi::xml_node n) { return n.type() == pugi::node_element; });
  pugi::xml_node placeholder = non_visual.child("p:nvPr").child("p:ph");
  if (placeholder) {
    styles.lists.push_back(context.MasterTextStyle(placeholder.attribute("type").value()));
    styles.lists.push_back(context.DefaultTextStyle());
  } else {
    // Text boxes and shapes follow the presentation's defaults, then the master's other style.
    styles.lists.push_back(context.DefaultTextStyle());
    styles.lists.push_back(context.MasterTextStyle("other"));
  }
  if (pugi::xml_node font = shape.child("p:style").child("a:fontRef")) {
    styles.font_color = context.ColorIn(font);
  }
  return styles;
}

std::string DrawTextBody(pugi::xml_node body, const TextStyles& styles, const Box& box,
                         DrawingContext& context) {
  const std::vector<pugi::xml_node>& bodies = styles.bodies;
  auto inset = [&](const char* name, double fallback) {
    pugi::xml_attribute attribute = FirstAttribute(bodies, name);
    return attribute ? attribute.as_double() / kEmuPerPoint : fallback;
  };
  double left = inset("lIns", 7.2), top = inset("tIns", 3.6);
  double right = inset("rIns", 7.2), bottom = inset("bIns", 3.6);
  std::string_view anchor = FirstAttribute(bodies, "anchor").value();
  std::string_view wrap = FirstAttribute(bodies, "wrap").value();
  std::string_view vertical = FirstAttribute(bodies, "vert").value();
  Body drawing(styles, context);
  drawing.now = LocalNow();
  drawing.no_wrap = wrap == "none";
  pugi::xml_node fit = AutoFit(bodies);
  if (std::string_view(fit.name()) != "a:normAutofit") fit = {};
  if (fit) {
    drawing.font_scale = fit.attribute("fontScale").as_double(100000) / 100000;
    drawing.line_reduction = fit.attribute("lnSpcReduction").as_double(0) / 100000;
  }
  // A box that grows with its text keeps the side its text is anchored to, as the overflow of
  // the anchored text does; a box stored without a height still needs one to be drawn at all.
  std::string height = Num(box.height) + "px";
  std::string html = "<foreignObject x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" +
                     Num(box.width) + "\" height=\"" + Num(std::max(box.height, 1.0)) +
                     "\" style=\"overflow:visible\"><div xmlns=\"http://www.w3.org/1999/xhtml\" "
                     "class=\"text\" style=\"box-sizing:border-box;width:" +
                     Num(box.width) + "px;height:" + height +
                     ";display:flex;flex-direction:column;justify-content:";
  html += anchor == "ctr" ? "center" : anchor == "b" ? "flex-end" : "flex-start";
  html += ";padding:" + Num(top) + "px " + Num(right) + "px " + Num(bottom) + "px " + Num(left) +
          "px;white-space:" + std::string(wrap == "none" ? "pre" : "pre-wrap") +
          ";overflow-wrap:break-word;font-family:" + context.FontFamily("+mn-lt");
  if (vertical == "vert" || vertical == "eaVert" || vertical == "vert270") {
    html += ";writing-mode:vertical-rl";
  }
  html += "\">";
  // Text that shrinks to fit its box holds its paragraphs in one element of its own, which the
  // page scales down further when the browser's fonts make the text taller than the author's.
  if (fit) html += "<div class=\"fit\" style=\"display:flex;flex-direction:column\">";
  // Text in columns fills the first to the box's height, then the next (right to left with
  // rtlCol).
  int columns = FirstAttribute(bodies, "numCol").as_int(1);
  if (columns > 1) {
    html += "<div style=\"column-count:" + std::to_string(std::min(columns, 16)) +
            ";column-gap:" + Num(inset("spcCol", 0)) +
            "px;column-fill:auto;height:" + Num(std::max(box.height - top - bottom, 1.0)) + "px" +
            (FirstAttribute(bodies, "rtlCol").as_bool() ? ";direction:rtl" : "") +
            "\"><div style=\"direction:ltr\">";
  }
  for (pugi::xml_node paragraph : body.children("a:p")) html += Paragraph(paragraph, drawing);
  if (columns > 1) html += "</div></div>";
  if (fit) html += "</div>";
  html += "</div></foreignObject>";
  return html;
}

double RowTextHeight(pugi::xml_node row, const std::vector<double>& columns,
                     DrawingContext& context) {
  double height = 0;
  size_t column = 0;
  for (pugi::xml_node cell : row.children("a:tc")) {
    if (column >= columns.size()) break;
    int span = std::max(1, cell.attribute("gridSpan").as_int(1));
    double width = 0;
    for (int s = 0; s < span && column + s < columns.size(); ++s) width += columns[column + s];
    column += span;
    // Merged cells and cells spanning rows take their height elsewhere.
    if (cell.attribute("hMerge").as_bool() || cell.attribute("vMerge").as_bool() ||
        cell.attribute("rowSpan").as_int(1) > 1) {
      continue;
    }
    height = std::max(height, CellTextHeight(cell, width, context));
  }
  return height;
}

}  // namespace vintrel::ooxml::drawing
