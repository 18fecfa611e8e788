#include "host/data/session.h"

#include <cctype>

#include "host/common/ascii.h"
#include "host/error.h"

namespace vintrel::host::data {

std::vector<std::string> SplitTableName(const std::string& name) {
  std::vector<std::string> parts;
  std::string part;
  bool quoted = false;
  size_t i = 0;
  while (i < name.size() && std::isspace(static_cast<unsigned char>(name[i]))) ++i;
  size_t end = name.size();
  while (end > i && std::isspace(static_cast<unsigned char>(name[end - 1]))) --end;
  for (; i < end; ++i) {
    char c = name[i];
    if (!quoted && part.empty() && (c == '[' || c == '"' || c == '`')) {
      char close = c == '[' ? ']' : c;
      size_t j = i + 1;
      for (; j < end; ++j) {
        if (name[j] == close) {
          if (close != ']' && j + 1 < end && name[j + 1] == close) {
            part += close;
            ++j;
            continue;
          }
          break;
        }
        part += name[j];
      }
      if (j >= end) {
        throw Error(data_error::kInvalidArgument, "Recordset",
                    "The table name '" + name + "' has an unclosed quote.");
      }
      i = j;
      quoted = true;
      continue;
    }
    if (c == '.') {
      parts.push_back(part);
      part.clear();
      quoted = false;
      continue;
    }
    part += c;
  }
  parts.push_back(part);
  for (const std::string& p : parts) {
    if (p.empty()) {
      throw Error(data_error::kInvalidArgument, "Recordset", "'" + name + "' is not a table name.");
    }
  }
  return parts;
}

bool IsProcedureCall(const std::string& source) {
  size_t i = source.find_first_not_of(" \t\r\n");
  if (i == std::string::npos) return false;
  for (std::string_view head : {"EXEC ", "EXECUTE ", "CALL ", "{CALL ", "{?=CALL", "{? = CA"}) {
    if (StartsWithNoCase(source, i, head)) return true;
  }
  return false;
}

}  // namespace vintrel::host::data
