// vintrel link FILE --from LINKS.tsv: many links at once, for big decks. LINKS.tsv is a TAB file
// whose first line names its columns (any order, letter case ignored):
//   slide      slide number, from 1                                    (required)
//   shape      shape name, or position on the slide                    (required)
//   kind       text, object, chart, clock or clear                     (required)
//   connection the connection's tag number ("01")       text, object, chart
//   column     the data column                          text, object
//   row        the data row, from 1                     text, object
//   folder     put before the value                     object (optional)
//   extension  put after the value, with its dot        object (optional)
//   format     General Date, Long Date, Short Date, Long Time, Short Time    clock
// Every line is checked (slide, shape, kind, connection, column) before anything is written; a
// file with a wrong line is left as it was. The presentation is saved once, at the end.
#ifndef VINTREL_APPS_VINTREL_LINK_BATCH_H_
#define VINTREL_APPS_VINTREL_LINK_BATCH_H_

#include <string>

namespace vintrel::app {

// Links the shapes `links` lists in the presentation `file`; returns the exit code. Bad lines
// are bad input (BadInput naming each line, up to the first 20).
int RunLinkBatch(const std::string& file, const std::string& links);

}  // namespace vintrel::app

#endif  // VINTREL_APPS_VINTREL_LINK_BATCH_H_
