// Sending a presentation to the screens that show it: a copy, with its distribution list, saved
// into the distribution folder named in the settings ("[Info] DistributionFolder", where
// "[VINTRELFOLDER]" stands for the add-in's folder).
#ifndef VINTREL_OFFLINE_DISTRIBUTION_H_
#define VINTREL_OFFLINE_DISTRIBUTION_H_

#include <string>

#include "support/context.h"

namespace vintrel {

class clsPresentation;

// The tag a sent copy carries: the folder the presentation was sent from, where the files it
// names relative to itself are found when they are not beside the copy.
inline constexpr const char* kSentFromTag = "QUENDRA SENT FROM";

// The distribution folder; empty text when none is configured.
std::string GetDistributionFolder(const Context& ctx);

// Saves a copy of the presentation (linked values blanked, as in every saved file) into the
// distribution folder and tells the user how it went; the presentation stays filled and as saved
// or unsaved as it was. Returns whether the copy was sent.
bool SendPresentation(clsPresentation& presentation);

}  // namespace vintrel

#endif  // VINTREL_OFFLINE_DISTRIBUTION_H_
