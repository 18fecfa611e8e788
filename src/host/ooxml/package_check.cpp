#include "host/ooxml/package_check.h"

#include <pugixml.hpp>
#include <set>

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/ooxml/package.h"
#include "host/ooxml/xml_util.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml {

namespace {

// Checks one package, gathering a line for every problem found.
class PackageChecker {
 public:
  explicit PackageChecker(std::unique_ptr<ZipArchive> archive)
      : archive_(std::move(archive)), names_(archive_->Names()) {
    for (const std::string& name : names_) parts_.insert(LowerAscii(name));
  }

  std::vector<std::string> Problems() {
    if (CheckContentTypes()) {
      for (const std::string& name : names_) CheckRelationships(name);
      for (const std::string& name : names_) CheckShapeIds(name);
      CheckSlideIds();
    }
    return problems_;
  }

 private:
  // Parses the part `name`; false, with the problem noted, when it is missing or no XML.
  bool Load(const std::string& name, pugi::xml_document& doc) {
    std::string why = archive_->Has(name) ? ParseXml(doc, archive_->Read(name)) : "missing";
    if (!why.empty()) problems_.push_back(name + ": " + why);
    return why.empty();
  }

  // Every part has a content type, every override a part; false when there is no list at all.
  bool CheckContentTypes() {
    pugi::xml_document types;
    if (!Load("[Content_Types].xml", types)) return false;
    std::set<std::string> defaults, overrides;
    for (pugi::xml_node d : types.document_element().children("Default")) {
      defaults.insert(LowerAscii(d.attribute("Extension").value()));
    }
    for (pugi::xml_node o : types.document_element().children("Override")) {
      std::string part = LowerAscii(o.attribute("PartName").value());
      if (!part.empty() && part.front() == '/') part.erase(0, 1);
      overrides.insert(part);
      if (!parts_.count(part)) problems_.push_back("override for missing part " + part);
    }
    for (const std::string& name : names_) {
      if (name == "[Content_Types].xml" || name.back() == '/') continue;
      size_t dot = name.rfind('.');
      std::string extension = dot == std::string::npos ? "" : LowerAscii(name.substr(dot + 1));
      if (!overrides.count(LowerAscii(name)) && !defaults.count(extension)) {
        problems_.push_back("no content type for " + name);
      }
    }
    return true;
  }

  // A relationships part `name`: its source exists, its ids are unique, its targets exist, and
  // every reference of the source names one of its ids.
  void CheckRelationships(const std::string& name) {
    if (name.size() < 5 || name.substr(name.size() - 5) != ".rels") return;
    size_t marker = name.rfind("_rels/");
    // Relationships live in a _rels folder; a .rels file anywhere else is an ordinary part.
    if (marker == std::string::npos || (marker != 0 && name[marker - 1] != '/')) return;
    std::string source =
        name.substr(0, marker) + name.substr(marker + 6, name.size() - marker - 6 - 5);
    if (!source.empty() && !parts_.count(LowerAscii(source))) {
      problems_.push_back("relationships of missing part " + source);
      return;
    }
    pugi::xml_document rels;
    if (!Load(name, rels)) return;
    std::set<std::string> ids;
    for (pugi::xml_node rel : rels.document_element().children("Relationship")) {
      std::string id = rel.attribute("Id").value();
      if (!ids.insert(id).second) problems_.push_back(name + ": duplicate id " + id);
      if (std::string(rel.attribute("TargetMode").value()) == "External") continue;
      std::string target = Package::ResolveTarget(source, rel.attribute("Target").value());
      if (!parts_.count(LowerAscii(target))) {
        problems_.push_back(name + ": " + id + " names missing part " + target);
      }
    }
    std::string lower = LowerAscii(source);
    if (source.empty() || lower.size() < 4 || lower.substr(lower.size() - 4) != ".xml") return;
    CheckReferences(source, ids);
  }

  void CheckReferences(const std::string& source, const std::set<std::string>& ids) {
    pugi::xml_document doc;
    if (!Load(source, doc)) return;
    doc.document_element().find_node([&](pugi::xml_node n) {
      for (pugi::xml_attribute a : n.attributes()) {
        std::string attribute = a.name();
        if ((attribute == "r:id" || attribute == "r:embed" || attribute == "r:link" ||
             attribute == "r:pict") &&
            *a.value() != '\0' && !ids.count(a.value())) {
          problems_.push_back(source + ": " + attribute + "=\"" + a.value() +
                              "\" has no relationship");
        }
      }
      return false;
    });
  }

  // The shapes of a slide have unique ids.
  void CheckShapeIds(const std::string& name) {
    if (name.rfind("ppt/slides/slide", 0) != 0 || name.find("_rels") != std::string::npos) return;
    pugi::xml_document slide;
    if (!Load(name, slide)) return;
    std::set<std::string> shape_ids;
    slide.document_element().child("p:cSld").child("p:spTree").find_node([&](pugi::xml_node n) {
      bool in_fallback = false;  // the fallback repeats the chosen branch's ids
      for (pugi::xml_node up = n.parent(); up; up = up.parent()) {
        in_fallback = in_fallback || std::string(up.name()) == "mc:Fallback";
      }
      if (std::string(n.name()) == "p:cNvPr" && !in_fallback &&
          !shape_ids.insert(n.attribute("id").value()).second) {
        problems_.push_back(name + ": duplicate shape id " + n.attribute("id").value());
      }
      return false;
    });
  }

  // The slide list's ids are unique and in their range.
  void CheckSlideIds() {
    pugi::xml_document presentation;
    if (!Load("ppt/presentation.xml", presentation)) return;
    std::set<unsigned long long> slide_ids;
    for (pugi::xml_node id :
         presentation.document_element().child("p:sldIdLst").children("p:sldId")) {
      unsigned long long value = id.attribute("id").as_ullong();
      if (value < 256 || value >= 2147483648ull || !slide_ids.insert(value).second) {
        problems_.push_back("bad or duplicate slide id " + std::to_string(value));
      }
    }
  }

  std::unique_ptr<ZipArchive> archive_;
  std::vector<std::string> names_;
  std::set<std::string> parts_;  // the names in lower case
  std::vector<std::string> problems_;
};

}  // namespace

std::vector<std::string> PackageProblems(const std::string& package_path) {
  std::unique_ptr<ZipArchive> archive;
  try {
    archive = ZipArchive::Open(package_path);
  } catch (const Error& error) {
    return {error.description()};
  }
  return PackageChecker(std::move(archive)).Problems();
}

}  // namespace vintrel::ooxml
