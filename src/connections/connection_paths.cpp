#include "connections/connection_paths.h"

#include <cctype>
#include <filesystem>
#include <map>
#include <vector>

#include "connections/tag_values.h"
#include "host/common/ascii.h"
#include "host/common/text.h"
#include "host/platform.h"
#include "support/context.h"

namespace vintrel {
namespace {

constexpr std::string_view kJetProvider = "PROVIDER=MICROSOFT.JET.OLEDB";
// The built-in file database stands where Jet stood: its relative data source is resolved the
// same way, so a presentation finds the database beside it wherever it is opened from.
constexpr std::string_view kSqliteProvider = "PROVIDER=SQLITE";
constexpr std::string_view kProvider = "PROVIDER=";
constexpr std::string_view kDataSource = "DATA SOURCE=";
// The application name the settings are kept under (the [PathMap] section is read from it).
constexpr const char* kSettingsApp = "Quendra Vintrel 2002";

bool IsSeparator(char c) {
  return c == '\\' || c == '/';
}

// Both separators count, whichever machine wrote the path.
std::vector<std::string> SplitPath(std::string_view text) {
  return Split(text, "\\/");
}

std::string WithoutTrailingSeparator(std::string folder) {
  while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
  return folder;
}

// Backslashes made slashes.
std::string NativePathSeparators(std::string_view text) {
  std::string path(text);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

std::string ReplacePlaceholder(const Context& ctx, std::string_view text) {
  const std::string folder = WithoutTrailingSeparator(ctx.services.addin_folder);
  const std::string upper = UpperAscii(text);
  std::string result;
  size_t from = 0;
  for (size_t at = upper.find(kFolderPlaceholder); at != std::string::npos;
       at = upper.find(kFolderPlaceholder, from)) {
    result.append(text.substr(from, at - from)).append(folder);
    from = at + kFolderPlaceholder.size();
  }
  result.append(text.substr(from));
  return result;
}

// "PROVIDER=" strings go to the data-access layer as they are. So do the ODBC forms it also
// takes ("DSN=", "FILEDSN=", "DRIVER="): read as a relative file name, such a string would be
// turned into a path in the presentation's folder and name no database at all.
bool IsConnectionString(std::string_view text) {
  for (std::string_view keyword : {kProvider, std::string_view("DSN="),
                                   std::string_view("FILEDSN="), std::string_view("DRIVER=")}) {
    if (StartsWithNoCase(text, keyword)) return true;
  }
  return false;
}

bool IsUrl(std::string_view text) {
  for (std::string_view scheme : {"HTTP://", "HTTPS://", "FTP://", "FILE://"}) {
    if (StartsWithNoCase(text, scheme)) return true;
  }
  return false;
}

std::string ResolveRelativeFile(const Context& ctx, std::string_view relative_path,
                                std::string_view presentation_full_name);

// A Jet connection string keeps every part, each followed by ";"; only a relative data source
// is rewritten. The split keeps the empty part after a final ";", which comes back as ";;".
std::string ResolveJetConnectionString(const Context& ctx, std::string_view text,
                                       std::string_view presentation_full_name) {
  std::string result;
  size_t from = 0;
  while (true) {
    const size_t at = text.find(';', from);
    const std::string_view part =
        text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from);
    if (StartsWithNoCase(part, kDataSource) && !IsAbsolutePath(part.substr(kDataSource.size()))) {
      result.append(kDataSource)
          .append(
              ResolveRelativeFile(ctx, part.substr(kDataSource.size()), presentation_full_name));
    } else {
      result.append(part);
    }
    result.push_back(';');
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  return result;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string DecodePercent(std::string_view text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexDigit(text[i + 1]) >= 0 &&
        HexDigit(text[i + 2]) >= 0) {
      decoded.push_back(static_cast<char>(HexDigit(text[i + 1]) * 16 + HexDigit(text[i + 2])));
      i += 2;
    } else {
      decoded.push_back(text[i]);
    }
  }
  return decoded;
}

std::string NormalName(std::string_view full_name) {
  return std::filesystem::path(NativePathSeparators(full_name)).lexically_normal().string();
}

// A relative file name against the presentation's folder; for a sent copy, against the folder
// it was sent from when the file is there and not beside the copy.
std::string ResolveRelativeFile(const Context& ctx, std::string_view relative_path,
                                std::string_view presentation_full_name) {
  std::string beside = ResolveRelativePath(relative_path, presentation_full_name);
  const std::map<std::string, std::string>& copies = ctx.module.sent_copies;
  if (copies.empty()) return beside;
  const auto found = copies.find(NormalName(presentation_full_name));
  if (found == copies.end()) return beside;
  const host::FileSystem& files = *ctx.services.files;
  if (files.Exists(NativePath(ctx, beside))) return beside;
  std::string there = ResolveRelativePath(relative_path, found->second + "/copy");
  return files.Exists(NativePath(ctx, there)) ? there : beside;
}

}  // namespace

void SetSentFromFolder(Context& ctx, std::string_view copy_full_name,
                       std::string_view origin_folder) {
  std::map<std::string, std::string>& copies = ctx.module.sent_copies;
  if (origin_folder.empty()) {
    copies.erase(NormalName(copy_full_name));
  } else {
    copies[NormalName(copy_full_name)] = WithoutTrailingSeparator(std::string(origin_folder));
  }
}

bool IsAbsolutePath(std::string_view text) {
  if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1])) return true;
  if (text.size() >= 3 && text[1] == ':' && IsSeparator(text[2])) return true;
  return !text.empty() && text[0] == '/';
}

std::string ResolveConnectionPath(const Context& ctx, std::string_view text,
                                  std::string_view presentation_full_name) {
  if (text.empty()) return "";
  if (UpperAscii(text).find(kFolderPlaceholder) != std::string::npos) {
    return ReplacePlaceholder(ctx, text);
  }
  if (IsUrl(text)) return std::string(text);
  const bool jet = StartsWithNoCase(text, kJetProvider) || StartsWithNoCase(text, kSqliteProvider);
  if (!IsAbsolutePath(text) && !jet && !IsConnectionString(text)) {
    return ResolveRelativeFile(ctx, text, presentation_full_name);
  }
  if (jet) return ResolveJetConnectionString(ctx, text, presentation_full_name);
  return std::string(text);
}

std::string ResolveRelativePath(std::string_view relative_path,
                                std::string_view presentation_full_name) {
  std::vector<std::string> folder = SplitPath(presentation_full_name);
  // A bare name has no folder yet: whatever opens the file resolves it.
  if (folder.size() < 2) return std::string(relative_path);
  folder.pop_back();
  const bool slashes = presentation_full_name.find('\\') == std::string_view::npos;
  const char separator = slashes ? '/' : '\\';

  const std::vector<std::string> parts = SplitPath(relative_path);
  size_t first = 0;
  if (!parts.empty() && parts[0].empty()) {
    first = 1;
  } else {
    while (first < parts.size() && parts[first] == "..") {
      // The root of a POSIX path is its empty first part; there is nothing above it.
      const bool posix_root = folder.size() == 1 && folder[0].empty();
      if (!folder.empty() && !posix_root) folder.pop_back();
      ++first;
    }
  }
  std::string result;
  for (const std::string& part : folder) result.append(part).push_back(separator);
  for (size_t i = first; i < parts.size(); ++i) {
    if (i > first) result.push_back(separator);
    result.append(parts[i]);
  }
  return result;
}

std::string NativePath(const Context& ctx, std::string_view text) {
  std::string path;
  if (StartsWithNoCase(text, "FILE:")) {
    std::string_view rest = text.substr(5);
    if (rest.substr(0, 2) == "//") {
      rest.remove_prefix(2);
      // "file://host/path": only the local host is this machine.
      const size_t slash = rest.find('/');
      const std::string_view host = rest.substr(0, slash);
      if (host.empty() || StartsWithNoCase(host, "localhost")) {
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
      } else {
        path = "//";
      }
    }
    // "file:///C:/x" names a drive path; keep it without the leading slash.
    if (rest.size() >= 3 && rest[0] == '/' && rest[2] == ':') rest.remove_prefix(1);
    path += DecodePercent(rest);
  } else {
    path = std::string(text);
  }
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return MapWindowsPath(ctx, path);
}

bool IsWindowsAbsolutePath(std::string_view path) {
  if (path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
      IsSeparator(path[2])) {
    return true;
  }
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
}

std::string MapWindowsPath(std::string_view path,
                           const std::vector<std::pair<std::string, std::string>>& roots) {
  if (!IsWindowsAbsolutePath(path)) return std::string(path);
  const std::string wanted = UpperAscii(path);
  size_t best_length = 0;
  const std::string* best_folder = nullptr;
  for (const auto& [root, folder] : roots) {
    std::string key = UpperAscii(root);
    while (key.size() > 2 && IsSeparator(key.back())) key.pop_back();  // "C:\" is "C:"
    const bool drive = key.size() == 2 && key[1] == ':';
    if (!drive && !IsWindowsAbsolutePath(key)) continue;  // not a Windows root: ignored
    if (folder.empty() || key.size() > wanted.size() || key.size() <= best_length) continue;
    bool same = true;
    for (size_t i = 0; i < key.size() && same; ++i) {
      same = key[i] == wanted[i] || (IsSeparator(key[i]) && IsSeparator(wanted[i]));
    }
    if (!same || (key.size() < wanted.size() && !IsSeparator(wanted[key.size()]))) continue;
    best_length = key.size();
    best_folder = &folder;
  }
  if (best_folder == nullptr) return std::string(path);
  std::string mapped = WithoutTrailingSeparator(*best_folder);
  const std::string rest = NativePathSeparators(path.substr(best_length));
  if (mapped == "/" && !rest.empty()) mapped.clear();
  return mapped + rest;
}

std::string MapWindowsPath(const Context& ctx, std::string_view path) {
  if (!IsWindowsAbsolutePath(path)) return std::string(path);
  const host::SettingsStore* settings = ctx.services.settings;
  return MapWindowsPath(path, settings->GetAllSettings(kSettingsApp, kPathMapSection));
}

namespace {

// Where a connection string names its file by an absolute Windows path: the value of its first
// "Data Source=", "DBQ=" or "Database=" part that is one (quotes excluded); empty when none is.
std::string_view WindowsFileOf(std::string_view connection_string) {
  for (size_t from = 0; from < connection_string.size();) {
    size_t at = connection_string.find(';', from);
    if (at == std::string_view::npos) at = connection_string.size();
    const std::string_view part = connection_string.substr(from, at - from);
    from = at + 1;
    const size_t equals = part.find('=');
    if (equals == std::string_view::npos) continue;
    std::string key = UpperAscii(part.substr(0, equals));
    key.erase(0, key.find_first_not_of(' '));
    key.erase(key.find_last_not_of(' ') + 1);
    std::string_view value = part.substr(equals + 1);
    while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
    while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    if ((key == "DATA SOURCE" || key == "DBQ" || key == "DATABASE") &&
        IsWindowsAbsolutePath(value)) {
      return value;
    }
  }
  return {};
}

}  // namespace

std::string MapConnectionStringPaths(const Context& ctx, std::string_view connection_string) {
  const std::string_view file = WindowsFileOf(connection_string);
  if (file.empty()) return std::string(connection_string);
  const std::string mapped = MapWindowsPath(ctx, NativePathSeparators(file));
  if (IsWindowsAbsolutePath(mapped)) return std::string(connection_string);  // no root holds it
  const size_t at = static_cast<size_t>(file.data() - connection_string.data());
  return std::string(connection_string.substr(0, at)) + mapped +
         std::string(connection_string.substr(at + file.size()));
}

std::string WindowsPathAdvice(const Context& ctx, std::string_view text) {
  const std::string_view path = IsWindowsAbsolutePath(text) ? text : WindowsFileOf(text);
  if (path.empty()) return "";
  std::string root;
  if (path[1] == ':') {
    root = std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])))) +
           ":\\";
  } else {
    // "\\server\share"
    const size_t server_end = path.find_first_of("/\\", 2);
    const size_t share_end = server_end == std::string_view::npos
                                 ? server_end
                                 : path.find_first_of("/\\", server_end + 1);
    root = std::string(path.substr(0, share_end));
    for (char& c : root) {
      if (c == '/') c = '\\';
    }
  }
  std::string where = "the settings file";
  if (const std::string location = ctx.services.settings->Location(); !location.empty()) {
    where += " " + location;
  }
  return " This is a Windows path: to use it on this computer, map its root to a folder in the "
         "[PathMap] section of " +
         where + ", for example \"" + root + "=/srv/shows\".";
}

}  // namespace vintrel
