#include "host/ooxml/drawing/drawing_text.h"

#include <algorithm>
#include <map>

namespace vintrel::ooxml::drawing {

namespace {

constexpr double kDefaultFontSize = 18;  // points, when no style gives a size
// PowerPoint's single line spacing is about 1.2 times the font size.
constexpr double kSingleLine = 1.2;

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

bool IsTrue(pugi::xml_attribute attribute) {
  std::string_view value = attribute.value();
  return value == "1" || value == "true";
}

struct Level {
  std::vector<pugi::xml_node> paragraph;  // a:pPr, then a:lvlNpPr of each list style
  std::vector<pugi::xml_node> runs;       // a:defRPr of the same, nearest first
};

Level LevelOf(pugi::xml_node paragraph_properties, const TextStyles& styles) {
  int level = std::clamp(paragraph_properties.attribute("lvl").as_int(), 0, 8);
  std::string name = "a:lvl" + std::to_string(level + 1) + "pPr";
  Level result;
  if (paragraph_properties) result.paragraph.push_back(paragraph_properties);
  for (pugi::xml_node list : styles.lists) {
    if (pugi::xml_node properties = list.child(name.c_str())) {
      result.paragraph.push_back(properties);
    }
  }
  for (pugi::xml_node properties : result.paragraph) {
    if (pugi::xml_node defaults = properties.child("a:defRPr")) result.runs.push_back(defaults);
  }
  return result;
}

double FontSize(const std::vector<pugi::xml_node>& chain, double scale) {
  pugi::xml_attribute size = FirstAttribute(chain, "sz");
  return (size ? size.as_double() / 100 : kDefaultFontSize) * scale;
}

std::string RunStyle(const std::vector<pugi::xml_node>& chain, double scale,
                     const TextStyles& styles, DrawingContext& context) {
  std::string css = "font-size:" + Num(FontSize(chain, scale)) + "px";
  if (pugi::xml_node latin = FirstChild(chain, "a:latin")) {
    css += ";font-family:" + context.FontFamily(latin.attribute("typeface").value());
  }
  if (IsTrue(FirstAttribute(chain, "b"))) css += ";font-weight:bold";
  if (IsTrue(FirstAttribute(chain, "i"))) css += ";font-style:italic";
  std::string decoration;
  if (pugi::xml_attribute u = FirstAttribute(chain, "u");
      u && std::string_view(u.value()) != "none") {
    decoration += " underline";
  }
  if (pugi::xml_attribute s = FirstAttribute(chain, "strike");
      s && std::string_view(s.value()) != "noStrike") {
    decoration += " line-through";
  }
  if (!decoration.empty()) css += ";text-decoration:" + decoration.substr(1);
  std::optional<Paint> paint;
  for (pugi::xml_node node : chain) {
    if ((paint = context.FillIn(node))) break;
  }
  std::optional<Color> color;
  if (paint) {
    color = paint->none ? Color{0, 0, 0, 0} : paint->color;
  } else {
    color = styles.font_color ? styles.font_color : context.SchemeColor("tx1");
  }
  if (color) {
    css += ";color:" + color->Hex();
    if (color->alpha < 1) css += ";opacity:" + Num(color->alpha);
  }
  if (std::string_view(FirstAttribute(chain, "cap").value()) == "all") {
    css += ";text-transform:uppercase";
  }
  if (pugi::xml_attribute spacing = FirstAttribute(chain, "spc")) {
    css += ";letter-spacing:" + Num(spacing.as_double() / 100) + "px";
  }
  if (int baseline = FirstAttribute(chain, "baseline").as_int(); baseline != 0) {
    css += baseline > 0 ? ";vertical-align:super" : ";vertical-align:sub";
  }
  return css;
}

std::vector<pugi::xml_node> RunChain(pugi::xml_node properties, const Level& level) {
  std::vector<pugi::xml_node> chain;
  if (properties) chain.push_back(properties);
  chain.insert(chain.end(), level.runs.begin(), level.runs.end());
  return chain;
}

// Spacing before or after a paragraph, as CSS margin.
std::string Spacing(pugi::xml_node spacing) {
  if (pugi::xml_node points = spacing.child("a:spcPts")) {
    return Num(points.attribute("val").as_double() / 100) + "px";
  }
  if (pugi::xml_node percent = spacing.child("a:spcPct")) {
    return Num(percent.attribute("val").as_double() / 100000 * kSingleLine) + "em";
  }
  return "0";
}

std::string Bullet(const Level& level, std::map<int, int>& numbers, int depth) {
  for (pugi::xml_node properties : level.paragraph) {
    if (properties.child("a:buNone")) return {};
    if (pugi::xml_node character = properties.child("a:buChar")) {
      return Escape(character.attribute("char").value()) + "\u00a0";
    }
    if (pugi::xml_node automatic = properties.child("a:buAutoNum")) {
      int number = automatic.attribute("startAt").as_int(1) + numbers[depth]++;
      std::string_view scheme = automatic.attribute("type").value();
      std::string text = std::to_string(number);
      if (scheme.find("ParenR") != std::string_view::npos) return text + ")\u00a0";
      if (scheme.find("ParenBoth") != std::string_view::npos) return "(" + text + ")\u00a0";
      return text + ".\u00a0";
    }
  }
  return {};
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
  double font_scale = 1, line_reduction = 0;
  if (pugi::xml_node fit = FirstChild(bodies, "a:normAutofit")) {
    font_scale = fit.attribute("fontScale").as_double(100000) / 100000;
    line_reduction = fit.attribute("lnSpcReduction").as_double(0) / 100000;
  }

  std::string html = "<foreignObject x=\"" + Num(box.x) + "\" y=\"" + Num(box.y) + "\" width=\"" +
                     Num(box.width) + "\" height=\"" + Num(box.height) +
                     "\" style=\"overflow:visible\"><div xmlns=\"http://www.w3.org/1999/xhtml\" "
                     "class=\"text\" style=\"box-sizing:border-box;width:" +
                     Num(box.width) + "px;height:" + Num(box.height) +
                     "px;display:flex;flex-direction:column;justify-content:";
  html += anchor == "ctr" ? "center" : anchor == "b" ? "flex-end" : "flex-start";
  html += ";padding:" + Num(top) + "px " + Num(right) + "px " + Num(bottom) + "px " + Num(left) +
          "px;white-space:" + std::string(wrap == "none" ? "pre" : "pre-wrap") +
          ";overflow-wrap:break-word;line-height:" + Num(kSingleLine);
  if (vertical == "vert" || vertical == "eaVert" || vertical == "vert270") {
    html += ";writing-mode:vertical-rl";
  }
  html += "\">";

  std::map<int, int> numbers;
  for (pugi::xml_node paragraph : body.children("a:p")) {
    pugi::xml_node properties = paragraph.child("a:pPr");
    Level level = LevelOf(properties, styles);
    std::string css = "margin:0";
    std::string_view align = FirstAttribute(level.paragraph, "algn").value();
    if (align == "ctr") css += ";text-align:center";
    if (align == "r") css += ";text-align:right";
    if (align == "just" || align == "dist") css += ";text-align:justify";
    if (pugi::xml_attribute margin = FirstAttribute(level.paragraph, "marL")) {
      css += ";padding-left:" + Num(margin.as_double() / kEmuPerPoint) + "px";
    }
    if (pugi::xml_attribute indent = FirstAttribute(level.paragraph, "indent")) {
      css += ";text-indent:" + Num(indent.as_double() / kEmuPerPoint) + "px";
    }
    if (pugi::xml_node line = FirstChild(level.paragraph, "a:lnSpc")) {
      if (pugi::xml_node percent = line.child("a:spcPct")) {
        double factor = percent.attribute("val").as_double() / 100000 - line_reduction;
        css += ";line-height:" + Num(std::max(factor, 0.1) * kSingleLine);
      } else if (pugi::xml_node points = line.child("a:spcPts")) {
        css += ";line-height:" + Num(points.attribute("val").as_double() / 100) + "px";
      }
    } else if (line_reduction > 0) {
      css += ";line-height:" + Num((1 - line_reduction) * kSingleLine);
    }
    if (pugi::xml_node before = FirstChild(level.paragraph, "a:spcBef")) {
      css += ";margin-top:" + Spacing(before);
    }
    if (pugi::xml_node after = FirstChild(level.paragraph, "a:spcAft")) {
      css += ";margin-bottom:" + Spacing(after);
    }
    // The paragraph's own size (its first run's) makes em spacing and empty lines right.
    pugi::xml_node first_run = paragraph.find_child([](pugi::xml_node n) {
      std::string_view name = n.name();
      return name == "a:r" || name == "a:fld";
    });
    pugi::xml_node size_source =
        first_run ? first_run.child("a:rPr") : paragraph.child("a:endParaRPr");
    std::vector<pugi::xml_node> paragraph_chain = RunChain(size_source, level);
    css += ";font-size:" + Num(FontSize(paragraph_chain, font_scale)) + "px";

    std::string content;
    if (!first_run) {
      content = "<span style=\"" + Escape(RunStyle(paragraph_chain, font_scale, styles, context)) +
                "\"><br/></span>";
    } else {
      int depth = properties.attribute("lvl").as_int();
      std::string bullet = Bullet(level, numbers, depth);
      if (!bullet.empty()) {
        content += "<span style=\"" +
                   Escape(RunStyle(paragraph_chain, font_scale, styles, context)) + "\">" + bullet +
                   "</span>";
      }
      for (pugi::xml_node run : paragraph.children()) {
        std::string_view name = run.name();
        if (name == "a:br") {
          content += "<br/>";
        } else if (name == "a:r" || name == "a:fld") {
          std::vector<pugi::xml_node> chain = RunChain(run.child("a:rPr"), level);
          content += "<span style=\"" + Escape(RunStyle(chain, font_scale, styles, context)) +
                     "\">" + Escape(run.child("a:t").text().get()) + "</span>";
        }
      }
    }
    html += "<p style=\"" + Escape(css) + "\">" + content + "</p>";
  }
  html += "</div></foreignObject>";
  return html;
}

}  // namespace vintrel::ooxml::drawing
