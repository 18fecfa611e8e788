// A slide's data settings as stored in its tags, for a host program to print; nothing here
// changes the slide.
#ifndef VINTREL_SHELL_SLIDE_REPORT_H_
#define VINTREL_SHELL_SLIDE_REPORT_H_

#include <string>
#include <vector>

#include "host/slides.h"

namespace vintrel::shell {

struct SlideFacts {
  bool hide_when_no_data = false;
  bool refresh_linked_objects = false;
  struct Scroll {
    int number = 0;  // the connection's number, 1 to 99
    bool enabled = false;
    long step = 0;
    long time = 0;  // milliseconds
  };
  // Every connection with scroll settings (a step time of at least 1), by number.
  std::vector<Scroll> scrolls;
  // Tags that could not be read (they read as nothing).
  std::vector<std::string> warnings;
};

SlideFacts DescribeSlide(host::Slide& slide);

// The tag numbers of the connections a shape of `slide` shows data of (text fields and linked
// objects with a column and a row, charts), as the slide property page lists them: in the order
// of `numbers` (the presentation's connections).
std::vector<std::string> ConnectionsShownOnSlide(host::Slide& slide,
                                                 const std::vector<std::string>& numbers);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_SLIDE_REPORT_H_
