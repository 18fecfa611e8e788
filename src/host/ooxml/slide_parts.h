// Package-level work behind Slide.Duplicate and Slide.Delete: which parts a slide owns (and so
// copies or removes with it) and which it shares, and keeping every reference consistent so
// the result opens without a repair prompt.
#ifndef VINTREL_HOST_OOXML_SLIDE_PARTS_H_
#define VINTREL_HOST_OOXML_SLIDE_PARTS_H_

#include <set>
#include <string>

#include "host/ooxml/package.h"

namespace vintrel::ooxml {

// Copies the slide part with the parts it owns (notes, charts and their workbooks, embedded
// objects, tags, drawings), shares the rest (layout, pictures, media, links), and lists the
// copy right after the original. Returns the new slide part.
std::string DuplicateSlidePart(Package& package, const std::string& slide);

// Removes the slide from the list, its relationship, custom shows, sections, hyperlinks to it
// from other parts, and the parts it owns that nothing else uses.
void DeleteSlidePart(Package& package, const std::string& slide);

// After elements of `part` went away: removes those of the relationships `ids` that nothing in
// the part uses any more, and the parts they owned when no other part refers to them.
void DropUnusedRelationships(Package& package, const std::string& part,
                             const std::set<std::string>& ids);

// How many internal relationships in the whole package name `part`.
int CountReferences(Package& package, const std::string& part);

// True for relationship kinds whose target belongs to the source alone.
bool IsOwnedKind(const std::string& kind);

// A free part name like `part` (same folder and extension, number changed).
std::string FreeNameLike(const Package& package, const std::string& part);

}  // namespace vintrel::ooxml

#endif  // VINTREL_HOST_OOXML_SLIDE_PARTS_H_
