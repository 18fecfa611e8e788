#include "host/data/odbc_catalog.h"

#include <algorithm>

#include "host/data/odbc_environment.h"

namespace vintrel::host::data {
namespace {

constexpr SQLSMALLINT kNameSize = 256;
constexpr SQLSMALLINT kAttributesSize = 4096;

std::string Shown(const SQLWCHAR* text, SQLSMALLINT length, SQLSMALLINT size) {
  return Narrow(text, static_cast<size_t>(std::clamp<SQLSMALLINT>(length, 0, size - 1)));
}

// SQLDrivers hands the attributes as "key=value" texts, each ended by a NUL, the list by a
// second NUL.
std::vector<std::pair<std::string, std::string>> Attributes(const SQLWCHAR* list, size_t length) {
  std::vector<std::pair<std::string, std::string>> attributes;
  size_t start = 0;
  for (size_t i = 0; i <= length; ++i) {
    if (i < length && list[i] != 0) continue;
    const std::string entry = Narrow(list + start, i - start);
    start = i + 1;
    if (entry.empty()) break;
    const size_t equals = entry.find('=');
    attributes.emplace_back(entry.substr(0, equals),
                            equals == std::string::npos ? "" : entry.substr(equals + 1));
  }
  return attributes;
}

}  // namespace

std::vector<OdbcDataSource> ListOdbcDataSources() {
  std::vector<OdbcDataSource> sources;
  SQLHENV env = OdbcEnvironment();
  for (const bool system : {false, true}) {
    SQLUSMALLINT direction = system ? SQL_FETCH_FIRST_SYSTEM : SQL_FETCH_FIRST_USER;
    SQLWCHAR name[kNameSize];
    SQLWCHAR description[kNameSize];
    SQLSMALLINT name_length = 0;
    SQLSMALLINT description_length = 0;
    while (Succeeded(SQLDataSourcesW(env, direction, name, kNameSize, &name_length, description,
                                     kNameSize, &description_length))) {
      sources.push_back({Shown(name, name_length, kNameSize),
                         Shown(description, description_length, kNameSize), system});
      direction = SQL_FETCH_NEXT;
    }
  }
  return sources;
}

std::vector<OdbcDriver> ListOdbcDrivers() {
  std::vector<OdbcDriver> drivers;
  SQLHENV env = OdbcEnvironment();
  SQLWCHAR name[kNameSize];
  SQLWCHAR attributes[kAttributesSize];
  SQLSMALLINT name_length = 0;
  SQLSMALLINT attributes_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (Succeeded(SQLDriversW(env, direction, name, kNameSize, &name_length, attributes,
                               kAttributesSize, &attributes_length))) {
    const size_t listed =
        static_cast<size_t>(std::clamp<SQLSMALLINT>(attributes_length, 0, kAttributesSize - 1));
    drivers.push_back({Shown(name, name_length, kNameSize), Attributes(attributes, listed)});
    direction = SQL_FETCH_NEXT;
  }
  return drivers;
}

}  // namespace vintrel::host::data
