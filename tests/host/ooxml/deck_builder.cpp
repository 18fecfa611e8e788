#include "host/ooxml/deck_builder.h"

#include <zip.h>

#include <map>
#include <pugixml.hpp>
#include <set>

#include "host/ooxml/package.h"
#include "host/ooxml/xml_util.h"
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
                                   "2006/main\" name=\"T\"><a:themeElements/></a:theme>"});
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

std::vector<std::string> PackageProblems(const std::string& package_path) {
  std::vector<std::string> problems;
  std::vector<std::string> names = EntryNames(package_path);
  std::set<std::string> parts;
  for (const std::string& name : names) parts.insert(LowerAscii(name));
  auto load = [&](const std::string& name, pugi::xml_document& doc) {
    std::string why = ParseXml(doc, ReadEntry(package_path, name));
    if (!why.empty()) problems.push_back(name + ": " + why);
    return why.empty();
  };
  pugi::xml_document types;
  if (!load("[Content_Types].xml", types)) return problems;
  std::set<std::string> defaults, overrides;
  for (pugi::xml_node d : types.document_element().children("Default")) {
    defaults.insert(LowerAscii(d.attribute("Extension").value()));
  }
  for (pugi::xml_node o : types.document_element().children("Override")) {
    std::string part = LowerAscii(std::string(o.attribute("PartName").value()).substr(1));
    overrides.insert(part);
    if (!parts.count(part)) problems.push_back("override for missing part " + part);
  }
  for (const std::string& name : names) {
    if (name == "[Content_Types].xml" || name.back() == '/') continue;
    size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? "" : LowerAscii(name.substr(dot + 1));
    if (!overrides.count(LowerAscii(name)) && !defaults.count(extension)) {
      problems.push_back("no content type for " + name);
    }
  }
  for (const std::string& name : names) {
    if (name.size() < 5 || name.substr(name.size() - 5) != ".rels") continue;
    size_t marker = name.rfind("_rels/");
    std::string source =
        name.substr(0, marker) + name.substr(marker + 6, name.size() - marker - 6 - 5);
    if (!source.empty() && !parts.count(LowerAscii(source))) {
      problems.push_back("relationships of missing part " + source);
      continue;
    }
    pugi::xml_document rels;
    if (!load(name, rels)) continue;
    std::set<std::string> ids;
    for (pugi::xml_node rel : rels.document_element().children("Relationship")) {
      std::string id = rel.attribute("Id").value();
      if (!ids.insert(id).second) problems.push_back(name + ": duplicate id " + id);
      if (std::string(rel.attribute("TargetMode").value()) == "External") continue;
      std::string target = Package::ResolveTarget(source, rel.attribute("Target").value());
      if (!parts.count(LowerAscii(target))) {
        problems.push_back(name + ": " + id + " names missing part " + target);
      }
    }
    std::string lower = LowerAscii(source);
    if (source.empty() || lower.size() < 4 || lower.substr(lower.size() - 4) != ".xml") continue;
    pugi::xml_document doc;
    if (!load(source, doc)) continue;
    doc.document_element().find_node([&](pugi::xml_node n) {
      for (pugi::xml_attribute a : n.attributes()) {
        std::string attribute = a.name();
        if ((attribute == "r:id" || attribute == "r:embed" || attribute == "r:link" ||
             attribute == "r:pict") &&
            *a.value() != '\0' && !ids.count(a.value())) {
          problems.push_back(source + ": " + attribute + "=\"" + a.value() +
                             "\" has no relationship");
        }
      }
      return false;
    });
  }
  for (const std::string& name : names) {
    if (name.rfind("ppt/slides/slide", 0) != 0 || name.find("_rels") != std::string::npos) continue;
    pugi::xml_document slide;
    if (!load(name, slide)) continue;
    std::set<std::string> shape_ids;
    slide.document_element().child("p:cSld").child("p:spTree").find_node([&](pugi::xml_node n) {
      bool in_fallback = false;  // the fallback repeats the chosen branch's ids
      for (pugi::xml_node up = n.parent(); up; up = up.parent()) {
        in_fallback = in_fallback || std::string(up.name()) == "mc:Fallback";
      }
      if (std::string(n.name()) == "p:cNvPr" && !in_fallback &&
          !shape_ids.insert(n.attribute("id").value()).second) {
        problems.push_back(name + ": duplicate shape id " + n.attribute("id").value());
      }
      return false;
    });
  }
  pugi::xml_document presentation;
  if (load("ppt/presentation.xml", presentation)) {
    std::set<unsigned long long> slide_ids;
    for (pugi::xml_node id :
         presentation.document_element().child("p:sldIdLst").children("p:sldId")) {
      unsigned long long value = id.attribute("id").as_ullong();
      if (value < 256 || value >= 2147483648ull || !slide_ids.insert(value).second) {
        problems.push_back("bad or duplicate slide id " + std::to_string(value));
      }
    }
  }
  return problems;
}

}  // namespace vintrel::ooxml::testing
