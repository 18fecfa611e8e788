// Column letters of A1-style cell addresses, as workbooks, chart formulas and the column names
// of a range without a header row spell them.
#ifndef VINTREL_HOST_COMMON_CELL_ADDRESS_H_
#define VINTREL_HOST_COMMON_CELL_ADDRESS_H_

#include <string>
#include <string_view>

namespace vintrel {

// The letters of a column numbered from 1: 1 "A", 26 "Z", 27 "AA", 16384 "XFD"; "" below 1.
std::string ColumnLetters(int column);

// The number of a column from its letters in either case ("A" 1, "xfd" 16384); 0 when `letters`
// is empty, holds anything but ASCII letters or has more than three of them.
int ColumnNumber(std::string_view letters);

}  // namespace vintrel

#endif  // VINTREL_HOST_COMMON_CELL_ADDRESS_H_
