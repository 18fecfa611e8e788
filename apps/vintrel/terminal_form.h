// A form filled in at the terminal with line prompts: the form is drawn as a numbered list of
// its controls (only those a person could see: the chosen tab's, the shown frames'), and each
// line the person types acts on one control. Works the same whether the input is a terminal or
// a pipe, so a script can fill a form as a person would.
//
//   3            act on control 3: a text box asks for its new text, a list for its entry, a
//                check box is ticked or unticked, a button pressed
//   3 text       type "text" into control 3 (or choose the entry of that text)
//   (empty line) the default button (OK); "q" the cancel button; "?" the help
#ifndef VINTREL_APPS_VINTREL_TERMINAL_FORM_H_
#define VINTREL_APPS_VINTREL_TERMINAL_FORM_H_

#include <iosfwd>

#include "host/forms.h"

namespace vintrel::app {

// Draws `form` on `out` and reads what the person does from `in` until the form hides itself;
// the end of the input cancels the form. A message a control's handler raises (a disabled
// control, a value the form refuses) is shown and the form drawn again.
void FillFormOnTerminal(host::Form& form, std::istream& in, std::ostream& out);

// The form as it is drawn: one line per control a person can reach or read.
void DrawForm(const host::Form& form, std::ostream& out);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_TERMINAL_FORM_H_
