// What the authoring commands (connections, link, slide) share: a presentation opened in the
// program the way the host opens it, found slides and shapes, and the one save at the end. A
// command that meets bad input throws BadInput before saving, so the file stays as it was.
#ifndef VINTREL_APPS_VINTREL_AUTHORING_H_
#define VINTREL_APPS_VINTREL_AUTHORING_H_

#include <string>

#include "host/presentation.h"
#include "host_session.h"

namespace vintrel::app {

class AuthoringSession {
 public:
  // Loads the add-in and opens `file`; BadInput when it is missing or cannot be read.
  explicit AuthoringSession(const std::string& file);
  host::Presentation& presentation() { return *presentation_; }
  // Saves through the host, so the add-in's save handling runs.
  void Save();

 private:
  HostSession session_;
  host::Presentation* presentation_ = nullptr;
};

// The slide numbered `number` (from 1); BadInput when there is none.
host::Slide& FindSlide(host::Presentation& presentation, int number);
// The shape of that name, or at that position (from 1) when `name_or_position` is a number and no
// shape has it as its name; BadInput when there is none.
host::Shape& FindShape(host::Slide& slide, const std::string& name_or_position);
// "on" or "off"; BadInput otherwise.
bool ParseOnOff(const std::string& option, const std::string& text);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_AUTHORING_H_
