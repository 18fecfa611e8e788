#include "host/ooxml/xml_util.h"

#include <algorithm>
#include <sstream>

namespace vintrel::ooxml {

namespace {

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

// Parts written by presentation programs nest some 25 levels at most. Far deeper nesting only comes
// from a hostile file, and would make every walk over the part slow and recursive ones overflow
// the stack.
constexpr int kMaxDepth = 256;

struct DepthCheck : pugi::xml_tree_walker {
  bool too_deep = false;
  bool for_each(pugi::xml_node&) override {
    too_deep = depth() >= kMaxDepth;
    return !too_deep;
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
  DepthCheck check;
  doc.traverse(check);
  if (check.too_deep) {
    doc.reset();
    return "XML nested deeper than " + std::to_string(kMaxDepth) + " levels";
  }
  return {};
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
