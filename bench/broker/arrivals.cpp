#include "arrivals.h"

#include <algorithm>
#include <thread>

namespace vintrel::bench {

Arrivals::Arrivals(int receivers, int changes)
    : receivers_(receivers),
      changes_(changes),
      at_(static_cast<size_t>(receivers) * static_cast<size_t>(changes)) {}

void Arrivals::Record(int r, int k, Clock::time_point at) {
  if (r < 0 || r >= receivers_ || k < 1 || k > changes_) return;
  Clock::time_point& slot = at_[static_cast<size_t>(r) * changes_ + (k - 1)];
  if (slot == Clock::time_point{}) slot = at;
}

std::optional<Clock::time_point> Arrivals::At(int r, int k) const {
  const Clock::time_point at = at_[static_cast<size_t>(r) * changes_ + (k - 1)];
  if (at == Clock::time_point{}) return std::nullopt;
  return at;
}

Latency ToLastReceiver(const Arrivals& arrivals, const std::vector<Clock::time_point>& written) {
  Latency latency;
  std::vector<double> milliseconds;
  const int changes = std::min(arrivals.changes(), static_cast<int>(written.size()));
  for (int k = 1; k <= changes; ++k) {
    Clock::time_point last{};
    bool everyone = true;
    for (int r = 0; r < arrivals.receivers(); ++r) {
      const auto at = arrivals.At(r, k);
      if (!at) {
        everyone = false;
        ++latency.missed;
        continue;
      }
      last = std::max(last, *at);
    }
    if (!everyone) continue;
    ++latency.received_by_all;
    milliseconds.push_back(
        std::chrono::duration<double, std::milli>(last - written[k - 1]).count());
  }
  latency.p50_ms = Percentile(milliseconds, 0.5);
  latency.p99_ms = Percentile(milliseconds, 0.99);
  latency.worst_ms = Percentile(milliseconds, 1);
  return latency;
}

int Receivers::WaitForAll(double seconds, const std::function<bool(int)>& ready) const {
  const auto until = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
  for (;;) {
    int count = 0;
    for (int r = 0; r < arrivals_.receivers(); ++r) count += ready(r) ? 1 : 0;
    if (count == arrivals_.receivers() || Clock::now() >= until) return count;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t at = static_cast<size_t>(share * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(at, values.size() - 1)];
}

}  // namespace vintrel::bench
