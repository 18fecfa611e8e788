#include "host/ooxml/part_tags.h"

#include "host/common/ascii.h"
#include "host/common/text_encoding.h"
#include "host/error.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kTagsContentType[] =
    "application/vnd.openxmlformats-officedocument.presentationml.tags+xml";

}  // namespace

PartTags::PartTags(Package& package, std::string owner_part,
                   std::function<pugi::xml_node(bool create)> find_list)
    : package_(package), owner_part_(std::move(owner_part)), find_list_(std::move(find_list)) {}

const PartTags::TagPart& PartTags::Located() const {
  if (located_known_ && located_generation_ == package_.generation()) return located_;
  if (located_known_ && located_changes_ == package_.change_count()) {
    // Nothing in the package changed since, though parsed parts were dropped: the owner still
    // names the same tag part, which is parsed again if need be. The owner's own part (a slide
    // of a big deck) is not parsed again just to find that out.
    if (!located_.part.empty()) located_.list = package_.Xml(located_.part).document_element();
  } else {
    located_known_ = false;
    located_ = Locate(false);
    located_changes_ = package_.change_count();
  }
  // Locating may parse the tag part again, which may drop another: the generation after it is
  // the one the answer holds for.
  located_generation_ = package_.generation();
  located_known_ = true;
  return located_;
}

PartTags::TagPart PartTags::Locate(bool create) const {
  pugi::xml_node list = find_list_(false);
  if (list) {
    if (pugi::xml_node tags = list.child("p:tags")) {
      std::string id = tags.attribute("r:id").value();
      // Every read of a tag comes here: the part found for the reference is remembered.
      if (id == known_id_) {
        if (pugi::xml_document* parsed = package_.ParsedXml(known_part_)) {
          return {known_part_, parsed->document_element()};
        }
        if (package_.Has(known_part_)) {
          return {known_part_, package_.Xml(known_part_).document_element()};
        }
      }
      if (auto rel = package_.Rel(owner_part_, id); rel && !rel->external) {
        std::string part = Package::ResolveTarget(owner_part_, rel->target);
        if (package_.Has(part)) {
          known_id_ = id;
          known_part_ = part;
          return {part, package_.Xml(part).document_element()};
        }
      }
      if (!create) return {};
      // A dangling reference: drop it and start a fresh part below.
      list.remove_child(tags);
      package_.Touch(owner_part_);
    }
  }
  if (!create) return {};
  std::string part = package_.FreePartName("ppt/tags/", "tag", ".xml");
  std::string text = std::string(kXmlDeclaration) + "<p:tagLst xmlns:a=\"" + kNsA +
                     "\" xmlns:r=\"" + kNsR + "\" xmlns:p=\"" + kNsP + "\"/>";
  pugi::xml_document& doc = package_.CreateXml(part, text, kTagsContentType);
  std::string id = package_.AddRel(owner_part_, std::string(kRelPrefix) + "tags",
                                   Package::RelativeTarget(owner_part_, part), false);
  list = find_list_(true);
  // CT_CustomerDataList: custData elements, then at most one p:tags.
  list.append_child("p:tags").append_attribute("r:id") = id.c_str();
  package_.Touch(owner_part_);
  return {part, doc.document_element()};
}

void PartTags::Remember(const TagPart& where) const {
  // Only the tag part changed (or was made for the owner just now): the next read needs not
  // find it again. Deleting every tag of every shape, one at a time, reads them in between.
  located_ = where;
  located_generation_ = package_.generation();
  located_changes_ = package_.change_count();
  located_known_ = true;
}

pugi::xml_node PartTags::Find(std::string_view name) const {
  pugi::xml_node list = TagList();
  std::string wanted = UpperAscii(name);
  for (pugi::xml_node tag : list.children("p:tag")) {
    if (UpperAscii(tag.attribute("name").value()) == wanted) return tag;
  }
  return {};
}

pugi::xml_node PartTags::At(int index) const {
  int i = 0;
  for (pugi::xml_node tag : TagList().children("p:tag")) {
    if (++i == index) return tag;
  }
  throw Error(kErrInvalidArgument, "vintrel.ooxml",
              "Tags: index " + std::to_string(index) + " is out of range (1 to " +
                  std::to_string(Count()) + ")");
}

int PartTags::Count() const {
  int count = 0;
  for (pugi::xml_node tag : TagList().children("p:tag")) {
    (void)tag;
    ++count;
  }
  return count;
}

std::string PartTags::Name(int index) const {
  return UpperAscii(At(index).attribute("name").value());
}

std::string PartTags::Value(int index) const {
  return At(index).attribute("val").value();
}

std::string PartTags::Item(std::string_view name) const {
  return Find(name).attribute("val").value();
}

void PartTags::Add(std::string_view name, std::string_view value) {
  if (name.empty()) {
    throw Error(kErrInvalidArgument, "vintrel.ooxml", "Tags.Add: a tag needs a name");
  }
  std::string upper = host::XmlText(UpperAscii(name));
  std::string clean = host::XmlText(value);
  TagPart where = Locate(true);
  pugi::xml_node tag = Find(upper);
  if (!tag) {
    tag = where.list.append_child("p:tag");
    tag.append_attribute("name");
    tag.append_attribute("val");
  }
  tag.attribute("name").set_value(upper.c_str());
  tag.attribute("val").set_value(clean.c_str());
  package_.Touch(where.part);
  Remember(where);
}

void PartTags::Delete(std::string_view name) {
  pugi::xml_node tag = Find(name);
  if (!tag) return;
  TagPart where = Located();
  where.list.remove_child(tag);
  package_.Touch(where.part);
  if (where.list.child("p:tag")) {
    Remember(where);
    return;
  }
  // The last tag went: the owner keeps no empty tag part (an off-line copy would otherwise
  // carry one for every shape that had tags).
  pugi::xml_node list = find_list_(false);
  pugi::xml_node reference = list.child("p:tags");
  const std::string id = reference.attribute("r:id").value();
  package_.RemovePart(where.part);
  package_.RemoveRel(owner_part_, id);
  known_id_.clear();
  known_part_.clear();
  list.remove_child(reference);
  if (!list.first_child()) list.parent().remove_child(list);
  package_.Touch(owner_part_);
}

}  // namespace vintrel::ooxml
