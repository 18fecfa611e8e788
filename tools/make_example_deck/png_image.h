// Small pictures for the example's linked picture: a compass arrow pointing north, east, south
// or west on a coloured tile, written as PNG; and the PNG writers the button faces use too.
#ifndef VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PNG_IMAGE_H_
#define VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PNG_IMAGE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace vintrel::example {

struct Rgb {
  uint8_t red, green, blue;
};

// An 8-bit RGB picture, rows top to bottom.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<Rgb> pixels;  // width * height
};

// Quarter turns clockwise from north: 0 north, 1 east, 2 south, 3 west.
Image CompassTile(int quarter_turns, Rgb background, int size);

// The PNG file of an image.
std::string EncodePng(const Image& image);

// A 1-bit greyscale PNG of a mask, rows top to bottom: black where `opaque` is set (the picture
// shows), white elsewhere (the button's background shows through).
std::string EncodeMaskPng(int width, int height, const std::vector<bool>& opaque);

}  // namespace vintrel::example

#endif  // VINTREL_TOOLS_MAKE_EXAMPLE_DECK_PNG_IMAGE_H_
