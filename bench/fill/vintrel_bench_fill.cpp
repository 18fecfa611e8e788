// Fill times of a large linked deck, through the same host and add-in the program uses.
//
//   vintrel_bench_fill [--slides N] [--boxes K] [--rows R] [--keep]
//
// Builds, in a fresh folder under $TMPDIR, an R-row TAB-separated file and a deck of N slides
// with K text boxes each, every box linked to one cell of that file through one text-file
// connection (the links are written by the add-in's own tag writers). Then it loads the add-in
// into the package host, opens the deck (the add-in loads the connection and fills every shape),
// and times: the open with its first fill, a second fill with nothing changed, a fill that reads
// the file again, and a fill after the file changed. It prints the figures and the number of
// writes each fill made: an unchanged fill must write nothing. Nothing is asserted about time.
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "connections/connection_source.h"
#include "document/connection_tags.h"
#include "document/presentation.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/error.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"
#include "host_session.h"
#include "support/module_state.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace vintrel;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

struct Sizes {
  int slides = 1000;
  int boxes = 10;
  int rows = 10000;
  bool keep = false;
};

// Column k holds "g<generation> r<row> c<k>", so a new generation changes every value.
void WriteData(const std::string& path, const Sizes& sizes, int generation) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (int column = 0; column < sizes.boxes; ++column) {
    out << (column ? "\t" : "") << "Value" << column;
  }
  out << "\r\n";
  for (int row = 1; row <= sizes.rows; ++row) {
    for (int column = 0; column < sizes.boxes; ++column) {
      out << (column ? "\t" : "") << "g" << generation << " r" << row << " c" << column;
    }
    out << "\r\n";
  }
}

// The shape "Box k" of slide s (from 0) shows row (s * K + k) mod R + 1 of column k.
int RowOf(const Sizes& sizes, int slide, int box) {
  return (slide * sizes.boxes + box) % sizes.rows + 1;
}

// A plain deck: one master, one layout, a theme, N slides of K text boxes "Box 0".."Box K-1".
void WriteDeck(const std::string& path, const Sizes& sizes) {
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
  const std::string ns =
      "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
      "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
  const std::string pml = "application/vnd.openxmlformats-officedocument.presentationml.";
  const std::string rels =
      declaration +
      "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  auto relationship = [&](const std::string& id, const std::string& type,
                          const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + rel + type + "\" Target=\"" + target +
           "\"/>";
  };
  const std::string tree =
      "<p:spTree><p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/><p:nvPr/>"
      "</p:nvGrpSpPr><p:grpSpPr/>";

  std::string overrides, slide_ids, slide_rels;
  for (int slide = 1; slide <= sizes.slides; ++slide) {
    const std::string n = std::to_string(slide);
    overrides += "<Override PartName=\"/ppt/slides/slide" + n + ".xml\" ContentType=\"" + pml +
                 "slide+xml\"/>";
    slide_ids += "<p:sldId id=\"" + std::to_string(255 + slide) + "\" r:id=\"rId" +
                 std::to_string(10 + slide) + "\"/>";
    slide_rels +=
        relationship("rId" + std::to_string(10 + slide), "slide", "slides/slide" + n + ".xml");
  }
  std::vector<std::pair<std::string, std::string>> parts = {
      {"[Content_Types].xml",
       declaration +
           "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
           "<Default Extension=\"rels\" "
           "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
           "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
           "<Override PartName=\"/ppt/presentation.xml\" ContentType=\"" +
           pml +
           "presentation.main+xml\"/><Override PartName=\"/ppt/slideMasters/"
           "slideMaster1.xml\" ContentType=\"" +
           pml +
           "slideMaster+xml\"/><Override "
           "PartName=\"/ppt/slideLayouts/slideLayout1.xml\" ContentType=\"" +
           pml +
           "slideLayout+xml\"/><Override PartName=\"/ppt/theme/theme1.xml\" "
           "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>" +
           overrides + "</Types>"},
      {"_rels/.rels",
       rels + relationship("rId1", "officeDocument", "ppt/presentation.xml") + "</Relationships>"},
      {"ppt/presentation.xml",
       declaration + "<p:presentation " + ns +
           "><p:sldMasterIdLst><p:sldMasterId id=\"2147483648\" r:id=\"rId1\"/>"
           "</p:sldMasterIdLst><p:sldIdLst>" +
           slide_ids +
           "</p:sldIdLst><p:sldSz cx=\"12192000\" cy=\"6858000\"/><p:notesSz cx=\"6858000\" "
           "cy=\"9144000\"/></p:presentation>"},
      {"ppt/_rels/presentation.xml.rels",
       rels + relationship("rId1", "slideMaster", "slideMasters/slideMaster1.xml") +
           relationship("rId2", "theme", "theme/theme1.xml") + slide_rels + "</Relationships>"},
      {"ppt/slideMasters/slideMaster1.xml",
       declaration + "<p:sldMaster " + ns + "><p:cSld>" + tree +
           "</p:spTree></p:cSld><p:clrMap bg1=\"lt1\" tx1=\"dk1\" bg2=\"lt2\" tx2=\"dk2\" "
           "accent1=\"accent1\" accent2=\"accent2\" accent3=\"accent3\" accent4=\"accent4\" "
           "accent5=\"accent5\" accent6=\"accent6\" hlink=\"hlink\" folHlink=\"folHlink\"/>"
           "<p:sldLayoutIdLst><p:sldLayoutId id=\"2147483649\" r:id=\"rId1\"/>"
           "</p:sldLayoutIdLst></p:sldMaster>"},
      {"ppt/slideMasters/_rels/slideMaster1.xml.rels",
       rels + relationship("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml") +
           relationship("rId2", "theme", "../theme/theme1.xml") + "</Relationships>"},
      {"ppt/slideLayouts/slideLayout1.xml", declaration + "<p:sldLayout " + ns + "><p:cSld>" +
                                                tree + "</p:spTree></p:cSld></p:sldLayout>"},
      {"ppt/slideLayouts/_rels/slideLayout1.xml.rels",
       rels + relationship("rId1", "slideMaster", "../slideMasters/slideMaster1.xml") +
           "</Relationships>"},
      {"ppt/theme/theme1.xml",
       declaration + "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
                     "name=\"Bench\"><a:themeElements/></a:theme>"},
  };
  for (int slide = 1; slide <= sizes.slides; ++slide) {
    std::string shapes;
    for (int box = 0; box < sizes.boxes; ++box) {
      shapes += "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(box + 2) + "\" name=\"Box " +
                std::to_string(box) +
                "\"/><p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr><p:spPr><a:xfrm><a:off "
                "x=\"457200\" y=\"" +
                std::to_string(228600 + box * 600000) +
                "\"/><a:ext cx=\"5000000\" cy=\"500000\"/></a:xfrm><a:prstGeom prst=\"rect\">"
                "<a:avLst/></a:prstGeom></p:spPr><p:txBody><a:bodyPr/><a:lstStyle/><a:p><a:r>"
                "<a:rPr lang=\"en-US\" sz=\"1400\"/><a:t>-</a:t></a:r></a:p></p:txBody></p:sp>";
    }
    const std::string n = std::to_string(slide);
    parts.push_back({"ppt/slides/slide" + n + ".xml", declaration + "<p:sld " + ns + "><p:cSld>" +
                                                          tree + shapes +
                                                          "</p:spTree></p:cSld></p:sld>"});
    parts.push_back({"ppt/slides/_rels/slide" + n + ".xml.rels",
                     rels +
                         relationship("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml") +
                         "</Relationships>"});
  }
  std::ofstream(path, std::ios::binary) << ooxml::BuildZip(parts);
}

// Links every box with the add-in's tag writers: one text-file connection "01" over `data`
// (a name relative to the deck's folder), and a text-field link per box.
void LinkDeck(const std::string& path, const std::string& data, const Sizes& sizes) {
  auto deck = ooxml::PackagePresentation::Open(path);
  std::vector<std::unique_ptr<clsConnection>> connections;
  connections.push_back(std::make_unique<clsConnection>());
  connections.back()->SetConnectionTagNumber(NextConnectionTagNumber({}));
  connections.back()->SetTagString("0\tBench data\t" + data + "\tTrue\t");
  WriteConnectionTags(*deck, connections);
  for (int slide = 0; slide < sizes.slides; ++slide) {
    host::Shapes& shapes = deck->Slides().Item(slide + 1).Shapes();
    for (int box = 0; box < sizes.boxes; ++box) {
      clsshape shape;
      shape.SetShapeItem(shapes.Item(box + 1));
      shape.SetSourceType(source_type::kTextField);
      shape.SetNewConnectionTagNumber("01");
      shape.SetNewColumnName("Value" + std::to_string(box));
      shape.SetNewRow(RowOf(sizes, slide, box));
      shape.SetShapeTags();
    }
  }
  deck->Save();
}

void PrintFill(const char* what, double ms, long writes, long shapes) {
  std::printf("%-34s %10.1f ms %9.2f us/shape %8ld writes\n", what, ms, 1000.0 * ms / shapes,
              writes);
}

int Run(const Sizes& sizes) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vintrel-bench-fill-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror("vintrel_bench_fill: mkdtemp");
    return 1;
  }
  const std::string folder = pattern;
  const std::string deck = folder + "/deck.pptx";
  const std::string data = folder + "/data.tsv";
  const long shapes = static_cast<long>(sizes.slides) * sizes.boxes;

  auto start = Clock::now();
  WriteData(data, sizes, 1);
  WriteDeck(deck, sizes);
  const double generated = Ms(start);
  start = Clock::now();
  LinkDeck(deck, "data.tsv", sizes);
  const double linked = Ms(start);
  start = Clock::now();
  ooxml::PackagePresentation::Open(deck);
  const double package_open = Ms(start);

  std::printf("deck: %d slides x %d linked text boxes = %ld shapes, data: %d rows x %d columns\n",
              sizes.slides, sizes.boxes, shapes, sizes.rows, sizes.boxes);
  std::printf("folder: %s%s\n", folder.c_str(), sizes.keep ? " (kept)" : "");
  std::printf("%-34s %10.1f ms\n", "generate deck and data", generated);
  // Not part of a fill, but every author pays it once per shape; printed per shape too because
  // it grows faster than the deck does.
  std::printf("%-34s %10.1f ms %9.2f us/shape\n", "link with the tag writers + save", linked,
              1000.0 * linked / shapes);
  std::printf("%-34s %10.1f ms   (package only, no add-in)\n", "open", package_open);
  {
    // The program's own session; settings from a file that does not exist, so a user's
    // settings do not change the figures.
    app::SessionOptions options;
    options.settings_path = folder + "/no-settings.ini";
    options.addin_folder = folder;
    app::HostSession session(options);
    start = Clock::now();
    host::Presentation& presentation = session.host().Presentations().Open(deck);
    const double opened = Ms(start);
    clsPresentation* entry = session.EntryOf(presentation);
    if (entry == nullptr) {
      std::cerr << "vintrel_bench_fill: the add-in did not take the presentation\n";
      return 1;
    }
    long writes = entry->fill_writes();
    PrintFill("open + load + first fill", opened, writes, shapes);
    PrintFill("  of which load and fill (approx.)", opened - package_open, writes, shapes);

    auto timed_fill = [&](const char* what, bool requery) {
      const long before = entry->fill_writes();
      const auto begin = Clock::now();
      entry->FillValues(requery);
      PrintFill(what, Ms(begin), entry->fill_writes() - before, shapes);
      return entry->fill_writes() - before;
    };
    const long unchanged = timed_fill("second fill, nothing changed", false);
    const long requeried = timed_fill("fill with requery, same data", true);
    WriteData(data, sizes, 2);
    timed_fill("fill with requery, new data", true);
    if (unchanged != 0 || requeried != 0) {
      std::printf("note: a fill over unchanged data wrote %ld and %ld times (expected 0)\n",
                  unchanged, requeried);
    }
  }
  if (!sizes.keep) std::filesystem::remove_all(folder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Sizes sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    auto number = [&](int& target) {
      if (i + 1 >= argc || std::atoi(argv[i + 1]) <= 0) {
        std::cerr << "vintrel_bench_fill: " << argument << " needs a number above 0\n";
        std::exit(2);
      }
      target = std::atoi(argv[++i]);
    };
    if (argument == "--slides") {
      number(sizes.slides);
    } else if (argument == "--boxes") {
      number(sizes.boxes);
    } else if (argument == "--rows") {
      number(sizes.rows);
    } else if (argument == "--keep") {
      sizes.keep = true;
    } else {
      std::cerr << "usage: vintrel_bench_fill [--slides N] [--boxes K] [--rows R] [--keep]\n";
      return 2;
    }
  }
  try {
    return Run(sizes);
  } catch (const vintrel::Error& failure) {
    std::cerr << "vintrel_bench_fill: " << failure.description() << "\n";
  } catch (const std::exception& failure) {
    std::cerr << "vintrel_bench_fill: " << failure.what() << "\n";
  }
  return 1;
}
