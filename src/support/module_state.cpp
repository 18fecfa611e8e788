#include "support/module_state.h"

#include "host/spreadsheet.h"

namespace vintrel {
namespace {

std::unique_ptr<ModuleState>& Unloaded() {
  static std::unique_ptr<ModuleState> instance = std::make_unique<ModuleState>();
  return instance;
}

// The state of the innermost live scope; null when none lives.
ModuleState* current = nullptr;

}  // namespace

ModuleState::ModuleState() = default;
ModuleState::~ModuleState() = default;

ModuleState& Module() {
  return current != nullptr ? *current : *Unloaded();
}

Platform& Services() {
  return Module().platform;
}

void ResetModuleState() {
  Unloaded() = std::make_unique<ModuleState>();
}

ModuleScope::ModuleScope(const Platform& services)
    : state_(std::make_unique<ModuleState>()), previous_(current) {
  state_->platform = services;
  current = state_.get();
}

ModuleScope::~ModuleScope() {
  current = previous_;
}

}  // namespace vintrel
