// make_button_faces FOLDER
//
// Draws the eight tool bar button faces, 16 by 16 pixels, and writes each as NAME.png with its
// 1-bit mask beside it, under the names the shell gives the buttons. A face is a pixel map: one
// letter a pixel from the palette below, '.' where the button's background shows through, which
// is also where the mask is white.
#include <array>
#include <exception>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "png_image.h"
#include "zip_writer.h"

namespace {

using vintrel::example::Image;
using vintrel::example::Rgb;

constexpr int kSize = 16;
using PixelMap = std::array<const char*, kSize>;

struct Face {
  const char* picture;
  const char* mask;
  PixelMap pixels;
};

// The classic 16-colour palette's shades, so the faces sit well on a grey tool bar; the
// background is that grey.
Rgb Colour(char letter) {
  switch (letter) {
    case '.':
      return {192, 192, 192};
    case 'k':
      return {0, 0, 0};
    case 'w':
      return {255, 255, 255};
    case 'g':
      return {128, 128, 128};
    case 'd':
      return {0, 0, 128};
    case 'b':
      return {0, 0, 255};
    case 'c':
      return {0, 255, 255};
    case 'n':
      return {0, 128, 0};
    case 'r':
      return {255, 0, 0};
    case 'y':
      return {255, 255, 0};
    case 'o':
      return {128, 128, 0};
    default:
      throw std::runtime_error(std::string("no colour '") + letter + "' in the palette");
  }
}

const Face kFaces[] = {
    // Slide show properties: the database cylinder its connections read.
    {"PicConnectionPic",
     "PicConnectionMask",
     {"................", "....kkkkkkkk....", "..kkcccccccckk..", ".kcccccccccccck.",
      ".kkkcccccccckkk.", ".kbbkkkkkkkkbbk.", ".kcbbbbbbbbbbbk.", ".kcbbbbbbbbbbbk.",
      ".kcbbbbbbbbbbbk.", ".kcbbbbbbbbbbbk.", ".kcbbbbbbbbbbbk.", ".kcbbbbbbbbbbbk.",
      ".kcbbbbbbbbbbbk.", ".kkbbbbbbbbbbkk.", "..kkbbbbbbbbkk..", "....kkkkkkkk...."}},
    // Slide properties: a slide with its title and lines of text.
    {"picSlidePic",
     "picSlideMask",
     {"................", ".kkkkkkkkkkkkkk.", ".kddddddddddddk.", ".kdwwwwwwwddddk.",
      ".kddddddddddddk.", ".kwwwwwwwwwwwwk.", ".kwggggggggwwwk.", ".kwwwwwwwwwwwwk.",
      ".kwggggggggggwk.", ".kwwwwwwwwwwwwk.", ".kwggggggwwwwwk.", ".kwwwwwwwwwwwwk.",
      ".kwggggggggwwwk.", ".kwwwwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", "................"}},
    // Clock shape properties: a clock face at three o'clock.
    {"PicClockPic",
     "PicClockMask",
     {"................", ".....kkkkkk.....", "...kkwwwwwwkk...", "..kwwwwkwwwwwk..",
      ".kwwwwwkwwwwwwk.", ".kwwwwwkwwwwwwk.", "kwwwwwwkwwwwwwwk", "kkwwwwwkwwwwwwkk",
      "kwwwwwwkrrrrwwwk", "kwwwwwwwwwwwwwwk", ".kwwwwwwwwwwwwk.", ".kwwwwwwwwwwwwk.",
      "..kwwwwwkwwwwk..", "...kkwwwwwwkk...", ".....kkkkkk.....", "................"}},
    // Text shape properties: a "T" in a text box.
    {"picDataFieldPic",
     "picDataFieldMask",
     {"................", ".kkkkkkkkkkkkkk.", ".kwwwwwwwwwwwwk.", ".kwddddddddddwk.",
      ".kwddddddddddwk.", ".kwwwwwddwwwwwk.", ".kwwwwwddwwwwwk.", ".kwwwwwddwwwwwk.",
      ".kwwwwwddwwwwwk.", ".kwwwwwddwwwwwk.", ".kwwwwwddwwwwwk.", ".kwwwwwddwwwwwk.",
      ".kwwwwwddwwwwwk.", ".kwwwwwwwwwwwwk.", ".kkkkkkkkkkkkkk.", "................"}},
    // Linked object properties: a framed picture of a hill under the sun.
    {"picDataPicturePic",
     "picDataPictureMask",
     {"................", ".kkkkkkkkkkkkkk.", ".kooooooooooook.", ".kokkkkkkkkkkok.",
      ".kokccccccyykok.", ".kokccccccyykok.", ".kokcccccccckok.", ".kokccnncccckok.",
      ".kokcnnnnccnkok.", ".koknnnnnnnnkok.", ".koknnnnnnnnkok.", ".kokkkkkkkkkkok.",
      ".kooooooooooook.", ".kkkkkkkkkkkkkk.", "................", "................"}},
    // Linked graph properties: a bar chart.
    {"picGraphObjectPic",
     "picGraphObjectMask",
     {"................", ".k..............", ".k..............", ".k.......rr.....",
      ".k.......rr.....", ".k.......rr.....", ".k....nn.rr.....", ".k....nn.rr.yy..",
      ".k....nn.rr.yy..", ".k.bb.nn.rr.yy..", ".k.bb.nn.rr.yy..", ".k.bb.nn.rr.yy..",
      ".k.bb.nn.rr.yy..", ".k.bb.nn.rr.yy..", ".kkkkkkkkkkkkkk.", "................"}},
    // Refresh data now: two arrows chasing each other round.
    {"picRefreshDataNowPic",
     "picRefreshDataNowMask",
     {"................", "....nnnnnn......", "...nnnnnnnnn....", "..nnn.....nnn...",
      "..nn.......nn...", "..nn.....nnnnnn.", "..nn......nnnn..", "...........nn...",
      "...nn...........", "..nnnn......nn..", ".nnnnnn.....nn..", "...nn.......nn..",
      "...nnn.....nnn..", "....nnnnnnnnn...", "......nnnnnn....", "................"}},
    // Create off-line presentation: a slide saved to a disk.
    {"picCreateOfflinePPTpic",
     "picCreateOfflinePPTMask",
     {"................", "kkkkkkkkkkk.....", "kdddddddddk.....", "kwwwwwwwwwk.....",
      "kwggggggwwk.....", "kwwwwwwwwwk.....", "kwgggggggwk.....", "kwggggkkkkkkkkkk",
      "kwwwwwkbwwwwwwbk", "kkkkkkkbwwwwwwbk", "......kbwwwwwwbk", "......kbbbbbbbbk",
      "......kbbggggbbk", "......kbbgkggbbk", "......kbbggggbbk", "......kkkkkkkkkk"}},
};

void WriteFace(const Face& face, const std::filesystem::path& folder) {
  Image picture{kSize, kSize, {}};
  std::vector<bool> opaque;
  for (const char* row : face.pixels) {
    if (std::string(row).size() != kSize) {
      throw std::runtime_error(std::string(face.picture) + " has a row that is not " +
                               std::to_string(kSize) + " pixels wide");
    }
    for (int x = 0; x < kSize; ++x) {
      picture.pixels.push_back(Colour(row[x]));
      opaque.push_back(row[x] != '.');
    }
  }
  namespace example = vintrel::example;
  example::WriteFileAtomically((folder / (std::string(face.picture) + ".png")).string(),
                               example::EncodePng(picture));
  example::WriteFileAtomically((folder / (std::string(face.mask) + ".png")).string(),
                               example::EncodeMaskPng(kSize, kSize, opaque));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]).rfind('-', 0) == 0) {
    std::cerr << "usage: make_button_faces FOLDER\n";
    return 2;
  }
  try {
    std::filesystem::create_directories(argv[1]);
    for (const Face& face : kFaces) WriteFace(face, argv[1]);
  } catch (const std::exception& failure) {
    std::cerr << "make_button_faces: " << failure.what() << "\n";
    return 1;
  }
  return 0;
}
