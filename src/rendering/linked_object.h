// Relinking a linked picture, linked object or media clip to the file its data names.
#ifndef VINTREL_RENDERING_LINKED_OBJECT_H_
#define VINTREL_RENDERING_LINKED_OBJECT_H_

#include <string>

#include "support/context.h"

namespace vintrel::rendering {

// Finds the shape (presentation by full name among the host's open presentations, slide and
// shape by position), resolves `file_reference` against the presentation's folder and links the
// shape to it. An empty reference, or an absolute one naming a file that cannot be read, hides
// the shape instead and leaves its old link. Unless `defer_update`, the link is reloaded at once
// (never for media). Never shows a shape and never fails: returns whether the shape was relinked.
bool SetLinkedObjectSource(const Context& ctx, const std::string& presentation_name,
                           int slide_index, int shape_index, const std::string& file_reference,
                           bool hide_on_error, bool& defer_update);

}  // namespace vintrel::rendering

#endif  // VINTREL_RENDERING_LINKED_OBJECT_H_
