// What drawing one slide needs to know besides the slide itself: its layout, master and theme,
// the colour map, where pictures go, and small helpers for writing SVG text. Shared by the
// slide, text, table and chart drawing; not part of the host's interface.
#ifndef VINTREL_HOST_OOXML_DRAWING_CONTEXT_H_
#define VINTREL_HOST_OOXML_DRAWING_CONTEXT_H_

#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_color.h"
#include "host/ooxml/drawing/drawing_fill.h"
#include "host/ooxml/drawing/slide_drawing.h"
#include "host/ooxml/package.h"

namespace vintrel::ooxml::drawing {

inline constexpr double kEmuPerPoint = 12700.0;

// A rectangle in points.
struct Box {
  double x = 0, y = 0, width = 0, height = 0;
};

class DrawingContext {
 public:
  DrawingContext(Package& package, std::string slide_part, std::string presentation_folder,
                 SvgAssets& assets);

  Package& package() const { return package_; }
  const std::string& slide_part() const { return slide_part_; }
  const std::string& layout_part() const { return layout_part_; }
  const std::string& master_part() const { return master_part_; }
  const std::string& presentation_folder() const { return folder_; }
  SvgAssets& assets() const { return assets_; }

  // The colour of the first colour element among the children of `holder` (srgbClr, schemeClr,
  // sysClr, prstClr, scrgbClr, hslClr) with its modifiers; `placeholder` stands for phClr.
  std::optional<Color> ColorIn(pugi::xml_node holder,
                               const std::optional<Color>& placeholder = {}) const;
  std::optional<Color> SchemeColor(std::string_view name) const;
  const ColorScheme& colors() const { return colors_; }
  // The fill among the children of `properties` (spPr, tcPr, bgPr ...): see FillOf. nullopt
  // when none is given (so a style or parent may supply it). Fills and lines are defined in
  // drawing_fill.cpp.
  std::optional<Paint> FillIn(pugi::xml_node properties,
                              const std::optional<Color>& placeholder = {}) const;
  std::optional<Stroke> LineOf(pugi::xml_node line,
                               const std::optional<Color>& placeholder = {}) const;
  // The theme's fill style (fillRef / bgRef idx) in the colour of `reference`.
  std::optional<Paint> ThemeFill(pugi::xml_node reference) const;
  std::optional<Stroke> ThemeLine(pugi::xml_node reference) const;
  // "+mj-lt" and "+mn-lt" name the theme's heading and body fonts.
  std::string FontFamily(std::string_view typeface) const;
  // The family a typeface names, theme fonts resolved.
  std::string FontName(std::string_view typeface) const;

  // The number the slide shows in its slide-number fields (0 when unknown).
  int slide_number() const { return slide_number_; }
  void set_slide_number(int number) { slide_number_ = number; }

  // The theme's formatting styles (a:fmtScheme: fill, line, effect and background styles).
  pugi::xml_node FormatScheme() const;
  // The slide, layout, master or theme part whose XML holds `node` (empty for others).
  std::string PartOf(pugi::xml_node node) const;

  // A picture part or linked file of `part`'s relationship `id`, as an address for the SVG
  // (empty when it cannot be read). Defined in drawing_picture.cpp.
  std::string PictureAddress(const std::string& part, const std::string& id, bool linked) const;

  // For a placeholder shape element: the layout's and the master's placeholder it inherits
  // from, nearest first (empty for other shapes).
  std::vector<pugi::xml_node> PlaceholderAncestors(pugi::xml_node shape) const;
  // The master's text style for a placeholder type (titleStyle, bodyStyle or otherStyle) and
  // the presentation's default text style.
  pugi::xml_node MasterTextStyle(std::string_view placeholder_type) const;
  pugi::xml_node DefaultTextStyle() const;

  // Ids for SVG definitions (gradients) unique within one drawing: each shape has its own
  // prefix, so a shape drawn again alone names its definitions as before.
  void set_definition_prefix(std::string prefix) { definition_prefix_ = std::move(prefix); }
  std::string NextDefinitionId();

 private:
  Package& package_;
  std::string slide_part_, layout_part_, master_part_, theme_part_;
  std::string folder_;
  SvgAssets& assets_;
  ColorScheme colors_;
  std::string major_font_, minor_font_;
  std::string definition_prefix_ = "backdrop";
  int next_definition_ = 0;
  int slide_number_ = 0;
};

// Numbers for SVG attributes: at most two decimals, no trailing zeros.
std::string Num(double value);
// Text escaped for XML content and attribute values.
std::string Escape(std::string_view text);

// The element of a shape that draws, looking through mc:AlternateContent (its fallback, which
// every reader understands).
pugi::xml_node DrawnElement(pugi::xml_node top);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_CONTEXT_H_
