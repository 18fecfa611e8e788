#include "support/failure_handling.h"

#include <exception>

#include "support/logs.h"
#include "support/module_state.h"

namespace vintrel {

Error CurrentFailure() {
  try {
    throw;
  } catch (const Error& failure) {
    return failure;
  } catch (const std::exception& failure) {
    return Error(kErrUnspecified, "vintrel", failure.what());
  } catch (...) {
    return Error(kErrUnspecified, "vintrel", "Unknown failure");
  }
}

void RememberFailure(const Error& failure) {
  ModuleState& state = Module();
  state.last_error_number = failure.number();
  state.last_error_source = failure.source();
  state.last_error_description = failure.description();
}

std::string FailureMessage(const Error& failure, ErrorCode operation) {
  if (IsOwnError(failure.number())) return failure.description();
  return CompleteMessage(operation, {failure.description()});
}

int ShowMessage(const std::string& text, int style) {
  host::FrontEnd* front_end = Services().front_end;
  if (front_end == nullptr) return host::msg_box::kOk;
  return front_end->MsgBox(text, style, kMessageTitle);
}

int ReportFailure(const Error& failure, ErrorCode operation, int buttons) {
  RememberFailure(failure);
  const std::string message = FailureMessage(failure, operation);
  if (ShowErrorMessages()) return ShowMessage(message, buttons | host::msg_box::kExclamation);
  const int32_t number = IsOwnError(failure.number()) ? failure.number() : ErrorNumber(operation);
  WriteErrorLog(message + " (" + std::to_string(number) + "-" + failure.source() + ")");
  return host::msg_box::kOk;
}

void LogFailure(const Error& failure) {
  WriteErrorLog(failure.description() + " (" + std::to_string(failure.number()) + "-" +
                failure.source() + ")");
}

}  // namespace vintrel
