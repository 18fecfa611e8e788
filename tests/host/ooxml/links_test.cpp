// Linked pictures and objects: link targets, relinking, reloading, and pictures added from files.
#include "host/ooxml/shape_link.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/error.h"
#include "host/ooxml/image_info.h"
#include "host/ooxml/package_presentation.h"
#include "package_test_support.h"
#include "testing/error_of.h"

namespace vintrel::ooxml {
namespace {

using testing::CountOf;
using testing::ExpectParts;
using testing::PackageProblems;
using testing::PngHeader;
using testing::ReadEntry;
using vintrel::testing::ErrorOf;
using vintrel::testing::ReadFile;
using vintrel::testing::TempDir;

// Targets as stored and the paths they are read as; paths written relative inside the folder,
// else as file URIs, that read back the same.
TEST(LinkTargets, ReadAsThePathTheUserWouldRecogniseAndWrittenToReadBackTheSame) {
  const std::pair<const char*, const char*> read[] = {
      {"file:///C:\\PowerLexis\\IBS%20presentation\\8_luxoft.gif",
       "C:\\PowerLexis\\IBS presentation\\8_luxoft.gif"},
      {"file://localhost/Users/writ/project-logo.jpg", "/Users/writ/project-logo.jpg"},
      {"file:///\\\\pgspm\\vault\\Typical%20Charts.xlsx", "\\\\pgspm\\vault\\Typical Charts.xlsx"},
      {"http://www.google.com/intl/en/images/logo.gif",
       "http://www.google.com/intl/en/images/logo.gif"},
      {"C:\\data\\x.png", "C:\\data\\x.png"},
      {"pics/logo.png", "/shows/deck/pics/logo.png"},
      {"..\\pics\\logo.png", "/shows/pics/logo.png"},
      {"/srv/a%23b.png", "/srv/a#b.png"},
  };
  for (const auto& [target, path] : read) {
    EXPECT_EQ(DecodeLinkTarget(target, "/shows/deck"), path) << target;
  }
  const std::pair<const char*, const char*> written[] = {
      {"C:\\pics\\logo 1.png", "file:///C:\\pics\\logo%201.png"},
      {"/tmp/a b#c%.png", "file:///tmp/a%20b%23c%25.png"},
      {"https://example.org/a.png", "https://example.org/a.png"},
      {"\\\\server\\share\\x y.png", "file:///\\\\server\\share\\x%20y.png"},
      {"sub/a b.png", "sub/a%20b.png"},
      {"/shows/deck/pics/Größe.png", "pics/Größe.png"},
      {"/shows/deck/../deck/x.png", "x.png"},
      {"/shows/deck/ab:c.png", "ab%3Ac.png"},
      {"/shows/deckx/a.png", "file:///shows/deckx/a.png"},
  };
  for (const auto& [path, target] : written) {
    EXPECT_EQ(EncodeLinkTarget(path, "/shows/deck"), target) << path;
    if (path[0] == '/' && std::string(path).find("..") == std::string::npos) {
      EXPECT_EQ(DecodeLinkTarget(target, "/shows/deck"), path);
    }
  }
}

class LinkedPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = testing::CopyFixture(dir_, "poi-56812-linked-pictures.pptx");
    deck_ = PackagePresentation::Open(path_);
  }
  host::Shape& Shape(int index) { return deck_->Slides().Item(1).Shapes().Item(index); }
  TempDir dir_;
  std::string path_;
  std::unique_ptr<PackagePresentation> deck_;
};

TEST_F(LinkedPictures, RelinkOneOfTwoPicturesSharingALink) {
  const std::string old_path = "/Users/writ/Documents/workspace/ApachePoi/project-logo.jpg";
  EXPECT_EQ(Shape(2).LinkFormat().SourceFullName(), old_path);
  EXPECT_EQ(Shape(2).LinkFormat().AutoUpdate(), host::link_update::kManual);
  std::string other = dir_.Write("other picture.png", PngHeader(4, 4));
  Shape(2).LinkFormat().SetSourceFullName(other);
  deck_->Save();
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());
  auto reopened = PackagePresentation::Open(path_);
  EXPECT_EQ(reopened->Slides().Item(1).Shapes().Item(2).LinkFormat().SourceFullName(), other);
  EXPECT_EQ(reopened->Slides().Item(1).Shapes().Item(3).LinkFormat().SourceFullName(), old_path);
}

TEST_F(LinkedPictures, UpdateReplacesOnlyThisPicturesCachedCopy) {
  std::string fresh = dir_.Write("fresh.png", PngHeader(8, 8));
  Shape(2).LinkFormat().SetSourceFullName(fresh);
  Shape(2).LinkFormat().Update();
  Shape(3).LinkFormat().SetSourceFullName(fresh);
  Shape(3).LinkFormat().Update();  // linked only: nothing cached to replace
  // Reloading again (as a show does every few seconds) refreshes the copy in place.
  dir_.Write("fresh.png", PngHeader(16, 16));
  Shape(2).LinkFormat().Update();
  Shape(2).LinkFormat().Update();
  deck_->Save();
  EXPECT_EQ(CountOf(testing::EntryNames(path_), "ppt/media/image2.png"), 0);
  EXPECT_EQ(PackageProblems(path_), std::vector<std::string>());
  ExpectParts(ReadEntry(path_, "ppt/slides/_rels/slide1.xml.rels"), {"../media/image1.png"});
  EXPECT_EQ(ReadEntry(path_, "ppt/media/image1.png"), PngHeader(16, 16));
  // The first picture shared the old cached copy and still shows it.
  ExpectParts(ReadEntry(path_, "ppt/slides/slide1.xml"),
              {"<a:blip r:embed=\"rId2\">", "!<a:blip r:embed=\"rId2\" r:link"});
  EXPECT_FALSE(ReadEntry(path_, "ppt/media/image1.jpg").empty());
}

// A copy saved elsewhere names relatively linked files from its own folder (how targets are written
// from that folder is LinkTargets' part); the presentation itself is unchanged.
TEST_F(LinkedPictures, ACopyElsewhereStillFindsRelativelyLinkedFiles) {
  const std::string picture = dir_.Write("pics/logo.png", PngHeader(4, 4));
  Shape(2).LinkFormat().SetSourceFullName(picture);
  const std::string url = "https://example.org/a.png";
  Shape(3).LinkFormat().SetSourceFullName(url);
  Shape(3).LinkFormat().Update();  // a web address needs no reload
  std::filesystem::create_directories(dir_.File("out"));
  deck_->SaveCopyAs(dir_.File("out/copy.pptx"));
  auto copy = PackagePresentation::Open(dir_.File("out/copy.pptx"));
  EXPECT_EQ(std::filesystem::weakly_canonical(
                copy->Slides().Item(1).Shapes().Item(2).LinkFormat().SourceFullName()),
            std::filesystem::weakly_canonical(picture));
  EXPECT_EQ(copy->Slides().Item(1).Shapes().Item(3).LinkFormat().SourceFullName(), url);
  EXPECT_EQ(Shape(2).LinkFormat().SourceFullName(), picture) << "the presentation is unchanged";
}

TEST_F(LinkedPictures, MissingFileRelinksButDoesNotUpdate) {
  std::string before = ReadFile(path_);
  std::string missing = dir_.File("gone.png");
  Shape(2).LinkFormat().SetSourceFullName(missing);
  const Error error = ErrorOf([&] { Shape(2).LinkFormat().Update(); });
  EXPECT_EQ(error.number(), kErrFileNotFound);
  ExpectParts(error.description(), {"gone.png"});
  EXPECT_THROW(deck_->UpdateLinks(), Error);
  EXPECT_THROW(Shape(2).LinkFormat().SetSourceFullName(""), Error);
  EXPECT_EQ(ReadFile(path_), before) << "nothing is written before Save";
  EXPECT_THROW(Shape(2).LinkFormat().SetAutoUpdate(7), Error);
}

TEST(LinkedObjects, WindowsPathModeAndRelink) {
  TempDir dir;
  std::string path = testing::CopyFixture(dir, "poi-bug54570-linked-ole-xlsx.pptx");
  {
    auto deck = PackagePresentation::Open(path);
    host::Shape& object = deck->Slides().Item(1).Shapes().Item(1);
    ASSERT_EQ(object.Type(), host::shape_type::kLinkedOleObject);
    host::LinkFormat& link = object.LinkFormat();
    EXPECT_EQ(link.SourceFullName(), "E:\\project\\poi\\poi\\external.xlsx");
    EXPECT_EQ(link.AutoUpdate(), host::link_update::kAutomatic);
    EXPECT_THROW(link.Update(), Error) << "that drive does not exist here";
    link.SetAutoUpdate(host::link_update::kManual);
    std::string book = dir.Write("book.xlsx", "PK");
    link.SetSourceFullName(book);
    link.Update();  // the file exists; the preview is kept
    deck->Save();
  }
  // Both branches changed.
  ExpectParts(ReadEntry(path, "ppt/slides/slide1.xml"), {"!updateAutomatic"});
  auto deck = PackagePresentation::Open(path);
  host::LinkFormat& link = deck->Slides().Item(1).Shapes().Item(1).LinkFormat();
  EXPECT_EQ(link.SourceFullName(), dir.File("book.xlsx"));
  EXPECT_EQ(link.AutoUpdate(), host::link_update::kManual);
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
}

TEST(ImageInfo, SizesFromHeaders) {
  struct Case {
    std::string header, content_type;
    int width, height;
  } cases[] = {
      {PngHeader(640, 480), "image/png", 640, 480},
      {std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00\x01\x01\x01\x00\x48\x00\x48\x00\x00"
                   "\xFF\xC0\x00\x11\x08\x01\x2C\x02\x58\x03",
                   30),
       "image/jpeg", 600, 300},
      {std::string("GIF89a\x20\x00\x10\x00", 10), "image/gif", 32, 16},
  };
  for (const Case& c : cases) {
    auto info = ReadImageInfo(c.header);
    ASSERT_TRUE(info) << c.content_type;
    EXPECT_EQ(std::tuple(info->content_type, info->width, info->height),
              std::tuple(c.content_type, c.width, c.height));
  }
  EXPECT_EQ(ReadImageInfo(PngHeader(1, 1))->extension, "png");
  EXPECT_DOUBLE_EQ(ReadImageInfo(cases[1].header)->dpi_x, 72);
  for (const std::string& other :
       {std::string("plain text"), PngHeader(0, 10), std::string("\xFF\xD8\xFF")}) {
    EXPECT_FALSE(ReadImageInfo(other));
  }
}

TEST(AddPicture, EmbedsOrLinksAFileAtAPositionAndSize) {
  TempDir dir;
  std::string path = testing::WriteDeck(
      dir, testing::TextBox(2, "A", "a") + testing::TextBox(7, "B", "b"), "d.pptx");
  std::string png = dir.Write("pic.png", PngHeader(96, 48));
  {
    auto deck = PackagePresentation::Open(path);
    host::Shapes& shapes = deck->Slides().Item(1).Shapes();
    host::Shape& embedded = shapes.AddPicture(png, false, true, 10, 20);
    EXPECT_EQ(std::tuple(embedded.Type(), embedded.ZOrderPosition(), embedded.Name()),
              std::tuple(host::shape_type::kPicture, 3, std::string("Picture 7")));
    // 96 pixels at 96 per inch.
    EXPECT_EQ(
        (std::vector<double>{embedded.Left(), embedded.Top(), embedded.Width(), embedded.Height()}),
        (std::vector<double>{10, 20, 72, 36}));
    host::Shape& linked = shapes.AddPicture(png, true, false, 0, 0, 50, 25);
    EXPECT_EQ(linked.Type(), host::shape_type::kLinkedPicture);
    EXPECT_EQ(linked.LinkFormat().SourceFullName(), png);
    EXPECT_DOUBLE_EQ(linked.Width(), 50);
    host::Shape& both = shapes.AddPicture(png, true, true, 0, 0);
    EXPECT_EQ(both.Type(), host::shape_type::kLinkedPicture);
    EXPECT_THROW(shapes.AddPicture(png, false, false, 0, 0), Error);
    EXPECT_THROW(shapes.AddPicture(dir.Write("x.txt", "text"), false, true, 0, 0), Error);
    EXPECT_EQ(ErrorOf([&] { shapes.AddPicture(dir.File("none.png"), false, true, 0, 0); }).number(),
              kErrFileNotFound);
    EXPECT_EQ(shapes.Count(), 5);
    deck->Save();
  }
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  EXPECT_EQ(ReadEntry(path, "ppt/media/image1.png"), PngHeader(96, 48));
  {
    // The linked and stored picture changes kind: its old cached copy, used by nothing else,
    // goes; the second picture's copy stays.
    auto deck = PackagePresentation::Open(path);
    host::Shape& both = deck->Slides().Item(1).Shapes().Item(5);
    both.LinkFormat().SetSourceFullName(
        dir.Write("pic.gif", std::string("GIF89a\x04\x00\x04\x00", 10)));
    both.LinkFormat().Update();
    deck->Save();
  }
  std::vector<std::string> names = testing::EntryNames(path);
  EXPECT_EQ((std::vector<long>{CountOf(names, "ppt/media/image2.png"),
                               CountOf(names, "ppt/media/image1.gif"),
                               CountOf(names, "ppt/media/image1.png")}),
            (std::vector<long>{0, 1, 1}));
  EXPECT_EQ(PackageProblems(path), std::vector<std::string>());
  auto deck = PackagePresentation::Open(path);
  EXPECT_EQ(deck->Slides().Item(1).Shapes().Item(4).Name(), "Picture 8");
}

}  // namespace
}  // namespace vintrel::ooxml
