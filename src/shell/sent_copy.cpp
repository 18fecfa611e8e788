#include "shell/sent_copy.h"

#include "connections/connection_paths.h"
#include "offline/distribution.h"

namespace vintrel::shell {

void RememberSentCopy(Context& ctx, const std::string& file, const host::Tags& tags) {
  SetSentFromFolder(ctx, file, tags.Item(kSentFromTag));
}

}  // namespace vintrel::shell
