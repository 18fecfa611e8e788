// Tags of a presentation, slide or shape, stored as PowerPoint stores them: the owner's
// p:custDataLst holds one p:tags whose relationship names a tag part (p:tagLst of p:tag
// name/val). Tag parts are never shared between owners.
#ifndef VINTREL_HOST_OOXML_PART_TAGS_H_
#define VINTREL_HOST_OOXML_PART_TAGS_H_

#include <functional>
#include <pugixml.hpp>
#include <string>

#include "host/ooxml/package.h"
#include "host/tags.h"

namespace vintrel::ooxml {

class PartTags : public host::Tags {
 public:
  // `find_list(create)` returns the owner's p:custDataLst, inserting it at its schema place
  // when `create` is set (else it may return an empty node). `owner_part` is the XML part that
  // holds the owner.
  PartTags(Package& package, std::string owner_part,
           std::function<pugi::xml_node(bool create)> find_list);

  int Count() const override;
  std::string Name(int index) const override;
  std::string Value(int index) const override;
  std::string Item(std::string_view name) const override;
  void Add(std::string_view name, std::string_view value) override;
  void Delete(std::string_view name) override;

 private:
  struct TagPart {
    std::string part;
    pugi::xml_node list;  // p:tagLst, or empty when the owner has no tag part yet
  };
  TagPart Locate(bool create) const;
  // Locate(false), remembered while the package's generation stays the same; its part (not its
  // nodes) while nothing in the package changed.
  const TagPart& Located() const;
  // Takes `where` as located now, after this object changed the tags in it.
  void Remember(const TagPart& where) const;
  pugi::xml_node TagList() const { return Located().list; }
  pugi::xml_node Find(std::string_view name) const;
  pugi::xml_node At(int index) const;

  Package& package_;
  std::string owner_part_;
  std::function<pugi::xml_node(bool)> find_list_;
  // The owner's tag reference and the part it was found to name.
  mutable std::string known_id_;
  mutable std::string known_part_;
  // The last answer of Locate(false) and the package generation it holds for: reading every tag
  // of a shape by index asks for it once per tag.
  mutable TagPart located_;
  mutable uint64_t located_generation_ = 0;
  // The package's change count when it was located.
  mutable uint64_t located_changes_ = 0;
  mutable bool located_known_ = false;
};

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PART_TAGS_H_
