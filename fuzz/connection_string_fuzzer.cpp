// Connection strings and file names as presentations hold them: splitting into parts (quotes,
// ODBC braces), the connection string picker's reading of them, password masking, the choice of
// provider, and the resolution of relative names, the folder placeholder and file: URIs against
// the presentation's folder.
#include <string>
#include <string_view>
#include <vector>

#include "connections/connection_paths.h"
#include "dialogs/connection_string_fields.h"
#include "fuzz_support.h"
#include "host/common/connection_string_parts.h"
#include "host/data/connection_string.h"
#include "host/memory/memory_file_system.h"
#include "host/memory/memory_settings_store.h"
#include "support/context.h"

namespace {

using vintrel::fuzz::Try;

vintrel::host::memory::MemorySettingsStore settings;
vintrel::host::memory::MemoryFileSystem files;

// The placeholder resolves to the add-in's folder, and one Windows root is mapped; nothing else
// of the machine is used.
vintrel::Platform FuzzPlatform() {
  vintrel::Platform platform;
  platform.settings = &settings;
  platform.files = &files;
  platform.addin_folder = "/opt/vintrel/";
  return platform;
}
const vintrel::Context ctx(FuzzPlatform());

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  settings.Set("Quendra Vintrel 2002", vintrel::kPathMapSection, "C:\\Shows", "/srv/shows");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  namespace data_access = vintrel::host::data;
  const std::vector<vintrel::host::ConnectionStringPart> parts =
      vintrel::host::ParseConnectionString(text);
  for (const char* key : {"Provider", "Data Source", "DSN", "Extended Properties"}) {
    vintrel::host::FindConnectionValue(parts, key);
  }
  vintrel::host::QuoteOdbcValue(text);
  // The connection string picker opens on whatever string the presentation holds.
  namespace dialogs = vintrel::dialogs;
  if (const auto fields = dialogs::ParseConnectionFields(std::string(text))) {
    const dialogs::DriverFamily family = dialogs::FamilyOf(fields->name);
    dialogs::BuildConnectionString(*fields, family, true);
    dialogs::FieldsFor(fields->kind, family);
  }
  data_access::MaskPasswords(text);
  const std::string connection(text);
  Try([&] {
    data_access::ChooseProvider(connection, [] {
      return std::vector<std::string>{"MDBTools", "SQLite3"};
    });
  });
  Try([&] { data_access::ChooseProvider(connection, [] { return std::vector<std::string>{}; }); });
  data_access::NativePath(connection);

  vintrel::IsAbsolutePath(text);
  vintrel::NativePath(ctx, text);
  for (std::string_view presentation : {"/home/ann/shows/board.pptx", "C:\\shows\\board.pptx",
                                        "\\\\server\\share\\board.pptx", "board.pptx", ""}) {
    vintrel::ResolveConnectionPath(ctx, text, presentation);
    vintrel::ResolveRelativePath(text, presentation);
    vintrel::NativePath(ctx, vintrel::ResolveConnectionPath(ctx, text, presentation));
  }
  return 0;
}
