// The processes the broker benchmark starts and the loopback ports they listen on.
#ifndef VINTREL_BENCH_BROKER_PROCESSES_H_
#define VINTREL_BENCH_BROKER_PROCESSES_H_

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vintrel::bench {

// The machine's load average over the last minute (/proc/loadavg).
double LoadAverage();
// A loopback port nobody listens on right now.
int FreePort();
// Waits up to `seconds` until something accepts connections on the loopback `port`.
bool WaitListening(int port, double seconds);
// Enough descriptors for `descriptors` connections of this program and of the broker (which
// inherits the limit), as far as the hard limit (or the privilege to raise it) allows.
void RaiseFileLimit(int descriptors);
// Starts `arguments` with `extra` added to this environment, its output and errors in `output`;
// -1 when it cannot start.
pid_t Spawn(const std::vector<std::string>& arguments, const std::vector<std::string>& extra,
            const std::filesystem::path& output);
// Ends a process this program started and waits for it.
void Stop(pid_t pid);
// A Mosquitto of its own on the loopback `port`, configured in `folder`: anonymous, nothing kept
// on disk, no limit on connections; -1 when it does not start listening. `no_delay`: it sends
// each message at once (set_tcp_nodelay) rather than holding a short last segment back until
// the receiver acknowledges the previous one, as Mosquitto does unless told.
pid_t StartBroker(const std::filesystem::path& folder, int port, bool no_delay = false);

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_PROCESSES_H_
