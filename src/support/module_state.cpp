#include "support/module_state.h"

#include "host/spreadsheet.h"

namespace vintrel {
namespace {

std::unique_ptr<ModuleState>& Instance() {
  static std::unique_ptr<ModuleState> instance = std::make_unique<ModuleState>();
  return instance;
}

}  // namespace

ModuleState::ModuleState() = default;
ModuleState::~ModuleState() = default;

ModuleState& Module() {
  return *Instance();
}

Platform& Services() {
  return Instance()->platform;
}

void ResetModuleState() {
  Instance() = std::make_unique<ModuleState>();
}

}  // namespace vintrel
