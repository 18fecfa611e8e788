// Readers of the live view's event stream (`vintrel show --serve`, GET /events), reading as a
// browser does: one cpp-httplib client and one thread each, taking the server-sent events as
// they come. Each reader keeps when it first saw each numbered value of one shape, in a shape's
// new drawing or in a whole state (what a reader that fell behind gets instead of the events).
#ifndef VINTREL_BENCH_BROKER_EVENT_STREAM_READERS_H_
#define VINTREL_BENCH_BROKER_EVENT_STREAM_READERS_H_

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "arrivals.h"

namespace vintrel::bench {

// The value's number in the drawing of `shape` that an event's data carries (the first number
// written as text inside the shape's element), minus `base`; nothing when the data does not
// draw `shape`.
std::optional<int> ChangeInDrawing(const std::string& data, const std::string& shape, long base);

struct Reader;

class EventStreamReaders : public Receivers {
 public:
  // `count` readers of http://127.0.0.1:`port`/events, keeping arrivals of the values
  // base+1 .. base+`changes` of `shape`.
  EventStreamReaders(int port, int count, std::string shape, long base, int changes);
  ~EventStreamReaders() override;

  // Ready: the show's state received.
  int WaitReady(double seconds) const override;
  void Stop() override;

 private:
  void Read(Reader& reader);
  // One event (its lines, without the blank line that ends it), received at `at`.
  void Take(Reader& reader, const std::string& event, Clock::time_point at);

  std::string shape_;
  long base_;
  std::vector<std::unique_ptr<Reader>> readers_;
};

}  // namespace vintrel::bench

#endif  // VINTREL_BENCH_BROKER_EVENT_STREAM_READERS_H_
