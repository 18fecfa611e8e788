// Sending a presentation to the screens that show it: a copy, with its distribution list, saved
// into the distribution folder named in the settings ("[Info] DistributionFolder", where
// "[VINTRELFOLDER]" stands for the add-in's folder).
#ifndef VINTREL_OFFLINE_DISTRIBUTION_H_
#define VINTREL_OFFLINE_DISTRIBUTION_H_

#include <string>

namespace vintrel {

class clsPresentation;

// The distribution folder; empty text when none is configured.
std::string GetDistributionFolder();

// Saves a copy of the presentation (linked values blanked, as in every saved file) into the
// distribution folder and tells the user how it went; the presentation stays filled and as saved
// or unsaved as it was. Returns whether the copy was sent.
bool SendPresentation(clsPresentation& presentation);

}  // namespace vintrel

#endif  // VINTREL_OFFLINE_DISTRIBUTION_H_
