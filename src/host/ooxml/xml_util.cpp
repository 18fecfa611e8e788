#include "host/ooxml/xml_util.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <sstream>

#include "host/common/xml_depth.h"

namespace vintrel::ooxml {

namespace {

// pugixml takes memory a 32 KiB page at a time for every document, however small, and a big
// deck parses tens of thousands of small tag parts one after another: malloc gave each page back
// to the top of the heap and took it from the system again. Freed pages are kept for the next
// document instead, at most 2 MiB of them. Every block carries its size in front of it, so a
// page is known when it comes back.
class XmlPages {
 public:
  static void* Allocate(size_t size) {
    if (size == kPage) {
      Kept& kept = Shared();
      std::lock_guard<std::mutex> lock(kept.mutex);
      if (kept.count > 0) return kept.blocks[--kept.count] + kHeader;
    }
    auto* raw = static_cast<char*>(std::malloc(size + kHeader));
    if (raw == nullptr) return nullptr;
    *reinterpret_cast<size_t*>(raw) = size;
    return raw + kHeader;
  }

  static void Deallocate(void* block) {
    if (block == nullptr) return;
    char* raw = static_cast<char*>(block) - kHeader;
    if (*reinterpret_cast<size_t*>(raw) == kPage) {
      Kept& kept = Shared();
      std::lock_guard<std::mutex> lock(kept.mutex);
      if (kept.count < kKept) {
        kept.blocks[kept.count++] = raw;
        return;
      }
    }
    std::free(raw);
  }

 private:
  static constexpr size_t kPage = 32768;  // the page size the library is built with
  static constexpr size_t kHeader = alignof(std::max_align_t);
  static constexpr size_t kKept = 64;
  struct Kept {
    std::mutex mutex;
    char* blocks[kKept];
    size_t count = 0;
  };
  // Never destroyed: documents held by static objects give their pages back after static
  // objects of this file are gone.
  static Kept& Shared() {
    static Kept* kept = new Kept();
    return *kept;
  }
};

// Set before main, so every block pugixml frees came from these functions.
[[maybe_unused]] const bool kPagesKept = [] {
  pugi::set_memory_management_functions(&XmlPages::Allocate, &XmlPages::Deallocate);
  return true;
}();

// Whitespace-only text is kept where it is an element's only content (a run of spaces in a:t);
// comments and processing instructions are kept so a rewritten part loses nothing.
constexpr unsigned kParseFlags = pugi::parse_default | pugi::parse_ws_pcdata_single |
                                 pugi::parse_declaration | pugi::parse_comments | pugi::parse_pi;

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

int IndexIn(std::initializer_list<std::string_view> order, std::string_view name) {
  int i = 0;
  for (std::string_view item : order) {
    if (item == name) return i;
    ++i;
  }
  return -1;
}

}  // namespace

std::string ParseXml(pugi::xml_document& doc, const std::string& text, bool check_depth) {
  pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size(), kParseFlags);
  if (!result) {
    std::ostringstream why;
    why << "malformed XML (" << result.description() << " at byte " << result.offset << ")";
    return why.str();
  }
  if (!doc.document_element()) return "malformed XML (no root element)";
  if (!check_depth) return {};
  if (NestedTooDeep(doc)) {
    doc.reset();
    return "XML nested deeper than " + std::to_string(kMaxXmlDepth) + " levels";
  }
  return {};
}

bool ParseXmlUpToFault(pugi::xml_document& doc, const std::string& text) {
  // pugixml keeps the nodes it parsed before an error.
  doc.load_buffer(text.data(), text.size(), kParseFlags);
  if (doc.document_element() && !NestedTooDeep(doc)) return true;
  doc.reset();
  return false;
}

std::string WriteXml(const pugi::xml_document& doc) {
  StringWriter writer;
  doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
  return std::move(writer.out);
}

pugi::xml_node InsertInOrder(pugi::xml_node parent, const char* name,
                             std::initializer_list<std::string_view> order) {
  int mine = IndexIn(order, name);
  for (pugi::xml_node child = parent.first_child(); child; child = child.next_sibling()) {
    if (child.type() != pugi::node_element) continue;
    int theirs = IndexIn(order, child.name());
    if (theirs > mine) return parent.insert_child_before(name, child);
  }
  return parent.append_child(name);
}

pugi::xml_node GetOrInsert(pugi::xml_node parent, const char* name,
                           std::initializer_list<std::string_view> order) {
  if (pugi::xml_node existing = parent.child(name)) return existing;
  return InsertInOrder(parent, name, order);
}

void EnsureNamespace(pugi::xml_document& doc, const char* prefix, const char* uri) {
  pugi::xml_node root = doc.document_element();
  std::string attribute = std::string("xmlns:") + prefix;
  if (!root.attribute(attribute.c_str())) root.append_attribute(attribute.c_str()) = uri;
}

}  // namespace vintrel::ooxml
