#include "connections/connection_source.h"

#include <utility>

#include "support/module_state.h"

namespace vintrel {

void SetDefaultConnectionSourceFactory(ConnectionSourceFactory factory) {
  Services().sources = std::move(factory);
}

const ConnectionSourceFactory& DefaultConnectionSourceFactory() {
  return Services().sources;
}

}  // namespace vintrel
