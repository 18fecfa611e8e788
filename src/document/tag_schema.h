// The tags the add-in keeps on presentations, slides and shapes: their names, the codes in their
// values, and the small rules every reader and writer follows. Names are upper case and compared
// exactly, character by character, as the host returns them; a reader recognises a tag by the
// beginning of its name, and a numbered tag carries its number right after that beginning.
#ifndef VINTREL_DOCUMENT_TAG_SCHEMA_H_
#define VINTREL_DOCUMENT_TAG_SCHEMA_H_

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "connections/tag_values.h"
#include "host/tags.h"

namespace vintrel {

namespace tag {
// Every add-in tag begins with this.
inline constexpr std::string_view kPrefix = "QUENDRA";

// Presentation tags.
inline constexpr std::string_view kVersion = "QUENDRA VERSION";
inline constexpr std::string_view kVersionValue = "1";
inline constexpr std::string_view kDisplayType = "QUENDRA DISPLAYTYPE";
// Numbered: followed by the connection tag number ("QUENDRA CONNECTION03").
inline constexpr std::string_view kConnection = "QUENDRA CONNECTION";
inline constexpr std::string_view kDistributionStart = "QUENDRA DISTRIBUTION START";
inline constexpr std::string_view kDistributionStop = "QUENDRA DISTRIBUTION STOP";
inline constexpr std::string_view kDistributionComputer = "QUENDRA DISTRIBUTION COMPUTER";

// Slide tags.
inline constexpr std::string_view kSlideProperties = "QUENDRA SLIDE PROPERTIES";
// Numbered: followed by the connection number without leading zeros ("QUENDRA SCROLLSTEP3").
inline constexpr std::string_view kScrollStep = "QUENDRA SCROLLSTEP";

// Shape tags.
inline constexpr std::string_view kColumn = "QUENDRA COLUMN";
inline constexpr std::string_view kColumnType = "QUENDRA COLUMN TYPE";
inline constexpr std::string_view kColumnTag = "QUENDRA COLUMN TAG";
inline constexpr std::string_view kColumnColumnName = "QUENDRA COLUMN COLUMNNAME";
inline constexpr std::string_view kColumnRow = "QUENDRA COLUMN ROW";
inline constexpr std::string_view kColumnDateFormat = "QUENDRA COLUMN DATE FORMAT";
inline constexpr std::string_view kColumnObjectFolder = "QUENDRA COLUMN OBJECT FOLDER";
// Spelled "EXTESION" in every presentation ever written; it must stay so.
inline constexpr std::string_view kColumnObjectExtension = "QUENDRA COLUMN OBJECT EXTESION";

// The shape tags in the order a reader tests a name against them.
inline constexpr std::array<std::string_view, 7> kColumnTags = {
    kColumnType,       kColumnTag,          kColumnColumnName,     kColumnRow,
    kColumnDateFormat, kColumnObjectFolder, kColumnObjectExtension};
}  // namespace tag

// What a linked shape is (value of "QUENDRA COLUMN TYPE").
namespace source_type {
inline constexpr int kNone = 0;
inline constexpr int kClock = 1;
inline constexpr int kTextField = 2;
inline constexpr int kLinkedObject = 3;
inline constexpr int kGraph = 4;
}  // namespace source_type

// The name of a display type code ("Value" for 1 ... "Nothing" for 7); empty for other codes.
std::string_view DisplayTypeName(int code);

// Scroll settings exist for the connection numbers 0 to 99; tags are written for 1 to 99.
inline constexpr int kScrollEntries = 100;
inline constexpr int kHighestScrollTagNumber = 99;

// Whether `name` begins with `prefix`, exactly (letter case counts).
bool HasTagPrefix(std::string_view name, std::string_view prefix);
// The number of a numbered tag: the name after the prefix ("07" for "QUENDRA CONNECTION07").
std::string TagNumber(std::string_view name, std::string_view prefix);
// "QUENDRA CONNECTION" followed by the tag number as given.
std::string ConnectionTagName(std::string_view connection_tag_number);
// "QUENDRA SCROLLSTEP" followed by `number` without leading zeros.
std::string ScrollTagName(int number);
// A connection tag number or scroll tag suffix as a whole number: "03", "3" and " 3" give 3.
std::optional<long> ScrollNumber(std::string_view text);

// The next connection tag number: the largest number formed by the last two characters of the
// existing numbers, plus one, written with at least two digits ("01", "04", "100"). Numbers below
// the largest are not reused.
std::string NextConnectionTagNumber(const std::vector<std::string>& existing_numbers);

// A scroll tag's value: enabled ("True"/"False"), step, time, separated by TAB, no trailing TAB.
std::string ScrollValue(bool enabled, long step, long time);

// The distribution computer list: every name followed by one TAB; empty for no names, and then
// no tag is written.
std::string DistributionComputerValue(const std::vector<std::string>& names);
// Every field but the last (the empty one after the final TAB).
std::vector<std::string> DistributionComputers(std::string_view value);

// The first half of every rewrite: deletes each tag whose name has `prefix`, scanning from the
// highest index down so that a tag moving into a freed index is not skipped. A failing host call
// is passed over and the scan goes on.
void DeleteTagsWithPrefix(host::Tags& tags, std::string_view prefix);
// Deletes every tag of the kind, then adds the new ones in order.
void RewriteTags(host::Tags& tags, std::string_view prefix,
                 const std::vector<std::pair<std::string, std::string>>& new_tags);

// Whether some tag's name has `prefix`.
bool HasTagWithPrefix(const host::Tags& tags, std::string_view prefix);
// The presence of the version tag marks a presentation that uses the add-in.
bool HasVersionTag(const host::Tags& presentation_tags);
// Adds "QUENDRA VERSION" = "1" when no version tag exists, as the first writer of connection,
// slide or distribution tags does.
void EnsureVersionTag(host::Tags& presentation_tags);
// A shape is linked when some tag's name begins with one of the shape tag names.
bool IsLinkedShape(const host::Tags& shape_tags);

}  // namespace vintrel

#endif  // VINTREL_DOCUMENT_TAG_SCHEMA_H_
