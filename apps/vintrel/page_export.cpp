#include "page_export.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>

#include "command.h"
#include "live_view_files.h"
#include "url_authority.h"

namespace vintrel::app {
namespace {

namespace fs = std::filesystem;

struct PageFile {
  std::string name;
  std::string body;
};

// Characters a path may hold as it is, without a query, a fragment or anything that needs
// quoting.
bool PathCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) ||
         std::strchr("-._~/%!$&'()*+,;=:", c) != nullptr;
}

// The served index.html, with the policy that keeps the page to its own files, the pictures it
// makes from the broker's messages and the broker itself (no web server need send one), and
// with the MQTT client and config.js loaded before the page's script.
std::string ExportedIndex(std::string index, const WebSocketAddress& broker) {
  const std::string charset = "<meta charset=\"utf-8\">\n";
  const std::string script = "<script src=\"live-view.js\" defer></script>";
  const size_t at_charset = index.find(charset);
  const size_t at_script = index.find(script);
  if (at_charset == std::string::npos || at_script == std::string::npos || at_script < at_charset) {
    throw std::logic_error("live_view/index.html no longer has the lines the export adds to");
  }
  index.insert(at_script,
               "<script src=\"mqtt.min.js\" defer></script>\n"
               "<script src=\"config.js\" defer></script>\n");
  // The client's keep-alive timer runs in a worker made from a blob (so a hidden tab keeps it).
  index.insert(at_charset + charset.size(),
               "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
               "script-src 'self'; style-src 'self' 'unsafe-inline'; img-src 'self' blob:; "
               "worker-src blob:; connect-src " +
                   broker.Source() + "; base-uri 'none'; form-action 'none'\">\n");
  return index;
}

std::string ConfigScript(const WebSocketAddress& broker, const std::string& topic) {
  const nlohmann::json config = {{"transport", "mqtt"}, {"broker", broker.Url()}, {"topic", topic}};
  return "// Written by `vintrel show --export-page`: the broker whose WebSocket listener\n"
         "// this page follows the show through, and the show's topic (vintrel show FILE\n"
         "// --publish mqtt://HOST[:PORT]/TOPIC). Viewers subscribe without a login.\n"
         "window.vintrelLiveView = " +
         config.dump(-1, ' ', true) + ";\n";
}

std::vector<PageFile> PageFiles(const WebSocketAddress& broker, const std::string& topic) {
  std::vector<PageFile> files;
  for (const LiveViewFile& file : LiveViewFiles()) {
    const std::string path = file.path;
    if (path == "/") {
      files.push_back({"index.html", ExportedIndex(std::string(file.body), broker)});
    } else {
      files.push_back({path.substr(1), std::string(file.body)});
    }
  }
  for (const LiveViewFile& file : ExportedPageFiles()) {
    files.push_back({file.path, std::string(file.body)});
  }
  files.push_back({"config.js", ConfigScript(broker, topic)});
  return files;
}

std::string SystemError(const std::string& what, const fs::path& path) {
  return "cannot " + what + " " + path.string() + ": " + std::strerror(errno);
}

// Writes `body` to the file open as `fd` and closes it, readable by a web server running as
// another user.
void WriteAndClose(int fd, const std::string& body, const fs::path& path) {
  size_t done = 0;
  while (done < body.size()) {
    const ssize_t wrote = ::write(fd, body.data() + done, body.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      const std::string why = SystemError("write", path);
      ::close(fd);
      throw BadInput(why);
    }
    done += static_cast<size_t>(wrote);
  }
  const bool kept = ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !kept) throw BadInput(SystemError("write", path));
}

// A new folder: filled under a hidden name beside it, then renamed into place.
void WriteNewFolder(const fs::path& folder, const std::vector<PageFile>& files) {
  std::string pattern = folder.parent_path() / ("." + folder.filename().string() + ".XXXXXX");
  if (::mkdtemp(pattern.data()) == nullptr) throw BadInput(SystemError("create", folder));
  const fs::path scratch = pattern;
  try {
    if (::chmod(scratch.c_str(), 0755) != 0) throw BadInput(SystemError("create", folder));
    for (const PageFile& file : files) {
      const fs::path path = scratch / file.name;
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      if (fd < 0) throw BadInput(SystemError("write", path));
      WriteAndClose(fd, file.body, path);
    }
    if (::rename(scratch.c_str(), folder.c_str()) != 0) {
      throw BadInput(SystemError("create", folder));
    }
  } catch (...) {
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    throw;
  }
}

// An existing folder: every file under a hidden name first, then each renamed over its old self.
void WriteIntoFolder(const fs::path& folder, const std::vector<PageFile>& files) {
  std::vector<std::pair<fs::path, fs::path>> written;  // hidden name, final name
  try {
    for (const PageFile& file : files) {
      std::string hidden = folder / ("." + file.name + ".XXXXXX");
      const int fd = ::mkstemp(hidden.data());
      if (fd < 0) throw BadInput(SystemError("write into", folder));
      written.emplace_back(hidden, folder / file.name);
      WriteAndClose(fd, file.body, hidden);
    }
  } catch (...) {
    for (const auto& [hidden, final_name] : written) ::unlink(hidden.c_str());
    throw;
  }
  for (const auto& [hidden, final_name] : written) {
    if (::rename(hidden.c_str(), final_name.c_str()) != 0) {
      throw BadInput(SystemError("write", final_name));
    }
  }
}

}  // namespace

std::string WebSocketAddress::Url() const {
  const bool ipv6 = host.find(':') != std::string::npos;
  return std::string(tls ? "wss://" : "ws://") + (ipv6 ? "[" + host + "]" : host) + ":" +
         std::to_string(port) + path;
}

std::string WebSocketAddress::Source() const {
  // A policy cannot name an IPv6 address: the scheme alone lets the page reach it.
  if (host.find(':') != std::string::npos) return tls ? "wss:" : "ws:";
  return std::string(tls ? "wss://" : "ws://") + host + ":" + std::to_string(port);
}

std::optional<WebSocketAddress> ParseWebSocketAddress(const std::string& url) {
  const auto split = SplitUrl(url, "ws", "wss");
  if (!split) return std::nullopt;
  WebSocketAddress address;
  address.tls = split->secure;
  if (!split->rest.empty()) address.path = split->rest;
  for (char c : address.path) {
    if (!PathCharacter(c)) return std::nullopt;
  }
  const auto host = ParseAuthority(split->authority, address.tls ? 443 : 80);
  if (!host) return std::nullopt;
  address.host = host->host;
  address.port = host->port;
  return address;
}

bool UsableShowTopic(const std::string& topic) {
  if (topic.empty() || topic.size() > 65000 || topic.back() == '/') return false;
  for (unsigned char c : topic) {
    if (c == '+' || c == '#' || c < 0x20 || c == 0x7f) return false;
  }
  return true;
}

std::vector<std::string> ExportLivePage(const std::string& folder, const WebSocketAddress& broker,
                                        const std::string& topic) {
  const std::vector<PageFile> files = PageFiles(broker, topic);
  std::error_code error;
  fs::path target = fs::absolute(folder, error).lexically_normal();
  if (!target.has_filename()) target = target.parent_path();  // "page/" is "page"
  const fs::file_status status = fs::status(target, error);
  if (fs::is_directory(status)) {
    if (::access(target.c_str(), W_OK | X_OK) != 0) {
      throw BadInput(SystemError("write into", target));
    }
    WriteIntoFolder(target, files);
  } else if (fs::exists(status)) {
    throw BadInput(folder + " is not a folder");
  } else {
    const fs::path parent = target.parent_path();
    if (!fs::is_directory(parent, error)) {
      throw BadInput("cannot create " + folder + ": its folder " + parent.string() +
                     " does not exist");
    }
    WriteNewFolder(target, files);
  }
  std::vector<std::string> names;
  for (const PageFile& file : files) names.push_back(file.name);
  return names;
}

void AddPageExportOptions(CLI::App& show, PageExportOptions& options) {
  show.add_option("--export-page", options.folder,
                  "Write the live view's page as static files into this folder (made if missing) "
                  "and exit, running no show: any web server serves it, and each browser follows "
                  "a show published with --publish straight from the broker (with --broker and "
                  "--topic; no FILE)");
  show.add_option("--broker", options.broker,
                  "With --export-page: the broker's WebSocket listener, ws://HOST[:PORT][/PATH] "
                  "or wss://... (wss:// for a page served over https)");
  show.add_option("--topic", options.topic,
                  "With --export-page: the show's topic, as in --publish mqtt://HOST/TOPIC");
}

std::optional<int> ExportPageIfAsked(const CLI::App& show, const PageExportOptions& options,
                                     std::ostream& out) {
  const std::set<std::string> own = {"--export-page", "--broker", "--topic"};
  bool asked = false;
  std::string other;
  for (const CLI::Option* option : show.get_options()) {
    if (option->count() == 0) continue;
    const std::string name = option->get_name();
    if (own.count(name)) {
      asked = true;
    } else if (other.empty()) {
      other = name == "file" ? "a presentation FILE" : name;
    }
  }
  if (!asked) return std::nullopt;
  if (options.folder.empty() || options.broker.empty() || options.topic.empty()) {
    throw BadInput("--export-page DIR, --broker ws://HOST[:PORT]/ and --topic TOPIC go together");
  }
  if (!other.empty()) {
    throw BadInput("--export-page writes the page and runs no show: " + other +
                   " does not go with it");
  }
  const std::optional<WebSocketAddress> broker = ParseWebSocketAddress(options.broker);
  if (!broker) {
    throw BadInput(
        "--broker takes the broker's WebSocket listener, ws://HOST[:PORT][/PATH] or "
        "wss://..., not \"" +
        options.broker + "\"");
  }
  if (!UsableShowTopic(options.topic)) {
    throw BadInput("--topic takes a topic without wildcards (+, #) that does not end in /, not \"" +
                   options.topic + "\"");
  }
  const std::vector<std::string> names = ExportLivePage(options.folder, *broker, options.topic);
  out << "Wrote the live view's page to " << options.folder << ":";
  for (const std::string& name : names) out << " " << name;
  out << "\nIt follows the show published on topic \"" << options.topic << "\" through "
      << broker->Url() << ". Serve the folder with any web server, e.g. python3 -m http.server "
      << "-d " << options.folder << " 8000, and open it in a browser.\n";
  return kExitOk;
}

}  // namespace vintrel::app
