#include "shell/debug_note.h"

#include "support/logs.h"

namespace vintrel::shell {

void WriteDebugNote(Context& ctx, std::string_view source, std::string_view message) {
  WriteDebugLog(ctx, DebugLevel::kInformation, source, message);
}

}  // namespace vintrel::shell
