// The live view's page as static files (`vintrel show --export-page DIR --broker ws://... --topic
// TOPIC`): any web server serves them, and each browser follows a show that `vintrel show
// --publish` publishes, straight from the broker over MQTT on WebSockets. The folder holds the
// page, its script and style, the MQTT client built into the program, and config.js, which names
// the broker and the topic and nothing secret: viewers subscribe without a login, so the broker's
// ACL must let anonymous clients of that listener read the topic and nothing else.
#ifndef VINTREL_APPS_VINTREL_PAGE_EXPORT_H_
#define VINTREL_APPS_VINTREL_PAGE_EXPORT_H_

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}

namespace vintrel::app {

// A broker's WebSocket listener, as the page connects to it.
struct WebSocketAddress {
  bool tls = false;
  std::string host;  // without brackets
  int port = 80;
  std::string path = "/";
  // "ws://HOST:PORT/PATH", as the page's client is given it.
  std::string Url() const;
  // What the page's security policy lets it connect to ("ws://HOST:PORT").
  std::string Source() const;
};

// nullopt unless `url` is ws://HOST[:PORT][/PATH] or wss://... with neither a user, a query nor
// a fragment.
std::optional<WebSocketAddress> ParseWebSocketAddress(const std::string& url);

// Whether `topic` can be published and subscribed to as a show's topic: not empty, no
// wildcards, no control characters, not ending in '/'.
bool UsableShowTopic(const std::string& topic);

// Writes the page into `folder` (made if missing; its parent must exist) and returns the names
// of the files written. Nothing is half-written: a new folder is filled under a hidden name and
// renamed into place; into an existing one (other files there are left alone) every file is
// written under a hidden name first and all are renamed once all are written. Raises BadInput
// when the folder cannot be written.
std::vector<std::string> ExportLivePage(const std::string& folder, const WebSocketAddress& broker,
                                        const std::string& topic);

// `vintrel show`'s options for writing the page instead of running a show.
struct PageExportOptions {
  std::string folder;
  std::string broker;
  std::string topic;
};
void AddPageExportOptions(CLI::App& show, PageExportOptions& options);
// When `show`'s command line asks for the page: writes it, says so on `out` and returns the exit
// code (raises BadInput for a bad address, topic or folder, or options of a running show). Else
// nullopt: the command runs a show.
std::optional<int> ExportPageIfAsked(const CLI::App& show, const PageExportOptions& options,
                                     std::ostream& out);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_PAGE_EXPORT_H_
