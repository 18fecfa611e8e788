#include "decks/deck_builder.h"

#include <zip.h>

#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml::testing {

namespace {

const char kHeader[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
const char kNs[] =
    "xmlns:a=\"http://schemas.openxmlformats.org/drawingml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\"";
const char kRel[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
const char kCt[] = "application/vnd.openxmlformats-officedocument.presentationml.";
const char kTree[] =
    "<p:nvGrpSpPr><p:cNvPr id=\"1\" name=\"\"/><p:cNvGrpSpPr/><p:nvPr/></p:nvGrpSpPr>"
    "<p:grpSpPr><a:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" cy=\"0\"/><a:chOff x=\"0\" "
    "y=\"0\"/><a:chExt cx=\"0\" cy=\"0\"/></a:xfrm></p:grpSpPr>";

std::string Rels(const std::string& body) {
  return std::string(kHeader) +
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
         body + "</Relationships>";
}

std::string Rel(const std::string& id, const std::string& type, const std::string& target) {
  return "<Relationship Id=\"" + id + "\" Type=\"" + kRel + type + "\" Target=\"" + target + "\"/>";
}

}  // namespace

std::string TextBox(int id, const std::string& name, const std::string& text, long x, long y,
                    long cx, long cy) {
  return "<p:sp><p:nvSpPr><p:cNvPr id=\"" + std::to_string(id) + "\" name=\"" + name +
         "\"/><p:cNvSpPr txBox=\"1\"/><p:nvPr/></p:nvSpPr><p:spPr><a:xfrm><a:off x=\"" +
         std::to_string(x) + "\" y=\"" + std::to_string(y) + "\"/><a:ext cx=\"" +
         std::to_string(cx) + "\" cy=\"" + std::to_string(cy) +
         "\"/></a:xfrm><a:prstGeom prst=\"rect\"><a:avLst/></a:prstGeom></p:spPr><p:txBody>"
         "<a:bodyPr/><a:lstStyle/><a:p><a:r><a:rPr lang=\"en-US\" sz=\"1400\" b=\"1\"/><a:t>" +
         text + "</a:t></a:r></a:p></p:txBody></p:sp>";
}

DeckLayout OneSlide(const std::string& shapes) {
  DeckLayout deck;
  deck.slides.emplace_back();
  deck.slides.back().shapes = shapes;
  return deck;
}

std::string BuildDeck(const DeckLayout& deck) {
  std::vector<std::pair<std::string, std::string>> parts;
  std::string overrides;
  std::string slide_ids;
  std::string slide_rels;
  for (size_t i = 0; i < deck.slides.size(); ++i) {
    std::string n = std::to_string(i + 1);
    overrides += "<Override PartName=\"/ppt/slides/slide" + n + ".xml\" ContentType=\"" + kCt +
                 "slide+xml\"/>";
    slide_ids += "<p:sldId id=\"" + std::to_string(256 + i) + "\" r:id=\"rId" +
                 std::to_string(10 + i) + "\"/>";
    slide_rels += Rel("rId" + std::to_string(10 + i), "slide", "slides/slide" + n + ".xml");
  }
  parts.push_back({"[Content_Types].xml",
                   std::string(kHeader) +
                       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                       "content-types\"><Default Extension=\"rels\" ContentType=\"application/"
                       "vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
                       "ContentType=\"application/xml\"/><Override PartName=\"/ppt/"
                       "presentation.xml\" ContentType=\"" +
                       kCt +
                       "presentation.main+xml\"/><Override PartName=\"/ppt/slideMasters/"
                       "slideMaster1.xml\" ContentType=\"" +
                       kCt +
                       "slideMaster+xml\"/><Override PartName=\"/ppt/slideLayouts/"
                       "slideLayout1.xml\" ContentType=\"" +
                       kCt +
                       "slideLayout+xml\"/><Override PartName=\"/ppt/theme/theme1.xml\" "
                       "ContentType=\"application/vnd.openxmlformats-officedocument.theme+xml\"/>"
                       "<Override PartName=\"/ppt/presProps.xml\" ContentType=\"" +
                       kCt + "presProps+xml\"/>" + overrides + deck.extra_content_types +
                       "</Types>"});
  parts.push_back({"_rels/.rels", Rels(Rel("rId1", "officeDocument", "ppt/presentation.xml"))});
  parts.push_back({"ppt/presentation.xml",
                   std::string(kHeader) + "<p:presentation " + kNs +
                       "><p:sldMasterIdLst><p:sldMasterId id=\"2147483648\" r:id=\"rId1\"/>"
                       "</p:sldMasterIdLst><p:sldIdLst>" +
                       slide_ids +
                       "</p:sldIdLst><p:sldSz cx=\"12192000\" cy=\"6858000\"/><p:notesSz "
                       "cx=\"6858000\" cy=\"9144000\"/>" +
                       deck.presentation_tail + "</p:presentation>"});
  parts.push_back(
      {"ppt/_rels/presentation.xml.rels",
       Rels(Rel("rId1", "slideMaster", "slideMasters/slideMaster1.xml") +
            Rel("rId2", "theme", "theme/theme1.xml") + Rel("rId3", "presProps", "presProps.xml") +
            slide_rels + deck.presentation_rels)});
  parts.push_back({"ppt/presProps.xml", std::string(kHeader) + "<p:presentationPr " + kNs + ">" +
                                            deck.show_properties + "</p:presentationPr>"});
  parts.push_back({"ppt/slideMasters/slideMaster1.xml",
                   std::string(kHeader) + "<p:sldMaster " + kNs + "><p:cSld><p:spTree>" + kTree +
                       "</p:spTree></p:cSld><p:clrMap bg1=\"lt1\" tx1=\"dk1\" bg2=\"lt2\" "
                       "tx2=\"dk2\" accent1=\"accent1\" accent2=\"accent2\" accent3=\"accent3\" "
                       "accent4=\"accent4\" accent5=\"accent5\" accent6=\"accent6\" "
                       "hlink=\"hlink\" folHlink=\"folHlink\"/><p:sldLayoutIdLst><p:sldLayoutId "
                       "id=\"2147483649\" r:id=\"rId1\"/></p:sldLayoutIdLst></p:sldMaster>"});
  parts.push_back({"ppt/slideMasters/_rels/slideMaster1.xml.rels",
                   Rels(Rel("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml") +
                        Rel("rId2", "theme", "../theme/theme1.xml"))});
  parts.push_back(
      {"ppt/slideLayouts/slideLayout1.xml",
       std::string(kHeader) + "<p:sldLayout " + kNs + " type=\"title\"><p:cSld><p:spTree>" + kTree +
           "<p:sp><p:nvSpPr><p:cNvPr id=\"2\" name=\"Title 1\"/><p:cNvSpPr/><p:nvPr><p:ph "
           "type=\"title\"/></p:nvPr></p:nvSpPr><p:spPr><a:xfrm><a:off x=\"838200\" "
           "y=\"365125\"/><a:ext cx=\"10515600\" cy=\"1325563\"/></a:xfrm></p:spPr></p:sp>"
           "</p:spTree></p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr></p:sldLayout>"});
  parts.push_back({"ppt/slideLayouts/_rels/slideLayout1.xml.rels",
                   Rels(Rel("rId1", "slideMaster", "../slideMasters/slideMaster1.xml"))});
  parts.push_back(
      {"ppt/theme/theme1.xml", std::string(kHeader) +
                                   "<a:theme xmlns:a=\"http://schemas.openxmlformats.org/drawingml/"
                                   "2006/main\" name=\"T\"><a:themeElements>" +
                                   deck.theme_elements + "</a:themeElements></a:theme>"});
  for (size_t i = 0; i < deck.slides.size(); ++i) {
    const SlideLayout& slide = deck.slides[i];
    std::string n = std::to_string(i + 1);
    std::string attributes = slide.root_attributes.empty() ? "" : " " + slide.root_attributes;
    parts.push_back({"ppt/slides/slide" + n + ".xml",
                     std::string(kHeader) + "<p:sld " + kNs + attributes + "><p:cSld><p:spTree>" +
                         kTree + slide.shapes + "</p:spTree>" + slide.after_tree +
                         "</p:cSld><p:clrMapOvr><a:masterClrMapping/></p:clrMapOvr>" + slide.tail +
                         "</p:sld>"});
    parts.push_back(
        {"ppt/slides/_rels/slide" + n + ".xml.rels",
         Rels(Rel("rId1", "slideLayout", "../slideLayouts/slideLayout1.xml") + slide.rels)});
  }
  for (const auto& part : deck.extra_parts) parts.push_back(part);
  return BuildZip(parts);
}

std::string ReadEntry(const std::string& package_path, const std::string& entry) {
  auto archive = ZipArchive::Open(package_path);
  return archive->Has(entry) ? archive->Read(entry) : std::string();
}

std::vector<std::string> EntryNames(const std::string& package_path) {
  return ZipArchive::Open(package_path)->Names();
}

std::string RawEntry(const std::string& package_path, const std::string& entry) {
  int error = 0;
  zip_t* archive = zip_open(package_path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return {};
  std::string out;
  zip_stat_t st;
  if (zip_stat(archive, entry.c_str(), 0, &st) == 0) {
    zip_file_t* file = zip_fopen_index(archive, st.index, ZIP_FL_COMPRESSED);
    out.resize(st.comp_size);
    if (file == nullptr ||
        zip_fread(file, out.data(), st.comp_size) != static_cast<zip_int64_t>(st.comp_size)) {
      out.clear();
    }
    if (file) zip_fclose(file);
    out += "/method=" + std::to_string(st.comp_method);
  }
  zip_discard(archive);
  return out;
}

}  // namespace vintrel::ooxml::testing
