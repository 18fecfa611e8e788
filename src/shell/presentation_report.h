// What the add-in can tell a host program about a presentation: its connections with their state
// and the link each shape carries. The program prints it; nothing here changes the presentation.
#ifndef VINTREL_SHELL_PRESENTATION_REPORT_H_
#define VINTREL_SHELL_PRESENTATION_REPORT_H_

#include <string>
#include <vector>

#include "host/presentation.h"
#include "host/shapes.h"
#include "support/context.h"

namespace vintrel::shell {

class Application;

struct ConnectionFacts {
  std::string number;
  int type = 0;
  const char* type_name = "unknown";  // "text file", "database", "workbook"
  std::string description;
  std::string tag_string;
  // Whether the add-in opened it (it has the presentation); only then the rest is known.
  bool opened = false;
  bool ready = false;
  double records = 0;
  std::vector<std::string> columns;
};

// The link the add-in keeps on a shape; `linked` is false for a shape without one.
struct LinkFacts {
  bool linked = false;
  int source_type = 0;
  const char* source_type_name = "none";  // "clock", "text field", "linked object", "chart"
  std::string connection;
  std::string column;
  double row = 0;
  std::string date_format;
  std::string folder;
  std::string extension;
};

// The connections of the add-in's entry of `presentation` (opened, with their data); without an
// entry (no add-in, or not taken up) as the tags give them, not opened.
std::vector<ConnectionFacts> DescribeConnections(Context& ctx, const Application* addin,
                                                 host::Presentation& presentation);
LinkFacts DescribeLink(host::Shape& shape);
// The distribution list of the add-in's entry, dates as stored ("YYYY-MM-DD HH:MM:SS"); empty
// without an entry.
struct DistributionFacts {
  std::string start;
  std::string stop;
  std::vector<std::string> computers;
};
DistributionFacts DescribeDistribution(const Application* addin, host::Presentation& presentation);

// Whether the presentation uses the add-in at all.
bool UsesAddin(host::Presentation& presentation);

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_PRESENTATION_REPORT_H_
