// The tool bar's button faces as the build draws them and as `vintrel menus` hands them out.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "faults/fault_support.h"
#include "host_session.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

struct PngHeader {
  uint32_t width = 0, height = 0;
  int bit_depth = 0;
};

// The size and sample depth from a PNG file's signature and IHDR chunk; all zero for a file that
// is not a PNG.
PngHeader ReadPngHeader(const std::string& bytes) {
  if (bytes.size() < 26 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 ||
      bytes.compare(12, 4, "IHDR") != 0) {
    return {};
  }
  auto word = [&](size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
    return value;
  };
  return {word(16), word(20), static_cast<uint8_t>(bytes[24])};
}

// Every tool bar button, as `vintrel menus` hands it out, names an existing face of its own, and
// the build drew each face 16 by 16 with a one-bit mask of its size.
TEST(ButtonFacesTest, EveryToolBarButtonHasAFaceOfItsOwnAndAMaskOfItsSize) {
  const struct {
    const char* caption;  // on the tool bar
    const char* picture;
    const char* mask;
  } buttons[] = {
      {"&Slide show properties", "PicConnectionPic", "PicConnectionMask"},
      {"Sl&ide properties", "picSlidePic", "picSlideMask"},
      {"&Clock shape properties", "PicClockPic", "PicClockMask"},
      {"&Text shape properties", "picDataFieldPic", "picDataFieldMask"},
      {"&Linked object properties", "picDataPicturePic", "picDataPictureMask"},
      {"Li&nked graph properties", "picGraphObjectPic", "picGraphObjectMask"},
      {"&Refresh data now", "picRefreshDataNowPic", "picRefreshDataNowMask"},
      {"Create &off-line presentation", "picCreateOfflinePPTpic", "picCreateOfflinePPTMask"},
  };
  // The example with its data, so its connections answer at once.
  const ExampleCopy example;
  const ProgramResult result =
      example.Vintrel({"menus", example.Example("sales-board.pptx"), "--json"});
  ASSERT_EQ(result.exit_code, 0) << result.err;
  const nlohmann::json controls = nlohmann::json::parse(result.out)["toolBar"]["controls"];
  const fs::path folder = VINTREL_BUTTON_FACES;
  std::set<std::string> faces;
  for (const auto& c : buttons) {
    SCOPED_TRACE(c.caption);
    const auto button = std::find_if(controls.begin(), controls.end(), [&](const auto& control) {
      return control["caption"] == c.caption;
    });
    ASSERT_NE(button, controls.end());
    ASSERT_TRUE((*button)["picture"].is_string());
    const fs::path picture = (*button)["picture"].get<std::string>();
    EXPECT_EQ(picture.filename(), std::string(c.picture) + ".png");
    EXPECT_TRUE(fs::is_regular_file(picture)) << picture;

    const std::string face = ReadFile((folder / (std::string(c.picture) + ".png")).string());
    const PngHeader drawn = ReadPngHeader(face);
    const PngHeader mask =
        ReadPngHeader(ReadFile((folder / (std::string(c.mask) + ".png")).string()));
    EXPECT_EQ(drawn.width, 16u);
    EXPECT_EQ(drawn.height, 16u);
    EXPECT_EQ(mask.width, drawn.width);
    EXPECT_EQ(mask.height, drawn.height);
    EXPECT_EQ(mask.bit_depth, 1);
    EXPECT_TRUE(faces.insert(face).second) << c.picture << " looks like another button";
  }
}

// The Help command opens the manual as HTML, found as the faces are (here in the build tree).
TEST(ButtonFacesTest, HelpIsTheManualAsHtml) {
  const std::string help = app::HelpFile();
  ASSERT_FALSE(help.empty());
  const std::string page = ReadFile(help);
  EXPECT_THAT(page, HasSubstr("<html"));
  EXPECT_THAT(page, HasSubstr("presentations whose shapes show live data"));
}

}  // namespace
}  // namespace vintrel::testing
