#ifndef VINTREL_APPS_VINTREL_OPEN_PRESENTATION_H_
#define VINTREL_APPS_VINTREL_OPEN_PRESENTATION_H_

#include <string>

#include "host/presentation.h"
#include "host_session.h"

namespace vintrel::app {

// Opens a presentation file in the session's host, as a person opening it would (the add-in's
// open handler runs). A file that cannot be opened is bad input: BadInput naming the file.
host::Presentation& OpenPresentation(HostSession& session, const std::string& file);

// The slide numbered `number` (from 1); bad input when there is none. These two are the checks
// every command makes of the slide and shape it is given (shell/argument_checks.h).
host::Slide& FindSlide(host::Presentation& presentation, int number);

// The shape of that name, or at that position (from 1) when the text is a number that no shape
// has as its name; bad input when there is none.
host::Shape& FindShape(host::Slide& slide, const std::string& name_or_position);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_OPEN_PRESENTATION_H_
