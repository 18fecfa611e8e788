// A form as JSON, for front ends that draw it elsewhere (a browser, a script): the form's name,
// caption and buttons, and each control with the properties its kind uses. What a person does
// comes back as one JSON object per action:
//   {"control": "txtFilename", "set": "data.txt"}     type, tick ("1"/"0"), choose by text
//   {"control": "cmdTest", "click": true}             also "dblclick", "leave", "tick"
//   {"control": "txtRow", "key": 13}                  a key's character code
//   {"control": "udRow", "spin": "up"}                or "down"
//   {"key": "enter"} / {"key": "escape"}               the default or cancel button
//   {"picker": "computer", "answer": "lobby-1"}       answers the picker the action before
//                                                      opened ("file", "folder"; "" cancels)
// The form's JSON carries "topmost" for a form that stays above every other window.
#ifndef VINTREL_HOST_COMMON_FORM_JSON_H_
#define VINTREL_HOST_COMMON_FORM_JSON_H_

#include <optional>
#include <string>

#include "host/forms.h"

namespace vintrel::host {

// `indent` < 0 writes one line.
std::string FormToJson(const Form& form, int indent = -1);

// An answer to a picker, as recorded after the action that opened it.
struct PickerAnswer {
  PickerKind kind = PickerKind::kComputer;
  std::string answer;
};

// The answer a line holds; nothing for a line that is no picker answer (an action). Fails
// (kErrInvalidProcedureCall) for a picker line without a known kind or a text answer.
std::optional<PickerAnswer> ParsePickerAnswer(const std::string& line);

// Parses one action line and applies it to `form`. Fails (kErrInvalidProcedureCall) with a
// message saying what is wrong for a line that is not such an object (or a picker answer no
// picker waits for), and as Form::Act does.
void ApplyFormActionJson(Form& form, const std::string& line);

}  // namespace vintrel::host

#endif  // VINTREL_HOST_COMMON_FORM_JSON_H_
