// Damaged and hostile files: each gives a clear error naming the file and the problem, and the
// file stays as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "host/error.h"
#include "host/ooxml/deck_builder.h"
#include "host/ooxml/package.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "testing/temp_dir.h"

namespace vintrel::ooxml {
namespace {

using vintrel::testing::ReadFile;
using vintrel::testing::TempDir;

std::string ValidDeck() {
  return testing::BuildDeck(testing::OneSlide(testing::TextBox(2, "A", "x")));
}

// Opens `bytes` as a presentation and returns the error description (fails the test when the
// file opens, or when the file changed on disk).
std::string OpenError(const std::string& bytes, const ZipLimits& limits = {}) {
  TempDir dir;
  std::string path = dir.Write("hostile.pptx", bytes);
  std::string description;
  try {
    auto package = Package::Open(path, limits);
    ADD_FAILURE() << "the file opened";
  } catch (const Error& error) {
    description = error.description();
    EXPECT_NE(description.find(path), std::string::npos) << description;
  }
  EXPECT_EQ(ReadFile(path), bytes) << "the file must be left as it was";
  return description;
}

// Replaces every occurrence of `from` with `to` (same length) in the raw archive bytes.
std::string Patch(std::string bytes, const std::string& from, const std::string& to) {
  EXPECT_EQ(from.size(), to.size());
  for (size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + 1)) {
    bytes.replace(at, from.size(), to);
  }
  return bytes;
}

std::string LittleEndian32(uint32_t value) {
  std::string out(4, '\0');
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

TEST(HostileInput, NotAZipArchive) {
  EXPECT_NE(OpenError("just some text, not a package").find("not a .pptx package"),
            std::string::npos);
}

TEST(HostileInput, PasswordProtectedFileIsNamedAsSuch) {
  std::string cfb = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + std::string(504, '\0');
  EXPECT_NE(OpenError(cfb).find("password-protected"), std::string::npos);
}

TEST(HostileInput, TruncatedArchive) {
  std::string deck = ValidDeck();
  EXPECT_NE(OpenError(deck.substr(0, deck.size() / 2)).find("damaged"), std::string::npos);
  EXPECT_NE(OpenError(deck.substr(0, deck.size() - 10)).find("damaged"), std::string::npos);
}

TEST(HostileInput, EntryNamesThatLeaveThePackage) {
  for (const char* name :
       {"../evil.xml", "ppt/../../evil.xml", "/etc/evil.xml", "C:/evil.xml", "ppt\\evil.xml"}) {
    std::string zip = BuildZip({{"[Content_Types].xml", "<Types/>"}, {name, "<x/>"}});
    std::string error = OpenError(zip);
    EXPECT_NE(error.find(name), std::string::npos) << error;
  }
}

TEST(HostileInput, NamesThatDifferOnlyInCase) {
  std::string zip =
      BuildZip({{"[Content_Types].xml", "<Types/>"}, {"ppt/A.xml", "<x/>"}, {"ppt/a.xml", "<x/>"}});
  EXPECT_NE(OpenError(zip).find("differ only in case"), std::string::npos);
}

TEST(HostileInput, DeclaredSizeBeyondTheLimit) {
  ZipLimits limits;
  limits.max_xml_part = 4096;
  std::string zip = BuildZip({{"[Content_Types].xml", std::string(8192, ' ') + "<Types/>"}});
  EXPECT_NE(OpenError(zip, limits).find("absurd size"), std::string::npos);

  ZipLimits total;
  total.max_total_inflated = 6000;
  std::string many = BuildZip({{"[Content_Types].xml", "<Types/>"},
                               {"a.xml", std::string(4000, ' ') + "<a/>"},
                               {"b.xml", std::string(4000, ' ') + "<b/>"}});
  EXPECT_NE(OpenError(many, total).find("more XML"), std::string::npos);
}

TEST(HostileInput, PartThatInflatesBeyondWhatItDeclares) {
  // A zip bomb that lies: 200 KB of spaces declared as 100 bytes in both headers.
  std::string body = "<Types>" + std::string(200000, ' ') + "</Types>";
  std::string zip = BuildZip({{"[Content_Types].xml", body}});
  std::string lie =
      Patch(zip, LittleEndian32(static_cast<uint32_t>(body.size())), LittleEndian32(100));
  ASSERT_NE(lie, zip);
  std::string error = OpenError(lie);
  EXPECT_TRUE(error.find("inflates beyond") != std::string::npos ||
              error.find("damaged") != std::string::npos)
      << error;
}

TEST(HostileInput, APartThatDoesNotParseRefusesTheFileAtOpening) {
  // Whichever part is cut short, the file is refused before anything reads or writes it.
  TempDir dir;
  std::string good = dir.Write("good.pptx", ValidDeck());
  for (const char* broken : {"ppt/presentation.xml", "ppt/slides/slide1.xml",
                             "ppt/slides/_rels/slide1.xml.rels", "docProps/app.xml"}) {
    std::vector<std::pair<std::string, std::string>> parts;
    bool found = false;
    for (const std::string& name : testing::EntryNames(good)) {
      std::string data = testing::ReadEntry(good, name);
      if (name == broken) {
        data = data.substr(0, data.size() / 2);
        found = true;
      }
      parts.push_back({name, data});
    }
    if (!found) continue;
    std::string error = OpenError(BuildZip(parts));
    EXPECT_NE(error.find(broken), std::string::npos) << error;
    EXPECT_NE(error.find("malformed XML"), std::string::npos) << error;
  }
}

TEST(HostileInput, StrayBytesAfterTheEndRecordAreNoDamage) {
  TempDir dir;
  for (const char* tail : {"\n", "\r\n\0"}) {
    std::string path = dir.Write("stray.pptx", ValidDeck() + tail);
    auto presentation = PackagePresentation::Open(path);
    EXPECT_EQ(presentation->Slides().Count(), 1);
    presentation->Slides().Item(1).Shapes().Item(1).TextFrame().TextRange().SetText("saved");
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

TEST(HostileInput, InconsistentArchivesSayWhatIsWrong) {
  const std::string zip =
      BuildZip({{"[Content_Types].xml", "<Types/>"}, {"a.xml", "<x/>"}, {"b.xml", "<x/>"}});
  const std::vector<size_t> central = CentralHeaders(zip);
  ASSERT_EQ(central.size(), 3u);
  struct Case {
    const char* what;
    std::string bytes;
    const char* message;
  };
  std::string lying = zip;
  lying[18] = static_cast<char>(lying[18] + 1);  // the first entry's compressed size, locally
  std::string overlapping = zip;
  overlapping.replace(central[2] + 42, 4, overlapping.substr(central[1] + 42, 4));
  std::string nowhere = zip;
  nowhere.replace(central[1] + 42, 4, LittleEndian32(7));
  for (const Case& c : {Case{"sizes that lie", lying, "other sizes in its local header"},
                        Case{"overlapping entries", overlapping, "\"a.xml\" and \"b.xml\" overlap"},
                        Case{"a misplaced entry", nowhere, "\"a.xml\" has no local header"},
                        Case{"stray bytes and a lie", lying + "\n", "other sizes"}}) {
    std::string error = OpenError(c.bytes);
    EXPECT_NE(error.find(c.message), std::string::npos) << c.what << ": " << error;
  }
}

TEST(HostileInput, MissingRequiredParts) {
  TempDir dir;
  std::string good = dir.Write("good.pptx", ValidDeck());
  auto without = [&](const std::string& left_out) {
    std::vector<std::pair<std::string, std::string>> parts;
    for (const std::string& name : testing::EntryNames(good)) {
      if (name != left_out) parts.push_back({name, testing::ReadEntry(good, name)});
    }
    return BuildZip(parts);
  };
  EXPECT_NE(OpenError(without("[Content_Types].xml")).find("[Content_Types].xml is missing"),
            std::string::npos);
  EXPECT_NE(OpenError(without("ppt/presentation.xml")).find("presentation part is missing"),
            std::string::npos);
  EXPECT_NE(OpenError(without("_rels/.rels")).find("relationships are missing"), std::string::npos);
  // A slide listed in the presentation but absent is named, through the presentation object.
  std::string path = dir.Write("no-slide.pptx", without("ppt/slides/slide1.xml"));
  try {
    PackagePresentation::Open(path);
    FAIL() << "opened a deck whose slide is missing";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.description()).find("slide1.xml"), std::string::npos);
  }
}

TEST(HostileInput, SlideListedTwice) {
  testing::DeckLayout layout = testing::OneSlide("");
  layout.presentation_rels =
      "<Relationship Id=\"rId20\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
      "relationships/slide\" Target=\"slides/slide1.xml\"/>";
  TempDir dir;
  std::string good = dir.Write("good.pptx", testing::BuildDeck(layout));
  std::vector<std::pair<std::string, std::string>> parts;
  for (const std::string& name : testing::EntryNames(good)) {
    std::string data = testing::ReadEntry(good, name);
    size_t list = data.find("</p:sldIdLst>");
    if (list != std::string::npos) data.insert(list, "<p:sldId id=\"300\" r:id=\"rId20\"/>");
    parts.push_back({name, data});
  }
  std::string path = dir.Write("twice.pptx", BuildZip(parts));
  try {
    PackagePresentation::Open(path);
    FAIL() << "a slide listed twice must be refused";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.description()).find("twice"), std::string::npos);
  }
}

TEST(HostileInput, MissingFileAndFolder) {
  TempDir dir;
  try {
    PackagePresentation::Open(dir.File("absent.pptx"));
    FAIL();
  } catch (const Error& error) {
    EXPECT_EQ(error.number(), kErrFileNotFound);
    EXPECT_NE(std::string(error.description()).find("absent.pptx"), std::string::npos);
  }
  try {
    PackagePresentation::Open(dir.path());
    FAIL();
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.description()).find("is a folder"), std::string::npos);
  }
}

}  // namespace
}  // namespace vintrel::ooxml
