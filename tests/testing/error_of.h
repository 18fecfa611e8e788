// The Error a call raises, for tests that check its number and description.
#ifndef VINTREL_TESTS_TESTING_ERROR_OF_H_
#define VINTREL_TESTS_TESTING_ERROR_OF_H_

#include <gtest/gtest.h>

#include <functional>

#include "host/error.h"

namespace vintrel::testing {

// The error `action` raises; fails the test (and gives number 0, no description) when it raises
// none.
inline Error ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Error& error) {
    return error;
  }
  ADD_FAILURE() << "no error was raised";
  return Error(0, "", "");
}

}  // namespace vintrel::testing

#endif  // VINTREL_TESTS_TESTING_ERROR_OF_H_
