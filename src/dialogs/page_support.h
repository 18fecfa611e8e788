// What the property pages share: the shapes selected in the host's active window, and reading a
// text box as a number the way the pages read it.
#ifndef VINTREL_DIALOGS_PAGE_SUPPORT_H_
#define VINTREL_DIALOGS_PAGE_SUPPORT_H_

#include <optional>
#include <string>
#include <vector>

#include "host/shapes.h"
#include "support/context.h"

namespace vintrel::dialogs {

// The shapes selected in the host's active window, in selection order; none when nothing (or
// only text) is selected or the window cannot be read.
std::vector<host::Shape*> SelectedShapes(const Context& ctx);

// A whole number typed into a text box (blanks around it allowed); nothing for any other text.
std::optional<long> WholeNumber(const std::string& text);
// Any number typed into a text box (an optional sign, decimals, an exponent); nothing else.
std::optional<double> Number(const std::string& text);

}  // namespace vintrel::dialogs

#endif  // VINTREL_DIALOGS_PAGE_SUPPORT_H_
