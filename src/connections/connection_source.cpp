#include "connections/connection_source.h"

#include <utility>

namespace vintrel {
namespace {

ConnectionSourceFactory& DefaultFactory() {
  static ConnectionSourceFactory factory;
  return factory;
}

}  // namespace

void SetDefaultConnectionSourceFactory(ConnectionSourceFactory factory) {
  DefaultFactory() = std::move(factory);
}

const ConnectionSourceFactory& DefaultConnectionSourceFactory() {
  return DefaultFactory();
}

}  // namespace vintrel
