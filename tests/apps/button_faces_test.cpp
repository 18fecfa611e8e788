// The tool bar's button faces as the build draws them and as `vintrel menus` hands them out.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "faults/fault_support.h"
#include "host_session.h"

namespace vintrel::testing {
namespace {

namespace fs = std::filesystem;

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
  // How a PNG of 16 by 16 pixels begins: the signature, then the header chunk with the size
  // (its sample depth follows).
  const std::string png_16_by_16("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\0\x10\0\0\0\x10", 24);
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
    const std::string mask = ReadFile((folder / (std::string(c.mask) + ".png")).string());
    EXPECT_TRUE(face.starts_with(png_16_by_16)) << "not a PNG of 16 by 16 pixels";
    EXPECT_TRUE(mask.starts_with(png_16_by_16 + '\x01')) << "not a one-bit mask of that size";
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
