#include "rendering/linked_object.h"

#include <gtest/gtest.h>

#include "host/memory/memory_application.h"
#include "host/memory/memory_presentation.h"
#include "host/memory/memory_slide.h"
#include "host/posix/posix_file_system.h"
#include "testing/test_context.h"

namespace vintrel::rendering {
namespace {

using host::memory::MemoryShape;

class LinkedObjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_.module.host = &app_;
    ctx_.services.files = &posix_files_;  // the linked files are real ones
    deck_ = dir_.File("shows/board.pptx");
    auto& slide = app_.AddPresentation(deck_).AddSlide();
    slide.AddTextBox("title");
    picture_ = &slide.AddLinkedPicture(dir_.Write("pics/old.png", "old"));
    media_ = &slide.AddMedia(dir_.Write("clips/old.mp4", "clip"));
    text_ = &slide.AddTextBox("text");
  }

  bool Relink(int shape, const std::string& reference, bool hide_on_error = false,
              bool defer = false) {
    return SetLinkedObjectSource(ctx_, deck_, 1, shape, reference, hide_on_error, defer);
  }

  testing::TestContext twins_;
  Context& ctx_ = twins_.ctx;
  host::posix::PosixFileSystem posix_files_;
  testing::TempDir dir_;
  host::memory::MemoryApplication app_;
  std::string deck_;
  MemoryShape* picture_ = nullptr;
  MemoryShape* media_ = nullptr;
  MemoryShape* text_ = nullptr;
};

TEST_F(LinkedObjectTest, ExistingFileIsLinkedAndReloadedAbsoluteOrRelativeToThePresentation) {
  const std::string logo = dir_.Write("pics/logo.png", "png");
  EXPECT_TRUE(Relink(2, logo));
  EXPECT_EQ(picture_->LinkFormat().SourceFullName(), logo);
  EXPECT_EQ(picture_->link()->update_count(), 1);
  const std::string banner = dir_.Write("pics/banner.png", "png");
  EXPECT_TRUE(Relink(2, "..\\pics\\banner.png"));  // a Windows reference
  EXPECT_EQ(picture_->LinkFormat().SourceFullName(), banner);
}

TEST_F(LinkedObjectTest, EmptyOrMissingAbsoluteReferenceHidesAndKeepsTheOldLink) {
  const std::string old = picture_->LinkFormat().SourceFullName();
  for (const std::string& reference : {dir_.File("pics/missing.png"), std::string()}) {
    SCOPED_TRACE(reference);
    picture_->SetVisible(true);
    EXPECT_FALSE(Relink(2, reference));
    EXPECT_FALSE(picture_->Visible());
    EXPECT_EQ(picture_->LinkFormat().SourceFullName(), old);
  }

  // Relinking never shows a hidden shape again: that is the caller's business.
  EXPECT_TRUE(Relink(2, dir_.Write("pics/new.png", "")));  // an empty file is still a file
  EXPECT_FALSE(picture_->Visible());
}

TEST_F(LinkedObjectTest, MediaIsRelinkedButNotReloadedAndDeferredUpdatesWait) {
  const std::string clip = dir_.Write("clips/new.mp4", "clip");
  EXPECT_TRUE(Relink(3, clip));
  EXPECT_EQ(media_->LinkFormat().SourceFullName(), clip);
  EXPECT_EQ(media_->link()->update_count(), 0);

  const std::string logo = dir_.Write("pics/logo.png", "png");
  EXPECT_TRUE(Relink(2, logo, false, /*defer=*/true));
  EXPECT_EQ(picture_->link()->update_count(), 0);
}

TEST_F(LinkedObjectTest, ShapesWithoutALinkAndUnknownPlacesAreLeftAlone) {
  EXPECT_FALSE(Relink(4, dir_.Write("pics/logo.png", "png")));
  EXPECT_EQ(text_->TextFrame().TextRange().Text(), "text");
  bool defer = false;
  EXPECT_FALSE(SetLinkedObjectSource(ctx_, "/elsewhere.pptx", 1, 2, "x.png", true, defer));
  EXPECT_FALSE(SetLinkedObjectSource(ctx_, deck_, 7, 2, "x.png", true, defer));
}

}  // namespace
}  // namespace vintrel::rendering
