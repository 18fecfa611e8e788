// The files of the studio's page (studio/), built into the program as the live view's are.
#ifndef VINTREL_APPS_VINTREL_STUDIO_FILES_H_
#define VINTREL_APPS_VINTREL_STUDIO_FILES_H_

#include <span>

#include "live_view_files.h"

namespace vintrel::app {

std::span<const LiveViewFile> StudioFiles();

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_STUDIO_FILES_H_
