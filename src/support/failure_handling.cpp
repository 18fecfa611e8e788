#include "support/failure_handling.h"

#include <exception>

#include "support/context.h"
#include "support/logs.h"

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

void RememberFailure(Context& ctx, const Error& failure) {
  ModuleState& state = ctx.module;
  state.last_error_number = failure.number();
  state.last_error_source = failure.source();
  state.last_error_description = failure.description();
}

std::string FailureMessage(const Error& failure, ErrorCode operation) {
  if (IsOwnError(failure.number())) return failure.description();
  return CompleteMessage(operation, {failure.description()});
}

int ShowMessage(const Context& ctx, const std::string& text, int style) {
  return ctx.services.front_end->MsgBox(text, style, kMessageTitle);
}

int ReportFailure(Context& ctx, const Error& failure, ErrorCode operation, int buttons) {
  RememberFailure(ctx, failure);
  const std::string message = FailureMessage(failure, operation);
  if (ShowErrorMessages(ctx))
    return ShowMessage(ctx, message, buttons | host::msg_box::kExclamation);
  const int32_t number = IsOwnError(failure.number()) ? failure.number() : ErrorNumber(operation);
  WriteErrorLog(ctx, message + " (" + std::to_string(number) + "-" + failure.source() + ")");
  return host::msg_box::kOk;
}

void LogFailure(Context& ctx, const Error& failure) {
  WriteErrorLog(ctx, failure.description() + " (" + std::to_string(failure.number()) + "-" +
                         failure.source() + ")");
}

}  // namespace vintrel
