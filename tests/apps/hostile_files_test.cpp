// Hostile presentation files through the real program: each is refused by `vintrel inspect` with
// one clear line naming the file and what is wrong (exit code 2), quickly, by a limit the reader
// enforces rather than by running out of memory, and the file is left exactly as it was. The
// files are built here; none is kept in the repository.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "faults/fault_support.h"
#include "host/ooxml/zip_archive.h"
#include "testing/hostile_zip.h"

namespace vintrel::testing {
namespace {

using Parts = std::vector<std::pair<std::string, std::string>>;

// Every entry of a package, in archive order.
Parts ReadParts(const std::string& path) {
  Parts parts;
  const auto archive = ooxml::ZipArchive::Open(path);
  for (const std::string& name : archive->Names()) parts.emplace_back(name, archive->Read(name));
  return parts;
}

double ChildrenCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_CHILDREN, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr double kCpuBudgetSeconds = 5;  // the sanitizers make everything several times slower
#else
constexpr double kCpuBudgetSeconds = 1;
#endif

TEST(HostileFilesTest, InspectRefusesEachWithOneClearLineAndLeavesTheFileAlone) {
  ProgramHome home;
  const Parts deck = ReadParts(FixturePath("pptx/openxmlsdk-linkedpicture-url.pptx"));
  ASSERT_FALSE(deck.empty());
  const std::string valid = ooxml::BuildZip(deck);
  auto with = [&](const std::string& name, const std::string& data) {
    Parts parts = deck;
    parts.emplace_back(name, data);
    return ooxml::BuildZip(parts);
  };
  // The deck with the part of that name edited (a part it lacks leaves the deck valid, and the
  // case fails).
  auto changed = [&](const std::string& name, auto edit) {
    Parts parts = deck;
    for (auto& [part, data] : parts) {
      if (part == name) edit(data);
    }
    return ooxml::BuildZip(parts);
  };
  // The deck's entries written by hand, with `extra` in place of the entry of its name, or after
  // them (`twice`: after them anyway).
  auto raw_with = [&](const RawEntry& extra, bool twice = false) {
    std::vector<RawEntry> entries;
    bool replaced = false;
    for (const auto& [name, data] : deck) {
      replaced |= name == extra.name && !twice;
      entries.push_back(name == extra.name && !twice ? extra : Stored(name, data));
    }
    if (!replaced) entries.push_back(extra);
    return RawZip(entries);
  };
  const std::string bomb = DeflateBomb(4);
  const std::string slide = "ppt/slides/slide1.xml";

  struct Case {
    std::string name;
    std::string bytes;
    std::string message;  // what the one line of the error says
  };
  const std::vector<Case> cases = {
      {"not-a-zip", "<p:presentation>this is no archive</p:presentation>", "not a ZIP archive"},
      {"truncated", valid.substr(0, valid.size() / 2), "damaged"},
      {"truncated-directory", valid.substr(0, valid.size() - 30), "damaged"},
      {"climbs-out", with("../../escaped.xml", "<x/>"), "\"..\""},
      {"climbs-out-inside", with("ppt/slides/../../../escaped.xml", "<x/>"), "\"..\""},
      {"absolute-name", with("/etc/escaped.xml", "<x/>"), "absolute name"},
      // Declares its gigabytes: refused before anything is inflated.
      {"bomb-declared", raw_with({"ppt/bomb.xml", bomb, 8, 0xF0000000u, 0}), "absurd size"},
      // Declares a kilobyte and inflates to 4 GiB: inflating stops at the declared size.
      {"bomb-lying", raw_with({slide, bomb, 8, 1024, 0}), "expands beyond"},
      {"nested-a-million-deep",
       changed(slide,
               [](std::string& xml) { xml.insert(xml.rfind("</p:sld>"), NestedXml(1'000'000)); }),
       "nested deeper than 256 levels"},
      {"duplicate-entry", raw_with(Stored(slide, "<p:sld/>"), true), "two entries"},
      {"duplicate-entry-other-case", raw_with(Stored("PPT/Slides/Slide1.xml", "<p:sld/>"), true),
       "two entries"},
      {"missing-relationship",
       changed("ppt/presentation.xml",
               [](std::string& xml) {
                 const size_t list = xml.find("</p:sldIdLst>");
                 xml.insert(list, "<p:sldId id=\"400\" r:id=\"rId99\"/>");
               }),
       "names relationship \"rId99\", which does not exist"},
      {"missing-slide",
       changed("ppt/_rels/presentation.xml.rels",
               [](std::string& xml) {
                 const size_t at = xml.find("slides/slide1.xml");
                 xml.replace(at, 17, "slides/slide7.xml");
               }),
       "slide7.xml\" is missing"},
  };
  ASSERT_EQ(home.Run({"inspect", home.Write("valid.pptx", valid)}).exit_code, 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = home.Write(c.name + ".pptx", c.bytes);
    const double cpu_before = ChildrenCpuSeconds();
    const ProgramResult result = home.Run({"inspect", file});
    const double cpu = ChildrenCpuSeconds() - cpu_before;
    EXPECT_EQ(result.exit_code, 2) << result.err;
    EXPECT_THAT(result.err, HasSubstr(c.name + ".pptx"));
    EXPECT_THAT(result.err, HasSubstr(c.message));
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_LT(cpu, kCpuBudgetSeconds);
    EXPECT_EQ(ReadFile(file), c.bytes) << "the file must be left as it was";
  }
  // Nothing of ours is left beside the files either.
  for (const auto& entry : std::filesystem::directory_iterator(home.path())) {
    EXPECT_THAT(entry.path().filename().string(), Not(HasSubstr(".vintrel-"))) << entry.path();
  }
}

}  // namespace
}  // namespace vintrel::testing
