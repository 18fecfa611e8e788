// Opening and saving real files must give back the same parts; after a change, only the parts
// the change touched may differ, and the untouched ones are copied still compressed.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "package_test_support.h"
#include "testing/error_of.h"

namespace vintrel::ooxml {
namespace {

using testing::EntryNames;
using testing::RawEntry;
using testing::ReadEntry;
using vintrel::testing::FixturePath;
using vintrel::testing::TempDir;

class RealFileRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(RealFileRoundTrip, UnchangedSaveKeepsEveryPartByteForByte) {
  TempDir dir;
  std::string original = FixturePath("pptx/" + GetParam());
  std::string copy = dir.File("copy.pptx");
  {
    auto presentation = PackagePresentation::Open(original);
    // Reading everything the add-in reads must not change anything.
    for (int s = 1; s <= presentation->Slides().Count(); ++s) {
      host::Slide& slide = presentation->Slides().Item(s);
      slide.SlideShowTransition().Hidden();
      slide.Tags().Count();
      for (int i = 1; i <= slide.Shapes().Count(); ++i) {
        host::Shape& shape = slide.Shapes().Item(i);
        shape.Type();
        shape.Name();
        shape.Left();
        if (shape.HasTextFrame()) shape.TextFrame().TextRange().Text();
      }
    }
    EXPECT_TRUE(presentation->Saved());
    presentation->SaveCopyAs(copy);
  }
  std::vector<std::string> names = EntryNames(original);
  ASSERT_EQ(EntryNames(copy), names);
  for (const std::string& name : names) {
    EXPECT_TRUE(RawEntry(copy, name) == RawEntry(original, name)) << name;
  }
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealFileRoundTrip, ::testing::ValuesIn(testing::RealDecks()));

TEST(PackageRoundTrip, ChangeRewritesOnlyTheTouchedParts) {
  TempDir dir;
  std::string original = FixturePath("pptx/shapecrawler-002-hidden-slide-chart.pptx");
  std::string changed = dir.File("changed.pptx");
  {
    auto presentation = PackagePresentation::Open(original);
    presentation->Slides().Item(2).SlideShowTransition().SetHidden(true);
    EXPECT_FALSE(presentation->Saved());
    presentation->SaveCopyAs(changed);
    EXPECT_FALSE(presentation->Saved()) << "SaveCopyAs leaves the saved state alone";
  }
  for (const std::string& name : EntryNames(original)) {
    if (name == "ppt/slides/slide2.xml") {
      testing::ExpectParts(ReadEntry(changed, name), {"show=\"0\""});
    } else {
      EXPECT_TRUE(RawEntry(changed, name) == RawEntry(original, name)) << name;
    }
  }
}

class SmallDeck : public ::testing::Test {
 protected:
  TempDir dir;
  const std::string path = testing::WriteDeck(dir, testing::TextBox(2, "A", "x"), "deck.pptx");
};

// A copy takes the presentation as it is and leaves it so: what changed since opening (an edited
// part, a part added) is still there for the next copy and for saving the presentation itself.
TEST_F(SmallDeck, CopiesLeaveChangesForLaterCopiesAndTheSave) {
  auto presentation = PackagePresentation::Open(path);
  host::Shape& box = presentation->Slides().Item(1).Shapes().Item(1);
  box.Tags().Add("QUENDRA KEPT", "1");
  struct Step {
    std::string text;  // set before saving, when not empty
    std::string file;  // a copy, or the presentation's own file when empty
  };
  const std::vector<Step> steps = {
      {"first", "copy1.pptx"}, {"", "copy2.pptx"}, {"second", "copy3.pptx"}, {"", ""}};
  std::string expected = "x";
  for (const Step& step : steps) {
    if (!step.text.empty()) {
      box.TextFrame().TextRange().SetText(step.text);
      expected = step.text;
    }
    const std::string file = step.file.empty() ? path : dir.File(step.file);
    if (step.file.empty()) {
      presentation->Save();
    } else {
      presentation->SaveCopyAs(file);
    }
    EXPECT_EQ(box.TextFrame().TextRange().Text(), expected);
    auto reopened = PackagePresentation::Open(file);
    host::Shape& saved = reopened->Slides().Item(1).Shapes().Item(1);
    EXPECT_EQ(saved.TextFrame().TextRange().Text(), expected) << file;
    EXPECT_EQ(saved.Tags().Item("QUENDRA KEPT"), "1") << file;
  }
}

TEST_F(SmallDeck, FailedSaveLeavesTheOriginalUntouched) {
  std::string before = vintrel::testing::ReadFile(path);
  auto presentation = PackagePresentation::Open(path);
  testing::TextOf(*presentation).SetText("changed");
  const Error error = vintrel::testing::ErrorOf(
      [&] { presentation->SaveCopyAs(dir.File("missing-folder/x.pptx")); });
  testing::ExpectParts(error.description(), {"missing-folder"});
  EXPECT_EQ(vintrel::testing::ReadFile(path), before);
  EXPECT_FALSE(presentation->Saved());
}

TEST_F(SmallDeck, SaveThroughALinkReplacesTheFileItNames) {
  std::string link = dir.File("link.pptx");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  auto deck = PackagePresentation::Open(link);
  testing::TextOf(*deck).SetText("via link");
  deck->Save();
  struct stat info {};
  ASSERT_EQ(::lstat(link.c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  auto reopened = PackagePresentation::Open(path);
  EXPECT_EQ(testing::TextOf(*reopened).Text(), "via link");
}

// The package keeps the main part's content type as it found it (a template's as well).
TEST_F(SmallDeck, MacroDecksKeepTheirKindAndMacros) {
  const std::string vba("\xD0\xCF\x11\xE0 macro storage", 18);
  const std::string main_type =
      "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml";
  const std::string kind = "application/vnd.ms-powerpoint.presentation.macroEnabled.main+xml";
  auto retyped = [&](std::string& name, std::string& data) {
    if (name != "[Content_Types].xml") return;
    data.replace(data.find(main_type), main_type.size(), kind);
    data.insert(
        data.find("</Types>"),
        "<Default Extension=\"bin\" ContentType=\"application/vnd.ms-office.vbaProject\"/>");
  };
  std::string macros =
      dir.Write("deck.pptm", testing::Rezipped(path, retyped, {{"ppt/vbaProject.bin", vba}}));
  auto deck = PackagePresentation::Open(macros);
  testing::TextOf(*deck).SetText("changed");
  deck->Save();
  EXPECT_EQ(ReadEntry(macros, "ppt/vbaProject.bin"), vba);
  testing::ExpectParts(ReadEntry(macros, "[Content_Types].xml"), {kind});
  EXPECT_EQ(testing::PackageProblems(macros), std::vector<std::string>());
}

TEST(PackageCheck, FindsWhatWouldMakeTheHostRepairAFile) {
  testing::DeckLayout layout =
      testing::OneSlide(testing::TextBox(2, "A", "a") + testing::TextBox(2, "B", "b") +
                        "<p:pic><p:blipFill><a:blip r:embed=\"rId9\"/></p:blipFill></p:pic>");
  layout.slides[0].rels =
      "<Relationship Id=\"rId4\" Type=\"t\" Target=\"../media/gone.png\"/>"
      "<Relationship Id=\"rId4\" Type=\"t\" Target=\"http://x\" TargetMode=\"External\"/>";
  layout.extra_parts = {{"ppt/media/extra.bin", "x"}};
  layout.extra_content_types =
      "<Override PartName=\"/ppt/absent.xml\" ContentType=\"application/xml\"/>";
  TempDir dir;
  std::string path = dir.Write("faulty.pptx", testing::BuildDeck(layout));
  std::vector<std::string> problems = testing::PackageProblems(path);
  std::string all;
  for (const std::string& problem : problems) all += problem + "\n";
  testing::ExpectParts(
      all, {"override for missing part ppt/absent.xml", "no content type for ppt/media/extra.bin",
            "rId4 names missing part ppt/media/gone.png", "duplicate id rId4",
            "r:embed=\"rId9\" has no relationship", "duplicate shape id 2"});
  EXPECT_EQ(problems.size(), 6u) << all;
  EXPECT_EQ(testing::PackageProblems(dir.Write("junk.pptx", "junk")).size(), 1u);
  EXPECT_EQ(testing::PackageProblems(FixturePath("pptx/poi-pie-chart.pptx")),
            std::vector<std::string>());
}

}  // namespace
}  // namespace vintrel::ooxml
