// Set-up shared by the package host's tests: decks written to a temporary folder, fixture copies,
// a recording picture store, shape XML at a known place, and checks on texts the host writes.
#ifndef VINTREL_TESTS_HOST_OOXML_PACKAGE_TEST_SUPPORT_H_
#define VINTREL_TESTS_HOST_OOXML_PACKAGE_TEST_SUPPORT_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "decks/deck_builder.h"
#include "host/ooxml/drawing/slide_drawing.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "testing/temp_dir.h"

namespace vintrel::ooxml::testing {

using vintrel::testing::FixturePath;
using vintrel::testing::ReadFile;
using vintrel::testing::TempDir;

// The names of the real presentations from other programs, under tests/fixtures/pptx.
inline std::vector<std::string> RealDecks() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(FixturePath("pptx"))) {
    if (entry.path().extension() == ".pptx") names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// A writable copy of the fixture deck `name`, under the same name.
inline std::string CopyFixture(const TempDir& dir, const std::string& name) {
  return dir.Write(name, ReadFile(FixturePath("pptx/" + name)));
}

// The deck of one slide holding `shapes`, written as `name`.
inline std::string WriteDeck(const TempDir& dir, const std::string& shapes,
                             const std::string& name = "deck.pptx") {
  return dir.Write(name, BuildDeck(OneSlide(shapes)));
}

// A relationship of the kind `type` (the end of its type URI), to an outside target if `external`.
inline std::string Rel(const std::string& id, const std::string& type, const std::string& target,
                       bool external = false) {
  return "<Relationship Id=\"" + id +
         "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/" + type +
         "\" Target=\"" + target + "\"" + (external ? " TargetMode=\"External\"" : "") + "/>";
}

// The package at `path` zipped again after `edit` saw each entry (clearing the name drops it),
// with `added` behind.
inline std::string Rezipped(const std::string& path,
                            const std::function<void(std::string& name, std::string& data)>& edit,
                            std::vector<std::pair<std::string, std::string>> added = {}) {
  std::vector<std::pair<std::string, std::string>> parts;
  for (std::string name : EntryNames(path)) {
    std::string data = ReadEntry(path, name);
    edit(name, data);
    if (!name.empty()) parts.emplace_back(name, data);
  }
  parts.insert(parts.end(), added.begin(), added.end());
  return BuildZip(parts);
}

inline host::TextRange& TextOf(host::Presentation& deck, int slide = 1, int shape = 1) {
  return deck.Slides().Item(slide).Shapes().Item(shape).TextFrame().TextRange();
}

// A PNG header of the given size (the pixels are not needed to read the size).
inline std::string PngHeader(int width, int height) {
  std::string png("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  for (int value : {width, height}) {
    for (int shift : {24, 16, 8, 0}) png += static_cast<char>((value >> shift) & 0xFF);
  }
  png += std::string("\x08\x06\0\0\0\0\0\0\0", 9);
  return png;
}

// Keeps what a drawing hands over; equal bytes get the same address, numbered as first seen.
class RecordingAssets : public SvgAssets {
 public:
  std::string Add(std::string bytes, const std::string& content_type) override {
    types.push_back(content_type);
    auto found = std::find(stored.begin(), stored.end(), bytes);
    if (found == stored.end()) found = stored.insert(stored.end(), std::move(bytes));
    return "/asset/" + std::to_string(found - stored.begin() + 1);
  }
  std::vector<std::string> stored, types;
};

// A shape at (10, 20) points, 100 x 50: `properties` inside its p:spPr, `after` behind it.
inline std::string BoxShape(const std::string& properties, const std::string& after = "",
                            const std::string& xfrm_attributes = "") {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Box\"/><p:cNvSpPr/><p:nvPr/></p:nvSpPr>"
         "<p:spPr><a:xfrm" +
         xfrm_attributes +
         "><a:off x=\"127000\" y=\"254000\"/><a:ext cx=\"1270000\" cy=\"635000\"/></a:xfrm>" +
         properties + "</p:spPr>" + after + "</p:sp>";
}

// A graphic frame at (10, 20) points, 400 x 200, holding `graphic_data`.
inline std::string Frame(const std::string& graphic_data, const std::string& uri = "") {
  return "<p:graphicFrame><p:nvGraphicFramePr><p:cNvPr id=\"2\" name=\"Frame\"/>"
         "<p:cNvGraphicFramePr/><p:nvPr/></p:nvGraphicFramePr><p:xfrm><a:off x=\"127000\" "
         "y=\"254000\"/><a:ext cx=\"5080000\" cy=\"2540000\"/></p:xfrm><a:graphic><a:graphicData" +
         (uri.empty() ? "" : " uri=\"" + uri + "\"") + ">" + graphic_data +
         "</a:graphicData></a:graphic></p:graphicFrame>";
}

// One slide whose graphic frame shows `chart_xml` as ppt/charts/chart1.xml.
inline DeckLayout ChartDeck(const std::string& chart_xml) {
  DeckLayout layout =
      OneSlide(Frame("<c:chart xmlns:c=\"http://schemas.openxmlformats.org/drawingml/2006/chart\" "
                     "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                     "relationships\" r:id=\"rId5\"/>",
                     "http://schemas.openxmlformats.org/drawingml/2006/chart"));
  layout.slides[0].rels = Rel("rId5", "chart", "../charts/chart1.xml");
  layout.extra_parts.emplace_back("ppt/charts/chart1.xml", chart_xml);
  layout.extra_content_types =
      "<Override PartName=\"/ppt/charts/chart1.xml\" ContentType=\"application/"
      "vnd.openxmlformats-officedocument.drawingml.chart+xml\"/>";
  return layout;
}

// Each of `parts` is in `text`, but for those written "!part", which must not be.
inline void ExpectParts(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    if (!part.empty() && part[0] == '!') {
      EXPECT_EQ(text.find(part.substr(1)), std::string::npos) << part << "\n" << text;
    } else {
      EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    }
  }
}

inline long CountOf(const std::vector<std::string>& names, const std::string& name) {
  return std::count(names.begin(), names.end(), name);
}

}  // namespace vintrel::ooxml::testing

#endif  // VINTREL_TESTS_HOST_OOXML_PACKAGE_TEST_SUPPORT_H_
