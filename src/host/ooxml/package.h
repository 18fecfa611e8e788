// One open package: its parts (through ZipArchive), the XML parts parsed so far, their
// relationships and the content types. Parts are named as in the archive, without the leading
// slash ("ppt/slides/slide1.xml"), and compared without case.
#ifndef VINTREL_HOST_OOXML_PACKAGE_H_
#define VINTREL_HOST_OOXML_PACKAGE_H_

#include <deque>
#include <memory>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/common/no_case_map.h"
#include "host/ooxml/zip_archive.h"

namespace vintrel::ooxml {

struct Relationship {
  std::string id;
  std::string type;
  std::string target;  // as written
  bool external = false;
  // The last segment of the type ("slide", "tags", "image", "media" ...).
  std::string Kind() const;
};

class Package {
 public:
  // Opens a presentation package and checks the parts every presentation must have. Raises
  // vintrel::Error naming the file and the problem.
  static std::unique_ptr<Package> Open(const std::string& path, const ZipLimits& limits = {});

  const std::string& path() const { return zip_->path(); }
  // The presentation part named by the package relationships.
  const std::string& main_part() const { return main_part_; }

  bool Has(const std::string& part) const { return zip_->Has(part); }
  std::vector<std::string> PartNames() const { return zip_->Names(); }
  // Raw bytes of a part as it would be saved now.
  std::string ReadBytes(const std::string& part);
  void WriteBytes(const std::string& part, std::string data);
  // The parsed XML of a part, loaded once; raises Error for a missing or malformed part.
  pugi::xml_document& Xml(const std::string& part);
  bool IsLoaded(const std::string& part) const;
  // The parsed XML of a part when it is parsed now, else null (a part parsed is always there).
  pugi::xml_document* ParsedXml(const std::string& part);
  // A number that changes whenever the part is parsed anew (never repeated, in any package), so
  // a caller may keep what it learned from the parsed part while the number stays the same.
  uint64_t ParseSerial(const std::string& part);
  // Marks a parsed part as changed so it is written when saved.
  void Touch(const std::string& part);
  // A new XML part from text (replacing any part of that name).
  pugi::xml_document& CreateXml(const std::string& part, const std::string& text,
                                const std::string& content_type);
  // Removes the part, its relationships part and its content type override.
  void RemovePart(const std::string& part);
  // Copies a part under a new name (compressed bytes as they are when untouched), with its
  // content type override.
  void CopyPart(const std::string& from, const std::string& to);

  // Relationships of a part (empty when it has none).
  static std::string RelsPartOf(const std::string& part);
  std::vector<Relationship> Rels(const std::string& part);
  std::optional<Relationship> Rel(const std::string& part, const std::string& id);
  // Adds a relationship with an id unused in the part; returns the id.
  std::string AddRel(const std::string& part, const std::string& type, const std::string& target,
                     bool external);
  void RemoveRel(const std::string& part, const std::string& id);
  void SetRelTarget(const std::string& part, const std::string& id, const std::string& target,
                    bool external);
  // The part an internal target of `source` names.
  static std::string ResolveTarget(const std::string& source, const std::string& target);
  // The target text that names `part` from `source` ("../media/image1.png").
  static std::string RelativeTarget(const std::string& source, const std::string& part);

  // The XML parts left unparsed at open because the program never reads them (custom XML, web
  // extensions, parts of unknown content type): saved and copied as they are.
  const std::vector<std::string>& unread_parts() const { return unread_parts_; }

  std::string ContentType(const std::string& part);
  void SetOverride(const std::string& part, const std::string& content_type);
  void EnsureDefault(const std::string& extension, const std::string& content_type);

  // An unused part name `folder` + `stem` + N + `extension`, N from 1.
  std::string FreePartName(const std::string& folder, const std::string& stem,
                           const std::string& extension) const;

  // Writes every changed part and saves the package to `target` atomically.
  void SaveAs(const std::string& target);
  // The same for a copy: the package stays as it was, changed parts still changed, and the text
  // written for a parsed part is not kept beside it (for a big deck, megabytes kept for nothing
  // while the presentation stays open).
  void SaveCopyAs(const std::string& target);

  [[noreturn]] void Fail(const std::string& problem) const;

  // Counts changes made through this object; the presentation compares it to tell whether it
  // has unsaved changes.
  uint64_t change_count() const { return changes_; }
  // The change count just after the part's latest change; 0 when it has not changed since the
  // package was opened. What was made from a part stays good while this stays the same.
  uint64_t ChangedAt(const std::string& part) const;
  // Moves on with every change and every parsed part that is dropped: nodes taken from parsed
  // parts, and what was read from them, stay good while it stays the same.
  uint64_t generation() const { return changes_ + drops_; }
  // Moves on whenever a parsed slide or notes page goes (see `Windowed`): nodes taken from one
  // stay good while it stays the same, and its parse serial tells whether they still are.
  uint64_t slide_drops() const { return slide_drops_; }
  // How many slides and notes pages stay parsed at most (at least one).
  void set_parsed_slides_kept(size_t count);

 private:
  struct XmlPart {
    pugi::xml_document doc;
    bool dirty = false;
    uint64_t serial = 0;
    uint64_t last_use = 0;
  };
  Package() = default;
  // Counts a change of `part`.
  void Changed(const std::string& part);
  // Writes every changed parsed part into the archive; returns their (lower-case) names.
  std::vector<std::string> Flush();
  // Tag parts and relationship parts: a big presentation has thousands of them (one per shape
  // with tags, one per slide), and only this class and the tag collections reach into them, one
  // at a time. So they are checked at opening without being kept, and only the latest few stay
  // parsed: an older one is written back when changed, then dropped, and parsed again when used.
  static bool Transient(const std::string& key, const std::string& text);
  void KeepTransient(const std::string& key);
  // Slides and notes pages: a parsed one takes a 32 KiB page of memory or more, so a deck of
  // thousands would hold hundreds of megabytes, twice over while an off-line copy is made. Only
  // the latest used stay parsed; an older one is written back when changed, then dropped, and
  // parsed again when used. Shape objects find their nodes again by position.
  static bool Windowed(const std::string& key);
  // Drops the least recently used parsed slides until `room` more fit, never `keep`.
  void MakeRoomForSlides(size_t room, const std::string& keep);
  // Adds a parsed part under `key`, replacing any, and registers a windowed one.
  pugi::xml_document& Keep(const std::string& key, std::unique_ptr<XmlPart> part);
  // Forgets the parsed form of a part (its archive entry stays as it is).
  void Forget(const std::string& key);
  // Parses and keeps a part's text; `checked` when it passed the depth check before.
  pugi::xml_document& Load(const std::string& part, const std::string& key, std::string text,
                           bool checked = false);
  // Load for a part the file can do without: false, and nothing kept, when it does not parse.
  bool TryLoad(const std::string& part, const std::string& key, std::string text);
  static constexpr size_t kSlidesKept = 64;
  size_t slides_kept_ = kSlidesKept;
  // Windowed parts parsed now, by lower-case name.
  NoCaseMap<XmlPart*> windowed_;
  uint64_t slide_drops_ = 0;
  // Set once every part was checked at opening.
  bool opened_ = false;
  std::vector<std::string> unread_parts_;
  std::unordered_set<std::string> unchecked_;  // lower-case names of the parts not read at open
  uint64_t use_clock_ = 0;
  static constexpr size_t kTransientKept = 32;
  static constexpr size_t kTransientMaxBytes = 16 * 1024;
  std::deque<std::string> transient_order_;  // lower-case names, oldest first
  // Their text as stored now, kept small and unparsed, so parsing one again inflates nothing.
  NoCaseMap<std::string> transient_text_;  // lower-case name
  // Per relationships part (lower-case name): its parse serial and the ids in use.
  NoCaseMap<std::pair<uint64_t, std::unordered_set<std::string>>> rel_ids_;

  std::unique_ptr<ZipArchive> zip_;
  std::string main_part_;
  uint64_t changes_ = 0;
  NoCaseMap<uint64_t> changed_at_;
  uint64_t drops_ = 0;
  NoCaseMap<std::unique_ptr<XmlPart>> xml_;  // lower-case name
  // The content-type override of a part ("" when it has none), through the index below.
  pugi::xml_node FindOverride(const std::string& part);
  NoCaseMap<pugi::xml_node> override_index_;  // lower-case "/name"
  const pugi::xml_document* override_index_document_ = nullptr;
  // Per folder, stem and extension: the lowest number FreePartName may still hand out.
  mutable std::unordered_map<std::string, int> next_free_number_;
};

// The XML of a relationships part with no relationships.
std::string EmptyRelsXml();

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_PACKAGE_H_
