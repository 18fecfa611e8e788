#include "host/ooxml/drawing/drawing_color.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace vintrel::ooxml::drawing {

namespace {

// CSS colour names: the preset colours are these, with "dk", "lt" and "med" for "dark",
// "light" and "medium".
constexpr char kNamedColors[] =
    "aliceblue F0F8FF antiquewhite FAEBD7 aqua 00FFFF aquamarine 7FFFD4 azure F0FFFF beige F5F5DC "
    "bisque FFE4C4 black 000000 blanchedalmond FFEBCD blue 0000FF blueviolet 8A2BE2 brown A52A2A "
    "burlywood DEB887 cadetblue 5F9EA0 chartreuse 7FFF00 chocolate D2691E coral FF7F50 "
    "cornflowerblue 6495ED cornsilk FFF8DC crimson DC143C cyan 00FFFF darkblue 00008B "
    "darkcyan 008B8B darkgoldenrod B8860B darkgray A9A9A9 darkgreen 006400 darkkhaki BDB76B "
    "darkmagenta 8B008B darkolivegreen 556B2F darkorange FF8C00 darkorchid 9932CC darkred 8B0000 "
    "darksalmon E9967A darkseagreen 8FBC8F darkslateblue 483D8B darkslategray 2F4F4F "
    "darkturquoise 00CED1 darkviolet 9400D3 deeppink FF1493 deepskyblue 00BFFF dimgray 696969 "
    "dodgerblue 1E90FF firebrick B22222 floralwhite FFFAF0 forestgreen 228B22 fuchsia FF00FF "
    "gainsboro DCDCDC ghostwhite F8F8FF gold FFD700 goldenrod DAA520 gray 808080 green 008000 "
    "greenyellow ADFF2F honeydew F0FFF0 hotpink FF69B4 indianred CD5C5C indigo 4B0082 "
    "ivory FFFFF0 khaki F0E68C lavender E6E6FA lavenderblush FFF0F5 lawngreen 7CFC00 "
    "lemonchiffon FFFACD lightblue ADD8E6 lightcoral F08080 lightcyan E0FFFF "
    "lightgoldenrodyellow FAFAD2 lightgray D3D3D3 lightgreen 90EE90 lightpink FFB6C1 "
    "lightsalmon FFA07A lightseagreen 20B2AA lightskyblue 87CEFA lightslategray 778899 "
    "lightsteelblue B0C4DE lightyellow FFFFE0 lime 00FF00 limegreen 32CD32 linen FAF0E6 "
    "magenta FF00FF maroon 800000 mediumaquamarine 66CDAA mediumblue 0000CD mediumorchid BA55D3 "
    "mediumpurple 9370DB mediumseagreen 3CB371 mediumslateblue 7B68EE mediumspringgreen 00FA9A "
    "mediumturquoise 48D1CC mediumvioletred C71585 midnightblue 191970 mintcream F5FFFA "
    "mistyrose FFE4E1 moccasin FFE4B5 navajowhite FFDEAD navy 000080 oldlace FDF5E6 "
    "olive 808000 olivedrab 6B8E23 orange FFA500 orangered FF4500 orchid DA70D6 "
    "palegoldenrod EEE8AA palegreen 98FB98 paleturquoise AFEEEE palevioletred DB7093 "
    "papayawhip FFEFD5 peachpuff FFDAB9 peru CD853F pink FFC0CB plum DDA0DD powderblue B0E0E6 "
    "purple 800080 red FF0000 rosybrown BC8F8F royalblue 4169E1 saddlebrown 8B4513 "
    "salmon FA8072 sandybrown F4A460 seagreen 2E8B57 seashell FFF5EE sienna A0522D "
    "silver C0C0C0 skyblue 87CEEB slateblue 6A5ACD slategray 708090 snow FFFAFA "
    "springgreen 00FF7F steelblue 4682B4 tan D2B48C teal 008080 thistle D8BFD8 tomato FF6347 "
    "turquoise 40E0D0 violet EE82EE wheat F5DEB3 white FFFFFF whitesmoke F5F5F5 yellow FFFF00 "
    "yellowgreen 9ACD32";

// A colour while transforms work on it: sRGB channels and opacity, 0..1, unrounded.
struct Channels {
  double r, g, b, a;
};

struct Hsl {
  double h, s, l;  // hue in turns
};

double Clamp01(double value) {
  return std::clamp(value, 0.0, 1.0);
}

double ToLinear(double c) {
  return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double ToSrgb(double c) {
  c = Clamp01(c);
  return c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1 / 2.4) - 0.055;
}

Hsl ToHsl(const Channels& c) {
  double high = std::max({c.r, c.g, c.b}), low = std::min({c.r, c.g, c.b});
  Hsl hsl{0, 0, (high + low) / 2};
  if (high == low) return hsl;
  double d = high - low;
  hsl.s = hsl.l > 0.5 ? d / (2 - high - low) : d / (high + low);
  if (high == c.r) {
    hsl.h = (c.g - c.b) / d + (c.g < c.b ? 6 : 0);
  } else if (high == c.g) {
    hsl.h = (c.b - c.r) / d + 2;
  } else {
    hsl.h = (c.r - c.g) / d + 4;
  }
  hsl.h /= 6;
  return hsl;
}

Channels FromHsl(Hsl hsl, double alpha) {
  auto channel = [](double p, double q, double t) {
    t -= std::floor(t);
    if (t < 1.0 / 6) return p + (q - p) * 6 * t;
    if (t < 1.0 / 2) return q;
    if (t < 2.0 / 3) return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
  };
  double s = Clamp01(hsl.s), l = Clamp01(hsl.l);
  if (s == 0) return {l, l, l, alpha};
  double q = l < 0.5 ? l * (1 + s) : l + s - l * s;
  double p = 2 * l - q;
  return {channel(p, q, hsl.h + 1.0 / 3), channel(p, q, hsl.h), channel(p, q, hsl.h - 1.0 / 3),
          alpha};
}

std::string_view LocalName(pugi::xml_node node) {
  std::string_view name = node.name();
  size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

// Transforms of lightness, saturation and hue, in HSL. False for other names.
bool HslTransform(Channels& c, std::string_view name, double value, double angle) {
  static const std::string_view kNames[] = {"lum",    "lumMod", "lumOff", "sat",    "satMod",
                                            "satOff", "hue",    "hueMod", "hueOff", "comp"};
  if (std::find(std::begin(kNames), std::end(kNames), name) == std::end(kNames)) return false;
  Hsl hsl = ToHsl(c);
  if (name == "lum") hsl.l = value;
  if (name == "lumMod") hsl.l *= value;
  if (name == "lumOff") hsl.l += value;
  if (name == "sat") hsl.s = value;
  if (name == "satMod") hsl.s *= value;
  if (name == "satOff") hsl.s += value;
  if (name == "hue") hsl.h = angle;
  if (name == "hueMod") hsl.h *= value;
  if (name == "hueOff") hsl.h += angle;
  if (name == "comp") hsl.h += 0.5;
  hsl.h -= std::floor(hsl.h);
  hsl.l = Clamp01(hsl.l);
  hsl.s = Clamp01(hsl.s);
  c = FromHsl(hsl, c.a);
  return true;
}

// Shade, tint and the channel transforms, in linear RGB. False for other names.
bool LinearTransform(Channels& c, std::string_view name, double value) {
  double* channels[] = {&c.r, &c.g, &c.b};
  auto each = [&](auto change) {
    for (double* channel : channels) *channel = ToSrgb(change(ToLinear(*channel)));
  };
  if (name == "shade") {
    each([value](double linear) { return linear * value; });
  } else if (name == "tint") {
    each([value](double linear) { return 1 - (1 - linear) * value; });
  } else if (name == "gamma") {
    // The colour taken as linear and shown as sRGB, and back.
    for (double* channel : channels) *channel = ToSrgb(*channel);
  } else if (name == "invGamma") {
    for (double* channel : channels) *channel = ToLinear(*channel);
  } else {
    static const std::string_view kChannels[] = {"red", "green", "blue"};
    for (int i = 0; i < 3; ++i) {
      std::string_view base = kChannels[i];
      if (!name.starts_with(base)) continue;
      std::string_view rest = name.substr(base.size());
      double linear = ToLinear(*channels[i]);
      if (rest.empty()) linear = value;
      if (rest == "Mod") linear *= value;
      if (rest == "Off") linear += value;
      if (rest.empty() || rest == "Mod" || rest == "Off") {
        *channels[i] = ToSrgb(linear);
        return true;
      }
    }
    return false;
  }
  return true;
}

void Transform(Channels& c, pugi::xml_node modifier) {
  std::string_view name = LocalName(modifier);
  double raw = modifier.attribute("val").as_double(100000);
  double value = raw / 100000, angle = raw / 21600000;
  if (name == "alpha") {
    c.a = Clamp01(value);
  } else if (name == "alphaMod") {
    c.a = Clamp01(c.a * value);
  } else if (name == "alphaOff") {
    c.a = Clamp01(c.a + value);
  } else if (name == "inv") {
    c = {1 - c.r, 1 - c.g, 1 - c.b, c.a};
  } else if (name == "gray") {
    double gray = c.r * 0.22 + c.g * 0.72 + c.b * 0.06;
    c = {gray, gray, gray, c.a};
  } else if (!HslTransform(c, name, value, angle)) {
    LinearTransform(c, name, value);
  }
}

std::optional<Color> SystemColor(pugi::xml_node element) {
  if (std::optional<Color> last = ParseHex(element.attribute("lastClr").value())) return last;
  std::string_view name = element.attribute("val").value();
  if (name == "window" || name == "highlightText" || name == "btnHighlight") {
    return Color{255, 255, 255};
  }
  if (name == "btnFace" || name == "menu" || name == "3dLight") return Color{240, 240, 240};
  if (name == "highlight" || name == "hotLight") return Color{0, 120, 215};
  if (name == "grayText" || name == "btnShadow") return Color{109, 109, 109};
  return Color{0, 0, 0};
}

std::optional<Color> BaseColor(pugi::xml_node element, std::string_view name,
                               const ColorScheme& scheme, const std::optional<Color>& placeholder) {
  if (name == "srgbClr") return ParseHex(element.attribute("val").value());
  if (name == "schemeClr") {
    std::string_view value = element.attribute("val").value();
    return value == "phClr" ? placeholder : scheme.Find(value);
  }
  if (name == "sysClr") return SystemColor(element);
  if (name == "prstClr") return PresetColor(element.attribute("val").value());
  if (name == "scrgbClr") {
    auto channel = [&](const char* attribute) {
      double srgb = ToSrgb(element.attribute(attribute).as_double() / 100000);
      return static_cast<int>(std::lround(srgb * 255));
    };
    return Color{channel("r"), channel("g"), channel("b")};
  }
  Channels c = FromHsl({element.attribute("hue").as_double() / 21600000,
                        element.attribute("sat").as_double() / 100000,
                        element.attribute("lum").as_double() / 100000},
                       1.0);
  return Color{static_cast<int>(std::lround(c.r * 255)), static_cast<int>(std::lround(c.g * 255)),
               static_cast<int>(std::lround(c.b * 255))};
}

bool IsColorElement(std::string_view name) {
  return name == "srgbClr" || name == "schemeClr" || name == "sysClr" || name == "prstClr" ||
         name == "scrgbClr" || name == "hslClr";
}

}  // namespace

std::string Color::Hex() const {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", std::clamp(r, 0, 255), std::clamp(g, 0, 255),
                std::clamp(b, 0, 255));
  return text;
}

void ColorScheme::ReadTheme(pugi::xml_node color_scheme) {
  for (pugi::xml_node entry : color_scheme.children()) {
    pugi::xml_node value = entry.first_child();
    std::optional<Color> color = std::string_view(value.name()) == "a:sysClr"
                                     ? SystemColor(value)
                                     : ParseHex(value.attribute("val").value());
    if (color) theme_[std::string(LocalName(entry))] = *color;
  }
}

void ColorScheme::ReadMap(pugi::xml_node mapping) {
  for (pugi::xml_attribute a : mapping.attributes()) map_[a.name()] = a.value();
}

std::optional<Color> ColorScheme::Find(std::string_view name) const {
  auto mapped = map_.find(name);
  std::string_view key = mapped == map_.end() ? name : std::string_view(mapped->second);
  // Without a colour map, bg/tx names fall back to the light/dark theme colours they stand for.
  if (mapped == map_.end()) {
    if (name == "bg1") key = "lt1";
    if (name == "tx1") key = "dk1";
    if (name == "bg2") key = "lt2";
    if (name == "tx2") key = "dk2";
  }
  auto found = theme_.find(key);
  if (found == theme_.end()) return std::nullopt;
  return found->second;
}

std::optional<Color> ParseHex(std::string_view hex) {
  if (hex.size() != 6) return std::nullopt;
  unsigned value = 0;
  for (char c : hex) {
    value <<= 4;
    if (c >= '0' && c <= '9') {
      value |= c - '0';
    } else if (c >= 'a' && c <= 'f') {
      value |= c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      value |= c - 'A' + 10;
    } else {
      return std::nullopt;
    }
  }
  return Color{static_cast<int>(value >> 16), static_cast<int>((value >> 8) & 0xff),
               static_cast<int>(value & 0xff)};
}

std::optional<Color> PresetColor(std::string_view name) {
  static const std::map<std::string, Color, std::less<>> kPresets = [] {
    std::map<std::string, Color, std::less<>> presets;
    std::istringstream in(kNamedColors);
    std::string key, hex;
    while (in >> key >> hex) presets[key] = *ParseHex(hex);
    return presets;
  }();
  std::string key;
  for (char c : name) key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (auto [shortened, full] : {std::pair{"dk", "dark"}, {"lt", "light"}, {"med", "medium"}}) {
    if (key.starts_with(shortened) && !key.starts_with(full)) {
      key = full + key.substr(std::string_view(shortened).size());
    }
  }
  if (size_t grey = key.find("grey"); grey != std::string::npos) key.replace(grey, 4, "gray");
  auto found = kPresets.find(key);
  if (found == kPresets.end()) return std::nullopt;
  return found->second;
}

Color ApplyTransforms(Color color, pugi::xml_node element) {
  if (!element.first_child()) return color;
  Channels c{color.r / 255.0, color.g / 255.0, color.b / 255.0, color.alpha};
  for (pugi::xml_node modifier : element.children()) Transform(c, modifier);
  auto round = [](double channel) { return static_cast<int>(std::lround(Clamp01(channel) * 255)); };
  return {round(c.r), round(c.g), round(c.b), c.a};
}

std::optional<Color> ColorOf(pugi::xml_node element, const ColorScheme& scheme,
                             const std::optional<Color>& placeholder) {
  std::string_view name = LocalName(element);
  if (!IsColorElement(name)) return std::nullopt;
  std::optional<Color> base = BaseColor(element, name, scheme, placeholder);
  if (!base) return std::nullopt;
  return ApplyTransforms(*base, element);
}

std::optional<Color> ColorIn(pugi::xml_node holder, const ColorScheme& scheme,
                             const std::optional<Color>& placeholder) {
  for (pugi::xml_node element : holder.children()) {
    if (IsColorElement(LocalName(element))) return ColorOf(element, scheme, placeholder);
  }
  return std::nullopt;
}

std::optional<Color> ReferenceColor(pugi::xml_node reference, const ColorScheme& scheme) {
  return ColorIn(reference, scheme);
}

}  // namespace vintrel::ooxml::drawing
