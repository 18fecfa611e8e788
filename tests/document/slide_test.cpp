#include "document/slide.h"

#include <gtest/gtest.h>

#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "support/error_codes.h"
#include "testing/error_of.h"

namespace vintrel {
namespace {

using host::memory::MemoryPresentation;
using host::memory::MemorySlide;

TEST(SlidePropertiesTest, TwoFieldsAndTheOlderOneFieldForm) {
  clsSlide slide;
  slide.SetTagString("0\t1\t");
  EXPECT_EQ(slide.HideWhenNoData(), 0);
  EXPECT_EQ(slide.RefreshLinkedObjects(), 1);
  slide.SetTagString("1\t");
  EXPECT_EQ(slide.HideWhenNoData(), 1);
  EXPECT_EQ(slide.RefreshLinkedObjects(), 0);
  EXPECT_EQ(slide.TagString(), "1\t0\t");
}

TEST(SlidePropertiesTest, UnreadableValuesRaiseError1) {
  for (const char* text : {"", "1", "x\t", "1\tx\t", "70000\t"}) {
    SCOPED_TRACE(text);
    clsSlide slide;
    const Error failure = testing::ErrorOf([&] { slide.SetTagString(text); });
    EXPECT_EQ(failure.number(), ErrorNumber(ErrorCode::kSettingConnectionTag));
    EXPECT_EQ(failure.description(), "Error setting connection tag.");
  }
}

TEST(SlideScrollTest, NumbersWithAndWithoutLeadingZeroShareOneEntryAndOthersFail) {
  clsSlide slide;
  slide.AddScrollInfo("7", "True\t2\t1500");
  EXPECT_TRUE(slide.ScrollEnabled("07"));
  EXPECT_EQ(slide.ScrollStep("07"), 2);
  EXPECT_EQ(slide.ScrollTime("07"), 1500);
  EXPECT_FALSE(slide.ScrollEnabled("70"));
  slide.SetScrollTime("0", 5);
  EXPECT_EQ(slide.ScrollTime("00"), 5);
  // Numbers outside the tables fail.
  EXPECT_THROW(slide.ScrollEnabled("100"), Error);
  EXPECT_THROW(slide.SetScrollStep("-1", 1), Error);
  EXPECT_EQ(testing::ErrorOf([&] { slide.ScrollTime("seven"); }).number(), kErrTypeMismatch);
  EXPECT_THROW(slide.AddScrollInfo("3", "True\t2"), Error);
}

class SlideTagsTest : public ::testing::Test {
 protected:
  SlideTagsTest() : presentation_("/shows/board.pptx"), slide_(presentation_.AddSlide()) {}
  MemoryPresentation presentation_;
  MemorySlide& slide_;
};

TEST_F(SlideTagsTest, ScrollEnabledMatchesTheNumberAsAWholeNumber) {
  slide_.tags().Put("QUENDRA SCROLLSTEP7", "True\t1\t1000");
  slide_.tags().Put("QUENDRA SCROLLSTEP12", "False\t1\t1000");
  EXPECT_TRUE(SlideScrollEnabled(slide_, "07"));
  EXPECT_FALSE(SlideScrollEnabled(slide_, "12"));
  EXPECT_FALSE(SlideScrollEnabled(slide_, "03"));
  // One broken scroll tag spoils the answer for every connection of the slide.
  slide_.tags().Put("QUENDRA SCROLLSTEP150", "True\t1\t1000");
  EXPECT_FALSE(SlideScrollEnabled(slide_, "07"));
}

TEST_F(SlideTagsTest, WriterRewritesPropertiesAndScrollTagsWithTime) {
  slide_.tags().Put("QUENDRA SCROLLSTEP5", "True\t1\t100");
  slide_.tags().Put("QUENDRA SLIDE PROPERTIES", "1\t1\t");
  slide_.tags().Put("OTHER", "x");
  clsSlide settings;
  settings.SetHideWhenNoData(1);
  settings.SetScrollEnabled("03", true);
  settings.SetScrollStep("03", 2);
  settings.SetScrollTime("03", 4000);
  settings.SetScrollEnabled("04", true);  // no time: nothing to write
  settings.SetScrollTime("0", 10);        // number 0 is never written
  WriteSlideTags(slide_.Tags(), settings);
  EXPECT_EQ(slide_.tags().entries(), (std::vector<std::pair<std::string, std::string>>{
                                         {"OTHER", "x"},
                                         {"QUENDRA SLIDE PROPERTIES", "1\t0\t"},
                                         {"QUENDRA SCROLLSTEP3", "True\t2\t4000"}}));
}

}  // namespace
}  // namespace vintrel
