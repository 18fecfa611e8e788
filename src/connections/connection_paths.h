// Resolution of the file names and connection strings a connection holds as entered: the folder
// placeholder, relative file names and relative Jet data sources are resolved against the
// presentation. Tags written on Windows hold backslashes, so both "\" and "/" separate parts;
// the result keeps a text form until a file is really opened, when NativePath makes it a path of
// this system.
#ifndef VINTREL_CONNECTIONS_CONNECTION_PATHS_H_
#define VINTREL_CONNECTIONS_CONNECTION_PATHS_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include "support/context.h"

namespace vintrel {

// The folder placeholder, replaced (in any letter case) by the add-in's folder.
inline constexpr std::string_view kFolderPlaceholder = "[VINTRELFOLDER]";

// Absolute in the sense of the connection rules: a UNC name ("\\server\share", also written
// with slashes), a drive path ("C:\x", "C:/x"), or a POSIX absolute path ("/home/x"). A single
// leading backslash ("\data\x.txt") is not absolute: it is relative to the presentation's folder.
bool IsAbsolutePath(std::string_view text);

// Resolves a file name or connection string against the presentation's full name, first match
// wins: empty stays empty; the placeholder is replaced by the add-in's folder and nothing else
// changes; URLs stay; a relative file name is joined to the presentation's folder; the relative
// "DATA SOURCE=" of a Jet (or built-in SQLite) connection string is joined likewise; anything
// else stays. A text
// beginning with "PROVIDER=", "DSN=", "FILEDSN=" or "DRIVER=" is a connection string, never a
// file name.
std::string ResolveConnectionPath(const Context& ctx, std::string_view text,
                                  std::string_view presentation_full_name);

// A copy sent into a distribution folder names its files relative to itself, as the original
// did, but the files stayed beside the original. While a folder is remembered for a copy (its
// full name), a relative file name of the copy that is not found beside it is resolved against
// that folder instead, when the file is there. An empty `origin_folder` forgets the copy.
void SetSentFromFolder(Context& ctx, std::string_view copy_full_name,
                       std::string_view origin_folder);

// Joins a relative path to the folder of the presentation: leading ".." parts climb one folder
// each, a leading separator only means "this folder". The result uses the presentation name's
// separator ("/" when it has slashes and no backslashes, else "\"). A presentation without a
// folder (never saved) leaves the path unchanged.
std::string ResolveRelativePath(std::string_view relative_path,
                                std::string_view presentation_full_name);

// The path to hand to the file system of this system: backslashes become slashes, a "file:"
// URI becomes its path (host "localhost" or none, %XX escapes decoded), and an absolute Windows
// path is mapped through the user's [PathMap] settings (MapWindowsPath).
std::string NativePath(const Context& ctx, std::string_view text);

// The settings section (of the per-user settings, beside [Info]) that maps Windows roots to
// folders of this computer, one "ROOT=FOLDER" line each:
//   [PathMap]
//   C:\Shows=/srv/shows
//   \\server\share=/mnt/share
inline constexpr const char* kPathMapSection = "PathMap";

// Whether a path (with either separator) is an absolute Windows one: a drive path ("C:\x",
// "C:/x") or a UNC name ("\\server\share\x", "//server/share/x").
bool IsWindowsAbsolutePath(std::string_view path);

// An absolute Windows path mapped to a folder of this computer by the longest root of `roots`
// ("C:\Shows", "C:", "\\server\share": root -> folder) that holds it, whole parts only
// ("C:\Shows" holds "C:\Shows\x" but not "C:\ShowsOld"), letter case ignored as on Windows; the
// rest keeps its parts, joined by "/". Anything else, or a path no root holds, comes back
// unchanged.
std::string MapWindowsPath(std::string_view path,
                           const std::vector<std::pair<std::string, std::string>>& roots);
// The same with the roots of the user's [PathMap] settings (none without a settings store).
std::string MapWindowsPath(const Context& ctx, std::string_view path);

// A database connection string whose file (the value of "Data Source=", "DBQ=" or "Database=")
// is an absolute Windows path, with that path mapped as above and in native form; every other
// part, and any other string, unchanged.
std::string MapConnectionStringPaths(const Context& ctx, std::string_view connection_string);

// For a message about a file that could not be opened: when `text` is still an absolute Windows
// path (no [PathMap] root holds it), or a connection string whose file is one, a sentence telling
// the user how to map its root; else empty.
std::string WindowsPathAdvice(const Context& ctx, std::string_view text);

}  // namespace vintrel

#endif  // VINTREL_CONNECTIONS_CONNECTION_PATHS_H_
