#ifndef VINTREL_TESTS_HOST_MEMORY_ERROR_NUMBER_H_
#define VINTREL_TESTS_HOST_MEMORY_ERROR_NUMBER_H_

#include <cstdint>

#include "host/error.h"

namespace vintrel::host::memory {

// Runs `call` and returns the number of the Error it raised, 0 when it raised none.
template <typename F>
int32_t ErrorNumberOf(F&& call) {
  try {
    call();
  } catch (const Error& error) {
    return error.number();
  }
  return 0;
}

}  // namespace vintrel::host::memory

#endif  // VINTREL_TESTS_HOST_MEMORY_ERROR_NUMBER_H_
