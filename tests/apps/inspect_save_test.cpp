#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "faults/fault_support.h"

namespace vintrel::testing {
namespace {

TEST(InspectCommandTest, JsonNamesEveryShapeWithTypeTextLinkAndProgId) {
  ProgramHome home;
  const ProgramResult chart =
      home.Run({"inspect", "--json", FixturePath("pptx/poi-pie-chart.pptx")});
  ASSERT_EQ(chart.exit_code, 0) << chart.err;
  EXPECT_THAT(chart.out, HasSubstr("\"name\":\"Title 3\",\"type\":14,\"hasTextFrame\":true,"
                                   "\"text\":\"My Pie Chart\""));
  EXPECT_THAT(chart.out, HasSubstr("\"progId\":\"MSGraph.Chart.8\""));

  const ProgramResult picture =
      home.Run({"inspect", "--json", FixturePath("pptx/openxmlsdk-linkedpicture-url.pptx")});
  ASSERT_EQ(picture.exit_code, 0) << picture.err;
  EXPECT_THAT(picture.out, HasSubstr("\"type\":11"));
  EXPECT_THAT(picture.out, HasSubstr("\"link\":\"http://www.google.com/intl/en/images/logo.gif\""));
}

// Files that are no presentation are in hostile_files_test.cpp; here, no file at all.
TEST(InspectCommandTest, AMissingFileOrAFolderIsBadInputNamingIt) {
  ProgramHome home;
  for (const std::string& file : {home.File("missing.pptx"), home.path()}) {
    const ProgramResult result = home.Run({"inspect", file});
    EXPECT_EQ(result.exit_code, 2) << file;
    EXPECT_THAT(result.err, HasSubstr(std::filesystem::path(file).filename().string()));
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
}

TEST(SaveCommandTest, SavesInPlaceOrAsACopyThatOpensAgain) {
  ProgramHome home;
  const std::string deck = home.Write(
      "deck.pptx", ReadFile(FixturePath("pptx/shapecrawler-035-shape-tags-hidden-slide.pptx")));
  const std::string copy = home.File("copy.pptx");
  // In place first: saving writes the display type, which the copy then carries too.
  ProgramResult saved = home.Run({"save", deck});
  ASSERT_EQ(saved.exit_code, 0) << saved.err;
  saved = home.Run({"save", deck, "-o", copy});
  ASSERT_EQ(saved.exit_code, 0) << saved.err;

  const ProgramResult original = home.Run({"inspect", "--json", deck});
  const ProgramResult reopened = home.Run({"inspect", "--json", copy});
  ASSERT_EQ(reopened.exit_code, 0) << reopened.err;
  // Same slides, shapes and tags; only the file name differs.
  EXPECT_EQ(original.out.substr(original.out.find(",\"tags\"")),
            reopened.out.substr(reopened.out.find(",\"tags\"")));
  EXPECT_THAT(reopened.out, HasSubstr("\"hidden\":true"));
}

}  // namespace
}  // namespace vintrel::testing
