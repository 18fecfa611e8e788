// The files of the live view's page (live_view/), built into the program so the page needs
// nothing from elsewhere and no request reaches the file system.
#ifndef VINTREL_APPS_VINTREL_LIVE_VIEW_FILES_H_
#define VINTREL_APPS_VINTREL_LIVE_VIEW_FILES_H_

#include <span>
#include <string_view>

namespace vintrel::app {

struct LiveViewFile {
  const char* path;  // the address it is served at ("/", "/live-view.js")
  const char* content_type;
  std::string_view body;
};

std::span<const LiveViewFile> LiveViewFiles();
// What only the page written by `vintrel show --export-page` needs: the MQTT client (named as
// written into the page's folder, "mqtt.min.js") and its licence.
std::span<const LiveViewFile> ExportedPageFiles();

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_LIVE_VIEW_FILES_H_
