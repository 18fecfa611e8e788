// What the program's distribution player uses of the add-in: the follower of a distribution
// folder and the settings it reads. The work is the off-line subsystem's
// (offline/distribution_player.h); the program reaches it through the shell.
#ifndef VINTREL_SHELL_PLAYER_H_
#define VINTREL_SHELL_PLAYER_H_

#include "offline/distribution_player.h"

namespace vintrel::shell {

using vintrel::DistributionFolderSetting;
using vintrel::DistributionPlayer;
using vintrel::DistributionTimeZone;
using vintrel::KnownTimeZone;
using vintrel::ThisComputerName;

}  // namespace vintrel::shell

#endif  // VINTREL_SHELL_PLAYER_H_
