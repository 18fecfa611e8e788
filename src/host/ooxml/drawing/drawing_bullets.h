// Bullets and automatic numbers of paragraphs: which one a paragraph shows (its own properties,
// then the list styles of the shape, layout, master and presentation), in what font, colour and
// size, and how numbers count on from paragraph to paragraph.
#ifndef VINTREL_HOST_OOXML_DRAWING_BULLETS_H_
#define VINTREL_HOST_OOXML_DRAWING_BULLETS_H_

#include <map>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "host/ooxml/drawing/drawing_context.h"

namespace vintrel::ooxml::drawing {

// The text of number `number` in an automatic numbering scheme (a:buAutoNum type), with its
// punctuation: "arabicPeriod" 3 -> "3.", "alphaLcParenBoth" 2 -> "(b)", "romanUcPeriod" 4 ->
// "IV.". Unknown schemes count in arabic numbers with a period.
std::string AutoNumberText(std::string_view scheme, int number);

// How numbered paragraphs of one text body count: on at the same level and scheme, from the
// start again after a paragraph of that level without a number or of a lower level.
class Numbering {
 public:
  int Next(int level, std::string_view scheme, int start);
  void Interrupt(int level);

 private:
  struct Count {
    std::string scheme;
    int start = 1;
    int number = 0;
  };
  std::map<int, Count> counts_;
};

// What the paragraph's first run looks like: the bullet follows it unless told otherwise.
struct FirstRun {
  double size = 18;    // points, after auto-fit scaling
  std::string family;  // the deck's family name, empty when none is given
  std::optional<Color> color;
};

struct Bullet {
  std::string text;  // UTF-8, empty when the paragraph shows none
  std::string css;   // the bullet's own font, colour and size, as CSS declarations
};

// The bullet of a paragraph with properties `chain` (a:pPr, then the a:lvlNpPr of each list
// style, nearest first) at `level` (0..8).
Bullet BulletOf(const std::vector<pugi::xml_node>& chain, int level, const FirstRun& run,
                Numbering& numbering, const DrawingContext& context);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_BULLETS_H_
