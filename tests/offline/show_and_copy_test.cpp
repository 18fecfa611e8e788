// The off-line copy beside the live show: every page of a scrolling slide holds what the show
// puts on the screen at that scroll position, and there are as many pages as the data gives.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "offline/progress_meter.h"
#include "runtime/show_fixture.h"

namespace vintrel::testing {
namespace {

class ShowAndCopy : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    files_.AddFolder(files_.TempFolder());
    fields_.clear();
  }
  // The linked texts of slide 1 as the show has them now, or of a page of the copy.
  std::vector<std::string> Page(host::memory::MemoryPresentation& copy, int page) {
    std::vector<std::string> texts;
    for (int shape : fields_) texts.push_back(copy.slide(page).shape(shape).text());
    return texts;
  }
  void OnSlide1(const std::string& number, double row) {
    fields_.push_back(Field(1, number, "A", row));
  }

  std::vector<int> fields_;
};

TEST_F(ShowAndCopy, EveryPageHoldsWhatTheShowShowsAtThatStep) {
  struct Case {
    const char* name;
    int pages;
    std::function<void()> build;  // slide 1 scrolls; every step takes 1000 ms
  };
  const Case cases[] = {
      {"a ticker whose data is also shown further down on another slide", 4,
       [this] {
         Connection("01", {"A"}, Rows(4, "r"));
         OnSlide1("01", 1);
         Scroll(1, 1, 1, 1000);
         Field(2, "01", "A", 2);
       }},
      // It stops when the lower one shows the last row.
      {"a ticker of two shapes from row 2", 4,
       [this] {
         Connection("01", {"A"}, Rows(6, "r"));
         OnSlide1("01", 2);
         OnSlide1("01", 3);
         Scroll(1, 1, 1, 1000);
       }},
      {"pages of two rows beside a connection that does not scroll", 3,
       [this] {
         Connection("01", {"A"}, Rows(5, "r"));
         Connection("02", {"A"}, Rows(4, "s"));
         OnSlide1("01", 1);
         OnSlide1("01", 2);
         OnSlide1("02", 3);
         Scroll(1, 1, 2, 1000);
       }},
      {"a ticker that starts again while pages of two rows go on", 4,
       [this] {
         Connection("01", {"A"}, Rows(3, "r"));
         Connection("02", {"A"}, Rows(7, "s"));
         OnSlide1("01", 1);
         OnSlide1("02", 1);
         OnSlide1("02", 2);
         Scroll(1, 1, 1, 1000);
         Scroll(1, 2, 2, 1000);
       }},
      {"pages of two rows over data the shapes already show", 1,
       [this] {
         Connection("01", {"A"}, Rows(3, "r"));
         for (double row : {1, 2, 3}) OnSlide1("01", row);
         Scroll(1, 1, 2, 1000);
       }},
      {"a connection whose scrolling is off", 1,
       [this] {
         Connection("01", {"A"}, Rows(4, "r"));
         OnSlide1("01", 1);
         Slide(1).Tags().Add(ScrollTagName(1), ScrollValue(false, 2, 1000));
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();
    c.build();
    Slide(2);
    const int slides = file_->slides().count();
    Start();
    std::vector<std::vector<std::string>> shown;
    for (int page = 1; page <= c.pages; ++page) {
      Run(1000);
      shown.push_back(Page(*deck_, 1));
    }
    host_.EndSlideShow();

    frmProgressMeter form(connect_.context());
    form.SetActivePresentation(*deck_);
    auto* copy = dynamic_cast<host::memory::MemoryPresentation*>(form.copy());
    ASSERT_NE(copy, nullptr) << form.failure().value_or("");
    ASSERT_EQ(copy->slides().count(), slides - 1 + c.pages);
    for (int page = 1; page <= c.pages; ++page) {
      EXPECT_EQ(Page(*copy, page), shown[page - 1]) << "page " << page;
    }
  }
}

}  // namespace
}  // namespace vintrel::testing
