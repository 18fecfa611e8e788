// Trimming and splitting of plain text, for the values, settings and names the add-in reads.
// Letter case of ASCII names is in host/ascii.h.
#ifndef VINTREL_HOST_COMMON_TEXT_H_
#define VINTREL_HOST_COMMON_TEXT_H_

#include <string>
#include <string_view>
#include <vector>

namespace vintrel {

// What counts as blank around a value: settings files and connection strings also carry line
// ends; tag values and the distribution list only spaces and TABs; dialog fields only spaces.
inline constexpr std::string_view kWhitespace = " \t\r\n";
inline constexpr std::string_view kBlanks = " \t";
inline constexpr std::string_view kSpaces = " ";

// `text` without the characters of `blanks` at either end.
std::string_view Trim(std::string_view text, std::string_view blanks = kWhitespace);

// The pieces between the characters of `separators`: "a\tb\t" gives "a", "b" and ""; an empty
// text gives one empty piece.
std::vector<std::string> Split(std::string_view text, std::string_view separators);

// The lines of a text broken by CR LF, CR or LF alike; an empty text gives one empty line.
std::vector<std::string> SplitLines(std::string_view text);

// A path of names split by "/" with its empty and "." names dropped and each ".." taking back the
// name before it, joined again without a leading "/": "a//b/./../c/" gives "a/c". Part names of
// a package and folders of the file system both resolve this way.
std::string NormalizePath(std::string_view path);

// `text` with the characters XML gives a meaning to written as entities, for element text and
// attribute values alike.
std::string EscapeXml(std::string_view text);

}  // namespace vintrel

#endif  // VINTREL_HOST_COMMON_TEXT_H_
