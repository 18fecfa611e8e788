// What a selection of shapes is, for the commands that apply to it: the selection classifier
// run on every selection change.
#ifndef VINTREL_SHELL_SELECTION_KIND_H_
#define VINTREL_SHELL_SELECTION_KIND_H_

#include <string>

#include "host/application.h"

namespace vintrel::shell {

namespace selection_kind {
// Nothing usable, or a mix no rule accepts.
inline constexpr int kNotUsable = 0;
// Linked clocks only (among the linked shapes).
inline constexpr int kAllClock = 1;
// Linked text fields only.
inline constexpr int kAllDatabaseField = 2;
// Linked clocks with linked text fields; or only unlinked shapes with a text frame.
inline constexpr int kTextShapes = 3;
// Linked objects only; or only unlinked linked pictures, linked OLE objects and media clips.
inline constexpr int kAllDataObject = 4;
// Linked graphs only; or only unlinked embedded charts.
inline constexpr int kAllGraphs = 5;
}  // namespace selection_kind

// The kind of the selection. Any failure (no shape range, a shape whose tags cannot be read)
// gives kNotUsable.
int ClassifySelection(host::Selection& selection) noexcept;

// The debug word of a kind; kind 3 depends on whether the active presentation has connections.
std::string SelectionKindWord(int kind, bool has_connections);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_SELECTION_KIND_H_
