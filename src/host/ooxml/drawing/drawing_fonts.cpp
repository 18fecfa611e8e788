#include "host/ooxml/drawing/drawing_fonts.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <utility>

#include "host/common/ascii.h"

namespace vintrel::ooxml::drawing {

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

struct StandIn {
  std::string_view family;  // lower case
  std::string_view stand_in;
};

// Families Debian installs with the same widths as the deck's (fonts-crosextra-carlito,
// fonts-crosextra-caladea, fonts-liberation2): lines break as the author saw them.
constexpr std::array kStandIns{
    StandIn{"calibri", "Carlito"},           StandIn{"calibri light", "Carlito"},
    StandIn{"cambria", "Caladea"},           StandIn{"arial", "Liberation Sans"},
    StandIn{"helvetica", "Liberation Sans"}, StandIn{"times new roman", "Liberation Serif"},
    StandIn{"times", "Liberation Serif"},    StandIn{"courier new", "Liberation Mono"},
    StandIn{"courier", "Liberation Mono"},
};

// Well-known serif and monospace families whose names do not say so.
constexpr std::array<std::string_view, 24> kSerif{
    "georgia",       "palatino",    "book antiqua", "garamond", "constantia", "century",
    "bookman",       "baskerville", "perpetua",     "goudy",    "rockwell",   "didot",
    "bodoni",        "californian", "calisto",      "centaur",  "sylfaen",    "caslon",
    "lucida bright", "high tower",  "bell mt",      "cambria",  "times",      "caladea"};
constexpr std::array<std::string_view, 8> kMonospace{"courier",    "consolas",   "lucida console",
                                                     "menlo",      "monaco",     "andale mono",
                                                     "typewriter", "inconsolata"};

std::string_view GenericFamily(std::string_view family) {
  std::string lower = LowerAscii(family);
  auto any_of = [&](const auto& names) {
    return std::any_of(names.begin(), names.end(),
                       [&](std::string_view name) { return Contains(lower, name); });
  };
  if (any_of(kMonospace) || Contains(lower, "mono") || Contains(lower, " code")) {
    return "monospace";
  }
  if (Contains(lower, "sans") || Contains(lower, "gothic")) return "sans-serif";
  if (any_of(kSerif) || Contains(lower, "serif") || Contains(lower, "roman") ||
      Contains(lower, "old style") || Contains(lower, "antiqua") || Contains(lower, "mincho") ||
      Contains(lower, "song") || Contains(lower, "ming")) {
    return "serif";
  }
  return "sans-serif";
}

// Symbol font codes (0x20..0xFF) and their Unicode equivalents, for the characters decks use as
// bullets and marks; the rest of a symbol font's codes fall back to a bullet.
struct Symbol {
  std::uint8_t code;
  char32_t unicode;
};

constexpr Symbol kWingdings[] = {
    {0x21, U'\u270F'}, {0x22, U'\u2702'}, {0x28, U'\u260E'}, {0x2A, U'\u2709'}, {0x3F, U'\u270D'},
    {0x41, U'\u270C'}, {0x45, U'\u261C'}, {0x46, U'\u261E'}, {0x47, U'\u261D'}, {0x48, U'\u261F'},
    {0x4A, U'\u263A'}, {0x4C, U'\u2639'}, {0x51, U'\u2708'}, {0x52, U'\u263C'}, {0x54, U'\u2744'},
    {0x58, U'\u2720'}, {0x6C, U'\u25CF'}, {0x6D, U'\u274D'}, {0x6E, U'\u25A0'}, {0x6F, U'\u25A1'},
    {0x70, U'\u25A1'}, {0x71, U'\u2751'}, {0x72, U'\u2752'}, {0x73, U'\u2B27'}, {0x74, U'\u29EB'},
    {0x75, U'\u25C6'}, {0x76, U'\u2756'}, {0x77, U'\u2B25'}, {0x9E, U'\u00B7'}, {0x9F, U'\u2022'},
    {0xA0, U'\u25AA'}, {0xA1, U'\u25CB'}, {0xA2, U'\u25EF'}, {0xA4, U'\u25C9'}, {0xA5, U'\u25CE'},
    {0xA7, U'\u25AA'}, {0xA8, U'\u25FB'}, {0xAA, U'\u2726'}, {0xAB, U'\u2605'}, {0xAC, U'\u2736'},
    {0xAD, U'\u2734'}, {0xAE, U'\u2739'}, {0xD8, U'\u27A2'}, {0xDC, U'\u27B2'}, {0xE8, U'\u2794'},
    {0xEF, U'\u21E6'}, {0xF0, U'\u21E8'}, {0xF1, U'\u21E7'}, {0xF2, U'\u21E9'}, {0xFB, U'\u2717'},
    {0xFC, U'\u2714'}, {0xFD, U'\u2612'}, {0xFE, U'\u2611'},
};
constexpr Symbol kWingdings2[] = {
    {0x4F, U'\u2717'}, {0x50, U'\u2713'}, {0x95, U'\u2022'}, {0x96, U'\u2022'}, {0x97, U'\u2022'},
    {0x98, U'\u25CF'}, {0x99, U'\u25CB'}, {0x9D, U'\u2299'}, {0x9E, U'\u25C9'}, {0x9F, U'\u25AA'},
    {0xA0, U'\u25AA'}, {0xA1, U'\u25FE'}, {0xA2, U'\u25A0'}, {0xA3, U'\u25A1'}, {0xA4, U'\u25A3'},
    {0xA8, U'\u25A3'}, {0xAD, U'\u25C6'}, {0xAE, U'\u25C6'}, {0xAF, U'\u25C7'}, {0xB1, U'\u25C8'},
    {0xB7, U'\u2B27'}, {0xB8, U'\u25CA'}, {0xEB, U'\u2736'}, {0xF0, U'\u2739'}, {0xF3, U'\u272F'},
    {0xF8, U'\u203B'},
};
// Wingdings 3 is arrows and triangles: its bullets are triangles pointing right.
constexpr Symbol kWingdings3[] = {
    {0x70, U'\u25B2'}, {0x71, U'\u25BC'}, {0x72, U'\u25B3'}, {0x73, U'\u25BD'},
    {0x74, U'\u25C0'}, {0x75, U'\u25B6'}, {0x76, U'\u25C1'}, {0x77, U'\u25B7'},
    {0x78, U'\u25E3'}, {0x79, U'\u25E2'}, {0x7A, U'\u25E4'}, {0x7B, U'\u25E5'},
    {0x7C, U'\u25C0'}, {0x7D, U'\u25B6'}, {0x7E, U'\u25B2'}, {0x80, U'\u25BC'},
};
// Symbol: Greek letters where Latin ones stand, and the marks decks use.
constexpr Symbol kSymbol[] = {
    {0x22, U'\u2200'}, {0x24, U'\u2203'}, {0x27, U'\u220B'}, {0x2A, U'\u2217'}, {0x2D, U'\u2212'},
    {0x40, U'\u2245'}, {0x5C, U'\u2234'}, {0x5E, U'\u22A5'}, {0x7E, U'\u223C'}, {0xA5, U'\u221E'},
    {0xA7, U'\u2663'}, {0xA8, U'\u2666'}, {0xA9, U'\u2665'}, {0xAA, U'\u2660'}, {0xAB, U'\u2194'},
    {0xAC, U'\u2190'}, {0xAD, U'\u2191'}, {0xAE, U'\u2192'}, {0xAF, U'\u2193'}, {0xB1, U'\u00B1'},
    {0xB4, U'\u00D7'}, {0xB7, U'\u2022'}, {0xB9, U'\u2260'}, {0xBA, U'\u2261'}, {0xBB, U'\u2248'},
    {0xD6, U'\u221A'}, {0xD7, U'\u22C5'}, {0xD8, U'\u00AC'}, {0xDE, U'\u21D2'}, {0xE0, U'\u25CA'},
};
// Symbol's letters A..Z and a..z are the Greek alphabet in this order.
constexpr std::u32string_view kGreekUpper = U"ΑΒΧΔΕΦΓΗΙϑΚΛΜΝΟΠΘΡΣΤΥςΩΞΨΖ";
constexpr std::u32string_view kGreekLower = U"αβχδεφγηιϕκλμνοπθρστυϖωξψζ";

template <size_t N>
char32_t Find(const Symbol (&table)[N], std::uint8_t code) {
  for (const Symbol& symbol : table) {
    if (symbol.code == code) return symbol.unicode;
  }
  return 0;
}

char32_t SymbolCharacter(std::string_view lower_family, char32_t character) {
  // Symbol fonts are addressed both through the private range (U+F020..U+F0FF) and directly.
  if (character >= 0xF020 && character <= 0xF0FF) character -= 0xF000;
  if (character > 0xFF) return character;  // already a Unicode character
  auto code = static_cast<std::uint8_t>(character);
  char32_t mapped = 0;
  if (lower_family == "symbol") {
    if (code >= 'A' && code <= 'Z') return kGreekUpper[code - 'A'];
    if (code >= 'a' && code <= 'z') return kGreekLower[code - 'a'];
    mapped = Find(kSymbol, code);
    if (!mapped && code < 0x80) return character;  // digits and punctuation are themselves
  } else if (lower_family == "wingdings 2") {
    mapped = Find(kWingdings2, code);
  } else if (lower_family == "wingdings 3") {
    mapped = Find(kWingdings3, code);
    if (!mapped) mapped = U'\u25B8';
  } else {
    mapped = Find(kWingdings, code);
  }
  return mapped ? mapped : U'\u2022';
}

// UTF-8 decoding and encoding of single characters (text from the XML parser is valid UTF-8).
char32_t NextCharacter(std::string_view text, size_t& at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char first = byte(at);
  int length = first < 0x80 ? 1 : first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
  if (at + length > text.size()) length = 1;
  char32_t value = length == 1 ? first : first & (0x7F >> length);
  for (int i = 1; i < length; ++i) value = (value << 6) | (byte(at + i) & 0x3F);
  at += length;
  return value;
}

void Append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::string CssFontFamily(std::string_view family) {
  if (family.empty()) return "'DejaVu Sans',sans-serif";
  std::string lower = LowerAscii(family);
  std::string css = "'" + std::string(family) + "'";
  for (const StandIn& entry : kStandIns) {
    if (lower == entry.family)
      return css + ",'" + std::string(entry.stand_in) + "'," + std::string(GenericFamily(family));
  }
  // Other families come to DejaVu, as in LibreOffice, whatever the browser's own generic
  // fonts are: the line placement counts on its metrics.
  std::string_view generic = GenericFamily(family);
  if (lower.rfind("dejavu", 0) == 0) return css + "," + std::string(generic);
  if (generic == "serif") return css + ",'DejaVu Serif',serif";
  if (generic == "monospace") return css + ",'DejaVu Sans Mono',monospace";
  return css + ",'DejaVu Sans',sans-serif";
}

FontMetrics DrawnMetrics(std::string_view family) {
  // The families Linux draws them with, as their font files give them (hhea ascender and
  // descender); DejaVu is what the generic families come to.
  std::string lower = LowerAscii(family);
  auto is = [&](std::initializer_list<std::string_view> names) {
    return std::find(names.begin(), names.end(), lower) != names.end();
  };
  if (is({"calibri", "calibri light", "carlito"})) return {0.75, 0.25};
  if (is({"cambria", "caladea"})) return {0.9, 0.25};
  if (is({"arial", "helvetica", "liberation sans"})) return {0.905, 0.212};
  if (is({"times new roman", "times", "liberation serif"})) return {0.891, 0.216};
  if (is({"courier new", "courier", "liberation mono"})) return {0.833, 0.3};
  return {};
}

CharacterWidths DrawnWidths(std::string_view family) {
  // Measured in Chromium on Debian's font files; the rest come to DejaVu.
  std::string lower = LowerAscii(family);
  std::string_view drawn = GenericFamily(family);
  for (const StandIn& entry : kStandIns) {
    if (lower == entry.family) drawn = entry.stand_in;
  }
  if (drawn == "Carlito") return {0.448, 0.554, 0.507, 0.226, 0.306};
  if (drawn == "Caladea") return {0.45, 0.582, 0.468, 0.22, 0.329};
  if (drawn == "Liberation Sans") return {0.477, 0.677, 0.556, 0.278, 0.333};
  if (drawn == "Liberation Serif") return {0.433, 0.667, 0.5, 0.25, 0.333};
  if (drawn == "Liberation Mono") return {0.6, 0.6, 0.6, 0.6, 0.6};
  if (drawn == "serif") return {0.555, 0.742, 0.636, 0.318, 0.338};
  if (drawn == "monospace") return {0.602, 0.602, 0.602, 0.602, 0.602};
  return {};
}

bool IsSymbolFont(std::string_view family) {
  std::string lower = LowerAscii(family);
  return lower == "symbol" || lower.rfind("wingdings", 0) == 0 || lower == "webdings" ||
         lower == "marlett" || lower == "monotype sorts";
}

std::string SymbolText(std::string_view family, std::string_view text) {
  std::string lower = LowerAscii(family);
  std::string out;
  for (size_t at = 0; at < text.size();) {
    Append(out, SymbolCharacter(lower, NextCharacter(text, at)));
  }
  return out;
}

}  // namespace vintrel::ooxml::drawing
