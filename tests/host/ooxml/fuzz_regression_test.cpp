// Decks the fuzz target (fuzz/package_fuzzer.cpp) found to break the reader, rebuilt as small
// readable cases. Each goes through what the target does: open, walk every shape, draw every
// slide, check the package. A deck may open or be refused with an Error; nothing else may happen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/package_check.h"
#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"

namespace vintrel::ooxml {
namespace {

// "" when the deck opened and was walked, else the error that refused it.
std::string Exercise(const std::string& path) {
  std::string error;
  try {
    auto presentation = PackagePresentation::Open(path);
    testing::RecordingAssets assets;
    for (int slide = 1; slide <= presentation->Slides().Count(); ++slide) {
      host::Shapes& shapes = presentation->Slides().Item(slide).Shapes();
      for (int i = 1; i <= shapes.Count(); ++i) {
        host::Shape& shape = shapes.Item(i);
        shape.Name();
        if (shape.HasTextFrame()) shape.TextFrame().TextRange().Text();
      }
      DrawSlide(*presentation, slide, assets);
    }
  } catch (const Error& failure) {
    error = failure.description();
  }
  PackageProblems(path);
  return error;
}

TEST(PackageFuzzRegressionTest, EachDeckOpensOrIsRefusedWithAnError) {
  struct Case {
    std::string name;
    testing::DeckLayout deck;
  };
  std::vector<Case> cases;
  // The soundness check read the part name of every override past its leading slash.
  cases.push_back({"override without a part name", testing::OneSlide("")});
  cases.back().deck.extra_content_types = "<Override ContentType=\"application/xml\"/>";
  // A relationships part outside a _rels folder made the check cut names at a wrong place.
  cases.push_back({"rels part outside _rels", testing::OneSlide("")});
  cases.back().deck.extra_parts = {{"odd.rels", "<Relationships/>"}, {"x_rels/.rels", "<a/>"}};

  vintrel::testing::TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Exercise(dir.Write("deck.pptx", testing::BuildDeck(c.deck))), "");
  }
}

}  // namespace
}  // namespace vintrel::ooxml
