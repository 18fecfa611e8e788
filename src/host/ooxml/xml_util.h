// Small pugixml helpers shared by the parts: loading and writing the way PowerPoint's XML needs
// (whitespace inside runs kept, no indentation), and inserting children in schema order.
#ifndef VINTREL_HOST_OOXML_XML_UTIL_H_
#define VINTREL_HOST_OOXML_XML_UTIL_H_

#include <initializer_list>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace vintrel::ooxml {

inline constexpr char kNsP[] = "http://schemas.openxmlformats.org/presentationml/2006/main";
inline constexpr char kNsA[] = "http://schemas.openxmlformats.org/drawingml/2006/main";
inline constexpr char kNsR[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
inline constexpr char kNsC[] = "http://schemas.openxmlformats.org/drawingml/2006/chart";
inline constexpr char kNsRels[] = "http://schemas.openxmlformats.org/package/2006/relationships";
inline constexpr char kNsTypes[] = "http://schemas.openxmlformats.org/package/2006/content-types";

// Relationship types, without the common prefix where they share it.
inline constexpr char kRelPrefix[] =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
inline constexpr char kXmlDeclaration[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

// Parses `text`; returns an empty description on success, else what is wrong and where. Elements
// nested deeper than any real part nests them (256 levels) are refused as well, unless
// `check_depth` is off for text that passed the check before.
std::string ParseXml(pugi::xml_document& doc, const std::string& text, bool check_depth = true);
std::string WriteXml(const pugi::xml_document& doc);

// What of `text` parses before its first fault, for a part that is only drawn (a generator's
// broken chart still shows its title, as LibreOffice shows it). False when no root element parses
// or the elements nest too deep.
bool ParseXmlUpToFault(pugi::xml_document& doc, const std::string& text);

// First child with this qualified name (pugixml is not namespace-aware; PowerPoint's prefixes
// are fixed, see the notes on the format).
inline pugi::xml_node Child(pugi::xml_node node, const char* name) {
  return node.child(name);
}

// Inserts a new child `name` into `parent` at its place in `order` (the schema's sequence of
// child names): before the first existing child that the sequence puts after it. Children not
// named in the sequence are stepped over.
pugi::xml_node InsertInOrder(pugi::xml_node parent, const char* name,
                             std::initializer_list<std::string_view> order);

// The child `name`, created in schema order when missing.
pugi::xml_node GetOrInsert(pugi::xml_node parent, const char* name,
                           std::initializer_list<std::string_view> order);

// Makes sure the document element declares `prefix` (used before moving or adding nodes that
// use it).
void EnsureNamespace(pugi::xml_document& doc, const char* prefix, const char* uri);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_XML_UTIL_H_
