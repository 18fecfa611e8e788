#include "host/ooxml/drawing/drawing_line_breaks.h"

#include <algorithm>
#include <vector>

namespace vintrel::ooxml::drawing {

namespace {

struct Character {
  double width;
  bool space;
  bool breaks_after;  // a space or a hyphen: the line may end after it
};

std::vector<Character> Characters(std::string_view text, double size,
                                  const CharacterWidths& widths) {
  std::vector<Character> characters;
  for (size_t at = 0; at < text.size(); ++at) {
    unsigned char c = static_cast<unsigned char>(text[at]);
    if ((c & 0xC0) == 0x80) continue;  // the rest of a character already counted
    double width = widths.other;
    if (c >= 'a' && c <= 'z') width = widths.lower;
    if (c >= 'A' && c <= 'Z') width = widths.upper;
    if (c >= '0' && c <= '9') width = widths.digit;
    if (c == ' ' || c == '\t') width = widths.space;
    // Letters beyond ASCII are mostly accented Latin; from U+3000 on, square ideographs.
    if (c >= 0xC0) width = c >= 0xE3 ? 1.0 : widths.lower;
    characters.push_back({width * size, c == ' ' || c == '\t', c == ' ' || c == '\t' || c == '-'});
  }
  return characters;
}

}  // namespace

int LineCount(std::string_view text, double size, const CharacterWidths& widths, double width) {
  int lines = 0;
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::vector<Character> line = Characters(text.substr(start, end - start), size, widths);
    start = end + 1;
    ++lines;
    double used = 0;
    for (size_t first = 0; first < line.size();) {
      // A word with what ends it: spaces hang past the line's end, a hyphen does not.
      size_t last = first;
      while (last + 1 < line.size() && !line[last].breaks_after) ++last;
      while (last + 1 < line.size() && line[last + 1].space) ++last;
      double inked = 0, whole = 0;
      for (size_t i = first; i <= last; ++i) {
        whole += line[i].width;
        if (!line[i].space) inked = whole;
      }
      if (used > 0 && used + inked > width) {
        ++lines;
        used = 0;
      }
      if (inked <= width) {
        used += whole;
      } else {
        for (size_t i = first; i <= last; ++i) {
          if (used > 0 && !line[i].space && used + line[i].width > width) {
            ++lines;
            used = 0;
          }
          used += line[i].width;
        }
      }
      first = last + 1;
    }
  }
  return lines;
}

}  // namespace vintrel::ooxml::drawing
