// The HOST[:PORT] part of the addresses the program is given (mqtt://, ws://), read once for
// every scheme.
#ifndef VINTREL_APPS_VINTREL_URL_AUTHORITY_H_
#define VINTREL_APPS_VINTREL_URL_AUTHORITY_H_

#include <optional>
#include <string>

namespace vintrel::app {

// What follows "SCHEME://" up to the first '/', split: the authority and the rest with its '/'
// ("" when there is none). nullopt when `url` does not start with one of the two schemes;
// `secure` tells which of them it was.
struct SchemeAndRest {
  bool secure = false;
  std::string authority;
  std::string rest;
};
std::optional<SchemeAndRest> SplitUrl(const std::string& url, const char* plain,
                                      const char* secure);

// A host name (letters, digits, '-' and '.'), an IPv4 address or a bracketed IPv6 address, with
// an optional port from 1 to 65535; the host is given without brackets. nullopt when anything
// else is there (a user, an empty port, a stray character): `port` keeps `default_port` unless
// the authority names one.
struct HostAndPort {
  std::string host;
  int port = 0;
};
std::optional<HostAndPort> ParseAuthority(const std::string& authority, int default_port);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_URL_AUTHORITY_H_
