// The values kept in tags: TAB-separated fields, booleans, numbers and dates in every form the
// readers accept (invariant, US, a European regional form), the tag schema's numbered names, and
// a connection's whole definition. Besides "no crash", what is written reads back the same.
#include <cmath>
#include <cstdlib>
#include <string>
#include <string_view>

#include "connections/connection.h"
#include "connections/tag_values.h"
#include "document/tag_schema.h"
#include "fuzz_support.h"
#include "host/common/ascii.h"
#include "support/context.h"

namespace {

using vintrel::fuzz::Try;

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
  }
}

vintrel::RegionalFormat European() {
  vintrel::RegionalFormat format;
  format.decimal_point = ",";
  format.thousands_separator = ".";
  format.date_format = "%d.%m.%Y";
  format.time_format = "%H:%M:%S";
  return format;
}

void Values(std::string_view text) {
  std::vector<std::string> fields = vintrel::SplitFields(text);
  Check(vintrel::JoinFields(fields, false) == text, "fields join back to the text");
  vintrel::ParseBoolean(text);
  vintrel::UpperAscii(text);
  vintrel::StartsWithNoCase(text, "QUENDRA ");
  for (const vintrel::RegionalFormat& form : {vintrel::UsRegionalFormat(), European()}) {
    if (std::optional<double> number = vintrel::ParseNumber(text, form);
        number && std::isfinite(*number)) {
      std::optional<double> again = vintrel::ParseNumber(vintrel::FormatNumber(*number), form);
      Check(again && *again == *number, "a number written reads back the same");
    }
    vintrel::ParseWholeNumber(text, form);
    if (std::optional<vintrel::LocalDateTime> date = vintrel::ParseDateTime(text, form)) {
      std::optional<vintrel::LocalDateTime> again =
          vintrel::ParseDateTime(vintrel::FormatDateTime(*date), form);
      Check(again && *again == *date, "a date written reads back the same");
    }
  }
}

void Schema(std::string_view text) {
  vintrel::ScrollNumber(text);
  vintrel::DistributionComputers(text);
  vintrel::NextConnectionTagNumber(vintrel::SplitFields(text));
  if (vintrel::HasTagPrefix(text, vintrel::tag::kConnection)) {
    vintrel::TagNumber(text, vintrel::tag::kConnection);
  }
  if (vintrel::HasTagPrefix(text, vintrel::tag::kScrollStep)) {
    vintrel::TagNumber(text, vintrel::tag::kScrollStep);
  }
  if (!text.empty()) vintrel::DisplayTypeName(static_cast<unsigned char>(text[0]) % 10);
}

// A connection that only reads and writes its tag opens nothing, so it needs no service.
vintrel::Context context;

void Connection(std::string_view text) {
  vintrel::clsConnection connection(context);
  bool read = false;
  Try([&] {
    connection.SetTagString(text);
    read = true;
  });
  if (!read) return;
  std::string written;
  Try([&] { written = connection.TagString(); });
  if (written.empty()) return;
  vintrel::clsConnection again(context);
  again.SetTagString(written);
  Check(again.TagString() == written, "a connection written reads back the same");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The readers also try the user's regional form; the C locale keeps runs repeatable.
  ::setenv("LC_ALL", "C", 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  Values(text);
  Schema(text);
  Connection(text);
  return 0;
}
