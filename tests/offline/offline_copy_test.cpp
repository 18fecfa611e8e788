// The off-line copy on the in-memory host: a presentation with text, picture and chart links
// over tables of rows, turned into its copy by the progress form as the menu command does.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "offline/progress_meter.h"
#include "runtime/show_fixture.h"

namespace vintrel::testing {
namespace {

class OfflineCopyTest : public ShowFixture {
 protected:
  void SetUp() override {
    ShowFixture::SetUp();
    files_.AddFolder(files_.TempFolder());
    files_.AddFolder("/shows/pictures");
    deck_ = nullptr;
  }

  // Makes the copy of the open presentation (opened first when it is not) as the menu command
  // does.
  host::memory::MemoryPresentation& MakeCopy() {
    if (deck_ == nullptr) Open();
    form_ = std::make_unique<frmProgressMeter>(connect_.context());
    form_->SetActivePresentation(*deck_);
    EXPECT_FALSE(form_->failure().has_value()) << form_->failure().value_or("");
    auto* copy = dynamic_cast<host::memory::MemoryPresentation*>(form_->copy());
    if (copy == nullptr) throw std::runtime_error("no copy was left open");
    return *copy;
  }
  // The texts of every text box of every slide, slide by slide.
  static std::vector<std::vector<std::string>> Texts(host::memory::MemoryPresentation& copy) {
    std::vector<std::vector<std::string>> slides;
    for (int s = 1; s <= copy.slides().count(); ++s) {
      std::vector<std::string> texts;
      for (int i = 1; i <= copy.slide(s).shapes().count(); ++i) {
        if (copy.slide(s).shape(i).has_text_frame()) texts.push_back(copy.slide(s).shape(i).text());
      }
      slides.push_back(texts);
    }
    return slides;
  }
  static std::vector<double> Bounds(const host::memory::MemoryShape& shape) {
    return {shape.left(), shape.top(), shape.width(), shape.height()};
  }

  std::unique_ptr<frmProgressMeter> form_;
};

TEST_F(OfflineCopyTest, SlidesWithoutDataAreDroppedOnlyWhenTheyHideThemselves) {
  struct Case {
    const char* name;
    int rows;
    bool hide_when_no_data;
    std::vector<std::vector<std::string>> slides;
  };
  const std::vector<Case> cases = {
      {"no rows, hides itself", 0, true, {{"title"}, {"v1"}}},
      {"no rows, stays", 0, false, {{"title"}, {" "}, {"v1"}}},
      {"rows, hides itself", 3, true, {{"title"}, {"e1"}, {"v1"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();  // a presentation of its own
    Connection("01", {"Value"}, Rows(3));
    Connection("02", {"Value"}, Rows(c.rows, "e"));
    Slide(1).AddTextBox("title");
    Field(2, "02", "Value", 1);
    if (c.hide_when_no_data) Slide(2).Tags().Add("QUENDRA SLIDE PROPERTIES", "1\t0\t");
    Field(3, "01", "Value", 1);
    EXPECT_EQ(Texts(MakeCopy()), c.slides);
  }
}

TEST_F(OfflineCopyTest, PagesAdvanceAtTheScrollSpeedUnlessTheShowAdvancesByHand) {
  for (int mode : {host::advance_mode::kUseSlideTimings, host::advance_mode::kManual}) {
    SCOPED_TRACE(mode);
    StartOver();  // a presentation of its own
    file_->settings().set_advance_mode(mode);
    Connection("01", {"Value"}, Rows(4));
    Field(1, "01", "Value", 1);
    Scroll(1, 1, 2, 2500);
    host::memory::MemoryPresentation& copy = MakeCopy();
    ASSERT_EQ(copy.slides().count(), 2);
    for (int s = 1; s <= 2; ++s) {
      host::SlideShowTransition& transition = copy.slide(s).SlideShowTransition();
      const bool timed = mode != host::advance_mode::kManual;
      EXPECT_EQ(transition.AdvanceOnTime(), timed);
      EXPECT_EQ(transition.AdvanceOnClick(), !timed);
      if (timed) {
        EXPECT_DOUBLE_EQ(transition.AdvanceTime(), 2.5);
      }
    }
  }
}

TEST_F(OfflineCopyTest, LinkedPicturesBecomeEmbeddedAtTheSamePlaceAndDepth) {
  files_.WriteFile("/shows/pictures/north.png", "png");
  files_.WriteFile("/shows/pictures/south.png", "png");
  Connection("01", {"Picture"}, {{"pictures/north"}, {"pictures/south"}});
  Slide(1).AddTextBox("behind");
  host::memory::MemoryShape& picture =
      Slide(1).AddLinkedPicture("/shows/pictures/old.png").WithBounds(10, 20, 300, 200);
  LinkShape(picture, {source_type::kLinkedObject, "01", "Picture", 1, "", "", ".png"});
  Slide(1).AddTextBox("in front");
  Scroll(1, 1, 1, 1000);

  host::memory::MemoryPresentation& copy = MakeCopy();
  ASSERT_EQ(copy.slides().count(), 2);
  const std::vector<std::string> files = {"/shows/pictures/north.png", "/shows/pictures/south.png"};
  for (int s = 1; s <= 2; ++s) {
    SCOPED_TRACE(s);
    host::memory::MemoryShape& embedded = copy.slide(s).shape(2);
    EXPECT_EQ(embedded.type(), host::shape_type::kPicture);
    EXPECT_EQ(embedded.picture_file(), files[s - 1]);
    EXPECT_EQ(Bounds(embedded), std::vector<double>({10, 20, 300, 200}));
    EXPECT_EQ(copy.slide(s).shape(3).text(), "in front");
  }
}

// Pictures no data link touches: their link targets are mapped as connection paths are, and one
// whose file cannot be read stays linked, named in a warning, while the copy is still made.
TEST_F(OfflineCopyTest, OrdinaryLinkedPicturesAreEmbeddedOrKeptLinkedWithAWarning) {
  struct Case {
    const char* name;
    const char* target;
    const char* embedded;  // the file embedded; null: the picture stays linked
  };
  const Case cases[] = {
      {"a Windows path the [PathMap] maps", "C:\\Shows\\logo.png", "/shows/pictures/logo.png"},
      {"a missing file", "/shows/pictures/gone.png", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StartOver();  // a presentation of its own
    host_.environment().set_file_system(&files_);
    settings_.Set("Quendra Vintrel 2002", "PathMap", "C:\\Shows", "/shows/pictures");
    files_.WriteFile("/shows/pictures/logo.png", "png");
    Connection("01", {"Value"}, Rows(1));
    Field(1, "01", "Value", 1);
    Slide(1).AddLinkedPicture(c.target, "Logo").WithBounds(10, 20, 30, 40);
    Slide(1).AddTextBox("in front");
    const size_t before = front_end_.message_boxes().size();

    host::memory::MemoryShape& picture = MakeCopy().slide(1).shape(2);
    EXPECT_EQ(Bounds(picture), std::vector<double>({10, 20, 30, 40}));
    const std::vector<std::string> texts = MessagesSince(front_end_, before);
    if (c.embedded != nullptr) {
      EXPECT_EQ(picture.type(), host::shape_type::kPicture);
      EXPECT_EQ(picture.picture_file(), c.embedded);
      EXPECT_EQ(texts, std::vector<std::string>{"Off-line presentation is ready."});
    } else {
      EXPECT_EQ(picture.type(), host::shape_type::kLinkedPicture);
      ASSERT_EQ(texts.size(), 2u);
      EXPECT_NE(texts[0].find("'Logo' on slide 1"), std::string::npos) << texts[0];
      EXPECT_EQ(texts[1], "Off-line presentation is ready.");
    }
  }
}

// That no add-in tag is left in any part of a written copy is checked by the offline command's
// test, which reads the whole package; here, what the copy keeps and the source is spared.
TEST_F(OfflineCopyTest, TheCopyKeepsOtherTagsAndTheSourceKeepsAll) {
  Connection("01", {"Value"}, Rows(5));
  Field(1, "01", "Value", 1);
  Scroll(1, 1, 2, 1000);
  Slide(1).shape(1).Tags().Add("OTHER", "kept");
  Open();
  const int source_tags = deck_->tags().Count() + deck_->slide(1).tags().Count();

  host::memory::MemoryPresentation& copy = MakeCopy();
  ASSERT_EQ(copy.slides().count(), 3);
  EXPECT_EQ(copy.slide(3).shape(1).Tags().Item("OTHER"), "kept");
  EXPECT_EQ(copy.slide(3).shape(1).Tags().Count(), 1);
  EXPECT_EQ(deck_->tags().Count() + deck_->slide(1).tags().Count(), source_tags);
  EXPECT_EQ(deck_->slides().count(), 1);
  EXPECT_FALSE(copy.Saved());
  EXPECT_FALSE(connect_.context().module.offline_generation_running);
}

// The message's text is checked with the pictures above; here, the setting that turns it off.
TEST_F(OfflineCopyTest, TheClosingMessageCanBeTurnedOff) {
  for (const std::string setting : {"0", "1"}) {
    SCOPED_TRACE(setting);
    StartOver();  // a presentation of its own
    settings_.Set("Quendra Vintrel 2002", "Info", "HideMsgBoxOfflineGeneration", setting);
    Connection("01", {"Value"}, Rows(1));
    Field(1, "01", "Value", 1);
    const size_t before = front_end_.message_boxes().size();
    MakeCopy();
    EXPECT_EQ(front_end_.message_boxes().size(), before + (setting == "1" ? 0 : 1));
  }
}

TEST_F(OfflineCopyTest, AFailureShowsTheOfflineMessageAndLeavesTheSourceAlone) {
  Connection("01", {"Value"}, Rows(3));
  Field(1, "01", "Value", 1);
  Scroll(1, 1, 1, 1000);
  Open();
  host_.faults().Fail("Slide.Duplicate");
  frmProgressMeter(connect_.context()).SetActivePresentation(*deck_);
  ASSERT_EQ(front_end_.message_boxes().size(), 1u);
  const auto& box = front_end_.message_boxes().front();
  EXPECT_EQ(box.text.rfind("Error while creating off-line presentation. \r\n", 0), 0u) << box.text;
  EXPECT_EQ(box.icon, host::msg_box::kCritical);
  EXPECT_TRUE(box.topmost) << "the off-line copy's messages stay on top";
  EXPECT_EQ(box.title, "Quendra Vintrel 2002");
  EXPECT_EQ(deck_->slides().count(), 1);
  EXPECT_FALSE(connect_.context().module.offline_generation_running);
}

}  // namespace
}  // namespace vintrel::testing
