#include "linked_deck.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "connections/connection.h"
#include "document/connection_tags.h"
#include "document/shape.h"
#include "document/tag_schema.h"
#include "host/ooxml/package_presentation.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::bench {

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

std::string MakeBenchFolder(const std::string& prefix) {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

}  // namespace vintrel::bench
