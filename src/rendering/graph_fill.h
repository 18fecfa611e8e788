// Filling a chart from a connection: the connection's column names and rows become one block of
// TAB-separated text that is pasted into the chart's data sheet, as a person pasting a table
// would. The columns the author excluded from the chart and their number formats survive.
#ifndef VINTREL_RENDERING_GRAPH_FILL_H_
#define VINTREL_RENDERING_GRAPH_FILL_H_

#include <string>

#include "host/shapes.h"

namespace vintrel {
class clsConnection;
}

namespace vintrel::rendering {

// A chart the add-in can fill: an embedded object whose programmatic identifier begins with
// "MSGraph.Chart".
bool IsGraphShape(host::Shape& shape);

// One value as the data sheet takes it: a number with "." as its decimal point, a date and time
// as "mm-dd-yyyy hh:nn:ss", a time of day and anything else unchanged.
std::string GraphValueText(const std::string& value);

// The block: the column names, then the records from `first_row` to `last_row`, TAB between
// values, every line ended by CR LF.
std::string BuildGraphBlock(clsConnection& connection, long first_row, long last_row);

// Fills the chart with every row of the connection (a hidden chart is shown first).
void FillGraph(host::Shape& shape, clsConnection& connection, bool in_show);
// Fills the chart with the header and the single record at `start_row` (for a slide that scrolls
// the connection).
void FillGraphRow(host::Shape& shape, clsConnection& connection, long start_row, bool in_show);

// A chart whose link is removed: shown again like any unlinked shape, and its data sheet
// emptied, as the graph page empties it when its link is cleared: the data came from the
// connection, and a presentation never keeps linked values.
void ClearGraph(host::Shape& shape);

}  // namespace vintrel::rendering

#endif  // VINTREL_RENDERING_GRAPH_FILL_H_
