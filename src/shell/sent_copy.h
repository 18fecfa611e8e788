// Copies sent into a distribution folder: the files they name relative to themselves stayed
// beside the presentation they were sent from, which the copy names in a tag.
#ifndef VINTREL_SHELL_SENT_COPY_H_
#define VINTREL_SHELL_SENT_COPY_H_

#include <string>

#include "host/tags.h"
#include "support/context.h"

namespace vintrel::shell {

// Reads the tags of presentation file `file` (a full name, as the host will open it): when it is
// a sent copy, its relative file names that are not found beside it are looked for in the folder
// it was sent from from now on; otherwise any such folder remembered for `file` is forgotten.
void RememberSentCopy(Context& ctx, const std::string& file, const host::Tags& tags);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_SENT_COPY_H_
