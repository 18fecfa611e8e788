// make_example_deck OUT.pptx [PICTURE_FOLDER]
//
// Writes the sales board presentation (three 16:9 slides: values from three kinds of source and
// a clock, a column chart, a linked picture) with nothing linked yet, and, when a folder is
// given, the four compass pictures north.png, east.png, south.png and west.png into it. The
// linked picture starts on data/pictures/north.png, relative to the presentation.
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "board_package.h"
#include "png_image.h"
#include "zip_writer.h"

namespace {

using vintrel::example::Rgb;

struct Compass {
  const char* file;
  int quarter_turns;
  Rgb color;
};

// The theme's accent colours, one per direction.
constexpr Compass kPictures[] = {
    {"north.png", 0, {0x2E, 0x6F, 0xBF}},
    {"east.png", 1, {0x3A, 0x9D, 0x5D}},
    {"south.png", 2, {0xD9, 0x82, 0x2B}},
    {"west.png", 3, {0x8E, 0x5B, 0xB5}},
};

constexpr int kPictureSize = 160;

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || std::string(argv[1]).rfind('-', 0) == 0) {
    std::cerr << "usage: make_example_deck OUT.pptx [PICTURE_FOLDER]\n";
    return 2;
  }
  try {
    namespace example = vintrel::example;
    example::WriteFileAtomically(
        argv[1], example::ZipBytes(example::BoardPackage("data/pictures/north.png")));
    if (argc == 3) {
      std::filesystem::create_directories(argv[2]);
      for (const Compass& picture : kPictures) {
        example::WriteFileAtomically((std::filesystem::path(argv[2]) / picture.file).string(),
                                     example::EncodePng(example::CompassTile(
                                         picture.quarter_turns, picture.color, kPictureSize)));
      }
    }
  } catch (const std::exception& failure) {
    std::cerr << "make_example_deck: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}
