#include "host/ooxml/drawing/metafile_svg.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "package_test_support.h"

namespace vintrel::ooxml::drawing {
namespace {

// A WMF in words: a placeable header over 1000 x 500 units at 1000 to the inch, a font, and
// "Label" written at (100, 400) in it.
std::string LabelWmf() {
  std::vector<uint16_t> words = {0xCDD7, 0x9AC6, 0, 0, 0, 1000, 500, 1000, 0, 0};
  uint16_t checksum = 0;
  for (uint16_t word : words) checksum ^= word;
  words.push_back(checksum);
  std::vector<uint16_t> body = {1, 9, 0x0300, 0, 0, 1, 28, 0, 0};
  // A font 200 units high named Arial, then selected.
  std::vector<uint16_t> font = {28, 0, 0x02FB, static_cast<uint16_t>(-200), 0, 0, 0, 400, 0,
                                0,  0, 0};
  const char face[] = "Arial";
  for (int i = 0; i < 16; ++i) {
    uint8_t low = i * 2 < 5 ? face[i * 2] : 0, high = i * 2 + 1 < 5 ? face[i * 2 + 1] : 0;
    font.push_back(static_cast<uint16_t>(low | high << 8));
  }
  body.insert(body.end(), font.begin(), font.end());
  body.insert(body.end(), {4, 0, 0x012D, 0});
  body.insert(body.end(), {9, 0, 0x0521, 5, 'L' | 'a' << 8, 'b' | 'e' << 8, 'l', 400, 100});
  body.insert(body.end(), {3, 0, 0});
  body[3] = static_cast<uint16_t>(body.size());
  words.insert(words.end(), body.begin(), body.end());
  std::string bytes;
  for (uint16_t word : words)
    bytes += {static_cast<char>(word & 0xff), static_cast<char>(word >> 8)};
  return bytes;
}

TEST(MetafileSvgTest, WmfBecomesStretchableSvgWithItsWordsAsTextAndDamageGivesNothing) {
  // One inch by half an inch, drawn at eight times its size in points.
  ooxml::testing::ExpectParts(
      MetafileToSvg(LabelWmf(), "ppt/media/image1.WMF"),
      {"<svg xmlns=\"http://www.w3.org/2000/svg\"", "xmlns:xlink=\"http://www.w3.org/1999/xlink\"",
       "preserveAspectRatio=\"none\"", ">Label</text>", "viewBox=\"0 0 576 288\"", "!<?xml"});
  // Damaged metafiles and other pictures give nothing.
  std::string wmf = LabelWmf();
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"cut.wmf", wmf.substr(0, 30)},
      {"noise.wmf", std::string(200, '\x5a')},
      {"empty.emf", ""},
  };
  for (const Case& test : cases) EXPECT_EQ(MetafileToSvg(test.bytes, test.name), "") << test.name;
  EXPECT_TRUE(IsMetafileName("a/b.Emf"));
  EXPECT_FALSE(IsMetafileName("a.emf/b.png"));
}

}  // namespace
}  // namespace vintrel::ooxml::drawing
