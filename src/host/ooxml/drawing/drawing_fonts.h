// Fonts of a deck as the browser can draw them: families named by the deck mapped to families
// with the same metrics that Linux installs (so lines break where the author saw them break), the
// right generic family for the rest, and the characters of symbol fonts as their Unicode
// equivalents.
#ifndef VINTREL_HOST_OOXML_DRAWING_FONTS_H_
#define VINTREL_HOST_OOXML_DRAWING_FONTS_H_

#include <string>
#include <string_view>

namespace vintrel::ooxml::drawing {

// A CSS font-family list for the deck's family `family`: the family itself, its metric-compatible
// stand-in when there is one (Calibri -> Carlito), and the generic family it belongs to.
std::string CssFontFamily(std::string_view family);

// The ascent and descent, as multiples of the size, of the family the browser draws for the
// deck's family `family` (the deck's own, its stand-in or the generic family's): where the
// browser puts the baseline in a line.
struct FontMetrics {
  double ascent = 0.928, descent = 0.236;
};
FontMetrics DrawnMetrics(std::string_view family);

// The mean advances, as multiples of the size, of lower-case letters (weighted as English uses
// them), capitals, digits, the space and other marks in the family the browser draws for the
// deck's family `family`: enough to tell about where lines break.
struct CharacterWidths {
  double lower = 0.548, upper = 0.673, digit = 0.636, space = 0.318, other = 0.361;
};
CharacterWidths DrawnWidths(std::string_view family);

// True for the fonts whose characters are pictures rather than letters (Wingdings 1 to 3,
// Symbol, Webdings ...): their text must be mapped before any other font can draw it.
bool IsSymbolFont(std::string_view family);

// `text` (UTF-8) written in the symbol font `family`, as Unicode characters any font can draw:
// the private-range codes (U+F020..U+F0FF) and the plain codes alike. Characters without an
// equivalent become a bullet.
std::string SymbolText(std::string_view family, std::string_view text);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_FONTS_H_
