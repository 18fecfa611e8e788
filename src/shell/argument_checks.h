// The one check of the slide and shape a command or a front end names, made before any form
// opens: every command, the form command and the link file say the same in the same words.
#ifndef VINTREL_SHELL_ARGUMENT_CHECKS_H_
#define VINTREL_SHELL_ARGUMENT_CHECKS_H_

#include <string>

#include "host/presentation.h"
#include "host/shapes.h"
#include "host/slides.h"

namespace vintrel::shell {

// What is wrong with slide `number` (from 1): "no slide 99 (the presentation has 3)"; empty
// text when the presentation has it.
std::string SlideProblem(host::Presentation& presentation, int number);
// The same for a slide given as text ("no slide \"x\" ..." when it is no number).
std::string SlideProblem(host::Presentation& presentation, const std::string& number);

// The shape of that name, or at that position (from 1) when the text is a number that no shape
// has as its name; null when there is none.
host::Shape* ShapeNamed(host::Slide& slide, const std::string& name_or_position);
// "no shape \"Nope\" on slide 1"
std::string ShapeProblemText(host::Slide& slide, const std::string& name_or_position);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_ARGUMENT_CHECKS_H_
