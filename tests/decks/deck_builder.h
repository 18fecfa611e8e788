// Decks built in code for tests and benchmarks: a .pptx package of one master, one layout with a
// title placeholder at 66pt/28.75pt, a theme, presentation properties and the slides asked for,
// so each test shows the exact XML it is about; and the entries of a package file as they lie in
// it.
#ifndef VINTREL_TESTS_DECKS_DECK_BUILDER_H_
#define VINTREL_TESTS_DECKS_DECK_BUILDER_H_

#include <string>
#include <utility>
#include <vector>

#include "host/memory/memory_clipboard.h"
#include "host/ooxml/package_check.h"

namespace vintrel::ooxml::testing {

struct SlideLayout {
  std::string shapes;           // children of p:spTree after the group properties
  std::string rels;             // extra <Relationship .../> elements (rId1 is the layout)
  std::string root_attributes;  // e.g. show="0"
  std::string tail;             // after p:clrMapOvr (transition, timing)
  std::string after_tree;       // inside p:cSld after p:spTree (custDataLst)
};

struct DeckLayout {
  std::vector<SlideLayout> slides;
  std::string show_properties;    // the p:showPr element, if any
  std::string presentation_tail;  // inside p:presentation after p:notesSz
  std::string presentation_rels;  // extra presentation relationships (rId1-rId3 are taken)
  std::vector<std::pair<std::string, std::string>> extra_parts;
  std::string extra_content_types;  // extra <Override/> or <Default/> elements
  std::string theme_elements;       // inside a:themeElements (a:clrScheme, a:fmtScheme ...)
  std::string layout;               // the whole layout part; empty for a plain title layout
};

// A deck of one slide holding `shapes`.
DeckLayout OneSlide(const std::string& shapes);

// The bytes of the .pptx package holding the deck.
std::string BuildDeck(const DeckLayout& deck);

// A text box: <p:sp> with txBox="1", id and name, at the given EMU position, one run of text.
std::string TextBox(int id, const std::string& name, const std::string& text, long x = 0,
                    long y = 0, long cx = 1270000, long cy = 635000);

// A clipboard private to the test.
using TestClipboard = host::memory::MemoryClipboard;

// Inflated contents of one entry of a package file ("" when absent).
std::string ReadEntry(const std::string& package_path, const std::string& entry);
// Names of the entries of a package file in archive order.
std::vector<std::string> EntryNames(const std::string& package_path);
// The stored (compressed) bytes of an entry, for checking that a part was copied untouched.
std::string RawEntry(const std::string& package_path, const std::string& entry);

using ooxml::PackageProblems;

}  // namespace vintrel::ooxml::testing

#endif  // VINTREL_TESTS_DECKS_DECK_BUILDER_H_
