#include "host/ooxml/drawing/drawing_bullets.h"

#include <array>

#include "host/ooxml/drawing/drawing_fonts.h"

namespace vintrel::ooxml::drawing {

namespace {

bool Has(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

std::string Roman(int number) {
  struct Numeral {
    int value;
    const char* text;
  };
  static constexpr Numeral kNumerals[] = {
      {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"}, {50, "l"},
      {40, "xl"},  {10, "x"},   {9, "ix"},  {5, "v"},    {4, "iv"},  {1, "i"}};
  std::string text;
  for (const Numeral& numeral : kNumerals) {
    for (; number >= numeral.value; number -= numeral.value) text += numeral.text;
  }
  return text;
}

// a, b, ... z, aa, bb, ... as the presentation program counts letters.
std::string Letters(int number) {
  int repeat = (number - 1) / 26 + 1;
  return std::string(repeat, static_cast<char>('a' + (number - 1) % 26));
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
  return text;
}

// Digits as wide (East Asian) digits: U+FF10..U+FF19.
std::string WideDigits(int number) {
  std::string text;
  for (char digit : std::to_string(number))
    text += "\xEF\xBC" + std::string(1, digit - '0' + '\x90');
  return text;
}

std::string ChineseNumber(int number) {
  static constexpr std::array<const char*, 10> kDigits{"〇", "一", "二", "三", "四",
                                                       "五", "六", "七", "八", "九"};
  if (number < 10) return kDigits[number];
  if (number < 20) return std::string("十") + (number % 10 ? kDigits[number % 10] : "");
  if (number < 100) {
    return std::string(kDigits[number / 10]) + "十" + (number % 10 ? kDigits[number % 10] : "");
  }
  return std::to_string(number);
}

std::string Circled(int number, bool black) {
  if (number < 1 || number > 10) return std::to_string(number);
  // ① U+2460.. and ❶ U+2776..
  char32_t c = black ? 0x2775 + number : 0x245F + number;
  std::string text;
  text += static_cast<char>(0xE0 | (c >> 12));
  text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
  text += static_cast<char>(0x80 | (c & 0x3F));
  return text;
}

}  // namespace

std::string AutoNumberText(std::string_view scheme, int number) {
  auto starts = [&](std::string_view prefix) { return scheme.rfind(prefix, 0) == 0; };
  if (starts("circleNum")) return Circled(number, Has(scheme, "Black"));
  if (starts("ea1JpnKor") || starts("arabicDb")) {
    return WideDigits(number) + (Has(scheme, "Period") ? "\xEF\xBC\x8E" : "");  // wide stop
  }
  std::string text = starts("alphaLc")   ? Letters(number)
                     : starts("alphaUc") ? Upper(Letters(number))
                     : starts("romanLc") ? Roman(number)
                     : starts("romanUc") ? Upper(Roman(number))
                     : starts("ea1Ch")   ? ChineseNumber(number)
                                         : std::to_string(number);
  if (Has(scheme, "ParenBoth")) return "(" + text + ")";
  if (Has(scheme, "ParenR")) return text + ")";
  if (Has(scheme, "Minus")) return text + "-";
  if (Has(scheme, "Plain")) return text;
  if (Has(scheme, "Comma")) return text + ",";
  return text + ".";
}

int Numbering::Next(int level, std::string_view scheme, int start) {
  counts_.erase(counts_.upper_bound(level), counts_.end());
  auto found = counts_.find(level);
  if (found == counts_.end() || found->second.scheme != scheme || found->second.start != start) {
    counts_[level] = {std::string(scheme), start, start};
    return start;
  }
  return ++found->second.number;
}

void Numbering::Interrupt(int level) {
  counts_.erase(counts_.lower_bound(level), counts_.end());
}

Bullet BulletOf(const std::vector<pugi::xml_node>& chain, int level, const FirstRun& run,
                Numbering& numbering, const DrawingContext& context) {
  // Each kind of property comes from the nearest element that sets it.
  auto nearest = [&](std::initializer_list<const char*> names) -> pugi::xml_node {
    for (pugi::xml_node properties : chain) {
      for (const char* name : names) {
        if (pugi::xml_node child = properties.child(name)) return child;
      }
    }
    return {};
  };
  pugi::xml_node kind = nearest({"a:buNone", "a:buChar", "a:buAutoNum", "a:buBlip"});
  std::string_view kind_name = kind.name();
  Bullet bullet;
  if (kind_name == "a:buAutoNum") {
    std::string_view scheme = kind.attribute("type").value();
    bullet.text =
        AutoNumberText(scheme, numbering.Next(level, scheme, kind.attribute("startAt").as_int(1)));
  } else {
    numbering.Interrupt(level);
    if (kind_name == "a:buChar") bullet.text = kind.attribute("char").value();
    // A picture bullet shows as the plainest bullet.
    if (kind_name == "a:buBlip") bullet.text = "\u2022";
  }
  if (bullet.text.empty()) return bullet;

  pugi::xml_node font = nearest({"a:buFont", "a:buFontTx"});
  std::string family = std::string_view(font.name()) == "a:buFont"
                           ? context.FontName(font.attribute("typeface").value())
                           : run.family;
  if (kind_name == "a:buChar" && IsSymbolFont(family)) {
    bullet.text = SymbolText(family, bullet.text);
    bullet.css = "font-family:'OpenSymbol','DejaVu Sans',sans-serif";
  } else if (!family.empty()) {
    bullet.css = "font-family:" + CssFontFamily(family);
  }
  double size = run.size;
  pugi::xml_node sizing = nearest({"a:buSzPct", "a:buSzPts", "a:buSzTx"});
  if (std::string_view(sizing.name()) == "a:buSzPct") {
    size *= sizing.attribute("val").as_double(100000) / 100000;
  } else if (std::string_view(sizing.name()) == "a:buSzPts") {
    size = sizing.attribute("val").as_double() / 100;
  }
  bullet.css += std::string(bullet.css.empty() ? "" : ";") + "font-size:" + Num(size) + "px";
  std::optional<Color> color = run.color;
  pugi::xml_node coloring = nearest({"a:buClr", "a:buClrTx"});
  if (std::string_view(coloring.name()) == "a:buClr") {
    if (std::optional<Color> own = context.ColorIn(coloring)) color = own;
  }
  if (color) bullet.css += ";color:" + color->Hex();
  return bullet;
}

}  // namespace vintrel::ooxml::drawing
