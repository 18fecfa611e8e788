#include "host/ooxml/package.h"

#include <algorithm>
#include <atomic>
#include <set>

#include "host/common/ascii.h"
#include "host/common/text.h"
#include "host/error.h"
#include "host/ooxml/xml_util.h"

namespace vintrel::ooxml {

namespace {

constexpr char kContentTypesPart[] = "[Content_Types].xml";

std::string DirOf(const std::string& part) {
  size_t slash = part.rfind('/');
  return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  return LowerAscii(a) == LowerAscii(b);
}

// The kinds of XML part the program reads: the presentation and its slides, layouts, masters,
// notes and tags, drawings and charts, themes, the document properties. Custom XML (plain
// "application/xml" or its properties), web extensions and parts of unknown or no content type
// are never read.
bool IsReadContentType(const std::string& type) {
  const std::string lower = LowerAscii(type);
  if (lower.find("customxml") != std::string::npos) return false;
  for (const char* kind : {"presentationml", "drawingml", "officedocument.theme", "core-properties",
                           "extended-properties", "custom-properties"}) {
    if (lower.find(kind) != std::string::npos) return true;
  }
  return false;
}

// Charts, diagrams and their styles are read only to draw or fill them: one that does not parse
// costs its own drawing, not the whole file (LibreOffice shows the rest of such a deck too).
bool IsOptionalContentType(const std::string& type) {
  const std::string lower = LowerAscii(type);
  for (const char* kind :
       {"drawingml.chart", "drawingml.diagram", "chartstyle", "chartcolorstyle"}) {
    if (lower.find(kind) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

std::string Relationship::Kind() const {
  size_t slash = type.rfind('/');
  return slash == std::string::npos ? type : type.substr(slash + 1);
}

std::string EmptyRelsXml() {
  return std::string(kXmlDeclaration) + "<Relationships xmlns=\"" + kNsRels + "\"/>";
}

void Package::Fail(const std::string& problem) const {
  throw Error(kErrUnspecified, "vintrel.ooxml", "\"" + path() + "\": " + problem);
}

std::unique_ptr<Package> Package::Open(const std::string& path, const ZipLimits& limits) {
  std::unique_ptr<Package> self(new Package());
  self->zip_ = ZipArchive::Open(path, limits);
  if (!self->Has(kContentTypesPart)) {
    self->Fail("is not a presentation package: [Content_Types].xml is missing");
  }
  self->Xml(kContentTypesPart);
  if (!self->Has("_rels/.rels")) {
    self->Fail("is not a presentation package: the package relationships are missing");
  }
  for (const Relationship& rel : self->Rels("")) {
    if (rel.Kind() == "officeDocument" && !rel.external) {
      self->main_part_ = ResolveTarget("", rel.target);
      break;
    }
  }
  if (self->main_part_.empty() || !self->Has(self->main_part_)) {
    self->Fail("is not a presentation package: the presentation part is missing");
  }
  self->main_part_ = self->zip_->StoredName(self->main_part_);
  pugi::xml_document& main = self->Xml(self->main_part_);
  if (std::string(main.document_element().name()) != "p:presentation") {
    self->Fail("is not a presentation: its main part is <" +
               std::string(main.document_element().name()) + ">");
  }
  // A part that does not parse refuses the whole file now, before anything is filled, printed
  // or saved, instead of half-way through. Legacy drawings (.vml) are not strict XML. Parts the
  // program never reads are left as they are, to be copied unparsed.
  for (const std::string& name : self->zip_->Names()) {
    std::string key = LowerAscii(name);
    if (!key.ends_with(".xml") && !key.ends_with(".rels")) continue;
    if (self->xml_.count(key) != 0) continue;
    if (!key.ends_with(".rels") && !IsReadContentType(self->ContentType(name))) {
      self->unread_parts_.push_back(name);
      self->unchecked_.insert(key);
      continue;
    }
    std::string text = self->zip_->Read(name);
    if (!Transient(key, text)) {
      if (!IsOptionalContentType(self->ContentType(name))) {
        self->Load(name, key, std::move(text));
      } else if (!self->TryLoad(name, key, std::move(text))) {
        self->unread_parts_.push_back(name + " (malformed)");
        self->unchecked_.insert(key);
      }
      continue;
    }
    // Checked now, parsed again when used.
    pugi::xml_document doc;
    if (std::string problem = ParseXml(doc, text); !problem.empty()) {
      self->Fail("part \"" + name + "\" is " + problem);
    }
    self->transient_text_[key] = std::move(text);
  }
  self->opened_ = true;
  return self;
}

bool Package::TryLoad(const std::string& part, const std::string& key, std::string text) {
  try {
    Load(part, key, std::move(text));
    return true;
  } catch (const Error&) {
    return false;
  }
}

bool Package::Transient(const std::string& key, const std::string& text) {
  // A big one (the presentation's relationships, with one per slide) stays parsed: parsing it
  // again would cost more than it holds.
  return (key.ends_with(".rels") || key.starts_with("ppt/tags/")) &&
         text.size() <= kTransientMaxBytes;
}

void Package::KeepTransient(const std::string& key) {
  while (transient_order_.size() >= kTransientKept) {
    const std::string oldest = std::move(transient_order_.front());
    transient_order_.pop_front();
    auto it = xml_.find(oldest);
    if (it == xml_.end() || oldest == key) continue;
    if (it->second->dirty) {
      transient_text_.erase(oldest);
      zip_->Write(zip_->Has(oldest) ? zip_->StoredName(oldest) : oldest, WriteXml(it->second->doc));
    }
    xml_.erase(it);
    ++drops_;
  }
  transient_order_.push_back(key);
}

std::string Package::ReadBytes(const std::string& part) {
  auto it = xml_.find(part);
  if (it != xml_.end() && it->second->dirty) return WriteXml(it->second->doc);
  return zip_->Read(part);
}

void Package::WriteBytes(const std::string& part, std::string data) {
  Changed(part);
  if (SameName(part, kContentTypesPart)) override_index_document_ = nullptr;
  Forget(part);
  transient_text_.erase(part);
  zip_->Write(part, std::move(data));
}

bool Package::IsLoaded(const std::string& part) const {
  return xml_.count(part) != 0;
}

pugi::xml_document* Package::ParsedXml(const std::string& part) {
  auto it = xml_.find(part);
  return it == xml_.end() ? nullptr : &it->second->doc;
}

pugi::xml_document& Package::Xml(const std::string& part) {
  auto it = xml_.find(part);
  if (it != xml_.end()) {
    it->second->last_use = ++use_clock_;
    return it->second->doc;
  }
  std::string key = LowerAscii(part);
  if (!zip_->Has(part)) Fail("part \"" + part + "\" is missing");
  // The kept text is what the archive holds (a changed part is written back before its text
  // goes), so it is handed over rather than copied; Load keeps it again.
  auto cached = transient_text_.find(key);
  // Once the package is open, every XML part was checked when it was opened, or written here
  // since: parsed again, it need not be walked through for its depth again.
  const bool checked =
      opened_ && (key.ends_with(".xml") || key.ends_with(".rels")) && unchecked_.count(key) == 0;
  return Load(part, key,
              cached != transient_text_.end() ? std::move(cached->second) : zip_->Read(part),
              checked);
}

namespace {
std::atomic<uint64_t> parse_serials{0};
}  // namespace

uint64_t Package::ParseSerial(const std::string& part) {
  Xml(part);
  return xml_.find(part)->second->serial;
}

pugi::xml_document& Package::Load(const std::string& part, const std::string& key, std::string text,
                                  bool checked) {
  auto loaded = std::make_unique<XmlPart>();
  loaded->serial = ++parse_serials;
  if (std::string problem = ParseXml(loaded->doc, text, !checked); !problem.empty()) {
    Fail("part \"" + part + "\" is " + problem);
  }
  if (Transient(key, text)) {
    KeepTransient(key);
    transient_text_[key] = std::move(text);
  } else {
    transient_text_.erase(key);
  }
  return Keep(key, std::move(loaded));
}

bool Package::Windowed(const std::string& key) {
  return key.ends_with(".xml") &&
         (key.starts_with("ppt/slides/") || key.starts_with("ppt/notesslides/"));
}

void Package::set_parsed_slides_kept(size_t count) {
  slides_kept_ = std::max<size_t>(count, 1);
  MakeRoomForSlides(0, "");
}

void Package::MakeRoomForSlides(size_t room, const std::string& keep) {
  while (!windowed_.empty() && windowed_.size() + room > slides_kept_) {
    auto oldest = windowed_.end();
    for (auto it = windowed_.begin(); it != windowed_.end(); ++it) {
      if (it->first == keep) continue;
      if (oldest == windowed_.end() || it->second->last_use < oldest->second->last_use) {
        oldest = it;
      }
    }
    if (oldest == windowed_.end()) return;
    const std::string key = oldest->first;
    if (oldest->second->dirty) {
      // Kept until saved, so without the room the writer grew it by.
      std::string text = WriteXml(oldest->second->doc);
      text.shrink_to_fit();
      zip_->Write(zip_->Has(key) ? zip_->StoredName(key) : key, std::move(text));
    }
    Forget(key);
  }
}

pugi::xml_document& Package::Keep(const std::string& key, std::unique_ptr<XmlPart> part) {
  part->last_use = ++use_clock_;
  Forget(key);
  const bool windowed = Windowed(key);
  if (windowed) MakeRoomForSlides(1, key);
  XmlPart* kept = part.get();
  xml_.emplace(key, std::move(part));
  if (windowed) windowed_.emplace(key, kept);
  return kept->doc;
}

void Package::Forget(const std::string& key) {
  auto it = xml_.find(key);
  if (it == xml_.end()) return;
  if (windowed_.erase(key) != 0) ++slide_drops_;
  xml_.erase(it);
  ++drops_;
}

void Package::Touch(const std::string& part) {
  auto it = xml_.find(part);
  if (it != xml_.end()) it->second->dirty = true;
  Changed(part);
}

void Package::Changed(const std::string& part) {
  changed_at_[part] = ++changes_;
}

uint64_t Package::ChangedAt(const std::string& part) const {
  const auto found = changed_at_.find(part);
  return found == changed_at_.end() ? 0 : found->second;
}

pugi::xml_document& Package::CreateXml(const std::string& part, const std::string& text,
                                       const std::string& content_type) {
  Changed(part);
  auto created = std::make_unique<XmlPart>();
  created->serial = ++parse_serials;
  if (std::string problem = ParseXml(created->doc, text); !problem.empty()) {
    Fail("new part \"" + part + "\" is " + problem);
  }
  created->dirty = true;
  transient_text_.erase(LowerAscii(part));
  zip_->Write(part, text);
  if (!content_type.empty()) SetOverride(part, content_type);
  if (Transient(LowerAscii(part), text)) KeepTransient(LowerAscii(part));
  return Keep(LowerAscii(part), std::move(created));
}

void Package::RemovePart(const std::string& part) {
  std::string rels = RelsPartOf(part);
  Changed(part);
  Changed(rels);
  Forget(part);
  Forget(rels);
  transient_text_.erase(part);
  transient_text_.erase(rels);
  zip_->Remove(part);
  zip_->Remove(rels);
  // LibreOffice lists relationship parts in the content types too; both entries go.
  for (const std::string& name : {part, rels}) {
    pugi::xml_node node = FindOverride(name);
    if (!node) continue;
    override_index_.erase("/" + name);
    node.parent().remove_child(node);
    Touch(kContentTypesPart);
  }
}

void Package::CopyPart(const std::string& from, const std::string& to) {
  Changed(to);
  transient_text_.erase(to);
  auto it = xml_.find(from);
  if (it != xml_.end() && it->second->dirty) {
    zip_->Write(to, WriteXml(it->second->doc));
  } else {
    zip_->CopyEntry(from, to);
  }
  Forget(to);
  if (pugi::xml_node node = FindOverride(from)) {
    SetOverride(to, node.attribute("ContentType").value());
  }
}

std::string Package::RelsPartOf(const std::string& part) {
  if (part.empty()) return "_rels/.rels";
  std::string dir = DirOf(part);
  return dir + "_rels/" + part.substr(dir.size()) + ".rels";
}

std::vector<Relationship> Package::Rels(const std::string& part) {
  std::vector<Relationship> out;
  std::string rels = RelsPartOf(part);
  if (!Has(rels)) return out;
  for (pugi::xml_node node : Xml(rels).document_element().children("Relationship")) {
    out.push_back(Relationship{node.attribute("Id").value(), node.attribute("Type").value(),
                               node.attribute("Target").value(),
                               std::string(node.attribute("TargetMode").value()) == "External"});
  }
  return out;
}

std::optional<Relationship> Package::Rel(const std::string& part, const std::string& id) {
  // Looked up for every tag read: the one relationship is built, not the whole list.
  std::string rels = RelsPartOf(part);
  if (!Has(rels)) return std::nullopt;
  for (pugi::xml_node node : Xml(rels).document_element().children("Relationship")) {
    if (id != node.attribute("Id").value()) continue;
    return Relationship{id, node.attribute("Type").value(), node.attribute("Target").value(),
                        std::string_view(node.attribute("TargetMode").value()) == "External"};
  }
  return std::nullopt;
}

std::string Package::AddRel(const std::string& part, const std::string& type,
                            const std::string& target, bool external) {
  std::string rels = RelsPartOf(part);
  if (!Has(rels)) CreateXml(rels, EmptyRelsXml(), "");
  pugi::xml_document& doc = Xml(rels);
  // The ids in use are remembered while the part stays parsed (only this class adds and
  // removes relationships), so a part that gains thousands (a slide duplicated over and over) is
  // not read through for each one.
  const uint64_t serial = ParseSerial(rels);
  auto& [known_serial, used] = rel_ids_[rels];
  if (known_serial != serial) {
    known_serial = serial;
    used.clear();
    for (pugi::xml_node node : doc.document_element().children("Relationship")) {
      used.insert(node.attribute("Id").value());
    }
  }
  int n = static_cast<int>(used.size()) + 1;
  while (used.count("rId" + std::to_string(n)) != 0) ++n;
  std::string id = "rId" + std::to_string(n);
  used.insert(id);
  pugi::xml_node node = doc.document_element().append_child("Relationship");
  node.append_attribute("Id") = id.c_str();
  node.append_attribute("Type") = type.c_str();
  node.append_attribute("Target") = target.c_str();
  if (external) node.append_attribute("TargetMode") = "External";
  Touch(rels);
  return id;
}

void Package::RemoveRel(const std::string& part, const std::string& id) {
  std::string rels = RelsPartOf(part);
  if (!Has(rels)) return;
  pugi::xml_node root = Xml(rels).document_element();
  for (pugi::xml_node node : root.children("Relationship")) {
    if (id == node.attribute("Id").value()) {
      root.remove_child(node);
      if (auto known = rel_ids_.find(rels); known != rel_ids_.end()) {
        known->second.second.erase(id);
      }
      Touch(rels);
      return;
    }
  }
}

void Package::SetRelTarget(const std::string& part, const std::string& id,
                           const std::string& target, bool external) {
  std::string rels = RelsPartOf(part);
  if (!Has(rels)) Fail("part \"" + part + "\" has no relationship " + id);
  for (pugi::xml_node node : Xml(rels).document_element().children("Relationship")) {
    if (id != node.attribute("Id").value()) continue;
    node.attribute("Target").set_value(target.c_str());
    pugi::xml_attribute mode = node.attribute("TargetMode");
    if (external && !mode) node.append_attribute("TargetMode") = "External";
    if (external && mode) mode.set_value("External");
    if (!external && mode) node.remove_attribute(mode);
    Touch(rels);
    return;
  }
  Fail("part \"" + part + "\" has no relationship " + id);
}

std::string Package::ResolveTarget(const std::string& source, const std::string& target) {
  std::string joined =
      !target.empty() && target[0] == '/' ? target.substr(1) : DirOf(source) + target;
  return NormalizePath(joined);
}

std::string Package::RelativeTarget(const std::string& source, const std::string& part) {
  std::vector<std::string> from = Split(DirOf(source), "/");
  if (!from.empty() && from.back().empty()) from.pop_back();
  if (from.size() == 1 && from[0].empty()) from.clear();
  std::vector<std::string> to = Split(part, "/");
  size_t common = 0;
  while (common < from.size() && common + 1 < to.size() && SameName(from[common], to[common])) {
    ++common;
  }
  std::string out;
  for (size_t i = common; i < from.size(); ++i) out += "../";
  for (size_t i = common; i < to.size(); ++i) {
    out += to[i];
    if (i + 1 < to.size()) out += '/';
  }
  return out;
}

std::string Package::ContentType(const std::string& part) {
  pugi::xml_node types = Xml(kContentTypesPart).document_element();
  if (pugi::xml_node node = FindOverride(part)) return node.attribute("ContentType").value();
  size_t dot = part.rfind('.');
  std::string extension = dot == std::string::npos ? "" : LowerAscii(part.substr(dot + 1));
  for (pugi::xml_node node : types.children("Default")) {
    if (LowerAscii(node.attribute("Extension").value()) == extension) {
      return node.attribute("ContentType").value();
    }
  }
  return {};
}

pugi::xml_node Package::FindOverride(const std::string& part) {
  pugi::xml_document& types = Xml(kContentTypesPart);
  // The overrides are looked up once per part added or copied; with thousands of parts a scan
  // each time would make adding them quadratic, so they are indexed by lower-case name.
  if (override_index_document_ != &types) {
    override_index_.clear();
    for (pugi::xml_node node : types.document_element().children("Override")) {
      override_index_.emplace(LowerAscii(node.attribute("PartName").value()), node);
    }
    override_index_document_ = &types;
  }
  auto found = override_index_.find("/" + part);
  return found == override_index_.end() ? pugi::xml_node() : found->second;
}

void Package::SetOverride(const std::string& part, const std::string& content_type) {
  if (pugi::xml_node node = FindOverride(part)) {
    node.attribute("ContentType").set_value(content_type.c_str());
    Touch(kContentTypesPart);
    return;
  }
  pugi::xml_node types = Xml(kContentTypesPart).document_element();
  pugi::xml_node node = types.append_child("Override");
  node.append_attribute("PartName") = ("/" + part).c_str();
  node.append_attribute("ContentType") = content_type.c_str();
  override_index_.emplace(LowerAscii("/" + part), node);
  Touch(kContentTypesPart);
}

void Package::EnsureDefault(const std::string& extension, const std::string& content_type) {
  pugi::xml_node types = Xml(kContentTypesPart).document_element();
  for (pugi::xml_node node : types.children("Default")) {
    if (LowerAscii(node.attribute("Extension").value()) == LowerAscii(extension)) return;
  }
  // Defaults come before overrides in PowerPoint's files; keep that order.
  pugi::xml_node first_override = types.child("Override");
  pugi::xml_node node = first_override ? types.insert_child_before("Default", first_override)
                                       : types.append_child("Default");
  node.append_attribute("Extension") = extension.c_str();
  node.append_attribute("ContentType") = content_type.c_str();
  Touch(kContentTypesPart);
}

std::string Package::FreePartName(const std::string& folder, const std::string& stem,
                                  const std::string& extension) const {
  // Numbers handed out before are not tried again: a deck that gains thousands of tag parts
  // would otherwise test every taken name each time. Freed lower numbers stay unused; names only
  // need to be unique.
  int& next = next_free_number_[folder + stem + "\x1f" + extension];
  for (int n = std::max(next, 1);; ++n) {
    std::string name = folder + stem + std::to_string(n) + extension;
    if (!zip_->Has(name)) {
      next = n + 1;
      return name;
    }
  }
}

std::vector<std::string> Package::Flush() {
  std::vector<std::string> written;
  for (auto& [key, part] : xml_) {
    if (!part->dirty) continue;
    transient_text_.erase(key);
    zip_->Write(zip_->Has(key) ? zip_->StoredName(key) : key, WriteXml(part->doc));
    part->dirty = false;
    written.push_back(key);
  }
  return written;
}

void Package::SaveAs(const std::string& target) {
  Flush();
  zip_->SaveAs(target);
}

void Package::SaveCopyAs(const std::string& target) {
  const std::vector<std::string> written = Flush();
  zip_->SaveAs(target);
  // The parsed part stays the one current form of what changed; a part added since opening
  // keeps its text, which is its only entry in the archive.
  for (const std::string& key : written) {
    if (zip_->Revert(key)) xml_.find(key)->second->dirty = true;
  }
}

}  // namespace vintrel::ooxml
