#include "connections/excel_status.h"

#include <memory>
#include <string>

#include "host/spreadsheet.h"
#include "support/failure_handling.h"
#include "support/logs.h"
#include "support/module_state.h"

namespace vintrel::connections {
namespace {

constexpr const char* kSource = "modGlobalFunctions";

void Log(const std::string& message) {
  WriteDebugLog(DebugLevel::kInformation, kSource, message);
}

std::unique_ptr<host::SpreadsheetApplication> CreateApplication() {
  host::SpreadsheetFactory* factory = Services().spreadsheet;
  if (factory == nullptr) throw Error(kErrCannotCreateObject, kSource, "No spreadsheet service");
  return factory->CreateApplication();
}

}  // namespace

int ExcelStatus(bool start, bool shutdown) {
  ModuleState& state = Module();
  Log(std::string("ExcelStatus:") + (start ? "True" : "False") + " " +
      (shutdown ? "True" : "False"));

  if (shutdown) {
    Log("shutdown");
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
    Log("unknown");
    // Only a test: the object made here is dropped at once.
    const bool available = SkipFailure([] { CreateApplication(); });
    if (available) {
      Log("excelnotrunning");
      state.excel_status = excel_status::kNotRunning;
    } else {
      Log("excelunavailable");
      state.excel_status = excel_status::kUnavailable;
    }
  }

  if (state.excel_status == excel_status::kNotRunning && start) {
    Log("starting excel");
    SkipFailure([&] {
      state.excel_application = CreateApplication();
      Log("excel started");
      state.excel_status = excel_status::kStarted;
      state.excel_application->SetIgnoreRemoteRequests(true);
    });
  }
  return state.excel_status;
}

}  // namespace vintrel::connections
