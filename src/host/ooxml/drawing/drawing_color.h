// Colours of a drawing: the colour elements (srgbClr, schemeClr, sysClr, prstClr, scrgbClr,
// hslClr) with their transforms applied in the order written, and the theme's colours named
// through the master's colour map. Lightness and saturation transforms work in HSL; shade, tint
// and the channel transforms in linear RGB, as presentations made elsewhere expect.
#ifndef VINTREL_HOST_OOXML_DRAWING_COLOR_H_
#define VINTREL_HOST_OOXML_DRAWING_COLOR_H_

#include <functional>
#include <map>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vintrel::ooxml::drawing {

// An sRGB colour with its opacity (0..1).
struct Color {
  int r = 0, g = 0, b = 0;
  double alpha = 1.0;
  std::string Hex() const;
};

// The theme's colours (lt1, dk1, accent1 ...) and the colour map that names them (bg1 -> lt1),
// read once per drawing.
class ColorScheme {
 public:
  // The entries of an a:clrScheme element.
  void ReadTheme(pugi::xml_node color_scheme);
  // A p:clrMap or a:overrideClrMapping element: its attributes replace those mapped before.
  void ReadMap(pugi::xml_node mapping);
  std::optional<Color> Find(std::string_view name) const;

 private:
  std::map<std::string, std::string, std::less<>> map_;  // bg1 -> lt1 ...
  std::map<std::string, Color, std::less<>> theme_;      // lt1 -> colour ...
};

// "FF8000" as a colour; nullopt unless six hexadecimal digits.
std::optional<Color> ParseHex(std::string_view hex);
// A preset colour by its name (prstClr val: "red", "dkBlue", "ltGray", "medSeaGreen" ...).
std::optional<Color> PresetColor(std::string_view name);
// `color` with the transform children of `element` (lumMod, shade, alpha ...) applied in order.
Color ApplyTransforms(Color color, pugi::xml_node element);

// The colour of the colour element `element` with its transforms; `placeholder` stands for
// schemeClr phClr.
std::optional<Color> ColorOf(pugi::xml_node element, const ColorScheme& scheme,
                             const std::optional<Color>& placeholder = {});
// The colour of the first colour element among the children of `holder`.
std::optional<Color> ColorIn(pugi::xml_node holder, const ColorScheme& scheme,
                             const std::optional<Color>& placeholder = {});
// The colour a shape's style reference (p:style's fillRef, lnRef, effectRef or fontRef) names:
// the colour that takes the place of phClr in the theme's style, and that text takes from
// fontRef. nullopt when the reference holds no colour.
std::optional<Color> ReferenceColor(pugi::xml_node reference, const ColorScheme& scheme);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_COLOR_H_
