// Pictures: the picture of a blip fill (a p:pic's, a shape's picture fill or a background) with
// its crop, opacity and tiling, drawn as an SVG image showing just the cropped region. EMF
// and WMF pictures are turned into SVG, since no browser draws them, and drawn in the page.
#ifndef VINTREL_HOST_OOXML_DRAWING_PICTURE_H_
#define VINTREL_HOST_OOXML_DRAWING_PICTURE_H_

#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "host/ooxml/drawing/drawing_color.h"

namespace vintrel::ooxml::drawing {

class DrawingContext;
struct Box;

struct Picture {
  std::string address;  // for the SVG; empty when the picture cannot be shown
  // a:srcRect: the insets of the shown region from the picture's left, top, right and bottom
  // edges, in thousandths of a percent; negative insets leave room around the picture.
  long crop[4] = {0, 0, 0, 0};
  double alpha = 1;  // a:alphaModFix
  bool grayscale = false;
  // Filter primitives recolouring the picture (a:duotone, a:lum), empty for none.
  std::string recolor;
  // a:tile: the picture repeats at its own size times `scale`, from `offset` (points).
  bool tile = false;
  double scale[2] = {1, 1};
  double offset[2] = {0, 0};
  double size[2] = {0, 0};  // the picture's own size in points, when known
  // A metafile's SVG, drawn in the page itself so that its words stay text (a chart or a
  // spreadsheet's preview); empty for other pictures and for very large ones.
  std::string markup;
};

// The picture of `blip_fill` (p:blipFill or a:blipFill) whose relationships are `part`'s.
// `placeholder` stands for phClr in its recolouring.
Picture PictureOf(pugi::xml_node blip_fill, const std::string& part, const DrawingContext& context,
                  const std::optional<Color>& placeholder = {});
// The preview of embedded object `ole_object` (p:oleObj) on `part` that keeps it in the part's
// VML drawing rather than in a p:pic of its own (decks converted from the older binary format).
Picture OlePreviewOf(pugi::xml_node ole_object, const std::string& part,
                     const DrawingContext& context);
// The element drawing `picture` stretched over `box`; a recolouring filter goes into `defs`.
std::string PictureElement(const Picture& picture, const Box& box, DrawingContext& context,
                           std::string& defs);

// The picture's bytes as something a browser draws, with its content type: EMF and WMF
// turned into SVG; empty type when it cannot be drawn.
std::pair<std::string, const char*> ScreenPicture(std::string bytes, std::string_view name);
// The size in pixels of a PNG, JPEG or GIF picture (0, 0 when unknown).
std::pair<int, int> PixelSize(std::string_view bytes);

}  // namespace vintrel::ooxml::drawing

#endif  // VINTREL_HOST_OOXML_DRAWING_PICTURE_H_
