// Connection strings split into their parts and put together again, as OLE DB and ODBC write
// them: "key=value" parts joined by ";", a value in quotes or in ODBC braces when it holds a
// character that would end it.
#ifndef VINTREL_HOST_COMMON_CONNECTION_STRING_PARTS_H_
#define VINTREL_HOST_COMMON_CONNECTION_STRING_PARTS_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vintrel::host {

struct ConnectionStringPart {
  std::string key;    // as written, trimmed
  std::string value;  // trimmed, quotes removed
  std::string text;   // the part as written (for handing on unchanged)
};

// Splits at ";" outside quotes ("..." or '...', a doubled quote inside stands for itself) and
// outside ODBC braces ({...}, "}}" inside stands for "}"). Empty parts are skipped.
std::vector<ConnectionStringPart> ParseConnectionString(std::string_view text);

// The value of the first part whose key matches (letter case ignored).
std::optional<std::string> FindConnectionValue(const std::vector<ConnectionStringPart>& parts,
                                               std::string_view key);

// A value as an ODBC string takes it: in braces, with "}" doubled, when it holds a character
// that would end or split the part (";", "=", a brace) or blanks at either end that would be
// trimmed away; otherwise as it is.
std::string QuoteOdbcValue(std::string_view value);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_CONNECTION_STRING_PARTS_H_
