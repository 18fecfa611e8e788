// Damaged and hostile files: each gives a clear error naming the file and the problem, and the
// file stays as it was. Parts that inflate beyond what they declare are refused through the
// program, in tests/apps/hostile_files_test.cpp.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/error.h"
#include "host/ooxml/package.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "package_test_support.h"
#include "testing/error_of.h"
#include "testing/hostile_zip.h"

namespace vintrel::ooxml {
namespace {

using vintrel::testing::ErrorOf;
using vintrel::testing::ReadFile;
using vintrel::testing::TempDir;

// `text` as a raw deflate stream, as an archive holds it.
std::string RawDeflate(const std::string& text) {
  TempDir dir;
  return testing::RawEntry(dir.Write("one.zip", BuildZip({{"x", text}})), "x");
}

// A package of one part, its content types: deflated `data` declaring `text`'s size and
// checksum (changed by `crc_change`).
std::string WithDeflated(const std::string& data, const std::string& text, uint32_t crc_change) {
  vintrel::testing::RawEntry entry = vintrel::testing::Stored("[Content_Types].xml", text);
  entry.data = data;
  entry.method = 8;
  entry.crc += crc_change;
  return vintrel::testing::RawZip({entry});
}

std::string ValidDeck() {
  return testing::BuildDeck(testing::OneSlide(testing::TextBox(2, "A", "x")));
}

// Opens `bytes` as a presentation and returns the error description (fails the test when the
// file opens, or when the file changed on disk).
std::string OpenError(const std::string& bytes, const ZipLimits& limits = {}) {
  TempDir dir;
  std::string path = dir.Write("hostile.pptx", bytes);
  std::string description = ErrorOf([&] { Package::Open(path, limits); }).description();
  EXPECT_NE(description.find(path), std::string::npos) << description;
  EXPECT_EQ(ReadFile(path), bytes) << "the file must be left as it was";
  return description;
}

TEST(HostileInput, StrayBytesAfterTheEndRecordAreNoDamage) {
  TempDir dir;
  for (const char* tail : {"\n", "\r\n\0"}) {
    std::string path = dir.Write("stray.pptx", ValidDeck() + tail);
    auto presentation = PackagePresentation::Open(path);
    EXPECT_EQ(presentation->Slides().Count(), 1);
    testing::TextOf(*presentation).SetText("saved");
    presentation->Save();
    EXPECT_NO_THROW(Package::Open(path)) << "the saved file is a clean archive";
  }
}

// Offsets of every central directory header in an archive.
std::vector<size_t> CentralHeaders(const std::string& zip) {
  std::vector<size_t> out;
  for (size_t at = zip.find("PK\x01\x02"); at != std::string::npos;
       at = zip.find("PK\x01\x02", at + 1)) {
    out.push_back(at);
  }
  return out;
}

// Every part of a valid deck, rezipped after `edit` (which may drop a part by clearing its name).
std::string Rezipped(const std::function<void(std::string& name, std::string& data)>& edit) {
  TempDir dir;
  return testing::Rezipped(dir.Write("good.pptx", ValidDeck()), edit);
}

std::string Without(const std::string& left_out) {
  return Rezipped([&](std::string& name, std::string&) {
    if (name == left_out) name.clear();
  });
}

TEST(HostileInput, EachDamageIsRefusedWithWhatIsWrong) {
  const std::string deck = ValidDeck();
  const std::string zip =
      BuildZip({{"[Content_Types].xml", "<Types/>"}, {"a.xml", "<x/>"}, {"b.xml", "<x/>"}});
  const std::vector<size_t> central = CentralHeaders(zip);
  ASSERT_EQ(central.size(), 3u);
  std::string lying = zip;
  lying[18] = static_cast<char>(lying[18] + 1);  // the first entry's compressed size, locally
  std::string overlapping = zip;
  overlapping.replace(central[2] + 42, 4, overlapping.substr(central[1] + 42, 4));
  std::string nowhere = zip;
  nowhere.replace(central[1] + 42, 4, std::string("\x07\0\0\0", 4));
  ZipLimits part_limit;
  part_limit.max_xml_part = 4096;
  ZipLimits total_limit;
  total_limit.max_total_inflated = 6000;
  struct Case {
    std::string bytes;
    std::string message;
    ZipLimits limits = {};
  };
  std::vector<Case> cases = {
      {"just some text, not a package", "not a .pptx package"},
      {"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(504, '\0'), "password-protected"},
      {deck.substr(0, deck.size() / 2), "damaged"},
      {deck.substr(0, deck.size() - 10), "damaged"},
      {BuildZip(
           {{"[Content_Types].xml", "<Types/>"}, {"ppt/A.xml", "<x/>"}, {"ppt/a.xml", "<x/>"}}),
       "differ only in case"},
      {BuildZip({{"[Content_Types].xml", std::string(8192, ' ') + "<Types/>"}}), "absurd size",
       part_limit},
      {BuildZip({{"[Content_Types].xml", "<Types/>"},
                 {"a.xml", std::string(4000, ' ') + "<a/>"},
                 {"b.xml", std::string(4000, ' ') + "<b/>"}}),
       "more XML", total_limit},
      {lying, "other sizes in its local header"},
      {WithDeflated(RawDeflate("<x>1</x>"), "<x>1</x>", 1),
       "\"[Content_Types].xml\" is damaged (CRC error)"},
      {WithDeflated("\xff\xff\xff\xff", "<x>1</x>", 0), "\"[Content_Types].xml\" is damaged"},
      {WithDeflated(RawDeflate("<x>1</x>").substr(0, 3), "<x>1</x>", 0),
       "\"[Content_Types].xml\" is damaged"},
      {WithDeflated(RawDeflate("<x>12</x>"), "<x>1</x>", 0), "beyond the size it declares"},
      {lying + "\n", "other sizes"},
      {overlapping, "\"a.xml\" and \"b.xml\" overlap"},
      {nowhere, "\"a.xml\" has no local header"},
      {Without("[Content_Types].xml"), "[Content_Types].xml is missing"},
      {Without("ppt/presentation.xml"), "presentation part is missing"},
      {Without("_rels/.rels"), "relationships are missing"},
  };
  for (const char* name :
       {"../evil.xml", "ppt/../../evil.xml", "/etc/evil.xml", "C:/evil.xml", "ppt\\evil.xml"}) {
    cases.push_back({BuildZip({{"[Content_Types].xml", "<Types/>"}, {name, "<x/>"}}), name});
  }
  // Whichever part is cut short, the file is refused before anything reads or writes it.
  for (const std::string broken : {"ppt/presentation.xml", "ppt/slides/slide1.xml",
                                   "ppt/slides/_rels/slide1.xml.rels", "docProps/app.xml"}) {
    bool found = false;
    std::string bytes = Rezipped([&](std::string& name, std::string& data) {
      if (name != broken) return;
      data = data.substr(0, data.size() / 2);
      found = true;
    });
    if (found) cases.push_back({bytes, "\"" + broken + "\" is malformed XML"});
  }
  // Nesting no real part has is refused in every part, those read first included.
  for (const std::string deep :
       {"[Content_Types].xml", "_rels/.rels", "ppt/presentation.xml", "ppt/slides/slide1.xml"}) {
    std::string bytes = Rezipped([&](std::string& name, std::string& data) {
      if (name == deep) data.insert(data.rfind("</"), vintrel::testing::NestedXml(300));
    });
    cases.push_back({bytes, "\"" + deep + "\" is XML nested deeper than 256 levels"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    testing::ExpectParts(OpenError(c.bytes, c.limits), {c.message});
  }
}

// A real deck with parts the program never reads holding what is not XML at all (custom XML, as
// some add-ins leave it, and a web extension) and a chart part cut short. The deck opens, its
// slides are drawn without that chart, and a copy keeps those parts as they were; damage in a
// part every command reads is still refused (above).
TEST(HostileInput, PartsTheProgramCanDoWithoutAreLeftAsTheyAre) {
  TempDir dir;
  const std::string real = VINTREL_SOURCE_DIR "/examples/sales-board.pptx";
  const std::string chart = "ppt/charts/chart1.xml";
  const std::vector<std::string> unread = {"ppt/customXML/item.xml",
                                           "ppt/webextensions/webextension1.xml"};
  const std::string junk = "plain text < & not XML";
  std::string broken_chart;
  auto edit = [&](std::string& name, std::string& data) {
    if (name == "[Content_Types].xml") {
      data.insert(data.rfind("</Types>"),
                  "<Override PartName=\"/ppt/webextensions/webextension1.xml\" "
                  "ContentType=\"application/vnd.ms-office.webextension+xml\"/>");
    }
    if (name == chart) data = broken_chart = data.substr(0, data.size() / 2);
  };
  const std::string path = dir.Write(
      "custom.pptx", testing::Rezipped(real, edit, {{unread[0], junk}, {unread[1], junk}}));
  ASSERT_FALSE(broken_chart.empty());
  auto presentation = PackagePresentation::Open(path);
  std::vector<std::string> expected = {chart + " (malformed)"};
  expected.insert(expected.end(), unread.begin(), unread.end());
  EXPECT_EQ(presentation->package().unread_parts(), expected);
  testing::RecordingAssets pictures;
  testing::ExpectParts(DrawSlide(*presentation, 2, pictures).Svg(), {"Totals by region"});
  presentation->SaveCopyAs(dir.File("copy.pptx"));
  for (const std::string& name : unread) {
    EXPECT_EQ(testing::ReadEntry(dir.File("copy.pptx"), name), junk);
  }
  EXPECT_EQ(testing::ReadEntry(dir.File("copy.pptx"), chart), broken_chart);
}

// A missing file or folder, a slide missing or listed twice: only the presentation object finds
// these, and names what is wrong.
TEST(HostileInput, MissingFilesAndSlidesAreNamed) {
  TempDir dir;
  testing::DeckLayout layout = testing::OneSlide("");
  layout.presentation_rels = testing::Rel("rId20", "slide", "slides/slide1.xml");
  auto listed_twice = [](std::string&, std::string& data) {
    size_t list = data.find("</p:sldIdLst>");
    if (list != std::string::npos) data.insert(list, "<p:sldId id=\"300\" r:id=\"rId20\"/>");
  };
  const std::string good = dir.Write("good.pptx", testing::BuildDeck(layout));
  const std::pair<std::string, const char*> cases[] = {
      {dir.Write("no-slide.pptx", Without("ppt/slides/slide1.xml")), "slide1.xml"},
      {dir.Write("twice.pptx", testing::Rezipped(good, listed_twice)), "twice"},
      {dir.File("absent.pptx"), "absent.pptx"},
      {dir.path(), "is a folder"},
  };
  for (const auto& [path, part] : cases) {
    testing::ExpectParts(ErrorOf([&] { PackagePresentation::Open(path); }).description(), {part});
  }
  EXPECT_EQ(ErrorOf([&] { PackagePresentation::Open(cases[2].first); }).number(), kErrFileNotFound);
}

}  // namespace
}  // namespace vintrel::ooxml
