#include "support/context.h"

#include "host/spreadsheet.h"

namespace vintrel {

// Out of line: the spreadsheet instance's type is complete only here.
ModuleState::ModuleState() = default;
ModuleState::~ModuleState() = default;

}  // namespace vintrel
