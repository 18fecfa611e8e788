#include "connections/excel_status.h"

#include <memory>
#include <string>

#include "host/spreadsheet.h"
#include "support/context.h"
#include "support/failure_handling.h"
#include "support/logs.h"

namespace vintrel::connections {
namespace {

constexpr const char* kSource = "modGlobalFunctions";

void Log(Context& ctx, const std::string& message) {
  WriteDebugLog(ctx, DebugLevel::kInformation, kSource, message);
}

std::unique_ptr<host::SpreadsheetApplication> CreateApplication(const Context& ctx) {
  host::SpreadsheetFactory* factory = ctx.services.spreadsheet;
  if (factory == nullptr) throw Error(kErrCannotCreateObject, kSource, "No spreadsheet service");
  return factory->CreateApplication();
}

}  // namespace

int ExcelStatus(Context& ctx, bool start, bool shutdown) {
  ModuleState& state = ctx.module;
  Log(ctx, std::string("ExcelStatus:") + (start ? "True" : "False") + " " +
               (shutdown ? "True" : "False"));

  if (shutdown) {
    Log(ctx, "shutdown");
    host::SpreadsheetApplication* application = state.excel_application.get();
    if (application != nullptr) {
      SkipFailure([&] { application->SetIgnoreRemoteRequests(false); });
      SkipFailure([&] {
        if (!application->Visible()) application->Quit();
      });
    }
    state.excel_application.reset();
    state.excel_status = excel_status::kUnknown;
    return state.excel_status;
  }

  if (state.excel_status == excel_status::kUnknown) {
    Log(ctx, "unknown");
    // Only a test: the object made here is dropped at once.
    const bool available = SkipFailure([&] { CreateApplication(ctx); });
    if (available) {
      Log(ctx, "excelnotrunning");
      state.excel_status = excel_status::kNotRunning;
    } else {
      Log(ctx, "excelunavailable");
      state.excel_status = excel_status::kUnavailable;
    }
  }

  if (state.excel_status == excel_status::kNotRunning && start) {
    Log(ctx, "starting excel");
    SkipFailure([&] {
      state.excel_application = CreateApplication(ctx);
      Log(ctx, "excel started");
      state.excel_status = excel_status::kStarted;
      state.excel_application->SetIgnoreRemoteRequests(true);
    });
  }
  return state.excel_status;
}

}  // namespace vintrel::connections
