// The column names a text file's first line gives. An empty name, or one that repeats an earlier
// name (letter case ignored), is replaced by the column's number, as files without first-row
// names name all their columns; every value stays under its own column.
#ifndef VINTREL_CONNECTIONS_COLUMN_NAMES_H_
#define VINTREL_CONNECTIONS_COLUMN_NAMES_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vintrel::connections {

struct RenamedColumn {
  size_t position = 0;  // from 1
  std::string given;    // the first line's name; empty when it had none
  std::string name;     // the name the column has
};

// "column 3 has no name in the first line; it is named "3"", or "... repeats the name ...".
std::string RenamedColumnText(const RenamedColumn& column);

struct ColumnNames {
  std::vector<std::string> names;
  std::vector<RenamedColumn> renamed;
};

// Names `count` columns: `folded(i)` is the name of column i (from 0) with its letter case
// folded, `decoded(i)` the name as the column shows it.
ColumnNames NameColumns(size_t count, const std::function<std::string_view(size_t)>& folded,
                        const std::function<std::string(size_t)>& decoded);

}  // namespace vintrel::connections

#endif  // VINTREL_CONNECTIONS_COLUMN_NAMES_H_
