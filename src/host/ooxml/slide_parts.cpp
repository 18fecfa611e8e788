#include "host/ooxml/slide_parts.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "host/common/ascii.h"
#include "host/error.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr uint64_t kFirstSlideId = 256;
constexpr uint64_t kSlideIdLimit = 2147483648ull;  // ids stay below 2^31

std::string BaseName(const std::string& part) {
  size_t slash = part.rfind('/');
  return slash == std::string::npos ? part : part.substr(slash + 1);
}

// "ppt/slides/_rels/slide3.xml.rels" -> "ppt/slides/slide3.xml" ("" for the package rels).
std::string SourceOfRels(const std::string& rels) {
  size_t marker = rels.rfind("_rels/");
  if (marker == std::string::npos || rels.size() < 5) return {};
  std::string file = rels.substr(marker + 6, rels.size() - marker - 6 - 5);
  return rels.substr(0, marker) + file;
}

// Copies `from` to `to` with the parts it owns; `copies` maps original parts (lower case) to
// their copies so that links between copied parts (notes -> slide) follow. Work is queued, not
// recursed, so a long chain of parts in a hostile file cannot exhaust the stack.
void CopyOwned(Package& package, const std::string& from, const std::string& to,
               std::map<std::string, std::string>& copies) {
  package.CopyPart(from, to);
  std::deque<std::pair<std::string, std::string>> pending{{from, to}};
  while (!pending.empty()) {
    auto [source, copy] = pending.front();
    pending.pop_front();
    if (package.Rels(source).empty()) continue;
    pugi::xml_document& doc = package.CreateXml(Package::RelsPartOf(copy),
                                                package.ReadBytes(Package::RelsPartOf(source)), "");
    for (pugi::xml_node node : doc.document_element().children("Relationship")) {
      if (std::string(node.attribute("TargetMode").value()) == "External") continue;
      Relationship rel{node.attribute("Id").value(), node.attribute("Type").value(),
                       node.attribute("Target").value(), false};
      std::string target = Package::ResolveTarget(source, rel.target);
      std::string key = LowerAscii(target);
      std::string new_target = target;
      if (auto it = copies.find(key); it != copies.end()) {
        new_target = it->second;
      } else if (IsOwnedKind(rel.Kind()) && package.Has(target)) {
        // Copied at once, so the next free name is really free.
        new_target = FreeNameLike(package, target);
        copies[key] = new_target;
        package.CopyPart(target, new_target);
        pending.emplace_back(target, new_target);
      }
      node.attribute("Target").set_value(Package::RelativeTarget(copy, new_target).c_str());
    }
  }
}

// The parts `part` owns, transitively, leaving out those in `keep`.
void CollectOwned(Package& package, const std::string& part, const std::set<std::string>& keep,
                  std::set<std::string>& out) {
  std::vector<std::string> pending{part};
  while (!pending.empty()) {
    std::string source = std::move(pending.back());
    pending.pop_back();
    for (const Relationship& rel : package.Rels(source)) {
      if (rel.external || !IsOwnedKind(rel.Kind())) continue;
      std::string target = Package::ResolveTarget(source, rel.target);
      std::string key = LowerAscii(target);
      if (keep.count(key) || out.count(key) || !package.Has(target)) continue;
      out.insert(key);
      pending.push_back(target);
    }
  }
}

// Removes every element of `node`'s subtree with an r:id (or r:embed / r:link) of `id`. The
// walk is iterative: a hostile file may nest elements deeper than the stack allows.
void RemoveReferencesTo(pugi::xml_node node, const std::string& id) {
  std::vector<pugi::xml_node> users;
  node.find_node([&](pugi::xml_node n) {
    for (pugi::xml_attribute a : n.attributes()) {
      std::string_view name = a.name();
      if ((name == "r:id" || name == "r:embed" || name == "r:link") && id == a.value()) {
        users.push_back(n);
        break;
      }
    }
    return false;
  });
  // Inner users go first, so no node is removed after its ancestor was.
  for (auto it = users.rbegin(); it != users.rend(); ++it) it->parent().remove_child(*it);
}

std::string SlideRelId(Package& package, const std::string& slide) {
  const std::string& main = package.main_part();
  // The target as this package writes it, matched without building the list of thousands of
  // relationships a long presentation has.
  const std::string written = Package::RelativeTarget(main, slide);
  for (pugi::xml_node node :
       package.Xml(Package::RelsPartOf(main)).document_element().children("Relationship")) {
    if (written == node.attribute("Target").value() &&
        std::string_view(node.attribute("TargetMode").value()) != "External") {
      return node.attribute("Id").value();
    }
  }
  for (const Relationship& rel : package.Rels(main)) {
    if (!rel.external && rel.Kind() == "slide" &&
        LowerAscii(Package::ResolveTarget(main, rel.target)) == LowerAscii(slide)) {
      return rel.id;
    }
  }
  package.Fail("slide part \"" + slide + "\" is not in the presentation");
}

uint32_t RandomId() {
  static std::mt19937 engine{std::random_device{}()};
  return std::uniform_int_distribution<uint32_t>(1, 0x7FFFFFFF)(engine);
}

pugi::xml_node SectionList(pugi::xml_node presentation) {
  for (pugi::xml_node ext : presentation.child("p:extLst").children("p:ext")) {
    if (pugi::xml_node list = ext.child("p14:sectionLst")) return list;
  }
  return {};
}

}  // namespace

int CountReferences(Package& package, const std::string& part) {
  std::string wanted = LowerAscii(part);
  std::string wanted_name = BaseName(wanted);
  int count = 0;
  for (const std::string& name : package.PartNames()) {
    if (!EndsWithNoCase(name, ".rels")) continue;
    std::string source = SourceOfRels(name);
    for (const Relationship& rel : package.Rels(source)) {
      if (rel.external || LowerAscii(BaseName(rel.target)) != wanted_name) continue;
      count += LowerAscii(Package::ResolveTarget(source, rel.target)) == wanted;
    }
  }
  return count;
}

bool IsOwnedKind(const std::string& kind) {
  static const std::set<std::string> kOwned = {
      "notesSlide",    "chart",           "tags",        "oleObject",       "package",
      "vmlDrawing",    "chartUserShapes", "diagramData", "diagramLayout",   "diagramQuickStyle",
      "diagramColors", "diagramDrawing",  "chartStyle",  "chartColorStyle", "themeOverride",
      "comments",      "control",         "ctrlProp",    "drawing"};
  return kOwned.count(kind) != 0;
}

std::string FreeNameLike(const Package& package, const std::string& part) {
  size_t slash = part.rfind('/');
  std::string folder = slash == std::string::npos ? "" : part.substr(0, slash + 1);
  std::string file = part.substr(folder.size());
  size_t dot = file.rfind('.');
  std::string extension = dot == std::string::npos ? "" : file.substr(dot);
  std::string stem = file.substr(0, file.size() - extension.size());
  while (!stem.empty() && stem.back() >= '0' && stem.back() <= '9') stem.pop_back();
  return package.FreePartName(folder, stem, extension);
}

std::string DuplicateSlidePart(Package& package, const std::string& slide) {
  const std::string& main = package.main_part();
  std::string original_rel = SlideRelId(package, slide);
  std::string copy = FreeNameLike(package, slide);
  std::map<std::string, std::string> copies{{LowerAscii(slide), copy}};
  CopyOwned(package, slide, copy, copies);

  // Fresh creation ids for the slide and its shapes: copies that share them have been reported
  // to confuse the host.
  pugi::xml_document& doc = package.Xml(copy);
  for (pugi::xml_node ext : doc.document_element().child("p:cSld").child("p:extLst").children()) {
    if (pugi::xml_node id = ext.child("p14:creationId")) id.attribute("val").set_value(RandomId());
  }
  doc.document_element().find_node([](pugi::xml_node n) {
    if (std::string_view(n.name()) == "a16:creationId") {
      char guid[40];
      std::snprintf(guid, sizeof guid, "{%08X-%04X-%04X-%04X-%04X%08X}", RandomId(),
                    RandomId() & 0xFFFF, RandomId() & 0xFFFF, RandomId() & 0xFFFF,
                    RandomId() & 0xFFFF, RandomId());
      n.attribute("id").set_value(guid);
    }
    return false;
  });
  package.Touch(copy);

  std::string rel_id = package.AddRel(main, std::string(kRelPrefix) + "slide",
                                      Package::RelativeTarget(main, copy), false);
  pugi::xml_node presentation = package.Xml(main).document_element();
  pugi::xml_node list = presentation.child("p:sldIdLst");
  // The highest slide id is remembered while the presentation part stays parsed (only this
  // function adds slide ids), so duplicating thousands of times does not read the whole list
  // each time.
  static uint64_t known_serial = 0;
  static uint64_t highest = 0;
  const uint64_t serial = package.ParseSerial(main);
  const bool known = known_serial == serial;
  if (!known) highest = 0;
  pugi::xml_node original;
  for (pugi::xml_node id : list.children("p:sldId")) {
    if (!known) highest = std::max<uint64_t>(highest, id.attribute("id").as_ullong());
    if (original_rel == id.attribute("r:id").value()) {
      original = id;
      if (known) break;
    }
  }
  known_serial = serial;
  uint64_t new_id = highest > 0 ? highest + 1 : kFirstSlideId;
  if (new_id < kFirstSlideId || new_id >= kSlideIdLimit) {
    std::set<uint64_t> used;
    for (pugi::xml_node id : list.children("p:sldId")) used.insert(id.attribute("id").as_ullong());
    for (new_id = kFirstSlideId; used.count(new_id); ++new_id) {
    }
  }
  highest = new_id;
  pugi::xml_node entry =
      original ? list.insert_child_after("p:sldId", original) : list.append_child("p:sldId");
  entry.append_attribute("id") = static_cast<unsigned long long>(new_id);
  entry.append_attribute("r:id") = rel_id.c_str();
  if (original) {
    std::string original_id = original.attribute("id").value();
    for (pugi::xml_node section : SectionList(presentation).children("p14:section")) {
      for (pugi::xml_node id : section.child("p14:sldIdLst").children("p14:sldId")) {
        if (original_id != id.attribute("id").value()) continue;
        section.child("p14:sldIdLst").insert_child_after("p14:sldId", id).append_attribute("id") =
            static_cast<unsigned long long>(new_id);
        break;
      }
    }
  }
  package.Touch(main);
  return copy;
}

void DeleteSlidePart(Package& package, const std::string& slide) {
  const std::string& main = package.main_part();
  std::string rel_id = SlideRelId(package, slide);
  pugi::xml_node presentation = package.Xml(main).document_element();
  std::string slide_id;
  for (pugi::xml_node id : presentation.child("p:sldIdLst").children("p:sldId")) {
    if (rel_id == id.attribute("r:id").value()) {
      slide_id = id.attribute("id").value();
      presentation.child("p:sldIdLst").remove_child(id);
      break;
    }
  }
  for (pugi::xml_node show : presentation.child("p:custShowLst").children("p:custShow")) {
    RemoveReferencesTo(show.child("p:sldLst"), rel_id);
  }
  for (pugi::xml_node section : SectionList(presentation).children("p14:section")) {
    pugi::xml_node ids = section.child("p14:sldIdLst");
    for (pugi::xml_node id = ids.child("p14:sldId"); id;) {
      pugi::xml_node next = id.next_sibling("p14:sldId");
      if (slide_id == id.attribute("id").value()) ids.remove_child(id);
      id = next;
    }
  }
  package.RemoveRel(main, rel_id);
  package.Touch(main);

  // What the slide owns, less what other parts also use.
  std::set<std::string> owned;
  CollectOwned(package, slide, {}, owned);
  std::set<std::string> doomed = owned;
  doomed.insert(LowerAscii(slide));
  std::set<std::string> names{LowerAscii(BaseName(slide))};
  for (const std::string& part : owned) names.insert(BaseName(part));
  std::set<std::string> shared;
  for (const std::string& name : package.PartNames()) {
    if (!EndsWithNoCase(name, ".rels")) continue;
    std::string source = SourceOfRels(name);
    if (doomed.count(LowerAscii(source)) || LowerAscii(source) == LowerAscii(main)) continue;
    // Relationships parts stay parsed, so deleting many slides reads each one once.
    for (const Relationship& rel : package.Rels(source)) {
      if (rel.external || !names.count(LowerAscii(BaseName(rel.target)))) continue;
      std::string target = LowerAscii(Package::ResolveTarget(source, rel.target));
      if (target == LowerAscii(slide)) {
        // A hyperlink (or diagram reference) to the slide that goes away.
        package.RemoveRel(source, rel.id);
        if (package.Has(source)) {
          RemoveReferencesTo(package.Xml(source).document_element(), rel.id);
          package.Touch(source);
        }
      } else if (owned.count(target)) {
        shared.insert(target);
      }
    }
  }
  std::set<std::string> removable;
  CollectOwned(package, slide, shared, removable);
  for (const std::string& part : removable) package.RemovePart(part);
  package.RemovePart(slide);
}

void DropUnusedRelationships(Package& package, const std::string& part,
                             const std::set<std::string>& ids) {
  std::set<std::string> used;
  package.Xml(part).document_element().find_node([&used](pugi::xml_node n) {
    for (pugi::xml_attribute a : n.attributes()) {
      if (std::string_view(a.name()).rfind("r:", 0) == 0) used.insert(a.value());
    }
    return false;
  });
  std::set<std::string> roots;
  for (const std::string& id : ids) {
    std::optional<Relationship> rel = package.Rel(part, id);
    if (used.count(id) || !rel) continue;
    package.RemoveRel(part, id);
    std::string target = Package::ResolveTarget(part, rel->target);
    if (!rel->external && IsOwnedKind(rel->Kind()) && package.Has(target)) {
      roots.insert(LowerAscii(target));
    }
  }
  if (roots.empty()) return;
  // A part another relationship still names stays, with what it owns.
  std::set<std::string> closure = roots;
  for (const std::string& root : roots) CollectOwned(package, root, {}, closure);
  std::set<std::string> kept;
  std::set<std::string> root_names;
  for (const std::string& root : roots) root_names.insert(BaseName(root));
  for (const std::string& name : package.PartNames()) {
    if (!EndsWithNoCase(name, ".rels") || closure.count(LowerAscii(SourceOfRels(name)))) continue;
    std::string source = SourceOfRels(name);
    for (const Relationship& rel : package.Rels(source)) {
      if (rel.external || !root_names.count(LowerAscii(BaseName(rel.target)))) continue;
      std::string target = LowerAscii(Package::ResolveTarget(source, rel.target));
      if (!rel.external && roots.count(target)) kept.insert(target);
    }
  }
  for (const std::string& root : roots) {
    if (kept.count(root)) continue;
    std::set<std::string> owned;
    CollectOwned(package, root, kept, owned);
    for (const std::string& owned_part : owned) package.RemovePart(owned_part);
    package.RemovePart(root);
  }
}

}  // namespace vintrel::ooxml
