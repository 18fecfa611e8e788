#include "shell/check_data_access.h"

#include <string>

#include "host/application.h"
#include "host/data_access.h"
#include "support/context.h"
#include "support/failure_handling.h"

namespace vintrel::shell {

bool CheckDataAccess(Context& ctx, host::Application& host) {
  ModuleState& state = ctx.module;
  state.cannot_run = true;

  // The add-in was built against one generation of the host: any other stays inactive, quietly.
  const std::string version = host.Version();
  if (version.substr(0, version.find('.')) != "10") return false;

  try {
    host::DataAccess* data_access = ctx.services.data_access;
    if (data_access == nullptr) {
      throw Error(kErrCannotCreateObject, "ADODB.Recordset", "No data-access components");
    }
    data_access->CreateRecordset();  // only a test; the instance is dropped at once
  } catch (...) {
    ShowMessage(ctx, kNoDataAccessMessage, host::msg_box::kOkOnly | host::msg_box::kCritical);
    return false;
  }
  state.cannot_run = false;
  return true;
}

}  // namespace vintrel::shell
