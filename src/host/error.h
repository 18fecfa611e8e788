// The one failure type of the system. Every platform call that fails, and every numbered error
// the add-in raises, travels as an Error carrying number, source and description, the way the
// host reports failures to its add-ins.
#ifndef VINTREL_HOST_ERROR_H_
#define VINTREL_HOST_ERROR_H_

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vintrel {

// Numbers of the failures the stand-ins raise, in the host's signed 32-bit form.
inline constexpr int32_t kErrUnspecified = -2147467259;      // 0x80004005
inline constexpr int32_t kErrInvalidArgument = -2147024809;  // 0x80070057
inline constexpr int32_t kErrNotImplemented = -2147467263;   // 0x80004001
inline constexpr int32_t kErrCannotCreateObject = 429;       // component not available
inline constexpr int32_t kErrSubscriptOutOfRange = 9;
inline constexpr int32_t kErrTypeMismatch = 13;
inline constexpr int32_t kErrFileNotFound = 53;
inline constexpr int32_t kErrPathNotFound = 76;
inline constexpr int32_t kErrPermissionDenied = 70;
inline constexpr int32_t kErrInvalidProcedureCall = 5;
inline constexpr int32_t kErrObjectNotSet = 91;  // "Object variable or With block variable not set"

class Error : public std::runtime_error {
 public:
  Error(int32_t number, std::string source, std::string description)
      : std::runtime_error(description),
        number_(number),
        source_(std::move(source)),
        description_(std::move(description)) {}

  int32_t number() const { return number_; }
  const std::string& source() const { return source_; }
  const std::string& description() const { return description_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

}  // namespace vintrel

#endif  // VINTREL_HOST_ERROR_H_
