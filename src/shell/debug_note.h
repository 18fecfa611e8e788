// A line in the add-in's debug log for what a front end or the host noticed but need not stop
// for (the parts of a presentation left unread, say).
#ifndef VINTREL_SHELL_DEBUG_NOTE_H_
#define VINTREL_SHELL_DEBUG_NOTE_H_

#include <string_view>

#include "support/context.h"

namespace vintrel::shell {

void WriteDebugNote(Context& ctx, std::string_view source, std::string_view message);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_DEBUG_NOTE_H_
