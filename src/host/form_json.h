// A form as JSON, for front ends that draw it elsewhere (a browser, a script): the form's name,
// caption and buttons, and each control with the properties its kind uses. What a person does
// comes back as one JSON object per action:
//   {"control": "txtFilename", "set": "data.txt"}     type, tick ("1"/"0"), choose by text
//   {"control": "cmdTest", "click": true}             also "dblclick", "leave", "tick"
//   {"control": "txtRow", "key": 13}                  a key's character code
//   {"control": "udRow", "spin": "up"}                or "down"
//   {"key": "enter"} / {"key": "escape"}               the default or cancel button
#ifndef VINTREL_HOST_FORM_JSON_H_
#define VINTREL_HOST_FORM_JSON_H_

#include <string>

#include "host/forms.h"

namespace vintrel::host {

// `indent` < 0 writes one line.
std::string FormToJson(const Form& form, int indent = -1);

// Parses one action line and applies it to `form`. Fails (kErrInvalidProcedureCall) with a
// message saying what is wrong for a line that is not such an object, and as Form::Act does.
void ApplyFormActionJson(Form& form, const std::string& line);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_FORM_JSON_H_
